#include <QImage>

#include <gtest/gtest.h>

#include "TestFonts.h"
#include "canvas/Canvas.h"

using namespace lettrino;
using lettrino::testing::samePixels;

namespace {

// A picture whose every pixel differs, so that any stray write shows.
QImage noisyImage() {
    QImage image(Canvas::kSize, Canvas::kSize, QImage::Format_RGB32);
    for (int y = 0; y < Canvas::kSize; ++y)
        for (int x = 0; x < Canvas::kSize; ++x) image.setPixel(x, y, qRgb((x * 7 + y) & 255, (x * y) & 255, (x + 3 * y) & 255));
    return image;
}

std::vector<Colour> copyOf(const Canvas& c) {
    return std::vector<Colour>(c.pixels(), c.pixels() + Canvas::kSize * Canvas::kSize);
}

}  // namespace

TEST(Canvas, PixelReadsAreBgrWithMinusOneOutside) {
    Canvas c;
    QImage image(3, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(0x12, 0x34, 0x56));
    image.setPixel(1, 0, qRgb(0, 0, 0));
    image.setPixel(2, 0, qRgb(254, 255, 255));
    c.setPicture(image);
    EXPECT_EQ(c.getPixel(0, 0), 0x563412);
    EXPECT_EQ(c.getPixel(1, 0), 0);
    EXPECT_EQ(c.getPixel(2, 0), 0xFFFFFE);
    EXPECT_EQ(c.getPixel(3, 0), 0xFFFFFF);  // beyond the image: white
    EXPECT_EQ(c.red(0, 0), 0x12);
    for (auto [x, y] : {std::pair{-1, 0}, {0, -1}, {197, 0}, {0, 197}, {200, 200}}) {
        EXPECT_EQ(c.getPixel(x, y), -1) << x << "," << y;
        EXPECT_EQ(c.red(x, y), -1);
    }
}

TEST(Canvas, PictureIsTopLeftAlignedAndCutToTheDrawableArea) {
    Canvas c;
    c.setPicture(lettrino::testing::blockImage(400, 300, QRect(190, 190, 50, 50)));
    EXPECT_EQ(c.getPixel(196, 196), 0);
    EXPECT_EQ(c.getPixel(189, 189), 0xFFFFFF);
    EXPECT_EQ(c.getPixel(197, 197), -1);

    QImage clear(2, 2, QImage::Format_ARGB32);
    clear.fill(qRgba(0, 0, 0, 0));  // fully transparent: white on the canvas
    clear.setPixel(1, 1, qRgba(0, 0, 0, 255));
    c.setPicture(clear);
    EXPECT_EQ(c.getPixel(0, 0), 0xFFFFFF);
    EXPECT_EQ(c.getPixel(1, 1), 0);
    EXPECT_EQ(c.getPixel(196, 196), 0xFFFFFF) << "a new picture replaces the old one entirely";
}

TEST(Canvas, NotXorFiguresDrawnTwiceRestoreEveryPixel) {
    Canvas c;
    c.setPicture(noisyImage());
    const auto before = copyOf(c);
    const struct { int x1, y1, x2, y2; } lines[] = {{0, 0, 196, 196}, {0, 196, 196, 0}, {5, 17, 180, 40},
                                                    {-30, 50, 250, 60}, {100, 0, 100, 201}, {3, 3, 3, 3}};
    for (const auto& l : lines) c.drawLine(l.x1, l.y1, l.x2, l.y2, kBlack);
    for (const auto& l : lines) c.drawLine(l.x1, l.y1, l.x2, l.y2, kBlack);
    EXPECT_TRUE(samePixels(before.data(), c.pixels()));

    c.drawRect(10, 20, 60, 90, kRed);
    c.drawRect(40, 40, 40, 80, kRed);  // one pixel wide
    c.drawRect(60, 90, 10, 20, kRed);  // corners given the other way round
    c.drawRect(40, 40, 40, 80, kRed);
    EXPECT_TRUE(samePixels(before.data(), c.pixels()));
}

TEST(Canvas, RectangleOutlineTouchesEachPixelOnceCornersIncluded) {
    Canvas c;
    c.drawRect(10, 20, 14, 23, kRed);
    int red = 0;
    for (int y = 0; y < Canvas::kSize; ++y)
        for (int x = 0; x < Canvas::kSize; ++x) {
            const bool edge = (x == 10 || x == 14) && y >= 20 && y <= 23 ? true : (y == 20 || y == 23) && x >= 10 && x <= 14;
            EXPECT_EQ(c.getPixel(x, y), edge ? 0x0000FF : 0xFFFFFF) << x << "," << y;
            red += edge;
        }
    EXPECT_EQ(red, 14);
}

TEST(Canvas, RedPenKeepsTheRedComponentAndBlackPenInverts) {
    Canvas c;
    QImage image(2, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(0, 0, 0));
    image.setPixel(1, 0, qRgb(128, 128, 128));
    c.setPicture(image);
    c.drawLine(0, 0, 1, 0, kRed);
    EXPECT_EQ(c.getPixel(0, 0), 0xFFFF00);  // black becomes cyan
    EXPECT_EQ(c.getPixel(1, 0), 0x7F7F80);  // gray g becomes g/255-g/255-g
    EXPECT_EQ(c.red(1, 0), 128);
    c.drawLine(0, 0, 1, 0, kRed);
    c.drawLine(0, 0, 1, 0, kBlack);
    EXPECT_EQ(c.getPixel(0, 0), 0xFFFFFF);
    EXPECT_EQ(c.getPixel(1, 0), 0x7F7F7F);
}

TEST(Canvas, ThreeLayersFollowThePersistentDrawingSwitch) {
    Canvas c;
    c.setPicture(lettrino::testing::blockImage(197, 197, QRect(0, 0, 10, 10)));
    c.drawLine(50, 50, 60, 50, kRed);  // persistent
    const auto persistent = copyOf(c);

    c.setAutoRedraw(false);
    c.drawLine(0, 100, 196, 100, kBlack);  // screen only
    EXPECT_EQ(c.getPixel(30, 100), 0);
    EXPECT_EQ(c.persistentPixels()[100 * Canvas::kSize + 30], kWhite);
    c.clear();  // back to the persistent image, red line kept
    EXPECT_TRUE(samePixels(persistent.data(), c.screenPixels()));

    c.drawLine(0, 150, 196, 150, kBlack);
    c.setAutoRedraw(true);  // the persistent image shows again
    EXPECT_TRUE(samePixels(persistent.data(), c.screenPixels()));
    c.clear();  // with the switch on: back to the picture
    EXPECT_EQ(c.getPixel(55, 50), 0xFFFFFF);
    EXPECT_EQ(c.getPixel(5, 5), 0);
}

TEST(Canvas, ClearWithTheSwitchOffRestoresGlyphsDrawnAnywhere) {
    // The screen keeps track of what it changed; clear must undo all of it.
    Canvas c;
    c.setPicture(noisyImage());
    const auto persistent = copyOf(c);
    c.setAutoRedraw(false);
    const std::uint8_t cov[4] = {255, 128, 0, 1};
    c.blendBlack(-1, -1, cov, 2, 2, 2);
    c.blendBlack(195, 195, cov, 2, 2, 2);
    c.drawRect(90, 5, 120, 190, kRed);
    c.clear();
    EXPECT_TRUE(samePixels(persistent.data(), c.pixels()));
}

TEST(Canvas, TextCoverageBlendsBlack) {
    Canvas c;
    const std::uint8_t cov[4] = {255, 128, 0, 1};
    c.blendBlack(10, 10, cov, 2, 2, 2);
    EXPECT_EQ(c.getPixel(10, 10), 0x000000);
    EXPECT_EQ(c.getPixel(11, 10), 0x7F7F7F);
    EXPECT_EQ(c.getPixel(10, 11), 0xFFFFFF);
    EXPECT_EQ(c.getPixel(11, 11), 0xFEFEFE);
}
