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
#include "render/FontSystem.h"

namespace lettrino {
namespace {

// A white canvas with rectangles of the given grey.
struct Rect {
    int x, y, w, h;
};
Canvas drawn(std::initializer_list<Rect> rects, int grey = 0) {
    QImage image(Canvas::kSize, Canvas::kSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    for (const Rect& r : rects) p.fillRect(r.x, r.y, r.w, r.h, QColor(grey, grey, grey));
    p.end();
    Canvas canvas;
    canvas.setPicture(image);
    return canvas;
}

InkMask maskOf(std::initializer_list<Rect> rects, int grey = 0) {
    const Canvas canvas = drawn(rects, grey);
    return inkMask(canvas, scanInkBox(canvas));
}

TEST(InkMask, IsTheInkDarkerThanMidGreyInItsOwnBox) {
    // An L of black with a light grey seam around it: the seam lies inside the ink box but is
    // lighter than the mid-grey, so the mask is cropped to the L.
    QImage image(Canvas::kSize, Canvas::kSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.fillRect(19, 19, 63, 103, QColor(230, 230, 230));
    p.fillRect(20, 20, 11, 101, Qt::black);
    p.fillRect(20, 110, 61, 11, Qt::black);
    p.end();
    Canvas canvas;
    canvas.setPicture(image);
    const InkMask ell = inkMask(canvas, scanInkBox(canvas));
    EXPECT_EQ(ell.width, 61);
    EXPECT_EQ(ell.height, 101);
    EXPECT_EQ(ell.count, 11 * 101 + 50 * 11);
    EXPECT_EQ(ell.ink[0], 1);              // top of the bar
    EXPECT_EQ(ell.ink[11], 0);             // right of the bar
    EXPECT_EQ(ell.ink[100 * 61 + 60], 1);  // end of the foot
    EXPECT_DOUBLE_EQ(logAspect(ell), std::log(61.0 / 101.0));

    // Grey ink gives the same mask as black, down to the lightest grey that is not white.
    const InkMask black = maskOf({{30, 30, 21, 61}, {30, 100, 81, 21}});
    for (int grey : {90, 200, 254}) {
        SCOPED_TRACE(grey);
        const InkMask m = maskOf({{30, 30, 21, 61}, {30, 100, 81, 21}}, grey);
        EXPECT_EQ(m.ink, black.ink);
        EXPECT_EQ(m.count, black.count);
    }
    // White, an inverted box, and a box beside the canvas give an empty mask.
    EXPECT_TRUE(maskOf({{30, 30, 21, 61}}, 255).empty());
    const Canvas blank;
    EXPECT_TRUE(inkMask(blank, InkBox{201, 201, 0, 0}).empty());
    EXPECT_TRUE(inkMask(blank, InkBox{-50, -50, -10, -10}).empty());
    EXPECT_EQ(logAspect(InkMask{}), 0.0);
}

TEST(InkAgreement, SharesOfTheStretchedInk) {
    const InkMask block = maskOf({{40, 40, 40, 40}});
    const InkMask wideBlock = maskOf({{20, 40, 80, 40}});
    const InkMask ell = maskOf({{40, 40, 10, 40}, {40, 70, 40, 10}});  // 40 x 40 box, 700 pixels
    EXPECT_EQ(inkAgreement(block, block), 1.0);
    EXPECT_EQ(inkAgreement(block, wideBlock), 1.0);  // stretched onto each other
    EXPECT_EQ(inkAgreement(wideBlock, block), 1.0);
    // The L lies wholly inside the block: twice its 700 pixels over 1,600 + 700.
    EXPECT_DOUBLE_EQ(inkAgreement(block, ell), 1400.0 / 2300.0);
    EXPECT_DOUBLE_EQ(inkAgreement(ell, block), 1400.0 / 2300.0);
    EXPECT_EQ(inkAgreement(block, InkMask{}), 0.0);
    EXPECT_EQ(inkAgreement(InkMask{}, block), 0.0);
}

TEST(AspectScore, WeighsTheMatchBySharedInkAndProportions) {
    const InkMask block = maskOf({{40, 40, 40, 40}});
    const InkMask ell = maskOf({{40, 40, 10, 40}, {40, 70, 40, 10}});
    // The same ink and proportions, or nothing to weigh by: the match itself.
    EXPECT_EQ(aspectScore(0.8125, block, block).score, 0.8125);
    EXPECT_EQ(aspectScore(0.8125, ell, ell).score, 0.8125);
    EXPECT_EQ(aspectScore(0.5, InkMask{}, block).score, 0.5);
    EXPECT_EQ(aspectScore(0.5, block, InkMask{}).score, 0.5);

    // Twice as wide and half as wide stray alike: ln 2 either way.
    const InkMask reference = maskOf({{40, 40, 50, 100}});
    const AspectScore wider = aspectScore(0.9, reference, maskOf({{40, 40, 100, 100}}));
    const AspectScore narrower = aspectScore(0.9, reference, maskOf({{40, 40, 25, 100}}));
    EXPECT_DOUBLE_EQ(wider.aspectDistance, std::log(2.0));
    EXPECT_DOUBLE_EQ(wider.score, narrower.score);
    EXPECT_DOUBLE_EQ(wider.score, 0.9 * std::exp(-kAspectWeight * std::log(2.0)));
    EXPECT_GT(aspectScore(0.9, reference, maskOf({{40, 40, 60, 100}})).score,
              aspectScore(0.9, reference, maskOf({{40, 40, 70, 100}})).score);

    // Equal proportions, part of the ink shared: the match times the agreement.
    const AspectScore partly = aspectScore(0.75, block, ell);
    EXPECT_EQ(partly.aspectDistance, 0.0);
    EXPECT_DOUBLE_EQ(partly.score, 0.75 * 1400.0 / 2300.0);
    EXPECT_EQ(aspectScore(0.0, block, ell).score, 0.0);
}

// A bar 12 x 120 pixels turned clockwise by `degrees` about the canvas centre.
InkMask barTurnedBy(double degrees) {
    QImage image(Canvas::kSize, Canvas::kSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.translate(98, 98);
    p.rotate(degrees);
    p.fillRect(-6, -60, 12, 120, Qt::black);
    p.end();
    Canvas canvas;
    canvas.setPicture(image);
    return inkMask(canvas, scanInkBox(canvas));
}

TEST(AspectScore, TriesTheReferenceSlightlyTurned) {
    const InkMask upright = maskOf({{92, 38, 12, 120}});
    const InkMask leaning = barTurnedBy(3);
    // Turning widens the bar's box by about 120 sin 3 = 6 pixels; turning it back narrows it.
    EXPECT_GE(leaning.width, 17);
    EXPECT_LE(turned(leaning, -3).width, 14);
    EXPECT_EQ(turned(upright, 0).ink, upright.ink);
    EXPECT_TRUE(turned(InkMask{}, 3).empty());

    // A glyph drawn upright against the leaning reference: the turn back scores best, and
    // better than the reference as it stands.
    const AspectReference reference(leaning);
    const AspectScore best = reference.score(0.9, upright);
    EXPECT_EQ(best.turn, -3.0);
    EXPECT_GT(best.score, aspectScore(0.9, leaning, upright).score);
    EXPECT_GT(best.agreement, 0.9);

    // The reference's own mask scores the match itself, upright.
    const AspectReference same(upright);
    EXPECT_EQ(same.score(0.8125, upright).score, 0.8125);
    EXPECT_EQ(same.score(0.8125, upright).turn, 0.0);
    EXPECT_EQ(AspectReference().score(0.5, upright).score, 0.5);
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
