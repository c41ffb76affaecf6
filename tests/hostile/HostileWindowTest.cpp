// Hostile inputs through the main window: odd bitmaps through its loading path, odd font
// files in a font folder that is browsed and searched, and a folder of 20,000 entries.

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <unistd.h>

#include <cstdio>
#include <memory>

#include "HostileFiles.h"
#include "app/Form1.h"
#include "app/ResultsList.h"

using namespace lettrino;
using namespace lettrino::hostile;

namespace {

template <typename T = QWidget>
T* child(const QObject* parent, const char* name) {
    T* w = parent->findChild<T*>(QString::fromLatin1(name));
    if (!w) qFatal("no control named %s", name);
    return w;
}

// AddressSanitizer keeps freed memory in quarantine (256 MB by default), so resident memory
// climbs there even when the program's own use is flat.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kHeapHoldsFreedMemory = true;
#else
constexpr bool kHeapHoldsFreedMemory = false;
#endif

long long residentBytes() {
    long long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%lld %lld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * sysconf(_SC_PAGESIZE);
}

// Answers every message box as a user would, keeping its text.
class MessageWatcher {
public:
    MessageWatcher() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts << box->text();
                box->close();
            }
        });
        timer_.start(10);
    }
    QStringList texts;

private:
    QTimer timer_;
};

BmpPlan plan(int w, int h, int bpp, std::function<QRgb(int, int)> pixel) {
    BmpPlan s;
    s.width = w;
    s.height = h;
    s.bitsPerPixel = bpp;
    s.pixel = std::move(pixel);
    return s;
}

const QString kFonts = QStringLiteral(LETTRINO_SYSTEM_FONTS);

}  // namespace

class HostileWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        w_ = std::make_unique<Form1>();
        w_->show();
        QVERIFY(QTest::qWaitForWindowExposed(w_.get()));
    }
    void cleanup() {
        w_.reset();
        dir_.reset();
    }

    void bitmaps_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("loads");
        QTest::addColumn<QString>("top");
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("size");
        const QByteArray half = bmpBytes(plan(120, 120, 24, blackSquare(50, 60, 30)));
        QTest::newRow("all white") << bmpBytes(
                                          plan(200, 200, 24, [](int, int) { return qRgb(255, 255, 255); }))
                                   << true << "201 pixels"
                                   << "201 pixels"
                                   << "-201 x -201 pixels";
        QTest::newRow("1 x 1") << bmpBytes(plan(1, 1, 24, blackSquare(0, 0, 1))) << true << "0 pixels"
                               << "0 pixels"
                               << "0 x 0 pixels";
        QTest::newRow("4000 x 4000") << bmpBytes(plan(4000, 4000, 8, blackSquare(30, 40, 10))) << true
                                     << "40 pixels"
                                     << "30 pixels"
                                     << "9 x 9 pixels";
        QTest::newRow("claims 100000 x 100000") << bmpClaiming(100000, 100000, 256) << false << ""
                                                << ""
                                                << "";
        QTest::newRow("truncated") << half.left(60) << false << ""
                                   << ""
                                   << "";
        QTest::newRow("text named .bmp") << QByteArray("not a picture\n") << false << ""
                                         << ""
                                         << "";
        QTest::newRow("8-bit palette")
            << bmpBytes(plan(50, 60, 8, blackSquare(5, 7, 20))) << true << "7 pixels"
            << "5 pixels"
            << "19 x 19 pixels";
        BmpPlan alpha = plan(60, 60, 32, [](int x, int y) {
            if (x >= 10 && x < 20 && y >= 10 && y < 20) return qRgba(0, 0, 0, 255);
            if (x >= 30 && x < 40 && y >= 30 && y < 40) return qRgba(0, 0, 0, 0);
            return qRgba(255, 255, 255, 255);
        });
        alpha.alpha = true;
        QTest::newRow("32-bit with alpha") << bmpBytes(alpha) << true << "10 pixels"
                                           << "10 pixels"
                                           << "9 x 9 pixels";
        QTest::newRow("top-down") << bmpBytes(plan(30, -30, 24, blackSquare(3, 4, 6))) << true << "4 pixels"
                                  << "3 pixels"
                                  << "5 x 5 pixels";
    }

    // A picture that loads is measured; one that does not is reported and leaves the previous
    // bitmap, its box and its texts as they were.
    void bitmaps() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, loads);
        const QString good = dir_->filePath(QStringLiteral("good.bmp"));
        QVERIFY(writeFile(good, bmpBytes(plan(40, 40, 24, blackSquare(11, 12, 3)))));
        MessageWatcher messages;
        w_->loadBitmap(good, QStringLiteral("good.bmp"));
        const InkBox goodBox = w_->BitmapBox;
        QCOMPARE(goodBox, (InkBox{12, 11, 13, 14}));

        const QString path = dir_->filePath(QStringLiteral("x.bmp"));
        QVERIFY(writeFile(path, bytes));
        w_->loadBitmap(path, QStringLiteral("x.bmp"));
        auto* filename = child<QLabel>(w_.get(), "BitmapFilenameText");
        if (loads) {
            QFETCH(QString, top);
            QFETCH(QString, left);
            QFETCH(QString, size);
            QCOMPARE(child<QLabel>(w_.get(), "BitmapTopText")->text(), top);
            QCOMPARE(child<QLabel>(w_.get(), "BitmapLeftText")->text(), left);
            QCOMPARE(child<QLabel>(w_.get(), "BitmapSizeText")->text(), size);
            QCOMPARE(filename->text(), QStringLiteral("x.bmp"));
            QVERIFY(messages.texts.isEmpty());
        } else {
            QCOMPARE(w_->BitmapBox, goodBox);
            QCOMPARE(filename->text(), QStringLiteral("good.bmp"));
            QTRY_COMPARE(messages.texts.size(), 1);
        }
    }

    void folderNamedBmp() {
        MessageWatcher messages;
        QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("x.bmp")));
        w_->loadBitmap(dir_->filePath(QStringLiteral("x.bmp")), QStringLiteral("x.bmp"));
        QTRY_COMPARE(messages.texts.size(), 1);
        QVERIFY(!child<QPushButton>(w_.get(), "Command5")->isEnabled());
    }

    // A folder of broken font files among good ones: browsing reports each broken file once
    // per showing; a search run goes through all of them without a single message box.
    void brokenFontsBrowsedAndSearched() {
        const QString sans = kFonts + QStringLiteral("/dejavu/DejaVuSans.ttf");
        if (!QFile::exists(sans)) QSKIP("DejaVu Sans is not installed");
        QVERIFY(QFile::copy(sans, dir_->filePath(QStringLiteral("a-good.ttf"))));
        QVERIFY(writeFile(dir_->filePath(QStringLiteral("b-empty.ttf")), QByteArray()));
        QVERIFY(writeFile(dir_->filePath(QStringLiteral("c-png.ttf")), QByteArray("\x89PNG\r\n\x1a\n", 8)));
        QVERIFY(writeFile(dir_->filePath(QStringLiteral("d-cut.ttf")), readFile(sans).left(4000)));
        QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("e-folder.ttf")));
        QVERIFY(QFile::copy(sans, dir_->filePath(QStringLiteral("f-good.ttf"))));
        const QString bitmap = dir_->filePath(QStringLiteral("g.bmp"));
        QVERIFY(writeFile(bitmap, bmpBytes(plan(120, 120, 8, blackSquare(30, 20, 60)))));

        MessageWatcher messages;
        w_->loadBitmap(bitmap, QStringLiteral("g.bmp"));
        w_->loadFontFolder(dir_->path());
        QCOMPARE(w_->FontList.count(), 5);  // the folder named x.ttf is no font file
        auto* slider = child<QSlider>(w_.get(), "Slider1");
        slider->setFocus(Qt::TabFocusReason);
        for (int i = 1; i < w_->FontList.count(); ++i) {
            QTest::keyClick(slider, Qt::Key_Down);
            QApplication::processEvents();
        }
        QCOMPARE(slider->value(), w_->FontList.count() - 1);
        QTRY_COMPARE(messages.texts.size(), 3);
        for (const QString& text : messages.texts)
            QVERIFY2(text.startsWith(QStringLiteral("Error: Can't open ")), qPrintable(text));

        messages.texts.clear();
        slider->setValue(0);
        QApplication::processEvents();
        QTest::mouseClick(child<QPushButton>(w_.get(), "ButtonFind"), Qt::LeftButton);
        QTRY_VERIFY(!w_->FindRunning);
        QVERIFY2(messages.texts.isEmpty(), qPrintable(messages.texts.join(QLatin1Char('|'))));
    }

    // 20,000 symbolic links to a few real fonts: loaded, browsed end to end and searched, with
    // the memory in use staying flat.
    void twentyThousandEntries() {
        QStringList targets;
        for (const char* f : {"/dejavu/DejaVuSans.ttf", "/dejavu/DejaVuSerif.ttf",
                              "/liberation2/LiberationSans-Regular.ttf", "/freefont/FreeSans.ttf"})
            if (QFile::exists(kFonts + QLatin1String(f))) targets << kFonts + QLatin1String(f);
        if (targets.size() < 2) QSKIP("the fonts that scripts/setup installs are missing");
        QDir(dir_->path()).mkdir(QStringLiteral("many"));
        const QString many = dir_->filePath(QStringLiteral("many"));
        constexpr int kEntries = 20000;
        for (int i = 0; i < kEntries; ++i)
            QVERIFY(QFile::link(targets[i % targets.size()],
                                many + QStringLiteral("/f%1.ttf").arg(i, 5, 10, QLatin1Char('0'))));
        const QString bitmap = dir_->filePath(QStringLiteral("o.bmp"));
        QVERIFY(writeFile(bitmap, bmpBytes(plan(100, 100, 8, blackSquare(20, 20, 50)))));

        MessageWatcher messages;
        w_->loadBitmap(bitmap, QStringLiteral("o.bmp"));
        w_->loadFontFolder(many);
        QCOMPARE(w_->FontList.count(), kEntries);
        auto* slider = child<QSlider>(w_.get(), "Slider1");
        QCOMPARE(slider->maximum(), kEntries - 1);
        // Browsing: the keys a user presses, each move drawing the font it lands on.
        slider->setFocus(Qt::TabFocusReason);
        QTest::keyClick(slider, Qt::Key_End);
        QCOMPARE(slider->value(), kEntries - 1);
        for (int i = 0; i < 20; ++i) QTest::keyClick(slider, Qt::Key_PageUp);
        QTest::keyClick(slider, Qt::Key_Up);
        QTest::keyClick(slider, Qt::Key_Home);
        QCOMPARE(slider->value(), 0);
        QApplication::processEvents();
        const long long before = residentBytes();
        QTest::mouseClick(child<QPushButton>(w_.get(), "ButtonFind"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!w_->FindRunning, 20 * 60 * 1000);
        QCOMPARE(slider->value(), kEntries - 1);
        const long long grown = residentBytes() - before;
        if (!kHeapHoldsFreedMemory)
            QVERIFY2(grown < 48LL * 1024 * 1024, qPrintable(QStringLiteral("grew by %1 bytes").arg(grown)));
        QVERIFY(messages.texts.isEmpty());
    }

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<Form1> w_;
};

QTEST_MAIN(HostileWindowTest)
#include "HostileWindowTest.moc"
