#include <gtest/gtest.h>

#include "TestFonts.h"
#include "canvas/Canvas.h"
#include "canvas/InkBox.h"

using namespace lettrino;
using lettrino::testing::blockImage;

TEST(InkBox, AllWhiteGivesTheInvertedBox) {
    Canvas c;
    const InkBox box = scanInkBox(c);
    EXPECT_EQ(box, (InkBox{201, 201, 0, 0}));
    EXPECT_EQ(box.topText(), "201 pixels");
    EXPECT_EQ(box.leftText(), "201 pixels");
    EXPECT_EQ(box.sizeText(), "-201 x -201 pixels");
}

TEST(InkBox, SinglePixelIsAZeroSizedBox) {
    Canvas c;
    c.setPicture(blockImage(200, 200, QRect(10, 20, 1, 1)));
    const InkBox box = scanInkBox(c);
    EXPECT_EQ(box, (InkBox{20, 10, 10, 20}));
    EXPECT_EQ(box.sizeText(), "0 x 0 pixels");
}

TEST(InkBox, AnythingButPureWhiteIsInk) {
    Canvas c;
    QImage image(200, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setPixel(30, 40, qRgb(254, 255, 255));
    image.setPixel(150, 160, qRgb(255, 255, 254));
    c.setPicture(image);
    EXPECT_EQ(scanInkBox(c), (InkBox{40, 30, 150, 160}));
}

TEST(InkBox, InkBeyondTheDrawableAreaIsNeverExamined) {
    Canvas c;
    QImage image = blockImage(300, 300, QRect(197, 0, 50, 300));
    image.setPixel(5, 250, qRgb(0, 0, 0));
    c.setPicture(image);
    EXPECT_EQ(scanInkBox(c), (InkBox{201, 201, 0, 0}));
}

TEST(InkBox, ReportsEveryRowAndReplacesThePreviousBox) {
    Canvas c;
    c.setPicture(blockImage(200, 200, QRect(5, 5, 190, 190)));
    EXPECT_EQ(scanInkBox(c), (InkBox{5, 5, 194, 194}));
    c.setPicture(blockImage(200, 200, QRect(50, 60, 41, 61)));
    int rows = 0, last = -1;
    const InkBox box = scanInkBox(c, [&](int y) {
        EXPECT_EQ(y, last + 1);
        last = y;
        ++rows;
    });
    EXPECT_EQ(rows, 197);
    EXPECT_EQ(last, 196);
    EXPECT_EQ(box, (InkBox{60, 50, 90, 120}));
    EXPECT_EQ(box.sizeText(), "40 x 60 pixels");
}
