// Hostile inputs through the main window: odd bitmaps through its loading path (every depth,
// sizes from 1 x 1 to 4000 x 4000, lying headers, files cut short, things that are no bitmap),
// odd font files in a font folder that is browsed and searched, and a folder of 20,000 entries.

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include "app/FontSlider.h"

#include <unistd.h>

#include <cstdio>
#include <memory>

#include "HostileFiles.h"
#include "WindowFixture.h"
#include "app/CanvasWidget.h"
#include "app/Form1.h"
#include "app/ResultsList.h"
#include "app/StatusBar.h"
#include "app/UpDown.h"
#include "canvas/Canvas.h"
#include "render/FontSystem.h"
#include "render/GlyphRenderer.h"

using namespace lettrino;
using namespace lettrino::hostile;

namespace {

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

const QString kFonts = QStringLiteral(LETTRINO_SYSTEM_FONTS);
const InkBox kNoInk{Canvas::kOuterSize, Canvas::kOuterSize, 0, 0};

// White but for the given pixels.
std::function<QRgb(int, int)> dots(std::initializer_list<std::pair<QPoint, QRgb>> list) {
    const std::vector<std::pair<QPoint, QRgb>> pixels(list);
    return [pixels](int x, int y) {
        for (const auto& [p, c] : pixels)
            if (p == QPoint(x, y)) return c;
        return qRgb(255, 255, 255);
    };
}

// What the canvas must hold for a picture: its pixels composited onto white, white beyond it.
Colour expectedPixel(const QImage& image, int x, int y) {
    if (x >= image.width() || y >= image.height()) return kWhite;
    const QRgb c = image.pixel(x, y);
    const int a = qAlpha(c);
    auto channel = [a](int v) { return Colour((v * a + 255 * (255 - a) + 127) / 255); };
    return channel(qRed(c)) | channel(qGreen(c)) << 8 | channel(qBlue(c)) << 16;
}

std::vector<Colour> picture(const Canvas& c) {
    return std::vector<Colour>(c.picturePixels(), c.picturePixels() + Canvas::kSize * Canvas::kSize);
}

// The "g" of a font file as the renderer draws it, outline removed, saved as a bitmap.
bool writeGlyphBitmap(const QString& fontFile, const QString& out) {
    FontSystem fonts;
    Canvas canvas;
    const QFileInfo info(fontFile);
    const RenderOutcome drawn = GlyphRenderer(fonts, canvas)
                                    .displayFont(info.fileName(), info.absolutePath() + QLatin1Char('/'),
                                                 QStringLiteral("g"), InkBox{50, 60, 140, 150});
    const InkBox& b = drawn.glyphBox;
    canvas.drawRect(b.left, b.top, b.right, b.bottom, kRed);
    return drawn.fontDisplayed && canvas.screenImage().save(out, "BMP");
}

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
        QTest::addColumn<InkBox>("box");
        auto loads = [](const char* name, const QByteArray& bytes, InkBox box) {
            QTest::newRow(name) << bytes << true << box;
        };
        auto refused = [](const char* name, const QByteArray& bytes) {
            QTest::newRow(name) << bytes << false << InkBox{};
        };
        const QRgb black = qRgb(0, 0, 0);
        loads("all white", bmpBytes(200, 200, 24), kNoInk);
        loads("1 x 1", bmpBytes(1, 1, 24, blackSquare(0, 0, 1)), (InkBox{0, 0, 0, 0}));
        loads("1 x 1 white", bmpBytes(1, 1, 24), kNoInk);
        loads("single black pixel", bmpBytes(200, 200, 24, dots({{{10, 20}, black}})),
              (InkBox{20, 10, 10, 20}));
        loads("almost white counts", bmpBytes(200, 200, 24, dots({{{3, 4}, qRgb(255, 255, 254)}})),
              (InkBox{4, 3, 3, 4}));
        loads("two corners", bmpBytes(200, 200, 24, dots({{{30, 40}, black}, {{150, 160}, qRgb(9, 9, 9)}})),
              (InkBox{40, 30, 150, 160}));
        loads("beyond the drawable area is not examined",
              bmpBytes(200, 200, 24, dots({{{197, 50}, black}, {{50, 199}, black}, {{196, 196}, black}})),
              (InkBox{196, 196, 196, 196}));
        // Ink far outside the drawable area is never seen.
        loads("4000 x 4000",
              bmpBytes(4000, 4000, 8,
                       [](int x, int y) {
                           return (x >= 30 && x < 40 && y >= 40 && y < 50) || (x >= 3000 && y >= 3000)
                                      ? qRgb(0, 0, 0)
                                      : qRgb(255, 255, 255);
                       }),
              (InkBox{40, 30, 39, 49}));
        loads("8-bit palette", bmpBytes(50, 60, 8, blackSquare(5, 7, 20)), (InkBox{7, 5, 24, 26}));
        loads("8-bit palette grey", bmpBytes(50, 60, 8, dots({{{9, 3}, qRgb(128, 128, 128)}})),
              (InkBox{3, 9, 9, 3}));
        loads("1-bit palette", bmpBytes(33, 20, 1, blackSquare(31, 2, 2)), (InkBox{2, 31, 32, 3}));
        loads("4-bit palette", bmpBytes(9, 9, 4, blackSquare(1, 1, 3)), (InkBox{1, 1, 3, 3}));
        BmpPlan rle;
        rle.width = rle.height = 64;
        rle.bitsPerPixel = 8;
        rle.rle8 = true;
        rle.pixel = blackSquare(10, 11, 12);
        loads("8-bit run-length", bmpBytes(rle), (InkBox{11, 10, 21, 22}));
        loads("32-bit", bmpBytes(20, 20, 32, blackSquare(4, 5, 6)), (InkBox{5, 4, 9, 10}));
        // A transparent black square is white once composited; only the opaque one is ink.
        BmpPlan alpha;
        alpha.width = alpha.height = 60;
        alpha.bitsPerPixel = 32;
        alpha.alpha = true;
        alpha.pixel = [](int x, int y) {
            if (x >= 10 && x < 20 && y >= 10 && y < 20) return qRgba(0, 0, 0, 255);
            if (x >= 30 && x < 40 && y >= 30 && y < 40) return qRgba(0, 0, 0, 0);
            return qRgba(255, 255, 255, 255);
        };
        loads("32-bit with alpha", bmpBytes(alpha), (InkBox{10, 10, 19, 19}));
        // Rows stored top-down must not come out upside down.
        loads("top-down", bmpBytes(30, -30, 24, blackSquare(3, 4, 6)), (InkBox{4, 3, 8, 9}));
        loads("top-down 8-bit palette", bmpBytes(30, -30, 8, blackSquare(20, 1, 3)), (InkBox{1, 20, 22, 3}));

        refused("claims 100000 x 100000", bmpClaiming(100000, 100000, 256));
        refused("claims a negative width", bmpClaiming(-40, 40, 256));
        refused("text named .bmp", QByteArray("This is not a picture.\n"));
        refused("empty", QByteArray());
        const QByteArray whole = bmpBytes(120, 120, 24, blackSquare(50, 60, 30));
        for (int length : {2, 14, 30, 54, 55, 60, 1000, int(whole.size()) / 2, int(whole.size()) - 1})
            QTest::newRow(qPrintable(QStringLiteral("cut to %1 bytes").arg(length)))
                << whole.left(length) << false << InkBox{};
    }

    // A picture that loads is measured exactly, its captions written, its box outlined, and
    // nothing of the picture before it is left. One that does not load is reported by name
    // and leaves the previous bitmap, its box, its outline and its texts as they were.
    void bitmaps() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, loads);
        QFETCH(InkBox, box);
        lettrino::testing::MessageCatcher messages;
        const Canvas& canvas = w_->Picture1->canvas();
        const QString before = dir_->filePath(QStringLiteral("before.bmp"));
        QVERIFY(writeFile(before, bmpBytes(200, 200, 24, blackSquare(0, 0, 197))));
        w_->loadBitmap(before, QStringLiteral("before.bmp"));
        QCOMPARE(w_->BitmapBox, (InkBox{0, 0, 196, 196}));
        const std::vector<Colour> previous(canvas.pixels(), canvas.pixels() + Canvas::kSize * Canvas::kSize);
        const QStringList captions{w_->BitmapTopText->text(), w_->BitmapLeftText->text(),
                                   w_->BitmapSizeText->text()};

        const QString path = dir_->filePath(QStringLiteral("x.bmp"));
        QVERIFY(writeFile(path, bytes));
        w_->loadBitmap(path, QStringLiteral("x.bmp"));
        if (!loads) {
            QTRY_COMPARE(messages.shown.size(), 1);
            QVERIFY2(messages.shown[0].contains(path), qPrintable(messages.shown[0]));
            QCOMPARE(w_->BitmapBox, (InkBox{0, 0, 196, 196}));
            QCOMPARE(w_->BitmapFilenameText->text(), QStringLiteral("before.bmp"));
            QCOMPARE((QStringList{w_->BitmapTopText->text(), w_->BitmapLeftText->text(),
                                  w_->BitmapSizeText->text()}),
                     captions);
            QVERIFY(std::equal(previous.begin(), previous.end(), canvas.pixels()));
            return;
        }
        QVERIFY(messages.shown.isEmpty());
        QCOMPARE(w_->BitmapBox, box);
        QCOMPARE(w_->BitmapFilenameText->text(), QStringLiteral("x.bmp"));
        QCOMPARE(w_->BitmapTopText->text(), QStringLiteral("%1 pixels").arg(box.top));
        QCOMPARE(w_->BitmapLeftText->text(), QStringLiteral("%1 pixels").arg(box.left));
        QCOMPARE(w_->BitmapSizeText->text(),
                 QStringLiteral("%1 x %2 pixels").arg(box.right - box.left).arg(box.bottom - box.top));
        // The progress bar ends at the last row: 196 of 196.
        QCOMPARE(w_->MainProgressBar->maximum(), 196 * Form1::kProgressScale);
        QCOMPARE(w_->MainProgressBar->value(), 196 * Form1::kProgressScale);

        // The picture, exactly: what the file holds over white, nothing of the one before.
        QBuffer buffer(&bytes);
        QImageReader reader(&buffer);
        reader.setDecideFormatFromContent(true);
        const QImage image = reader.read();
        QVERIFY(!image.isNull());
        const std::vector<Colour> pixels = picture(canvas);
        for (int y = 0; y < Canvas::kSize; ++y)
            for (int x = 0; x < Canvas::kSize; ++x)
                if (pixels[y * Canvas::kSize + x] != expectedPixel(image, x, y))
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2 is %3, expected %4")
                                         .arg(x)
                                         .arg(y)
                                         .arg(pixels[y * Canvas::kSize + x], 6, 16)
                                         .arg(expectedPixel(image, x, y), 6, 16)));
        // The red not-xor outline on top: green and blue inverted on the box's edge, red kept,
        // nothing else touched; drawn again, it leaves the picture exactly.
        for (int y = 0; y < Canvas::kSize && box.top <= box.bottom; ++y)
            for (int x = 0; x < Canvas::kSize; ++x) {
                const bool edge = x >= box.left && x <= box.right && y >= box.top && y <= box.bottom &&
                                  (x == box.left || x == box.right || y == box.top || y == box.bottom);
                if (Colour(canvas.getPixel(x, y)) !=
                    (pixels[y * Canvas::kSize + x] ^ (edge ? 0xFFFF00u : 0u)))
                    QFAIL(qPrintable(QStringLiteral("outline wrong at %1,%2").arg(x).arg(y)));
            }
        w_->Picture1->canvas().drawRect(box.left, box.top, box.right, box.bottom, kRed);
        QVERIFY(std::equal(pixels.begin(), pixels.end(), canvas.pixels()));
    }

    // Qt widens 5-bit channels by shifting alone, so the white of a 16-bit bitmap arrives as
    // 248/248/248 and the whole picture may count as ink; it must still load and measure safely.
    void depth16LoadsWithItsInkInside() {
        const QString path = dir_->filePath(QStringLiteral("16.bmp"));
        QVERIFY(writeFile(path, bmpBytes(20, 20, 16, blackSquare(4, 5, 6))));
        w_->loadBitmap(path, QStringLiteral("16.bmp"));
        QCOMPARE(w_->Picture1->canvas().red(4, 5), 0);
        const InkBox box = w_->BitmapBox;
        QVERIFY(box.left <= 4 && box.top <= 5 && box.right >= 9 && box.bottom >= 10);
        QVERIFY(box.right <= 19 && box.bottom <= 19);
    }

    void folderNamedBmp() {
        lettrino::testing::MessageCatcher messages;
        QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("x.bmp")));
        w_->loadBitmap(dir_->filePath(QStringLiteral("x.bmp")), QStringLiteral("x.bmp"));
        QTRY_COMPARE(messages.shown.size(), 1);
        QVERIFY(!w_->Command5->isEnabled());
    }

    // A folder of font files the font system must refuse, among good ones: browsing reports
    // each by its path when it is shown and draws the cross, registering nothing; a search run
    // goes through all of them without a single message box.
    void brokenFontsBrowsedAndSearched() {
        const QString sans = kFonts + QStringLiteral("/dejavu/DejaVuSans.ttf");
        if (!QFile::exists(sans)) QSKIP("DejaVu Sans is not installed");
        QVERIFY(QFile::copy(sans, dir_->filePath(QStringLiteral("a-good.ttf"))));
        const QStringList broken{"b-empty.ttf",    "c-png.ttf",         "d-text.ttf",
                                 "e-one-byte.ttf", "f-header-only.ttf", "g-cut.ttf"};
        const QByteArray bytes[] = {QByteArray(),
                                    QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16),
                                    QByteArray("not a font at all\n"),
                                    QByteArray(1, '\0'),
                                    readFile(sans).left(12),
                                    readFile(sans).left(4000)};
        for (int i = 0; i < broken.size(); ++i) QVERIFY(writeFile(dir_->filePath(broken[i]), bytes[i]));
        QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("h-folder.ttf")));
        QVERIFY(QFile::copy(sans, dir_->filePath(QStringLiteral("i-good.ttf"))));
        const QString bitmap = dir_->filePath(QStringLiteral("g.bmp"));
        QVERIFY(writeFile(bitmap, bmpBytes(120, 120, 8, blackSquare(30, 20, 60))));

        lettrino::testing::MessageCatcher messages;
        w_->loadBitmap(bitmap, QStringLiteral("g.bmp"));
        w_->loadFontFolder(dir_->path());
        QCOMPARE(w_->FontList.count(), 8);  // the folder named x.ttf is no font file
        FontSlider* slider = w_->Slider1;
        slider->setFocus(Qt::TabFocusReason);
        const Canvas& glyph = w_->Picture2->canvas();
        for (int i = 1; i < w_->FontList.count(); ++i) {
            const int before = int(messages.shown.size());
            QTest::keyClick(slider, Qt::Key_Down);
            const QString entry = w_->FontList.entries.at(i);
            if (!broken.contains(entry)) continue;
            QTRY_COMPARE(messages.shown.size(), before + 1);
            QCOMPARE(messages.shown.last().section(QLatin1Char('|'), 1),
                     QStringLiteral("Error: Can't open ") + dir_->filePath(entry));
            QCOMPARE(w_->FontSizeText->text(), QStringLiteral("0 x 0 pixels"));
            QVERIFY2(glyph.getPixel(0, 0) == 0 && glyph.getPixel(196, 196) == 0 &&
                         glyph.getPixel(0, 196) == 0 && glyph.getPixel(50, 50) == 0 &&
                         glyph.getPixel(50, 10) == 0xFFFFFF,
                     "the cross");
        }
        QCOMPARE(slider->value(), w_->FontList.count() - 1);
        QCOMPARE(messages.shown.size(), broken.size());
        QCOMPARE(w_->fonts().faceCount(), w_->InitialFontCount);

        messages.shown.clear();
        slider->setValue(0);
        QApplication::processEvents();
        QTest::mouseClick(w_->ButtonFind, Qt::LeftButton);
        QTRY_VERIFY(!w_->FindRunning);
        QVERIFY2(messages.shown.isEmpty(), qPrintable(messages.shown.join(QLatin1Char('|'))));
        QCOMPARE(w_->fonts().faceCount(), w_->InitialFontCount);
    }

    // 20,000 symbolic links to a few real fonts: listed in order, browsed end to end and
    // searched with the memory in use staying flat. The reference is the first font's "g", so
    // every link to that font, wherever it sits in the list, and only those, match in full.
    void twentyThousandEntries() {
        QStringList targets;
        for (const char* f : {"/dejavu/DejaVuSans.ttf", "/dejavu/DejaVuSerif.ttf",
                              "/liberation2/LiberationSans-Regular.ttf", "/freefont/FreeSans.ttf"})
            if (QFile::exists(kFonts + QLatin1String(f))) targets << kFonts + QLatin1String(f);
        if (targets.size() < 2 || !targets.first().endsWith(QLatin1String("DejaVuSans.ttf")))
            QSKIP("the fonts that scripts/setup installs are missing");
        QDir(dir_->path()).mkdir(QStringLiteral("many"));
        const QString many = dir_->filePath(QStringLiteral("many"));
        constexpr int kEntries = 20000;
        for (int i = 0; i < kEntries; ++i)
            QVERIFY(QFile::link(targets[i % targets.size()],
                                many + QStringLiteral("/f%1.ttf").arg(i, 5, 10, QLatin1Char('0'))));
        const QString bitmap = dir_->filePath(QStringLiteral("g.bmp"));
        QVERIFY(writeGlyphBitmap(targets.first(), bitmap));

        lettrino::testing::MessageCatcher messages;
        w_->CharText->setText(QStringLiteral("g"));
        w_->loadBitmap(bitmap, QStringLiteral("g.bmp"));
        w_->loadFontFolder(many);
        QCOMPARE(w_->FontList.count(), kEntries);
        QCOMPARE(w_->FontList.entries.first(), QStringLiteral("f00000.ttf"));
        QCOMPARE(w_->FontList.entries.last(), QStringLiteral("f19999.ttf"));
        QVERIFY(std::is_sorted(w_->FontList.entries.begin(), w_->FontList.entries.end()));
        FontSlider* slider = w_->Slider1;
        QCOMPARE(slider->maximum(), kEntries - 1);
        // Browsing: the keys a user presses, each move drawing the font it lands on.
        slider->setFocus(Qt::TabFocusReason);
        QTest::keyClick(slider, Qt::Key_End);
        QCOMPARE(slider->value(), kEntries - 1);
        QVERIFY(w_->FontDisplayed);
        for (int i = 0; i < 20; ++i) QTest::keyClick(slider, Qt::Key_PageUp);
        QTest::keyClick(slider, Qt::Key_Up);
        QTest::keyClick(slider, Qt::Key_Home);
        QCOMPARE(slider->value(), 0);
        QVERIFY(w_->FontDisplayed);
        QApplication::processEvents();

        w_->UpDown2->setValue(995);  // only full matches are listed
        const long long before = residentBytes();
        QTest::mouseClick(w_->ButtonFind, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!w_->FindRunning, 20 * 60 * 1000);
        QCOMPARE(slider->value(), kEntries - 1);
        const long long grown = residentBytes() - before;
        if (!kHeapHoldsFreedMemory)
            QVERIFY2(grown < 48LL * 1024 * 1024, qPrintable(QStringLiteral("grew by %1 bytes").arg(grown)));
        QVERIFY(messages.shown.isEmpty());
        const int perfect = (kEntries + int(targets.size()) - 1) / int(targets.size());
        QCOMPARE(w_->List1->rowCount(), perfect);
        for (int i = 0; i < w_->List1->rowCount(); ++i) {
            const QString file = w_->List1->topLevelItem(i)->text(0);
            QVERIFY2(file.mid(1, 5).toInt() % targets.size() == 0, qPrintable(file));
        }
    }

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<Form1> w_;
};

QTEST_MAIN(HostileWindowTest)
#include "HostileWindowTest.moc"
