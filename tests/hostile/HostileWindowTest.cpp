// Hostile inputs through the main window, chosen in its dialogs as a user chooses them: bitmaps
// of every depth, with lying headers, cut short or no picture at all; font folders holding files
// that are no fonts or damaged ones; a folder of thousands of links to fonts.
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

#include <memory>

#include "Fixtures.h"
#include "HostileFiles.h"
#include "WindowFixture.h"
#include "canvas/InkBox.h"

using namespace lettrino;
using namespace lettrino::hostile;
using namespace lettrino::testing;

namespace {

using Pixel = std::function<QRgb(int, int)>;

// What the reference canvas shows for a width x height picture: its pixels over white, white
// beyond it, and the red not-xor outline of the ink box (green and blue inverted on its edge).
QImage shown(int width, int height, const Pixel& pixel, const InkBox& box) {
    QImage canvas(197, 197, QImage::Format_RGB32);
    const auto [x0, x1] = std::minmax(box.left, box.right);
    const auto [y0, y1] = std::minmax(box.top, box.bottom);
    for (int y = 0; y < 197; ++y)
        for (int x = 0; x < 197; ++x) {
            const QRgb c = x < width && y < height && pixel ? pixel(x, y) : qRgb(255, 255, 255);
            const auto over = [a = qAlpha(c)](int v) { return (v * a + 255 * (255 - a) + 127) / 255; };
            const bool edge =
                x >= x0 && x <= x1 && y >= y0 && y <= y1 && (x == x0 || x == x1 || y == y0 || y == y1);
            canvas.setPixel(x, y,
                            qRgb(over(qRed(c)), over(qGreen(c)), over(qBlue(c))) ^ (edge ? 0xFFFFu : 0u));
        }
    return canvas;
}

QStringList captions(const Window& w) {
    QStringList texts;
    for (const char* name : {"BitmapFilenameText", "BitmapTopText", "BitmapLeftText", "BitmapSizeText"})
        texts << w.get<QLabel>(name)->text();
    return texts;
}

}  // namespace

class HostileWindowTest : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<Window> w_;

    QString path(const QString& name) const { return dir_->filePath(name); }

private Q_SLOTS:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        w_ = openWindow();
    }
    void cleanup() {
        w_.reset();
        dir_.reset();
    }

    // A bitmap that loads shows its picture, its ink box outlined and the box's captions; one
    // that does not is reported by its path and leaves the bitmap before it as it was.
    void bitmaps_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QImage>("expected");  // null: refused
        QTest::addColumn<InkBox>("box");
        QTest::addColumn<QString>("message");  // %1: the file's path
        const auto loads = [](const char* name, const BmpPlan& plan, InkBox box) {
            QTest::newRow(name) << bmpBytes(plan) << shown(plan.width, std::abs(plan.height), plan.pixel, box)
                                << box << QString();
        };
        const auto refused = [](const QString& name, const QByteArray& bytes, const char* message) {
            QTest::newRow(qPrintable(name)) << bytes << QImage() << InkBox{} << QString::fromLatin1(message);
        };
        loads("24 bits", {200, 200, 24, false, false, blackSquare(30, 40, 50)}, InkBox{40, 30, 79, 89});
        loads("ink in the corners",
              {197, 197, 24, false, false,
               [](int x, int y) { return blackSquare(0, 0, 30)(x, y) & blackSquare(167, 167, 30)(x, y); }},
              InkBox{0, 0, 196, 196});
        loads("1 bit", {33, 20, 1, false, false, blackSquare(20, 2, 12)}, InkBox{2, 20, 31, 13});
        loads("4 bits", {30, 30, 4, false, false, blackSquare(5, 5, 10)}, InkBox{5, 5, 14, 14});
        loads("8 bits", {50, 60, 8, false, false, blackSquare(5, 7, 20)}, InkBox{7, 5, 24, 26});
        loads("8 bits run-length", {64, 64, 8, false, true, blackSquare(10, 11, 12)}, InkBox{11, 10, 21, 22});
        loads("16 bits", {20, 20, 16, false, false, blackSquare(4, 5, 6)}, InkBox{5, 4, 9, 10});
        loads("32 bits", {20, 20, 32, false, false, blackSquare(4, 5, 6)}, InkBox{5, 4, 9, 10});
        // A transparent black square is white once laid over white: only the opaque one is ink.
        loads("32 bits with alpha",
              {60, 60, 32, true, false,
               [](int x, int y) {
                   return blackSquare(30, 30, 10)(x, y) == qRgb(0, 0, 0) ? qRgba(0, 0, 0, 0)
                                                                         : blackSquare(10, 10, 10)(x, y);
               }},
              InkBox{10, 10, 19, 19});
        loads("top-down", {30, -30, 24, false, false, blackSquare(3, 4, 6)}, InkBox{4, 3, 8, 9});
        loads("top-down 8 bits", {30, -30, 8, false, false, blackSquare(20, 1, 6)}, InkBox{1, 20, 25, 6});
        // A picture the canvas can take is taken as it is, a speck of off-white as ink.
        loads("a speck kept",
              {160, 160, 24, false, false,
               [](int x, int y) {
                   return x == 119 && y == 149                      ? qRgb(254, 255, 255)
                          : x >= 10 && x < 70 && y >= 10 && y < 110 ? qRgb(0, 0, 0)
                                                                    : qRgb(255, 255, 255);
               }},
              InkBox{10, 10, 119, 149});

        // No character to prepare: the picture comes as it is, and its box says what there is.
        loads("all white", {200, 200, 24, false, false, {}}, InkBox{201, 201, 0, 0});
        loads("1 x 1", {1, 1, 24, false, false, blackSquare(0, 0, 1)}, InkBox{0, 0, 0, 0});
        const char* unreadable = "Error: Can't read a picture from %1";
        refused("claims 100000 x 100000", bmpClaiming(100000, 100000, 256), unreadable);
        refused("claims a negative width", bmpClaiming(-40, 40, 256), unreadable);
        refused("text", QByteArray("This is not a picture.\n"), unreadable);
        const QByteArray gif = gifBytes(40, 40, blackSquare(5, 5, 20));
        refused("GIF cut to half", gif.left(gif.size() / 2), unreadable);
        refused("GIF cut to 90 %", gif.left(gif.size() * 9 / 10), unreadable);
        refused(
            "GIF of a 10000 x 10000 screen",
            QByteArray("GIF89a\x10\x27\x10\x27\x80\0\0\0\0\0\xff\xff\xff,\0\0\0\0\1\0\1\0\0\2\2D\1\0;", 35),
            unreadable);
        refused("empty", QByteArray(), unreadable);
        const QByteArray whole = bmpBytes(120, 120, 24, blackSquare(50, 60, 30));
        for (int length : {2, 14, 54, 60, int(whole.size()) / 2, int(whole.size()) - 1})
            refused(QStringLiteral("cut to %1 bytes").arg(length), whole.left(length), unreadable);
    }
    void bitmaps() {
        QFETCH(QByteArray, bytes);
        QFETCH(QImage, expected);
        QFETCH(InkBox, box);
        QFETCH(QString, message);
        QVERIFY(
            writeFile(path(QStringLiteral("before.bmp")), bmpBytes(200, 200, 24, blackSquare(20, 20, 100))));
        QVERIFY(writeFile(path(QStringLiteral("x.bmp")), bytes));
        MessageCatcher messages;
        QCOMPARE(chooseBitmap(*w_, path(QStringLiteral("before.bmp"))), QString());
        const QImage before = screenOf(w_->get("Picture1"));
        const QStringList beforeCaptions = captions(*w_);

        QCOMPARE(chooseBitmap(*w_, path(QStringLiteral("x.bmp"))), QString());
        if (expected.isNull()) {
            if (message.contains(QLatin1String("%1"))) message = message.arg(path(QStringLiteral("x.bmp")));
            QCOMPARE(messages.shown.join(QLatin1Char('|')), message);
            QCOMPARE(captions(*w_), beforeCaptions);
            QCOMPARE(fixtures::firstDifference(screenOf(w_->get("Picture1")), before), QString());
            return;
        }
        QCOMPARE(messages.shown.join(QLatin1Char('|')), QString());
        QCOMPARE(
            captions(*w_),
            (QStringList{
                "x.bmp", QStringLiteral("%1 pixels").arg(box.top), QStringLiteral("%1 pixels").arg(box.left),
                box.right < box.left ? QStringLiteral("no ink")
                                     : QStringLiteral("%1 x %2 pixels").arg(box.width()).arg(box.height())}));
        QCOMPARE(fixtures::firstDifference(screenOf(w_->get("Picture1")), expected), QString());
    }

    // A picture comes also from the command line and the clipboard, pasted with the focus in a
    // text field too: a pipe is refused there as well, never waited for; text on the clipboard
    // goes into the field.
    void otherWays_data() {
        QTest::addColumn<QString>("way");       // "argument", "file" (pasted) or "picture" (pasted)
        QTest::addColumn<QString>("file");      // a pipe, or a picture file
        QTest::addColumn<QString>("message");   // %1: the file's path
        QTest::addColumn<QString>("charText");  // what the Char field reads then
        const QString unreadable = QStringLiteral("Error: Can't read a picture from %1");
        QTest::newRow("pipe as argument") << "argument"
                                          << "pipe" << unreadable << "A";
        QTest::newRow("pipe pasted in Char") << "file"
                                             << "pipe" << unreadable << "A";
        QTest::newRow("picture as argument") << "argument"
                                             << "x.bmp" << QString() << "A";
        QTest::newRow("picture file pasted in Char") << "file"
                                                     << "x.bmp" << QString() << "A";
        QTest::newRow("picture pasted in Char") << "picture"
                                                << "" << QString() << "A";
        QTest::newRow("text pasted in Char") << "text"
                                             << "" << QString() << "g";
    }
    void otherWays() {
        QFETCH(QString, way);
        QFETCH(QString, file);
        QFETCH(QString, message);
        QFETCH(QString, charText);
        QVERIFY(::mkfifo(QFile::encodeName(path(QStringLiteral("pipe"))).constData(), 0600) == 0);
        QVERIFY(writeFile(path(QStringLiteral("x.bmp")), bmpBytes(50, 50, 24, blackSquare(5, 6, 20))));
        // A bitmap and a font first, so that the Char field takes the focus.
        QVERIFY(writeFile(path(QStringLiteral("before.bmp")), bmpBytes(90, 90, 24, blackSquare(20, 20, 60))));
        QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("fonts")));
        QCOMPARE(fixtures::copyFonts(path(QStringLiteral("fonts")), {"dejavu/DejaVuSans.ttf"}), QString());
        MessageCatcher messages;
        QCOMPARE(chooseBitmap(*w_, path(QStringLiteral("before.bmp"))), QString());
        QCOMPARE(chooseFontFolder(*w_, path(QStringLiteral("fonts"))), QString());
        const QStringList before = captions(*w_);
        const QString name = file.isEmpty() ? QStringLiteral("(pasted)") : file;
        auto* field = w_->get<QLineEdit>("CharText");
        field->setFocus();
        QVERIFY(field->hasFocus());
        auto* mime = new QMimeData;
        if (way == QLatin1String("file")) mime->setUrls({QUrl::fromLocalFile(path(file))});
        if (way == QLatin1String("picture"))
            mime->setImageData(fixtures::blockPicture(QRect(5, 6, 20, 20), 50));
        if (way == QLatin1String("text")) mime->setText(QStringLiteral("g"));
        QGuiApplication::clipboard()->setMimeData(mime);
        if (way == QLatin1String("argument"))
            w_->form.openArguments({QStringLiteral("lettrino"), path(file)});
        else
            QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(field->text(), charText);
        if (!message.isEmpty() || way == QLatin1String("text")) {
            QCOMPARE(messages.shown.join(QLatin1Char('|')), message.arg(path(file)));
            QCOMPARE(captions(*w_), before);
            return;
        }
        QCOMPARE(messages.shown.join(QLatin1Char('|')), QString());
        QCOMPARE(captions(*w_), (QStringList{name, "6 pixels", "5 pixels", "19 x 19 pixels"}));
    }

    // Files that are no fonts, and damaged fonts, among good ones: browsing reports each that
    // cannot be opened by its path; a search run goes through all of them without a message and
    // finds the good ones, and the symbol-mapped copy, in full.
    void brokenFontsBrowsedAndSearched() {
        QString sans, mono;
        QCOMPARE(fixtures::systemFont(QStringLiteral("dejavu/DejaVuSans.ttf"), &sans), QString());
        QCOMPARE(fixtures::systemFont(QStringLiteral("freefont/FreeMonoBold.ttf"), &mono), QString());
        const QByteArray font = readFile(sans);
        QByteArray huge = font, symbol = font, tinyEm = readFile(mono);
        QVERIFY(patchUnitsPerEm(huge, 0xFFFF) && makeSymbolCmap(symbol) && patchUnitsPerEm(tinyEm, 16));
        const QList<std::pair<QString, QByteArray>> files = {
            {"a-good.ttf", font},
            {"b-empty.ttf", {}},
            {"c-text.ttf", "not a font at all\n"},
            {"d-png.ttf", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)},
            {"e-cut.ttf", font.left(4000)},
            {"f-huge-em.ttf", huge},
            {"g-symbol.ttf", symbol},
            {"h-tiny-em.ttf", tinyEm},
            {"z-good.ttf", font}};
        QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("fonts")));
        for (const auto& [name, bytes] : files)
            QVERIFY(writeFile(path(QStringLiteral("fonts/") + name), bytes));
        QImage reference;
        QCOMPARE(fixtures::referenceGlyph(sans, QStringLiteral("A"), &reference), QString());
        QCOMPARE(fixtures::saveBitmap(reference, path(QStringLiteral("A.bmp"))), QString());

        MessageCatcher messages;
        QCOMPARE(chooseBitmap(*w_, path(QStringLiteral("A.bmp"))), QString());
        QCOMPARE(chooseFontFolder(*w_, path(QStringLiteral("fonts"))), QString());
        auto* slider = w_->get<QSlider>("Slider1");
        slider->setFocus(Qt::TabFocusReason);
        for (int i = 1; i < files.size(); ++i) QTest::keyClick(slider, Qt::Key_Down);
        QCOMPARE(slider->value(), int(files.size()) - 1);
        for (const char* refused : {"b-empty.ttf", "c-text.ttf", "d-png.ttf"})
            QVERIFY2(messages.shown.contains(QStringLiteral("Error: Can't open ") +
                                             path(QStringLiteral("fonts/")) + QLatin1String(refused)),
                     qPrintable(messages.shown.join(QLatin1Char('|'))));
        for (const QString& message : messages.shown)
            QVERIFY2(!message.contains(QLatin1String("good")), qPrintable(message));

        messages.shown.clear();
        typeInto(w_->get<QLineEdit>("AddThres"), QLocale().toString(99.5, 'f', 1));
        QTest::mouseClick(w_->get<QPushButton>("ButtonFind"), Qt::LeftButton);
        QTRY_COMPARE(w_->get<QPushButton>("ButtonFind")->text(), QStringLiteral("&Find"));
        QCOMPARE(slider->value(), int(files.size()) - 1);
        QCOMPARE(messages.shown.join(QLatin1Char('|')), QString());
        QStringList full;
        for (const QStringList& row : rows(*w_)) full << row[0] + QLatin1Char(' ') + row[1];
        QCOMPARE(full, (QStringList{"a-good.ttf 100.00", "g-symbol.ttf 100.00", "z-good.ttf 100.00"}));
    }

    // Thousands of links to four fonts: listed in order, browsed end to end and searched; the
    // links to the reference's own font, and only those, match in full.
    void thousandsOfLinks() {
        QStringList targets;
        for (const char* font : {"dejavu/DejaVuSans.ttf", "dejavu/DejaVuSerif.ttf",
                                 "liberation2/LiberationSans-Regular.ttf", "freefont/FreeSans.ttf"}) {
            QString file;
            QCOMPARE(fixtures::systemFont(QLatin1String(font), &file), QString());
            targets << file;
        }
        constexpr int kLinks = 2000;
        QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("many")));
        for (int i = 0; i < kLinks; ++i)
            QVERIFY(QFile::link(targets[i % 4],
                                path(QStringLiteral("many/f%1.ttf").arg(i, 5, 10, QLatin1Char('0')))));
        QImage reference;
        QCOMPARE(fixtures::referenceGlyph(targets[0], QStringLiteral("A"), &reference), QString());
        QCOMPARE(fixtures::saveBitmap(reference, path(QStringLiteral("A.bmp"))), QString());

        MessageCatcher messages;
        QStringList listed;
        QCOMPARE(chooseBitmap(*w_, path(QStringLiteral("A.bmp"))), QString());
        QCOMPARE(chooseFontFolder(*w_, path(QStringLiteral("many")), &listed), QString());
        QCOMPARE(int(listed.size()), kLinks);
        QVERIFY(std::is_sorted(listed.begin(), listed.end()));
        auto* slider = w_->get<QSlider>("Slider1");
        QCOMPARE(slider->maximum(), kLinks - 1);
        slider->setFocus(Qt::TabFocusReason);
        QTest::keyClick(slider, Qt::Key_End);
        QCOMPARE(w_->get<QLabel>("FontFilenameText")->text(), listed.last());

        typeInto(w_->get<QLineEdit>("AddThres"), QLocale().toString(99.5, 'f', 1));
        QTest::mouseClick(w_->get<QPushButton>("ButtonFind"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(w_->get<QPushButton>("ButtonFind")->text(), QStringLiteral("&Find"),
                                  600000);
        QCOMPARE(messages.shown.join(QLatin1Char('|')), QString());
        QStringList full;
        for (const QStringList& row : rows(*w_)) full << row[0];
        QCOMPARE(int(full.size()), kLinks / 4);
        for (const QString& file : full) QVERIFY2(file.mid(1, 5).toInt() % 4 == 0, qPrintable(file));
    }
};

QTEST_MAIN(HostileWindowTest)
#include "HostileWindowTest.moc"
