#include <QImage>

#include <gtest/gtest.h>

#include "TestFonts.h"
#include "canvas/Canvas.h"
#include "canvas/InkBox.h"
#include "match/Matcher.h"

using namespace lettrino;

namespace {
QImage grayImage(int gray) {
    QImage image(Canvas::kSize, Canvas::kSize, QImage::Format_RGB32);
    image.fill(qRgb(gray, gray, gray));
    return image;
}
QImage patternImage() {
    QImage image(Canvas::kSize, Canvas::kSize, QImage::Format_RGB32);
    for (int y = 0; y < Canvas::kSize; ++y)
        for (int x = 0; x < Canvas::kSize; ++x) {
            const int g = (x * 37 + y * 11) & 255;
            image.setPixel(x, y, qRgb(g, g, g));
        }
    return image;
}
}  // namespace

TEST(Matcher, IdenticalPicturesScoreExactlyOne) {
    Canvas a, b;
    a.setPicture(patternImage());
    b.setPicture(patternImage());
    const InkBox box{10, 20, 150, 170};
    for (int s : {1, 2, 3, 7, 10}) {
        const MatchScore m = matchFast(a, box, b, box, s);
        EXPECT_EQ(m.m, 1.0) << s;
        EXPECT_EQ(m.xRatio, 1.0);
        EXPECT_EQ(m.yRatio, 1.0);
    }
}

TEST(Matcher, RedOutlinesNeverChangeTheScore) {
    Canvas a, b;
    a.setPicture(patternImage());
    b.setPicture(patternImage());
    const InkBox box{10, 20, 150, 170};
    a.drawRect(box.left, box.top, box.right, box.bottom, kRed);
    b.drawLine(0, 60, 196, 60, kRed);
    EXPECT_EQ(matchFast(a, box, b, box, 1).m, 1.0);
}

TEST(Matcher, GradedRuleAtSpeedupOneExactRuleAbove) {
    Canvas a, b;
    a.setPicture(grayImage(100));
    b.setPicture(grayImage(101));
    const InkBox box{0, 0, 9, 9};
    const MatchScore graded = matchFast(a, box, b, box, 1);
    EXPECT_EQ(graded.total, 10 * 10 * 255);
    EXPECT_DOUBLE_EQ(graded.m, 254.0 / 255.0);
    EXPECT_EQ(matchFast(a, box, b, box, 2).m, 0.0);
}

TEST(Matcher, SparseTotals) {
    Canvas a, b;
    const MatchScore s2 = matchFast(a, InkBox{0, 0, 9, 9}, b, InkBox{0, 0, 9, 9}, 2);
    EXPECT_EQ(s2.total, 25);
    EXPECT_EQ(s2.score, 25);
    const MatchScore s10 = matchFast(a, InkBox{0, 0, 5, 30}, b, InkBox{0, 0, 5, 30}, 10);
    EXPECT_EQ(s10.total, (30 / 10 + 1) * 1);
}

TEST(Matcher, SamplesTheNearestGlyphPixelHalvesToEven) {
    // Reference box 5 wide (BW = 4) onto a glyph box 3 wide (FW = 2): XRatio 0.5, so offsets
    // 0..4 sample glyph columns 0, 0 (0.5 -> 0), 1, 2 (1.5 -> 2), 2.
    Canvas ref, glyph;
    QImage g(Canvas::kSize, Canvas::kSize, QImage::Format_RGB32), r = g;
    g.fill(Qt::white);
    r.fill(Qt::white);
    const int glyphGray[3] = {10, 20, 30};
    const int expected[5] = {10, 10, 20, 30, 30};
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) g.setPixel(50 + x, 60 + y, qRgb(glyphGray[x], glyphGray[x], glyphGray[x]));
        for (int x = 0; x < 5; ++x) r.setPixel(5 + x, 7 + y, qRgb(expected[x], expected[x], expected[x]));
    }
    ref.setPicture(r);
    glyph.setPicture(g);
    const MatchScore m = matchFast(ref, InkBox{7, 5, 9, 8}, glyph, InkBox{60, 50, 52, 61}, 2);
    // S = 2 samples offsets 0, 2, 4 of the first row: all equal
    EXPECT_EQ(m.score, 3);
    const MatchScore graded = matchFast(ref, InkBox{7, 5, 9, 8}, glyph, InkBox{60, 50, 52, 61}, 1);
    EXPECT_EQ(graded.m, 1.0);
    EXPECT_DOUBLE_EQ(graded.xRatio, 0.5);
}

TEST(Matcher, ThinOrEmptyReferenceScoresZero) {
    Canvas a, b;
    for (const InkBox& ref : {InkBox{10, 10, 10, 50}, InkBox{10, 10, 50, 10}, InkBox{201, 201, 0, 0}}) {
        const MatchScore m = matchFast(a, ref, b, InkBox{10, 10, 50, 50}, 1);
        EXPECT_EQ(m.m, 0.0);
    }
}

TEST(Matcher, GlyphPixelsOffTheCanvasReadMinusOne) {
    Canvas a, b;
    a.setPicture(grayImage(0));
    b.setPicture(grayImage(0));
    // The glyph box reaches 50 columns past the right edge: those samples read -1 against 0.
    const MatchScore m = matchFast(a, InkBox{0, 0, 99, 0 + 9}, b, InkBox{0, 147, 246, 9}, 1);
    EXPECT_LT(m.m, 1.0);
    EXPECT_GT(m.m, 0.99);
}

TEST(Matcher, RowByRowScanClimbsToTheFinalScore) {
    Canvas a, b;
    a.setPicture(patternImage());
    b.setPicture(grayImage(128));
    const InkBox box{10, 20, 150, 170};
    MatchScan scan(a, box, b, box, 3);
    double last = 0;
    int rows = 0;
    while (scan.hasNextRow()) {
        EXPECT_EQ(scan.nextRowOffset(), rows * 3);
        scan.scoreRow();
        EXPECT_GE(scan.partial(), last);
        last = scan.partial();
        ++rows;
    }
    EXPECT_EQ(rows, 160 / 3 + 1);
    EXPECT_EQ(scan.result().m, matchFast(a, box, b, box, 3).m);
}
