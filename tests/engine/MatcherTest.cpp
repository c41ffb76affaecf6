// Scoring: the match (graded and sparse rules, sampling, boxes), the ink mask and the aspect
// score, and the results list's rules.

#include <QImage>
#include <QLocale>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>
#include <vector>

#include "Printing.h"
#include "canvas/Canvas.h"
#include "match/Aspect.h"
#include "match/InkMask.h"
#include "match/LineMatch.h"
#include "match/Matcher.h"
#include "match/Results.h"
#include "match/TwinVote.h"

namespace lettrino {
namespace {

struct Rect {
    int x, y, w, h, grey;
};
Canvas rectangles(const std::vector<Rect>& rects) {
    QImage image(Canvas::kSize, Canvas::kSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    for (const Rect& r : rects) p.fillRect(r.x, r.y, r.w, r.h, QColor(r.grey, r.grey, r.grey));
    p.end();
    Canvas c;
    c.setPicture(image);
    return c;
}
Canvas greyCanvas(int grey) {
    return rectangles({{0, 0, Canvas::kSize, Canvas::kSize, grey}});
}
InkMask maskOf(const std::vector<Rect>& rects) {
    const Canvas c = rectangles(rects);
    return inkMask(c, scanInkBox(c));
}

TEST(Matcher, GradedAtSpeedupOneSparseAndExactAboveOutsideReadsMinusOne) {
    const InkBox square{0, 0, 9, 9}, tall{0, 0, 5, 30}, odd{3, 4, 13, 17};  // 10 x 10, 6 x 31, 10 x 15
    // 100 x 10 pixels; the glyph's box runs 50 columns past the right edge, where reads give -1.
    const InkBox strip{0, 0, 99, 9}, beyond{0, 147, 246, 9};
    // Grey -1: a glyph whose column x is grey x, and a reference whose first 50 columns have the
    // greys of glyph columns 147 to 196, black after them: only each column sampled from its own
    // glyph column, and -1 read past the edge, score as below.
    std::vector<Rect> ramp, rampReference{{50, 0, 50, 10, 0}};
    for (int x = 0; x < Canvas::kSize; ++x) ramp.push_back({x, 0, 1, Canvas::kSize, x});
    for (int i = 0; i < 50; ++i) rampReference.push_back({i, 0, 1, 10, 147 + i});
    const auto canvas = [&](int grey, bool reference) {
        return grey >= 0 ? greyCanvas(grey) : rectangles(reference ? rampReference : ramp);
    };
    const struct {
        int refGrey, glyphGrey;
        InkBox ref, glyph;
        int speedup;
        std::int64_t score, total;
    } cases[] = {{100, 101, square, square, 1, 100 * 254, 100 * 255},
                 {30, 200, square, square, 1, 100 * 85, 100 * 255},
                 {0, 255, tall, tall, 1, 0, 186 * 255},
                 {100, 101, square, square, 2, 0, 25},
                 {100, 100, square, square, 3, 16, 16},
                 {100, 100, tall, tall, 10, 4, 4},
                 {7, 7, odd, odd, 4, 12, 12},
                 {7, 8, odd, odd, 4, 0, 12},
                 {0, 0, strip, beyond, 1, 10 * (50 * 255 + 50 * 254), 10 * 100 * 255},
                 {0, 0, strip, beyond, 2, 5 * 25, 5 * 50},
                 {-1, -1, strip, beyond, 1, 10 * (50 * 255 + 50 * 254), 10 * 100 * 255},
                 {-1, -1, strip, beyond, 2, 5 * 25, 5 * 50}};
    for (const auto& t : cases) {
        SCOPED_TRACE(testing::Message() << t.refGrey << " vs " << t.glyphGrey << ", speed-up " << t.speedup);
        const MatchScore s =
            matchFast(canvas(t.refGrey, true), t.ref, canvas(t.glyphGrey, false), t.glyph, t.speedup);
        EXPECT_EQ(s.score, t.score);
        EXPECT_EQ(s.total, t.total);
        EXPECT_EQ(s.m, double(t.score) / double(t.total));
        EXPECT_EQ(s.xRatio, 1.0);
    }
}

TEST(Matcher, SamplesTheNearestGlyphPixelWithHalvesToEven) {
    // A 5 x 5 reference box on a 3 x 3 glyph box: ratios 0.5. The glyph box's left is odd and its
    // top even, so x * 0.5 + 51 picks columns 51, 52, 52, 52, 53 and y * 0.5 + 60 rows 60, 60, 61,
    // 62, 62. The reference holds exactly those pixels: only that sampling scores 1.
    const int column[5] = {0, 1, 1, 1, 2}, row[5] = {0, 0, 1, 2, 2};
    std::vector<Rect> glyph, ref;
    for (int j = 0; j < 5; ++j)
        for (int i = 0; i < 5; ++i) {
            if (i < 3 && j < 3) glyph.push_back({51 + i, 60 + j, 1, 1, 10 + 30 * i + 90 * j});
            ref.push_back({5 + i, 7 + j, 1, 1, 10 + 30 * column[i] + 90 * row[j]});
        }
    for (int speedup : {1, 2}) {
        const MatchScore s = matchFast(rectangles(ref), InkBox{7, 5, 9, 11}, rectangles(glyph),
                                       InkBox{60, 51, 53, 62}, speedup);
        EXPECT_EQ(std::tuple(s.m, s.xRatio, s.yRatio), std::tuple(1.0, 0.5, 0.5)) << speedup;
    }
}

TEST(Matcher, DegenerateReferenceBoxScoresZero) {
    const Canvas black = greyCanvas(0);
    const InkBox glyph{10, 10, 50, 50};
    for (const InkBox& box : {InkBox{10, 10, 10, 50}, {10, 10, 50, 10}, {201, 201, 0, 0}, {50, 50, 40, 60}})
        for (int speedup : {1, 3}) {
            EXPECT_EQ(matchFast(black, box, black, glyph, speedup).m, 0.0) << box.left << "-" << box.right;
            EXPECT_FALSE(MatchScan(black, box, black, glyph, speedup).hasNextRow())
                << box.left << "-" << box.right;
        }
}

TEST(InkMask, IsThePixelsDarkerThanTheMidGreyOfTheBox) {
    // The darkest grey, the lightest grey still below the mid-grey, and the darkest one not.
    const struct {
        int darkest, justInk, justNot;
    } cases[] = {{0, 127, 128}, {100, 177, 178}, {253, 253, 254}};
    for (const auto& t : cases) {
        SCOPED_TRACE(t.darkest);
        const InkMask m =
            maskOf({{20, 20, 10, 10, t.darkest}, {40, 20, 10, 10, t.justInk}, {60, 20, 10, 10, t.justNot}});
        // 30 x 10 from the darkest block's left to the lighter one's right; columns 10-19 are a gap.
        EXPECT_EQ(std::tuple(m.width, m.height, m.count, int(m.ink[10]), int(m.ink[20])),
                  std::tuple(30, 10, 200, 0, 1));
    }
    EXPECT_TRUE(maskOf({}).empty());
    EXPECT_TRUE(inkMask(greyCanvas(0), InkBox{201, 201, 0, 0}).empty());
    EXPECT_EQ(logAspect(maskOf({{30, 30, 61, 101, 0}})), std::log(61.0 / 101.0));
}

TEST(TwinVote, CountsWhereTwoGlyphsDifferInBuildAndWhomThePictureSidesWith) {
    // Two stems 20 pixels apart; the same a pixel bolder on the inside (an edge a pixel over), and
    // three; the same with a crossbar between them, 10 x 20, whose inner 8 x 18 pixels differ
    // with their neighbours alike.
    const std::vector<Rect> stems{{50, 50, 10, 60, 0}, {80, 50, 10, 60, 0}};
    const std::vector<Rect> bolder{{50, 50, 11, 60, 0}, {79, 50, 11, 60, 0}};
    const std::vector<Rect> bolderStill{{50, 50, 13, 60, 0}, {77, 50, 13, 60, 0}};
    std::vector<Rect> barred = stems;
    barred.push_back({60, 75, 20, 10, 0});
    const struct {
        const char* name;
        std::vector<Rect> picture, first, second;
        int reach, differing, asFirst;
    } cases[] = {
        {"alike", stems, stems, stems, 1, 0, 0},
        {"an edge a pixel over", stems, stems, bolder, 1, 0, 0},
        // The middle column of each 3-pixel band, but at the stems' ends.
        {"an edge three pixels over", stems, stems, bolderStill, 1, 2 * 58, 2 * 58},
        {"an edge three pixels over, within reach", stems, stems, bolderStill, 2, 0, 0},
        {"a crossbar, the picture without", stems, stems, barred, 1, 144, 144},
        {"a crossbar, the picture with", barred, stems, barred, 1, 144, 0},
        {"a crossbar, the picture grey", {{50, 50, 40, 60, 100}}, barred, stems, 1, 144, 144},
        {"a crossbar, reached into", barred, stems, barred, 4, 2 * 12, 0},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.name);
        const Canvas picture = rectangles(t.picture), first = rectangles(t.first),
                     second = rectangles(t.second);
        const TwinVote vote = twinVote(picture, scanInkBox(picture), first, scanInkBox(first), second,
                                       scanInkBox(second), t.reach);
        EXPECT_EQ(std::tuple(vote.differing, vote.asFirst), std::tuple(t.differing, t.asFirst));
    }
    const Canvas c = rectangles(stems);
    EXPECT_EQ(twinVote(c, InkBox{201, 201, 0, 0}, c, scanInkBox(c), c, scanInkBox(c)).differing, 0);
}

TEST(AspectScore, WeighsTheMatchByTheDiceShareOfTheStretchedInkAndTheProportions) {
    const InkMask block = maskOf({{40, 40, 40, 40, 0}}), wide = maskOf({{20, 40, 80, 40, 0}}), none;
    const InkMask ell = maskOf({{40, 40, 10, 40, 0}, {40, 70, 40, 10, 0}});  // 40 x 40 box, 700 pixels
    // Four dots in the corners of a 3 x 3 box, sampled at the centres of a 4 x 4 block's pixels:
    // rows and columns 0, 1, 1, 2 of the dots, so 4 of the 16 pixels share ink.
    const InkMask square = maskOf({{40, 40, 4, 4, 0}}),
                  dots = maskOf({{40, 40, 1, 1, 0}, {42, 40, 1, 1, 0}, {40, 42, 1, 1, 0}, {42, 42, 1, 1, 0}});
    const double ln2 = std::log(2.0), twiceAsWide = 0.9 * std::exp(-0.7 * ln2), shared = 1400.0 / 2300.0;
    const struct {
        const InkMask &ref, &glyph;
        double agreement, m, score, distance;
    } cases[] = {{block, block, 1, 0.8125, 0.8125, 0},
                 {ell, ell, 1, 0.8125, 0.8125, 0},
                 {block, wide, 1, 0.9, twiceAsWide, ln2},
                 {wide, block, 1, 0.9, twiceAsWide, ln2},
                 {block, ell, shared, 0.75, 0.75 * shared, 0},
                 {ell, block, shared, 0.75, 0.75 * shared, 0},
                 {square, dots, 0.4, 0.9, 0.36, 0},
                 {block, none, 0, 0.5, 0.5, 0},
                 {none, block, 0, 0.5, 0.5, 0}};
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& t = cases[i];
        EXPECT_EQ(inkAgreement(t.ref, t.glyph), t.agreement) << i;
        const AspectScore s = aspectScore(t.m, t.ref, t.glyph);
        EXPECT_NEAR(s.score, t.score, 1e-12) << i;
        EXPECT_NEAR(s.aspectDistance, t.distance, 1e-12) << i;
    }
}

// The ink agreement as defined: each reference pixel looks at the glyph pixel under its centre.
double sampledAgreement(const InkMask& ref, const InkMask& glyph) {
    int shared = 0, glyphInk = 0;
    for (int y = 0; y < ref.height; ++y)
        for (int x = 0; x < ref.width; ++x) {
            const int gx = (2 * x + 1) * glyph.width / (2 * ref.width), gy = (2 * y + 1) * glyph.height / (2 * ref.height);
            const int g = glyph.ink[size_t(gy * glyph.width + gx)];
            glyphInk += g;
            shared += g & ref.ink[size_t(y * ref.width + x)];
        }
    return 2.0 * shared / (ref.count + glyphInk);
}

TEST(AspectScore, TheInkAgreementOfRunsIsThatOfEveryPixel) {
    // Widths of 1, 3, 40, 80 and 120 pixels, with runs starting at odd and even columns: runs
    // that begin or end exactly where a sampled column does, and glyph runs no column samples.
    const InkMask ell = maskOf({{40, 40, 10, 40, 0}, {40, 70, 40, 10, 0}});
    const InkMask masks[] = {
        maskOf({{40, 40, 40, 40, 0}}),
        maskOf({{20, 40, 1, 40, 0}, {23, 40, 5, 40, 0}, {31, 50, 1, 20, 0}, {60, 45, 9, 3, 0}, {99, 40, 1, 40, 0}}),
        maskOf({{10, 10, 1, 120, 0}, {13, 10, 2, 120, 0}, {50, 30, 41, 7, 0}, {129, 10, 1, 120, 0}}),
        maskOf({{90, 20, 3, 60, 0}, {91, 40, 1, 5, 128}}),
        maskOf({{100, 10, 1, 33, 0}}),
        ell,
        turned(ell, 3),
        turned(ell, -1.5),
    };
    for (size_t i = 0; i < std::size(masks); ++i)
        for (size_t j = 0; j < std::size(masks); ++j)
            EXPECT_EQ(inkAgreement(masks[i], masks[j]), sampledAgreement(masks[i], masks[j])) << i << ", " << j;
}

TEST(AspectScore, TriesTheReferenceTurned) {
    // A reference leaning by 3 degrees: the upright glyph scores best against it turned back.
    QImage image(Canvas::kSize, Canvas::kSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.translate(98, 98);
    p.rotate(3);
    p.fillRect(-6, -60, 12, 120, Qt::black);
    p.end();
    Canvas leaningCanvas;
    leaningCanvas.setPicture(image);
    const InkMask leaning = inkMask(leaningCanvas, scanInkBox(leaningCanvas)),
                  upright = maskOf({{92, 38, 12, 120, 0}});
    EXPECT_GE(leaning.width, 17);
    EXPECT_LE(turned(leaning, -3).width, 14);
    const AspectScore best = AspectReference(leaning).score(0.9, upright);
    EXPECT_EQ(best.turn, -3.0);
    EXPECT_GT(best.score, aspectScore(0.9, leaning, upright).score);
    const AspectScore same = AspectReference(upright).score(0.8125, upright);
    EXPECT_EQ(same.score, 0.8125);
    EXPECT_EQ(same.turn, 0.0);
}

TEST(LineMatch, InkIsSharedAtMidGreyOrByItsDarkness) {
    // One row of pixels each: the picture's text and a drawing of it.
    const auto row = [](const std::vector<int>& greys) {
        QImage image(int(greys.size()), 1, QImage::Format_Grayscale8);
        for (int x = 0; x < image.width(); ++x) image.scanLine(0)[x] = uchar(greys[size_t(x)]);
        return image;
    };
    const struct {
        std::vector<int> picture, drawn;
        bool graded;
        double m, stretch;
    } cases[] = {
        {{0, 100, 200, 255}, {0, 0, 255, 255}, false, 1.0, 1.0},                 // both dark at 0 and 1
        {{0, 100, 200, 255}, {0, 0, 255, 255}, true, (255 + 155) / 565.0, 1.0},  // least over most darkness
        {{0, 0, 255, 255}, {0, 0, 0, 0, 255, 255, 255, 255}, false, 1.0, 0.5},   // brought to the picture's width
    };
    for (const auto& t : cases) {
        const LineScore s = matchLine(row(t.picture), row(t.drawn), t.graded);
        EXPECT_DOUBLE_EQ(s.m, t.m) << t.graded;
        EXPECT_DOUBLE_EQ(s.stretch, t.stretch);
        EXPECT_DOUBLE_EQ(s.score, t.m * std::exp(-kStretchWeight * std::fabs(std::log(t.stretch))));
    }
}

TEST(Results, AddStrictlyAboveBoldAtOrAboveShownTextsReadBack) {
    for (const auto& [m, tenths, adds, bold] : {std::tuple{0.8, 800, false, true},
                                                {0.8000001, 800, true, true},
                                                {0.7999999, 800, false, false},
                                                {1.0, 1000, false, true}}) {
        EXPECT_EQ(results::passesAdd(m, tenths), adds) << m;
        EXPECT_EQ(results::boldFor(m, tenths), bold) << m;
    }
    const QLocale previous;
    for (const char* locale : {"en_US", "de_DE"}) {
        QLocale::setDefault(QLocale(QString::fromLatin1(locale)));
        const QChar point = QLocale().decimalPoint().at(0);
        auto shown = [point](const char* text) {
            return QString::fromLatin1(text).replace(QLatin1Char('.'), point);
        };
        for (const auto& [text, tenths, keeps, bold] : {std::tuple{"80.00", 800, true, true},
                                                        {"79.99", 800, false, false},
                                                        {"80.49", 805, false, false},
                                                        {"80.50", 805, true, true},
                                                        {"89.99", 900, false, false},
                                                        {"abc", 800, true, false}}) {
            EXPECT_EQ(results::keepsRow(shown(text), tenths), keeps) << locale << " " << text;
            EXPECT_EQ(results::boldForShown(shown(text), tenths), bold) << locale << " " << text;
        }
        ResultRow result;
        result.m = 0.876543;
        result.xRatio = 0.98765;
        result.yRatio = 1.25;
        const results::ListRow row = results::makeRow(result, 876, "f.ttf", 3, "f.ttf", "/d", "/d/");
        EXPECT_EQ(QStringList({row.match, row.xRatio, row.yRatio}).join(QLatin1Char(' ')),
                  shown("87.65 0.988 1.250"));
        EXPECT_TRUE(row.bold);
    }
    QLocale::setDefault(previous);
}

}  // namespace
}  // namespace lettrino
