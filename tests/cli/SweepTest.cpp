#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "CliFixtures.h"
#include "cli/FontSource.h"
#include "cli/ReferenceBitmap.h"
#include "cli/ResultTable.h"
#include "cli/Sweep.h"
#include "render/FontSystem.h"
#include "render/GlyphRenderer.h"

namespace lettrino::cli {
namespace {

using namespace lettrino::cli::test;

// What the window's search run computes, font after font, with one font system and one
// glyph canvas for the whole list.
std::vector<FontResult> windowRun(const ReferenceBitmap& ref, const std::vector<FontJob>& jobs,
                                  const QString& charText, int speedup) {
    FontSystem fonts;
    const int initialFontCount = fonts.faceCount();
    Canvas glyph;
    glyph.clear();
    glyph.setAutoRedraw(false);
    GlyphRenderer renderer(fonts, glyph);
    std::vector<FontResult> out;
    for (const FontJob& job : jobs) {
        FontResult r;
        const RenderOutcome o =
            renderer.displayFontFast(job.entry, job.prefix, charText, ref.box, initialFontCount);
        r.matched = o.fontDisplayed;
        if (o.fontDisplayed) r.score = matchFast(ref.canvas, ref.box, glyph, o.glyphBox, speedup);
        out.push_back(r);
    }
    return out;
}

class Sweep : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        fontDir = dir.filePath(QStringLiteral("fonts"));
        if (!copyFonts(dejavuFonts(), fontDir)) GTEST_SKIP() << "the DejaVu fonts are not installed";
        writeBrokenFonts(fontDir + QStringLiteral("/broken"));
    }
    ReferenceBitmap sample(const char* font, const char* ch, int height) {
        const QString path = dir.filePath(QStringLiteral("sample.bmp"));
        EXPECT_TRUE(writeSample(fontDir + QLatin1Char('/') + QLatin1String(font), QString::fromUtf8(ch),
                                height, path));
        return loadReferenceBitmap(path);
    }
    std::vector<FontResult> sweep(const ReferenceBitmap& ref, const std::vector<FontJob>& jobs,
                                  const QString& ch, int speedup, int threads) {
        FontSystem first;
        SweepSettings s;
        s.charText = ch;
        s.speedup = speedup;
        s.jobs = threads;
        return runSweep(first, Reference{&ref.canvas, ref.box}, jobs, s);
    }
    QTemporaryDir dir;
    QString fontDir;
};

TEST_F(Sweep, MatchesAreTheWindowsForAnyNumberOfThreads) {
    struct Case {
        const char* font;
        const char* ch;
        int height;
        int speedup;
    };
    const Case cases[] = {{"DejaVuSerif.ttf", "g", 150, 1},
                          {"DejaVuSans-Bold.ttf", "R", 61, 1},
                          {"DejaVuSansMono.ttf", "&", 120, 4},
                          {"DejaVuSans.ttf", "\xc3\xa9", 90, 10}};
    const std::vector<FontJob> jobs = fileJobs({fontDir}).jobs;
    ASSERT_EQ(jobs.size(), 7u);  // five fonts and two broken files
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.font << " " << c.ch << " speed-up " << c.speedup);
        const ReferenceBitmap ref = sample(c.font, c.ch, c.height);
        ASSERT_TRUE(ref.ok()) << ref.error.toStdString();
        const QString ch = QString::fromUtf8(c.ch);
        const std::vector<FontResult> window = windowRun(ref, jobs, ch, c.speedup);
        for (int threads : {1, 2, 3}) {
            const std::vector<FontResult> got = sweep(ref, jobs, ch, c.speedup, threads);
            ASSERT_EQ(got.size(), window.size());
            for (size_t i = 0; i < got.size(); ++i) {
                SCOPED_TRACE(testing::Message() << threads << " threads, " << jobs[i].file.toStdString());
                EXPECT_EQ(got[i].matched, window[i].matched);
                EXPECT_EQ(got[i].score.m, window[i].score.m);
                EXPECT_EQ(got[i].score.xRatio, window[i].score.xRatio);
                EXPECT_EQ(got[i].score.yRatio, window[i].score.yRatio);
            }
        }
    }
}

TEST_F(Sweep, InstalledFacesMatchAsInTheWindow) {
    FontSystem fonts;
    std::vector<FontJob> jobs = installedJobs(fonts);
    if (jobs.size() > 12) jobs.resize(12);
    ASSERT_FALSE(jobs.empty());
    for (const FontJob& j : jobs) EXPECT_EQ(j.prefix, kInstalledMarker);
    const ReferenceBitmap ref = sample("DejaVuSans.ttf", "a", 100);
    const std::vector<FontResult> window = windowRun(ref, jobs, QStringLiteral("a"), 1);
    const std::vector<FontResult> got = sweep(ref, jobs, QStringLiteral("a"), 1, 2);
    for (size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(jobs[i].entry.toStdString());
        EXPECT_EQ(got[i].matched, window[i].matched);
        EXPECT_EQ(got[i].score.m, window[i].score.m);
        EXPECT_EQ(got[i].face, jobs[i].entry);
        EXPECT_EQ(got[i].file, jobs[i].file);
    }
}

TEST_F(Sweep, TheFontABitmapWasDrawnFromRanksFirstAtFullMatch) {
    struct Case {
        const char* font;
        const char* face;
        const char* ch;
        int height;
        int speedup;
    };
    const Case cases[] = {{"DejaVuSerif.ttf", "DejaVu Serif", "g", 150, 1},
                          {"DejaVuSerifCondensed.ttf", "DejaVu Serif Condensed", "g", 150, 1},
                          {"DejaVuSans-Bold.ttf", "DejaVu Sans Bold", "Q", 45, 1},
                          {"DejaVuSansMono.ttf", "DejaVu Sans Mono", "5", 180, 3}};
    const std::vector<FontJob> jobs = fileJobs({fontDir}).jobs;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.font);
        const ReferenceBitmap ref = sample(c.font, c.ch, c.height);
        ASSERT_TRUE(ref.ok());
        const std::vector<ResultRow> rows =
            rankResults(sweep(ref, jobs, QString::fromUtf8(c.ch), c.speedup, 2), 0, 0);
        ASSERT_FALSE(rows.empty());
        EXPECT_EQ(rows[0].face, QString::fromUtf8(c.face));
        EXPECT_EQ(rows[0].file, fontDir + QLatin1Char('/') + QLatin1String(c.font));
        EXPECT_EQ(rows[0].m, 1.0);
        EXPECT_EQ(rows[0].xRatio, 1.0);
        EXPECT_EQ(rows[0].yRatio, 1.0);
        ASSERT_GT(rows.size(), 1u);
        EXPECT_LT(rows[1].m, 1.0);
    }
}

TEST(FileJobs, FolderErrorsAndDuplicates) {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("f"));
    writeBrokenFonts(folder + QStringLiteral("/deeper/still"));
    QFile(folder + QStringLiteral("/notes.txt")).open(QIODevice::WriteOnly);
    QFile(folder + QStringLiteral("/Upper.OTF")).open(QIODevice::WriteOnly);

    const FileJobs twice = fileJobs({folder, folder + QStringLiteral("/deeper/")});
    EXPECT_TRUE(twice.error.isEmpty());
    ASSERT_EQ(twice.jobs.size(), 3u);
    EXPECT_EQ(twice.jobs[0].file, folder + QStringLiteral("/Upper.OTF"));
    EXPECT_EQ(twice.jobs[0].entry, QStringLiteral("Upper.OTF"));
    EXPECT_EQ(twice.jobs[0].prefix, folder + QLatin1Char('/'));
    EXPECT_EQ(twice.jobs[1].prefix, folder + QStringLiteral("/deeper/still/"));

    const FileJobs missing = fileJobs({folder, dir.filePath(QStringLiteral("nowhere"))});
    EXPECT_TRUE(missing.jobs.empty());
    EXPECT_EQ(missing.error, QStringLiteral("no such folder: ") + dir.filePath(QStringLiteral("nowhere")));
    EXPECT_TRUE(
        fileJobs({folder + QStringLiteral("/notes.txt")}).error.startsWith(QLatin1String("not a folder")));
}

}  // namespace
}  // namespace lettrino::cli
