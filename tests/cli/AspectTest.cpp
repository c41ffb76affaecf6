#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cmath>

#include "CliFixtures.h"
#include "cli/FontSource.h"
#include "cli/ReferenceBitmap.h"
#include "cli/ResultTable.h"
#include "cli/Sweep.h"
#include "match/Aspect.h"
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
