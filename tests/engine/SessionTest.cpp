// The session: drawing a font both ways, matching a font, and searching a font list on one
// thread or several, over a folder of installed fonts and a broken file.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <tuple>

#include "HostileFiles.h"
#include "Printing.h"
#include "prep/PicturePrep.h"
#include "render/FontSystem.h"
#include "session/Session.h"
#include "session/TextReference.h"

namespace lettrino {
namespace {

using fixtures::firstDifference;

// Everything a font's result holds, numbers to the last bit.
QString summary(const FontResult& r) {
    const InkBox& b = r.glyphBox;
    return QString::asprintf("%s | %s | %d%d%d | %.17g %.17g %.17g %.17g | %d %d %d %d", qPrintable(r.face),
                             qPrintable(r.file), r.matched, r.unreadable, r.weighed, r.score.m,
                             r.score.xRatio, r.score.yRatio, r.aspectScore, b.top, b.left, b.right, b.bottom);
}

class SessionTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        ASSERT_EQ(fixtures::copyFonts(dir_.path(),
                                      {"dejavu/DejaVuSans.ttf", "dejavu/DejaVuSans-Bold.ttf",
                                       "dejavu/DejaVuSansCondensed.ttf", "dejavu/DejaVuSerif.ttf",
                                       "dejavu/DejaVuSansMono.ttf", "liberation2/LiberationSans-Regular.ttf",
                                       "liberation2/LiberationSerif-Regular.ttf", "freefont/FreeSerif.ttf",
                                       "noto/NotoSansHebrew-Regular.ttf"}),
                  QString());
        ASSERT_TRUE(hostile::writeFile(dir_.filePath(QStringLiteral("broken.ttf")),
                                       QByteArray("\0\1\0\0 not a font", 15)));
        jobs_ = fileJobs({dir_.path()}).jobs;
        ASSERT_EQ(jobs_.size(), 10u);
    }

    const FontRef& job(const char* file) const {
        return *std::find_if(jobs_.begin(), jobs_.end(),
                             [file](const FontRef& j) { return j.label() == QLatin1String(file); });
    }
    // Gives the session a reference: `ch` drawn from one of the folder's fonts, `height` pixels of ink.
    void useReference(Session& session, const char* file, const char* ch, int height) {
        QImage glyph;
        ASSERT_EQ(fixtures::referenceGlyph(dir_.filePath(QString::fromLatin1(file)), QString::fromUtf8(ch),
                                           &glyph, height),
                  QString());
        Reference reference;
        reference.setPicture(glyph);
        ASSERT_TRUE(reference.ok());
        session.setReference(reference);
        session.params().character = Character::fromText(QString::fromUtf8(ch));
    }
    static std::vector<FontResult> searchAll(Session& session, const std::vector<FontRef>& jobs) {
        std::vector<FontResult> out(jobs.size());
        session.search(jobs, 0, [&out](int i, const RenderOutcome&, const FontResult& r) {
            out[size_t(i)] = r;
            return true;
        });
        return out;
    }

    QTemporaryDir dir_;
    std::vector<FontRef> jobs_;
};

TEST_F(SessionTest, MatchingTheFontAReferenceWasDrawnFromIsExactBothWays) {
    const struct {
        const char* file;
        const char* ch;
        int height, speedup;
    } cases[] = {{"DejaVuSerif.ttf", "g", 140, 1},    {"DejaVuSans-Bold.ttf", "ledger", 17, 0},
                 {"DejaVuSansMono.ttf", "&", 120, 4}, {"DejaVuSans.ttf", "α", 100, 1},
                 {"DejaVuSans.ttf", "Ж", 90, 2},      {"LiberationSerif-Regular.ttf", "Ж", 100, 1},
                 {"FreeSerif.ttf", "€", 120, 1},      {"DejaVuSansCondensed.ttf", "È", 110, 10}};
    for (const auto& t : cases) {
        SCOPED_TRACE(testing::Message() << t.file << " " << t.ch << " speed-up " << t.speedup);
        Session s;
        ASSERT_NO_FATAL_FAILURE(useReference(s, t.file, t.ch, t.height));
        s.params().speedup = t.speedup;
        s.params().aspect = true;
        const FontResult r = s.matchFont(job(t.file));
        ASSERT_TRUE(r.matched && r.weighed);
        EXPECT_EQ(std::tuple(r.score.m, r.score.xRatio, r.score.yRatio, r.aspectScore),
                  std::tuple(1.0, 1.0, 1.0, 1.0));
        EXPECT_EQ(r.glyphBox, s.reference().box);
        EXPECT_EQ(r.file, job(t.file).file);
        // The window's renderer draws the same pixels and box as the search run's.
        const QImage fast = s.glyphCanvas().screenImage();
        const RenderOutcome normal = s.displayFont(job(t.file));
        EXPECT_EQ(firstDifference(s.glyphCanvas().screenImage(), fast), "");
        EXPECT_EQ(normal.glyphBox, r.glyphBox);
        EXPECT_EQ(normal.faceName, r.face);
        // A font without the character draws nothing; a broken file is unreadable.
        const FontResult none = s.matchFont(job("NotoSansHebrew-Regular.ttf"));
        EXPECT_FALSE(none.matched || none.weighed || none.unreadable);
        const FontResult broken = s.matchFont(job("broken.ttf"));
        EXPECT_TRUE(broken.unreadable && !broken.matched);
    }
}

TEST_F(SessionTest, SearchRunsFromAPositionToTheEndOrUntilTold) {
    Session s;
    ASSERT_NO_FATAL_FAILURE(useReference(s, "DejaVuSerif.ttf", "g", 140));
    const struct {
        int from, stopAt;
        int first, last;  // the positions visited; the search returns last, -1 when first > last
    } cases[] = {{0, -1, 0, 9}, {7, -1, 7, 9},   {2, 3, 2, 3},   {-5, 1, 0, 1},
                 {9, 9, 9, 9},  {10, -1, 0, -1}, {25, -1, 0, -1}};
    for (const auto& t : cases) {
        SCOPED_TRACE(testing::Message() << "from " << t.from << " stop at " << t.stopAt);
        std::vector<int> visited, want;
        for (int i = t.first; i <= t.last; ++i) want.push_back(i);
        const int last = s.search(jobs_, t.from, [&](int i, const RenderOutcome& drawn, const FontResult& r) {
            visited.push_back(i);
            EXPECT_EQ(r.file, jobs_[size_t(i)].file);
            EXPECT_EQ(drawn.fontDisplayed, r.matched);
            return i != t.stopAt;
        });
        EXPECT_EQ(visited, want);
        EXPECT_EQ(last, want.empty() ? -1 : t.last);
        EXPECT_TRUE(s.glyphCanvas().autoRedraw());
    }
}

TEST_F(SessionTest, ParallelSearchGivesTheSequentialResultsInJobOrder) {
    Session s;
    ASSERT_NO_FATAL_FAILURE(useReference(s, "DejaVuSerif.ttf", "g", 140));
    s.params().aspect = true;
    const std::vector<FontResult> sequential = searchAll(s, jobs_);
    EXPECT_TRUE(sequential[9].unreadable);
    for (int threads : {1, 2}) {
        Session first;
        first.setReference(s.reference());
        first.params() = s.params();
        int reported = -1;
        const std::vector<FontResult> got = searchInParallel(first, jobs_, threads, [&](int done, int total) {
            EXPECT_EQ(total, 10);
            reported = done;
        });
        EXPECT_EQ(reported, 10);
        ASSERT_EQ(got.size(), sequential.size());
        for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(summary(got[i]), summary(sequential[i])) << threads;
    }
}

TEST_F(SessionTest, PassingOverFilesThatLackACharacterChangesNoResult) {
    const struct {
        const char* text;  // one character, or a word
        const char* font;
        int passedOver;  // the fonts without one of the characters: Hebrew has no g, two have no alef
    } cases[] = {
        {"g", "DejaVuSerif.ttf", 1}, {"א", "NotoSansHebrew-Regular.ttf", 2}, {"gא", "DejaVuSans.ttf", 3}};
    for (const auto& t : cases) {
        SCOPED_TRACE(t.text);
        Session s;
        const QString text = QString::fromUtf8(t.text);
        std::vector<WordCharacter> word;
        for (const QString& ch :
             text.size() > 1 ? text.split(QString(), Qt::SkipEmptyParts) : QStringList()) {
            ASSERT_NO_FATAL_FAILURE(useReference(s, t.font, ch.toUtf8().constData(), 100));
            word.push_back({s.reference(), s.params().character, 1.0});
        }
        if (word.empty()) {
            ASSERT_NO_FATAL_FAILURE(useReference(s, t.font, t.text, 100));
        }
        s.setWord(word);
        s.params().aspect = true;
        const std::vector<FontResult> opened = searchAll(s, jobs_);
        s.params().passOverLacking = true;
        const std::vector<FontResult> got = searchAll(s, jobs_);
        int passed = 0;
        for (size_t i = 0; i < got.size(); ++i) {
            SCOPED_TRACE(jobs_[i].file.toStdString());
            if (opened[i].matched) {
                EXPECT_EQ(summary(got[i]), summary(opened[i]));
                continue;
            }
            EXPECT_FALSE(got[i].matched);
            EXPECT_EQ(got[i].unreadable, opened[i].unreadable);
            // A file passed over is not opened, so its face goes unnamed.
            passed += got[i].face.isEmpty();
        }
        EXPECT_EQ(passed, t.passedOver);
        // Another reading of the word's pictures: the same pictures, other characters.
        if (word.size() > 1) {
            const FontResult as = s.matchFont(job(t.font));
            EXPECT_FALSE(s.setWordCharacters({Character::fromCodePoint(U'q')}));
            ASSERT_TRUE(s.setWordCharacters(std::vector<Character>(word.size(), Character::fromCodePoint(U'o'))));
            EXPECT_LT(s.matchFont(job(t.font)).score.m, as.score.m);
        }
    }
}

TEST_F(SessionTest, TextMatchedWholeFindsTheFontThatSetsIt) {
    const struct {
        const char* file;
        const char* text;
        bool ligatures;
        double stretch, cut;  // a negative stretch: only the text's right half, as a line drifts
        double minMatch;  // the source font's shared ink at least
        int glyphs;       // as the font sets the text
    } cases[] = {
        {"DejaVuSans.ttf", "fi", true, 1, -1, 0.88, 1},          // a ligature
        {"DejaVuSerif.ttf", "Waffle", true, 1, -1, 0.9, 4},      // ffl
        {"DejaVuSerif.ttf", "Waffle", false, 1, -1, 0.9, 6},     // the same, set without it
        {"LiberationSerif-Regular.ttf", "Strand", true, 1.08, -1, 0.9, 6},  // letter-spaced
        {"DejaVuSansCondensed.ttf", "Kayak", true, 0.93, -1, 0.82, 5},     // letters pushed together
        {"FreeSerif.ttf", "Hamburg", true, 1, 0.25, 0.87, 7},    // a letter cut in two
        {"DejaVuSans-Bold.ttf", "rn", false, 0.85, -1, 0.85, 2},  // squeezed
        {"DejaVuSerif.ttf", "ry", true, 1, -1, 0.85, 2},         // a pair that touches as it is set
        {"LiberationSans-Regular.ttf", "Hamburgefonstiv quickly", true, -1.06, -1, 0.6, 23},  // drifting
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(testing::Message() << t.file << " " << t.text);
        const QString text = QString::fromUtf8(t.text);
        int glyphs = 0;
        QImage picture = fixtures::setTextPicture(job(t.file).file, text, t.ligatures, t.stretch > 0 ? t.stretch : 1, t.cut, &glyphs);
        if (t.stretch < 0) {
            const int half = picture.width() / 2;
            const QImage right = picture.copy(half, 0, picture.width() - half, picture.height())
                                     .scaled(int((picture.width() - half) * -t.stretch), picture.height(),
                                             Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            QImage drifted(half + right.width(), picture.height(), QImage::Format_RGB32);
            for (int y = 0; y < picture.height(); ++y)
                for (int x = 0; x < drifted.width(); ++x)
                    drifted.setPixel(x, y, x < half ? picture.pixel(x, y) : right.pixel(x - half, y));
            picture = drifted;
        }
        const PreparedLine line = prepareLine(picture, 64);
        EXPECT_EQ(glyphs, t.glyphs);
        ASSERT_EQ(line.grey.height(), 64);
        Session s;
        s.params().aspect = true;
        s.setLine(line.grey, text);
        const std::vector<FontResult> results = searchAll(s, jobs_);
        const auto best = std::max_element(results.begin(), results.end(), [](const FontResult& a, const FontResult& b) {
            return a.aspectScore < b.aspectScore;
        });
        EXPECT_EQ(best->file, job(t.file).file);
        EXPECT_GE(best->score.m, t.minMatch);
        EXPECT_NEAR(best->score.xRatio, t.stretch > 0 ? t.stretch : (1 - t.stretch) / 2, 0.03);
        EXPECT_TRUE(results[9].unreadable);
        // Looking at each font small first, a search for the one best finds it, scored alike.
        s.params().top = 1;
        s.params().screen = true;
        const std::vector<FontResult> looked = searchInParallel(s, jobs_, 1);
        const FontResult& first = looked[size_t(best - results.begin())];
        EXPECT_TRUE(first.weighed);
        EXPECT_EQ(first.aspectScore, best->aspectScore);
        for (const FontResult& r : looked) EXPECT_LE(r.aspectScore, best->aspectScore);
        s.params().top = 0;
        // A font without one of the characters is not matched.
        EXPECT_FALSE(s.matchFont(job("NotoSansHebrew-Regular.ttf")).matched);
    }
}

TEST_F(SessionTest, TopWeighsOnlyWhatCanBeAmongTheBestAndKeepsTheirScores) {
    // With first looks, the list also holds a copy of every file, which must come out as its
    // original does.
    const QDir copied(dir_.filePath(QStringLiteral("copies")));
    ASSERT_TRUE(copied.mkpath(QStringLiteral(".")));
    std::vector<FontRef> withCopies = jobs_;
    for (const FontRef& j : jobs_) {
        const QString copy = copied.filePath(QFileInfo(j.file).fileName());
        ASSERT_TRUE(QFile::copy(j.file, copy));
        withCopies.push_back(FontRef::fontFile(copy));
    }
    int pruned = 0, screened = 0;
    // One character, and a word, whose characters are drawn one by one until the word cannot
    // reach the top; with and without a first look at each font.
    for (const char* text : {"a", "agv"})
        for (const char* source : {"LiberationSerif-Regular.ttf", "DejaVuSans.ttf"})
            for (bool reversed : {false, true}) {
                std::vector<FontRef> jobs = jobs_;
                if (reversed) std::reverse(jobs.begin(), jobs.end());
                Session s;
                std::vector<WordCharacter> word;
                for (const QString& ch : QString::fromUtf8(text).split(QString(), Qt::SkipEmptyParts)) {
                    ASSERT_NO_FATAL_FAILURE(useReference(s, source, ch.toUtf8().constData(), 100));
                    word.push_back({s.reference(), s.params().character, 1.0});
                }
                if (word.size() > 1) s.setWord(word);
                s.params().aspect = true;
                const std::vector<FontResult> every = searchAll(s, jobs);
                std::vector<double> best;
                for (const FontResult& r : every)
                    if (r.matched) best.push_back(r.aspectScore);
                std::sort(best.rbegin(), best.rend());
                // Under a floor (another reading's best score), what cannot reach it is not weighed,
                // and what is keeps its score.
                s.params().floor = best[1];
                const std::vector<FontResult> floored = searchAll(s, jobs);
                for (size_t i = 0; i < floored.size(); ++i) {
                    if (floored[i].weighed) {
                        EXPECT_EQ(floored[i].aspectScore, every[i].aspectScore) << jobs[i].file;
                    }
                    if (every[i].matched && every[i].aspectScore >= best[1]) {
                        EXPECT_TRUE(floored[i].weighed) << jobs[i].file;
                    }
                    if (every[i].matched && every[i].score.m < best[1]) {
                        EXPECT_FALSE(floored[i].weighed) << jobs[i].file;
                    }
                }
                s.params().floor = 0;
                for (bool screen : {false, true})
                    for (int top : {1, 2, 3}) {
                        SCOPED_TRACE(testing::Message() << text << " in " << source << (reversed ? " reversed" : "")
                                                        << (screen ? ", first looks" : "") << ", top " << top);
                        s.params().top = top;
                        s.params().screen = screen;
                        std::vector<FontRef> listed = jobs;
                        if (screen) listed.insert(listed.end(), withCopies.begin() + 10, withCopies.end());
                        const std::vector<FontResult> cut =
                            screen ? searchInParallel(s, listed, 2) : searchAll(s, jobs);
                        for (size_t i = jobs.size(); i < cut.size(); ++i) {
                            const auto original = std::find_if(
                                jobs.begin(), jobs.end(),
                                [&](const FontRef& j) { return j.label() == listed[i].label(); });
                            // What a first look passes over keeps the match of the characters it
                            // looked at, as many as it took.
                            FontResult copy = cut[i];
                            const FontResult& of = cut[size_t(original - jobs.begin())];
                            EXPECT_EQ(copy.file, listed[i].file);
                            copy.file = original->file;
                            if (of.glyphBox.bottom > of.glyphBox.top || of.unreadable)
                                EXPECT_EQ(summary(copy), summary(of));
                            else
                                EXPECT_FALSE(copy.weighed);
                        }
                        // What is weighed keeps its score; what is not could not have reached the
                        // top-th best score of a search that weighs every font.
                        std::vector<double> weighed;
                        for (size_t i = 0; i < jobs.size(); ++i) {
                            EXPECT_EQ(cut[i].matched, every[i].matched) << jobs[i].file;
                            if (cut[i].weighed) {
                                EXPECT_EQ(cut[i].aspectScore, every[i].aspectScore) << jobs[i].file;
                                weighed.push_back(cut[i].aspectScore);
                            } else if (every[i].matched) {
                                EXPECT_LT(every[i].aspectScore, best[size_t(top - 1)]) << jobs[i].file;
                                // A font whose first look is far from the best is not drawn in full: it has no glyph box.
                                const bool drawnInFull = cut[i].glyphBox.bottom > cut[i].glyphBox.top;
                                EXPECT_TRUE(screen || drawnInFull) << jobs[i].file;
                                (drawnInFull ? pruned : screened)++;
                            }
                        }
                        // The best scores are among those weighed.
                        std::sort(weighed.rbegin(), weighed.rend());
                        weighed.resize(size_t(top));
                        EXPECT_EQ(weighed, std::vector<double>(best.begin(), best.begin() + top));
                    }
            }
    EXPECT_GT(pruned, 0);
    EXPECT_GT(screened, 0);
}

TEST_F(SessionTest, NearTwinsAreOrderedByWhereTheirGlyphsDiffer) {
    // Ranked rows (file, face, score), a copy of DejaVu Serif last among the jobs; the order the
    // files come out in, for a picture in DejaVu Sans.
    struct Row {
        const char* file;
        const char* face;
        double score;
    };
    const Row serif{"DejaVuSerif.ttf", "DejaVu Serif", 0.95}, sans{"DejaVuSans.ttf", "DejaVu Sans", 0.949},
        liberation{"LiberationSans-Regular.ttf", "Liberation Sans", 0.90};
    const struct {
        const char* name;
        std::vector<Row> rows;
        std::vector<const char*> settled;
    } cases[] = {
        {"the picture's font second",
         {serif, sans, liberation},
         {"DejaVuSans.ttf", "DejaVuSerif.ttf", "LiberationSans-Regular.ttf"}},
        {"the picture's font first",
         {{"DejaVuSans.ttf", "DejaVu Sans", 0.95}, {"DejaVuSerif.ttf", "DejaVu Serif", 0.949}},
         {"DejaVuSans.ttf", "DejaVuSerif.ttf"}},
        {"no near-twin",
         {serif, {"DejaVuSans.ttf", "DejaVu Sans", 0.93}},
         {"DejaVuSerif.ttf", "DejaVuSans.ttf"}},
        {"with its copy",
         {serif, {"copy", "DejaVu Serif", 0.95}, sans},
         {"DejaVuSans.ttf", "DejaVuSerif.ttf", "copy"}},
    };
    std::vector<FontRef> jobs = jobs_;
    jobs.push_back(job("DejaVuSerif.ttf"));
    for (const char* text : {"g", "ag"})
        for (const auto& t : cases) {
            SCOPED_TRACE(testing::Message() << text << ": " << t.name);
            Session s;
            std::vector<WordCharacter> word;
            for (const QString& ch : QString::fromUtf8(text).split(QString(), Qt::SkipEmptyParts)) {
                ASSERT_NO_FATAL_FAILURE(useReference(s, "DejaVuSans.ttf", ch.toUtf8().constData(), 100));
                word.push_back({s.reference(), s.params().character, 1.0});
            }
            if (word.size() > 1) s.setWord(word);
            s.params().aspect = true;
            std::vector<ResultRow> rows;
            for (const Row& r : t.rows) {
                ResultRow row;
                row.rank = int(rows.size()) + 1;
                row.score = r.score;
                row.face = QString::fromLatin1(r.face);
                const bool copy = QLatin1String(r.file) == QLatin1String("copy");
                row.job = copy ? int(jobs.size()) - 1 : int(&job(r.file) - jobs_.data());
                row.file = copy ? QStringLiteral("copy") : jobs[size_t(row.job)].label();
                rows.push_back(row);
            }
            s.settleNearTwins(jobs, rows);
            std::vector<QString> files, settled;
            for (size_t k = 0; k < rows.size(); ++k) {
                files.push_back(rows[k].file);
                settled.push_back(QString::fromLatin1(t.settled[k]));
                EXPECT_EQ(rows[k].rank, int(k) + 1);
            }
            EXPECT_EQ(files, settled);
        }
}

TEST_F(SessionTest, AFirstLookIsTakenAtMostAtItsHeight) {
    const struct {
        int ink;
        int looked;  // the first look's ink height
    } cases[] = {{100, kScreenHeight}, {kScreenHeight + 1, kScreenHeight}, {30, 30}};
    for (const auto& t : cases) {
        Session s;
        ASSERT_NO_FATAL_FAILURE(useReference(s, "DejaVuSans.ttf", "H", t.ink));
        const ScreenReference look = screenReferenceOf(s.reference());
        const InkBox& full = s.reference().box;
        EXPECT_EQ(look.reference.box.bottom - look.reference.box.top + 1, t.looked) << t.ink;
        // The proportions are kept, within a pixel of the look's at either edge.
        EXPECT_NEAR(double(look.reference.box.right - look.reference.box.left + 1) * t.ink / t.looked,
                    full.right - full.left + 1, 2.0 * t.ink / t.looked) << t.ink;
    }
}

TEST_F(SessionTest, SmallTextIsWeighedAgainAsItsRendererDrewIt) {
    const struct {
        const char* file;
        const char* text;
        double ppem;
        // 0 full, 1 light, 2 none (between pixels), 3 subpixel (the picture then has colour
        // fringes), 4 darkened, 5 light between pixels
        int hinting;
        bool whole = false;  // its letters touch: the text is matched whole
    } cases[] = {
        {"DejaVuSans.ttf", "g", 16, 0},
        {"DejaVuSans-Bold.ttf", "R", 15, 0},
        {"LiberationSerif-Regular.ttf", "a", 22, 1},
        {"DejaVuSansMono.ttf", "e", 18, 2},
        {"FreeSerif.ttf", "Q", 20, 2},
        {"DejaVuSerif.ttf", "k", 13, 1},
        {"DejaVuSans.ttf", "Milan", 14, 1},
        {"DejaVuSansCondensed.ttf", "kayak", 16, 0},
        {"LiberationSerif-Regular.ttf", "mojito", 17, 2},
        {"FreeSerif.ttf", "Strand", 15, 1},
        {"DejaVuSans-Bold.ttf", "ledger", 17, 0},
        {"LiberationSans-Regular.ttf", "Wolf", 18, 0},
        {"DejaVuSerif.ttf", "to go", 15, 1},
        {"LiberationSans-Regular.ttf", "K", 17, 3},
        {"DejaVuSans.ttf", "Bayou", 15, 3},
        {"DejaVuSerif.ttf", "k", 16, 4},
        {"LiberationSans-Regular.ttf", "Wolf", 17, 4},
        {"DejaVuSerif.ttf", "Waffle", 15, 1, true},
        {"DejaVuSerif.ttf", "ry", 14, 2, true},
        {"DejaVuSerif.ttf", "ry", 16, 3, true},
        {"DejaVuSans-Bold.ttf", "Waffle", 13, 4, true},
        {"LiberationSans-Regular.ttf", "Kayak", 15, 5},
        {"DejaVuSerif.ttf", "Milan", 16, 5},
        {"FreeSerif.ttf", "Strand", 15.5, 2},
        {"DejaVuSans.ttf", "Valley", 17.5, 2},
        {"LiberationSerif-Regular.ttf", "R", 70, 1},  // a heading's ink, 46 px
        {"DejaVuSans.ttf", "Kayak", 60, 5},
    };
    int rescued[3] = {0, 0, 0};  // characters, words, texts matched whole
    for (const auto& t : cases) {
        SCOPED_TRACE(testing::Message() << t.text << " in " << t.file << " at " << t.ppem << " ppem, hinting "
                                        << t.hinting);
        const QString text = QString::fromUtf8(t.text);
        const QImage picture = fixtures::screenText(dir_.filePath(QString::fromLatin1(t.file)), text, t.ppem, t.hinting);
        ASSERT_FALSE(picture.isNull());
        const bool word = text.size() > 1;
        const TextReference shown = textReferenceOf(picture, text, word, true);
        ASSERT_TRUE(shown.ok()) << qPrintable(shown.error);
        ASSERT_EQ(shown.whole(), t.whole);
        ASSERT_EQ(shown.word.size(),
                  word && !t.whole ? size_t(QString(text).remove(QLatin1Char(' ')).size()) : 0u);
        Session s;
        shown.applyTo(s);
        s.params().character = Character::fromText(text);
        s.params().aspect = true;
        ASSERT_TRUE(s.looksAtOwnSize());
        const std::vector<FontResult> full = searchAll(s, jobs_);
        std::vector<FontResult> again = full;
        if (t.hinting == 3) {
            // Drawn only the ways of grey text, the picture is not matched exactly.
            s.lookAtOwnSize(jobs_, again, 1);
            for (const FontResult& r : again) EXPECT_LT(r.aspectScore, 1.0) << r.file;
            again = full;
            s.setColourFringes(true);
        }
        s.lookAtOwnSize(jobs_, again, word ? 2 : 1);
        // The font drawn as the picture was is the picture, pixel for pixel; no font loses.
        const auto best = std::max_element(again.begin(), again.end(), [](const FontResult& a, const FontResult& b) {
            return a.aspectScore < b.aspectScore;
        });
        EXPECT_EQ(best->file, job(t.file).file);
        EXPECT_EQ(best->aspectScore, 1.0);
        for (size_t i = 0; i < full.size(); ++i) EXPECT_GE(again[i].aspectScore, full[i].aspectScore) << full[i].file;
        const auto fullBest = std::max_element(full.begin(), full.end(), [](const FontResult& a, const FontResult& b) {
            return a.aspectScore < b.aspectScore;
        });
        rescued[t.whole ? 2 : word] += fullBest->file != best->file;
        if (fullBest->file != best->file && rescued[0] + rescued[1] + rescued[2] == 1) {
            // A library holding every font kOwnSizeFonts times over: its copies do not crowd
            // the drawn font out of the second look, and every copy of it is rescued.
            std::vector<FontRef> copies;
            std::vector<FontResult> many;
            for (int c = 0; c < kOwnSizeFonts; ++c) {
                copies.insert(copies.end(), jobs_.begin(), jobs_.end());
                many.insert(many.end(), full.begin(), full.end());
            }
            s.lookAtOwnSize(copies, many, 2);
            for (const FontResult& r : many) {
                if (r.file == best->file) {
                    EXPECT_EQ(r.aspectScore, 1.0);
                }
            }
        }
    }
    // Drawn large and hinted, small text's font is not always the best.
    EXPECT_GT(rescued[0], 0);
    EXPECT_GT(rescued[1], 0);
    EXPECT_GT(rescued[2], 0);

    // Ink of a usual size and the window's ranking are not looked at again.
    Session s;
    ASSERT_NO_FATAL_FAILURE(useReference(s, "DejaVuSans.ttf", "g", 100));
    s.params().aspect = true;
    EXPECT_FALSE(s.looksAtOwnSize());
    const QString sans = dir_.filePath(QStringLiteral("DejaVuSans.ttf"));
    textReferenceOf(fixtures::screenText(sans, QStringLiteral("Milan"), 140, 0), QStringLiteral("Milan"), true, true)
        .applyTo(s);
    EXPECT_EQ(s.word().size(), 5u);
    EXPECT_FALSE(s.looksAtOwnSize());
    textReferenceOf(fixtures::screenText(sans, QStringLiteral("g"), 16, 0), QStringLiteral("g"), false, true).applyTo(s);
    EXPECT_TRUE(s.looksAtOwnSize());
    s.params().aspect = false;
    EXPECT_FALSE(s.looksAtOwnSize());
}

}  // namespace
}  // namespace lettrino
