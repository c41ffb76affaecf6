// The canvas pixel model (reads, the not-xor pen, the three layers) and the ink box.

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "Printing.h"
#include "canvas/Canvas.h"

namespace lettrino {
namespace {

using fixtures::firstDifference;
using Pixels = std::vector<std::tuple<int, int, QRgb>>;

// A size x size white picture with the given pixels.
QImage picture(const Pixels& pixels, int size = 300) {
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (const auto& [x, y, rgb] : pixels) image.setPixel(x, y, rgb);
    return image;
}

TEST(Canvas, ReadsAreBgrAndMinusOneOutsideTheDrawableArea) {
    Canvas c;
    c.setPicture(picture({{0, 0, qRgb(0x12, 0x34, 0x56)}, {196, 196, qRgb(1, 2, 3)}}));
    for (const auto& [x, y, pixel, red] : {std::tuple{0, 0, 0x563412, 0x12},
                                           {196, 196, 0x030201, 1},
                                           {1, 0, 0xFFFFFF, 255},
                                           {-1, 0, -1, -1},
                                           {0, -1, -1, -1},
                                           {197, 0, -1, -1},
                                           {0, 197, -1, -1}}) {
        EXPECT_EQ(c.getPixel(x, y), pixel) << x << "," << y;
        EXPECT_EQ(c.red(x, y), red) << x << "," << y;
    }
}

TEST(Canvas, NotXorPenTouchesEveryPixelOnceAndTwiceRestores) {
    QImage noise(Canvas::kSize, Canvas::kSize, QImage::Format_RGB32);  // any stray write shows
    for (int y = 0; y < Canvas::kSize; ++y)
        for (int x = 0; x < Canvas::kSize; ++x)
            noise.setPixel(x, y, qRgb((x * 7 + y) & 255, (x * y) & 255, (x + 3 * y) & 255));
    const struct {
        bool rect;
        int x1, y1, x2, y2;
        long touched;  // pixels changed on a white canvas
    } cases[] = {
        {false, 0, 0, 196, 196, 197},   {false, 5, 17, 180, 40, 176}, {false, 3, 3, 3, 3, 1},
        {false, -30, 50, 250, 60, 197}, {true, 10, 20, 14, 23, 14},   {true, 14, 23, 10, 20, 14},
        {true, 40, 40, 40, 80, 41},     {true, 60, 60, 60, 60, 1},    {true, 190, 190, 220, 220, 13}};
    for (const auto& t : cases) {
        SCOPED_TRACE(testing::Message()
                     << (t.rect ? "rect " : "line ") << t.x1 << "," << t.y1 << " " << t.x2 << "," << t.y2);
        auto draw = [&t](Canvas& c, Colour pen) {
            t.rect ? c.drawRect(t.x1, t.y1, t.x2, t.y2, pen) : c.drawLine(t.x1, t.y1, t.x2, t.y2, pen);
        };
        Canvas white, noisy;
        draw(white, kRed);
        const Colour *px = white.pixels(), *end = px + Canvas::kSize * Canvas::kSize;
        EXPECT_EQ(std::count(px, end, 0x0000FFu), t.touched);
        EXPECT_EQ(std::count(px, end, kWhite), end - px - t.touched);
        noisy.setPicture(noise);
        draw(noisy, kBlack);
        EXPECT_NE(firstDifference(noisy.screenImage(), noise), "");
        draw(noisy, kBlack);
        EXPECT_EQ(firstDifference(noisy.screenImage(), noise), "");
    }
}

TEST(Canvas, ThreeLayersAndWhatClearResets) {
    Canvas c;
    const QImage block = fixtures::blockPicture(QRect(0, 0, 10, 10), Canvas::kSize);
    c.setPicture(block);
    c.drawLine(50, 50, 60, 50, kRed);  // switch on: into the persistent image
    const QImage persistent = c.screenImage();
    EXPECT_EQ(c.getPixel(55, 50), 0x0000FF);

    c.setAutoRedraw(false);
    c.drawLine(0, 100, 196, 100, kBlack);  // the screen only
    const std::uint8_t coverage[4] = {255, 128, 0, 1};
    c.blendBlack(-1, -1, coverage, 2, 2, 2);
    c.blendBlack(195, 195, coverage, 2, 2, 2);
    EXPECT_EQ(c.getPixel(30, 100), 0) << "reads come from the screen while the switch is off";
    EXPECT_EQ(c.getPixel(196, 195), 0x7F7F7F);
    EXPECT_EQ(c.getPixel(196, 196), 0xFEFEFE);
    c.clear();  // switch off: the screen goes back to the persistent image, red line and all
    EXPECT_EQ(firstDifference(c.screenImage(), persistent), "");

    c.drawLine(0, 150, 196, 150, kBlack);
    c.setAutoRedraw(true);  // the persistent image shows again, and reads come from it
    EXPECT_EQ(firstDifference(c.screenImage(), persistent), "");
    EXPECT_EQ(c.getPixel(30, 150), 0xFFFFFF);
    c.clear();  // switch on: the persistent image goes back to the picture
    EXPECT_EQ(firstDifference(c.screenImage(), block), "");

    c.setAutoRedraw(false);
    const QImage other = picture({{5, 5, 0}}, Canvas::kSize);
    c.setPicture(other);  // a new picture resets every layer
    EXPECT_EQ(firstDifference(c.screenImage(), other), "");
}

TEST(InkBox, AnythingButPureWhiteInTheDrawableAreaIsInk) {
    const InkBox none{201, 201, 0, 0};
    const struct {
        Pixels pixels;
        InkBox want;
    } cases[] = {
        {{}, none},
        {{{10, 20, 0}}, {20, 10, 10, 20}},
        {{{2, 50, 0}}, {50, 2, 2, 50}},
        {{{196, 196, 0}}, {196, 196, 196, 196}},
        {{{30, 40, qRgb(254, 255, 255)}, {150, 160, qRgb(255, 254, 255)}, {100, 5, qRgb(255, 255, 254)}},
         {5, 30, 150, 160}},
        {{{197, 0, 0}, {250, 10, 0}, {5, 197, 0}, {299, 299, 0}}, none},
        {{{50, 60, 0}, {90, 120, qRgb(200, 200, 200)}}, {60, 50, 90, 120}}};
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        Canvas c;
        c.setPicture(picture(cases[i].pixels));
        int rows = 0;
        EXPECT_EQ(scanInkBox(c, [&rows](int y) { EXPECT_EQ(y, rows++); }), cases[i].want);
        EXPECT_EQ(rows, Canvas::kSize);
    }
}

}  // namespace
}  // namespace lettrino
