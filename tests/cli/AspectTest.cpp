#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <cmath>

#include "CliFixtures.h"
#include "canvas/Canvas.h"
#include "cli/FontSource.h"
#include "cli/ReferenceBitmap.h"
#include "cli/ResultTable.h"
#include "cli/Sweep.h"
#include "match/Aspect.h"
#include "match/Shape.h"
#include "render/FontSystem.h"

namespace lettrino {
namespace {

InkBox box(int width, int height) {
    return InkBox{10, 20, 20 + width - 1, 10 + height - 1};
}

TEST(AspectScore, EqualProportionsKeepTheMatch) {
    const struct {
        InkBox reference, glyph;
    } cases[] = {{box(40, 60), box(40, 60)}, {box(10, 20), box(20, 40)}, {box(97, 97), box(1, 1)}};
    for (const auto& c : cases) {
        EXPECT_EQ(aspectScore(0.8125, c.reference, c.glyph), 0.8125);
        EXPECT_EQ(aspectDistance(c.reference, c.glyph), 0.0);
    }
    // A box without ink (inverted) leaves the match alone.
    const InkBox empty{201, 201, 0, 0};
    EXPECT_EQ(aspectScore(0.5, empty, box(10, 10)), 0.5);
}

TEST(AspectScore, FallsWithTheRatioOfRatiosAlike) {
    const InkBox reference = box(50, 100);
    // Twice as wide and half as wide stray alike: ln 2 either way.
    const double wider = aspectScore(0.9, reference, box(100, 100));
    const double narrower = aspectScore(0.9, reference, box(25, 100));
    EXPECT_DOUBLE_EQ(wider, narrower);
    EXPECT_DOUBLE_EQ(wider, 0.9 * std::exp(-kAspectWeight * std::log(2.0)));
    EXPECT_LT(aspectScore(0.9, reference, box(60, 100)), 0.9);
    EXPECT_GT(aspectScore(0.9, reference, box(60, 100)), aspectScore(0.9, reference, box(70, 100)));
    EXPECT_EQ(aspectScore(0.0, reference, box(70, 100)), 0.0);
}

// A white picture with rectangles of the given grey; measured inside its ink box.
struct Rect {
    int x, y, w, h;
};
ShapeStats measure(std::initializer_list<Rect> rects, int grey, InkBox* boxOut = nullptr) {
    QImage image(Canvas::kSize, Canvas::kSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    for (const Rect& r : rects) p.fillRect(r.x, r.y, r.w, r.h, QColor(grey, grey, grey));
    p.end();
    Canvas canvas;
    canvas.setPicture(image);
    const InkBox box = scanInkBox(canvas);
    if (boxOut) *boxOut = box;
    return shapeStats(canvas, box);
}

TEST(ShapeStats, MeasuresTheInkInItsBox) {
    // A solid block: all ink, centred, spread of a uniform run over [0, 1].
    InkBox box;
    const ShapeStats block = measure({{50, 40, 41, 81}}, 0, &box);
    ASSERT_TRUE(block.valid);
    EXPECT_EQ(box.width(), 40);
    EXPECT_DOUBLE_EQ(block.logAspect, std::log(41.0 / 81.0));
    EXPECT_DOUBLE_EQ(block.coverage, 1.0);
    EXPECT_NEAR(block.centreX, 0.5, 1e-12);
    EXPECT_NEAR(block.centreY, 0.5, 1e-12);
    EXPECT_NEAR(block.spreadX, std::sqrt(42.0 / (12 * 40)), 1e-12);  // (n+1) / (12 (n-1)), n = 41

    // An L: a bar down the left and a foot along the bottom pull the centroid left and down.
    const ShapeStats ell = measure({{20, 20, 11, 101}, {20, 110, 61, 11}}, 0);
    ASSERT_TRUE(ell.valid);
    EXPECT_NEAR(ell.coverage, (11.0 * 101 + 50.0 * 11) / (61.0 * 101), 1e-12);
    EXPECT_LT(ell.centreX, 0.4);
    EXPECT_GT(ell.centreY, 0.6);
    EXPECT_GT(ell.spreadY, 0.0);
}

TEST(ShapeStats, GreyInkMeasuresLikeBlack) {
    const struct {
        int grey;
        bool valid;
    } cases[] = {{0, true}, {90, true}, {200, true}, {254, true}, {255, false}};
    const ShapeStats black = measure({{30, 30, 21, 61}, {30, 100, 81, 21}}, 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.grey);
        const ShapeStats s = measure({{30, 30, 21, 61}, {30, 100, 81, 21}}, c.grey);
        ASSERT_EQ(s.valid, c.valid);
        if (!c.valid) continue;
        EXPECT_EQ(s.coverage, black.coverage);
        EXPECT_EQ(s.centreX, black.centreX);
        EXPECT_EQ(s.spreadY, black.spreadY);
    }
    // A box outside the canvas or inverted has nothing to measure.
    Canvas canvas;
    EXPECT_FALSE(shapeStats(canvas, InkBox{201, 201, 0, 0}).valid);
    EXPECT_FALSE(shapeStats(canvas, InkBox{-50, -50, -10, -10}).valid);
}

TEST(ShapeDistance, WeighsEachDifference) {
    const ShapeStats a = measure({{50, 40, 41, 81}}, 0);
    const ShapeStats wide = measure({{50, 40, 61, 81}}, 0);
    const ShapeStats ell = measure({{50, 40, 11, 81}, {50, 110, 41, 11}}, 0);
    // Equal shapes keep the match whatever the weights; so does a shape without ink.
    const ShapeWeights all{1, 1, 1, 1};
    EXPECT_EQ(aspectScore(0.75, a, a, all), 0.75);
    EXPECT_EQ(aspectScore(0.75, a, ShapeStats{}, all), 0.75);
    // With the default weights only the proportions count, as the box score does.
    EXPECT_DOUBLE_EQ(shapeDistance(a, wide), kAspectWeight * std::log(61.0 / 41.0));
    EXPECT_EQ(shapeDistance(a, ell), 0.0);
    // Each other weight adds its own difference.
    const double coverage = std::fabs(std::log(ell.coverage / a.coverage));
    EXPECT_DOUBLE_EQ(shapeDistance(a, ell, {0, 2, 0, 0}), 2 * coverage);
    EXPECT_DOUBLE_EQ(shapeDistance(a, ell, {0, 0, 1, 0}),
                     std::fabs(ell.centreX - a.centreX) + std::fabs(ell.centreY - a.centreY));
    EXPECT_GT(shapeDistance(a, ell, {0, 0, 0, 1}), 0.0);
    EXPECT_DOUBLE_EQ(aspectScore(0.75, a, ell, {0, 2, 0, 0}), 0.75 * std::exp(-2 * coverage));
}

// A bitmap drawn from one of two twins that differ in width: the aspect ranking names it,
// whichever it is, and weighs the other down below its bare match.
TEST(AspectRanking, TellsARegularCutFromItsCondensedTwin) {
    QTemporaryDir dir;
    const QString fonts = dir.filePath(QStringLiteral("fonts"));
    const QStringList twins{QStringLiteral("dejavu/DejaVuSans.ttf"),
                            QStringLiteral("dejavu/DejaVuSansCondensed.ttf")};
    if (!cli::test::copyFonts(twins, fonts)) GTEST_SKIP() << "the DejaVu fonts are not installed";
    const std::vector<cli::FontJob> jobs = cli::fileJobs({fonts}).jobs;
    for (const char* source : {"DejaVuSans.ttf", "DejaVuSansCondensed.ttf"}) {
        for (const char* ch : {"a", "R", "5"}) {
            SCOPED_TRACE(testing::Message() << source << " " << ch);
            const QString bitmap = dir.filePath(QStringLiteral("ref.bmp"));
            ASSERT_TRUE(cli::test::writeSample(fonts + QLatin1Char('/') + QLatin1String(source),
                                               QString::fromUtf8(ch), 90, bitmap));
            const cli::ReferenceBitmap ref = cli::loadReferenceBitmap(bitmap);
            FontSystem first;
            cli::SweepSettings s;
            s.charText = QString::fromUtf8(ch);
            const auto results = cli::runSweep(first, cli::Reference{&ref.canvas, ref.box}, jobs, s);
            const auto rows = cli::rankResults(results, 0, 0, cli::RankBy::Aspect);
            ASSERT_EQ(rows.size(), 2u);
            EXPECT_EQ(rows[0].file, fonts + QLatin1Char('/') + QLatin1String(source));
            EXPECT_EQ(rows[0].score, rows[0].m);
            EXPECT_LT(rows[1].score, rows[1].m);
        }
    }
}

}  // namespace
}  // namespace lettrino
