// Odd bitmap files, loaded the way the window loads a chosen file (format from the content),
// put into the reference canvas and measured.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>

#include <functional>

#include "HostileFiles.h"
#include "canvas/Canvas.h"
#include "canvas/InkBox.h"

namespace lettrino::hostile {
namespace {

const InkBox kNoInk{Canvas::kOuterSize, Canvas::kOuterSize, 0, 0};

QImage loadLikeTheWindow(const QString& path) {
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return reader.read();
}

BmpPlan plan(int w, int h, int bpp, std::function<QRgb(int, int)> pixel) {
    BmpPlan s;
    s.width = w;
    s.height = h;
    s.bitsPerPixel = bpp;
    s.pixel = std::move(pixel);
    return s;
}

std::function<QRgb(int, int)> white() {
    return [](int, int) { return qRgb(255, 255, 255); };
}

struct BitmapCase {
    const char* name;
    std::function<QByteArray()> bytes;
    bool loads;
    InkBox box;       // when it loads
    int probeX = -1;  // a pixel whose red component is checked, when >= 0
    int probeY = -1;
    int probeRed = 0;
};

void PrintTo(const BitmapCase& c, std::ostream* os) {
    *os << c.name;
}

class HostileBitmap : public ::testing::TestWithParam<BitmapCase> {};

TEST_P(HostileBitmap, LoadsAndMeasuresExactly) {
    const BitmapCase& c = GetParam();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("picture.bmp"));
    ASSERT_TRUE(writeFile(path, c.bytes()));

    const QImage image = loadLikeTheWindow(path);
    ASSERT_EQ(!image.isNull(), c.loads);

    Canvas canvas;
    canvas.setPicture(image);
    const InkBox box = scanInkBox(canvas);
    const InkBox expected = c.loads ? c.box : kNoInk;
    EXPECT_EQ(box.top, expected.top);
    EXPECT_EQ(box.left, expected.left);
    EXPECT_EQ(box.right, expected.right);
    EXPECT_EQ(box.bottom, expected.bottom);
    if (c.loads && c.probeX >= 0) {
        EXPECT_EQ(canvas.red(c.probeX, c.probeY), c.probeRed);
    }
}

const BitmapCase kCases[] = {
    {"AllWhite", [] { return bmpBytes(plan(200, 200, 24, white())); }, true, kNoInk},
    {"OnePixel", [] { return bmpBytes(plan(1, 1, 24, blackSquare(0, 0, 1))); }, true, {0, 0, 0, 0}, 0, 0, 0},
    {"OneWhitePixel", [] { return bmpBytes(plan(1, 1, 24, white())); }, true, kNoInk},
    // Ink far outside the drawable area is never seen.
    {"Huge4000",
     [] {
         return bmpBytes(plan(4000, 4000, 8, [](int x, int y) {
             return (x >= 30 && x < 40 && y >= 40 && y < 50) || (x >= 3000 && y >= 3000)
                        ? qRgb(0, 0, 0)
                        : qRgb(255, 255, 255);
         }));
     },
     true,
     {40, 30, 39, 49},
     30,
     40,
     0},
    {"Claims100000", [] { return bmpClaiming(100000, 100000, 256); }, false, {}},
    {"ClaimsNegativeWidth", [] { return bmpClaiming(-40, 40, 256); }, false, {}},
    {"TextNamedBmp", [] { return QByteArray("This is not a picture.\n"); }, false, {}},
    {"Empty", [] { return QByteArray(); }, false, {}},
    {"HeaderOnly", [] { return bmpBytes(plan(30, 30, 24, blackSquare(2, 2, 5))).left(14); }, false, {}},
    {"Palette8",
     [] { return bmpBytes(plan(50, 60, 8, blackSquare(5, 7, 20))); },
     true,
     {7, 5, 24, 26},
     5,
     7,
     0},
    {"PaletteGray8",
     [] {
         return bmpBytes(plan(50, 60, 8, [](int x, int y) {
             return x == 9 && y == 3 ? qRgb(128, 128, 128) : qRgb(255, 255, 255);
         }));
     },
     true,
     {3, 9, 9, 3},
     9,
     3,
     128},
    {"Palette1",
     [] { return bmpBytes(plan(33, 20, 1, blackSquare(31, 2, 2))); },
     true,
     {2, 31, 32, 3},
     32,
     3,
     0},
    {"Palette4", [] { return bmpBytes(plan(9, 9, 4, blackSquare(1, 1, 3))); }, true, {1, 1, 3, 3}, 1, 1, 0},
    {"Rle8",
     [] {
         BmpPlan s = plan(64, 64, 8, blackSquare(10, 11, 12));
         s.rle8 = true;
         return bmpBytes(s);
     },
     true,
     {11, 10, 21, 22},
     10,
     11,
     0},
    {"Depth32",
     [] { return bmpBytes(plan(20, 20, 32, blackSquare(4, 5, 6))); },
     true,
     {5, 4, 9, 10},
     4,
     5,
     0},
    // A transparent black square is white once composited; only the opaque one is ink.
    {"Alpha32",
     [] {
         BmpPlan s = plan(60, 60, 32, [](int x, int y) {
             if (x >= 10 && x < 20 && y >= 10 && y < 20) return qRgba(0, 0, 0, 255);
             if (x >= 30 && x < 40 && y >= 30 && y < 40) return qRgba(0, 0, 0, 0);
             return qRgba(255, 255, 255, 255);
         });
         s.alpha = true;
         return bmpBytes(s);
     },
     true,
     {10, 10, 19, 19},
     35,
     35,
     255},
    // Rows stored top-down must not come out upside down.
    {"TopDown",
     [] { return bmpBytes(plan(30, -30, 24, blackSquare(3, 4, 6))); },
     true,
     {4, 3, 8, 9},
     3,
     4,
     0},
    {"TopDownPalette8",
     [] { return bmpBytes(plan(30, -30, 8, blackSquare(20, 1, 3))); },
     true,
     {1, 20, 22, 3},
     20,
     1,
     0},
};

INSTANTIATE_TEST_SUITE_P(Files, HostileBitmap, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A file cut short anywhere must not stop the program: it either does not load, or it loads
// as a picture whose ink box lies inside the drawable area.
TEST(HostileBitmapTruncated, EveryCutLoadsSafely) {
    const QByteArray whole = bmpBytes(plan(120, 120, 24, blackSquare(50, 60, 30)));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cut.bmp"));
    for (int length : {2, 14, 30, 54, 55, 1000, int(whole.size()) / 2, int(whole.size()) - 1}) {
        SCOPED_TRACE(length);
        ASSERT_TRUE(writeFile(path, whole.left(length)));
        Canvas canvas;
        canvas.setPicture(loadLikeTheWindow(path));
        const InkBox box = scanInkBox(canvas);
        if (box == kNoInk) continue;
        EXPECT_GE(box.left, 0);
        EXPECT_LE(box.right, Canvas::kSize - 1);
        EXPECT_GE(box.top, 0);
        EXPECT_LE(box.bottom, Canvas::kSize - 1);
    }
}

// Qt widens 5-bit channels by shifting alone, so the white of a 16-bit bitmap arrives as
// 248/248/248 and the whole picture counts as ink; it must still load and measure safely.
TEST(HostileBitmapDepth16, LoadsWithItsInkInside) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("16.bmp"));
    ASSERT_TRUE(writeFile(path, bmpBytes(plan(20, 20, 16, blackSquare(4, 5, 6)))));
    Canvas canvas;
    canvas.setPicture(loadLikeTheWindow(path));
    EXPECT_EQ(canvas.red(4, 5), 0);
    const InkBox box = scanInkBox(canvas);
    EXPECT_LE(box.left, 4);
    EXPECT_LE(box.top, 5);
    EXPECT_GE(box.right, 9);
    EXPECT_GE(box.bottom, 10);
    EXPECT_LE(box.right, 19);
    EXPECT_LE(box.bottom, 19);
}

TEST(HostileBitmapFolder, FolderNamedBmpDoesNotLoad) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("x.bmp")));
    EXPECT_TRUE(loadLikeTheWindow(dir.filePath(QStringLiteral("x.bmp"))).isNull());
    EXPECT_TRUE(loadLikeTheWindow(dir.filePath(QStringLiteral("missing.bmp"))).isNull());
}

// A new picture replaces everything of the one before, even when it is smaller.
TEST(HostileBitmapReplace, SmallPictureAfterLargeLeavesNoTrace) {
    Canvas canvas;
    QImage big(197, 197, QImage::Format_RGB32);
    big.fill(Qt::black);
    canvas.setPicture(big);
    QImage tiny(2, 2, QImage::Format_RGB32);
    tiny.fill(Qt::white);
    tiny.setPixel(1, 1, qRgb(0, 0, 0));
    canvas.setPicture(tiny);
    EXPECT_EQ(scanInkBox(canvas), (InkBox{1, 1, 1, 1}));
    canvas.setPicture(QImage());
    EXPECT_EQ(scanInkBox(canvas), kNoInk);
}

}  // namespace
}  // namespace lettrino::hostile
