// lettrino-bench identify --set MANIFEST [--dump FILE] [--jobs N] [--hinting full|light|none]
//
// How often each ranking names the font a bitmap was drawn from, over the installed faces:
// top-1 and top-3 for the match alone, for the match weighed by the ink boxes' proportions
// alone, and for the aspect-aware score, clean and degraded bitmaps apart. The manifest
// (tools/make-identify-set) lists one bitmap a line: file (relative to the manifest),
// character, font file, condition, and the other font files that draw the character the
// same; a face from that list counts as the font. --dump writes, per bitmap and matched face,
// what the scores are made of, for trying other scores without drawing again.
// Prints, never asserts.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

#include "bench/BenchCommon.h"
#include "prep/PicturePrep.h"
#include "render/GlyphRenderer.h"
#include "session/FontSource.h"
#include "session/Session.h"
#include "session/TextReference.h"
#include "match/Aspect.h"
#include "render/FontSystem.h"

using namespace lettrino;

namespace {

struct Case {
    QString bitmap, charText, fontFile, condition;
    QString text;  // the word a picture of a word shows; empty for one character
    QStringList sameDrawing;  // other font files that draw the character as fontFile does

    bool names(const QString& file) const { return file == fontFile || sameDrawing.contains(file); }
};

struct Tally {
    int top1 = 0, top3 = 0, n = 0;
};

std::vector<Case> readManifest(QFile& file) {
    const QDir base = QFileInfo(file).absoluteDir();
    std::vector<Case> cases;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        const QStringList f = line.split(QLatin1Char('\t'));
        if (f.size() < 4) continue;
        QStringList same;
        if (f.size() > 4 && f[4] != QLatin1String("-")) same = f[4].split(QLatin1Char(','));
        const QString text = f.size() > 5 && f[5].size() > 1 ? f[5] : QString();
        cases.push_back({base.filePath(f[0]), f[1], f[2], f[3], text, same});
    }
    return cases;
}

// ln(width / height) of an ink box, in pixels.
double boxLogAspect(const InkBox& box) {
    return std::log(double(box.width() + 1) / double(box.height() + 1));
}

// Where the first face that names the case's font lands when the results are ordered by
// the given key (1 = first; 0 = not matched at all). Ties go by the match, then by file.
template <typename Key>
int placeOf(const std::vector<FontResult>& results, const Case& c, Key key) {
    std::vector<const FontResult*> order;
    for (const FontResult& r : results)
        if (r.matched) order.push_back(&r);
    std::sort(order.begin(), order.end(), [&](const FontResult* a, const FontResult* b) {
        const double ka = key(*a), kb = key(*b);
        if (ka != kb) return ka > kb;
        if (a->score.m != b->score.m) return a->score.m > b->score.m;
        return a->file < b->file;
    });
    for (size_t i = 0; i < order.size(); ++i)
        if (c.names(order[i]->file)) return int(i) + 1;
    return 0;
}

}  // namespace

int identifyBench(int argc, char** argv) {
    const char* usage = "lettrino-bench identify --set MANIFEST [--dump FILE] [--jobs N] [--hinting full|light|none]";
    const auto options = bench::readOptions(
        argc, argv, {QStringLiteral("set"), QStringLiteral("dump"), QStringLiteral("jobs"), QStringLiteral("hinting"),
                               QStringLiteral("words")},
        usage);
    if (!options) return 2;
    const QString manifest = options->value(QStringLiteral("set"));
    const QString dumpFile = options->value(QStringLiteral("dump"));
    const int jobs = std::max(
        1, options->value(QStringLiteral("jobs"), QString::number(QThread::idealThreadCount())).toInt());
    QFile file(manifest);
    if (manifest.isEmpty() || !file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "identify: cannot read the manifest %s\n", qPrintable(manifest));
        return 2;
    }
    const std::vector<Case> cases = readManifest(file);

    Session session;
    session.params().aspect = true;
    session.params().passOverLacking = true;  // as lettrino-match
    const QString hinting = options->value(QStringLiteral("hinting"), QStringLiteral("full"));
    const bool wholeWords = options->value(QStringLiteral("words")) == QLatin1String("whole");
    session.params().hinting = hinting == QLatin1String("none")    ? Hinting::None
                               : hinting == QLatin1String("light") ? Hinting::Light
                                                                   : Hinting::Full;
    const std::vector<FontRef> candidates = installedJobs(session.fonts());
    std::printf("identify: %zu bitmaps against %zu installed faces, %d jobs\n", cases.size(),
                candidates.size(), jobs);

    QFile dump(dumpFile);
    if (!dumpFile.isEmpty() && !dump.open(QIODevice::WriteOnly | QIODevice::Text)) {
        std::fprintf(stderr, "identify: cannot write %s\n", qPrintable(dumpFile));
        return 2;
    }
    QTextStream dumpOut(&dump);
    dumpOut.setRealNumberPrecision(8);
    if (dump.isOpen())
        dumpOut << "case\tchar\tcondition\tfile\tright\tm\tboxAspectDistance\tinkAgreement\taspectDistance\n";

    // The rankings: the match alone, the match weighed by the ink boxes' proportions (the
    // simplest proportion penalty), and the aspect-aware score.
    const char* names[] = {"match", "box", "aspect"};
    constexpr int kRankings = 3;
    std::map<QString, Tally> tallies[kRankings];
    int caseIndex = 0;
    for (const Case& c : cases) {
        // As lettrino-match reads the picture: one character, or a word character by character.
        const Picture picture = readPicture(c.bitmap);
        TextReference shown;
        QString why = picture.error;
        if (picture.ok()) {
            shown = textReferenceOf(picture.image, c.text.isEmpty() ? c.charText : c.text, !c.text.isEmpty(), true);
            why = shown.error;
            if (wholeWords && shown.ok() && !c.text.isEmpty() && !shown.whole()) {
                shown.line = prepareLine(picture.image, kLineInkHeight);
                shown.word.clear();
            }
        }
        if (!why.isEmpty()) {
            std::printf("  %-48s refused: %s\n", qPrintable(QFileInfo(c.bitmap).fileName()), qPrintable(why));
            for (int k = 0; k < kRankings; ++k)
                for (const QString& g : {QStringLiteral("all"), c.condition}) ++tallies[k][g].n;
            continue;
        }
        const Reference& ref = shown.reference;
        shown.applyTo(session);
        session.params().character =
            shown.word.empty() ? Character::fromText(c.charText) : shown.word.front().character;
        std::vector<FontResult> results = searchInParallel(session, candidates, jobs);
        session.lookAtOwnSize(candidates, results, jobs);
        const double refAspect = boxLogAspect(ref.box);
        auto boxScore = [&](const FontResult& r) {
            return r.score.m * std::exp(-kAspectWeight * std::fabs(boxLogAspect(r.glyphBox) - refAspect));
        };
        if (dump.isOpen()) {
            for (const FontResult& r : results) {
                if (!r.matched) continue;
                dumpOut << caseIndex << '\t' << c.charText << '\t' << c.condition << '\t' << r.file << '\t'
                        << int(c.names(r.file)) << '\t' << r.score.m << '\t'
                        << std::fabs(boxLogAspect(r.glyphBox) - refAspect) << '\t' << r.inkAgreement << '\t'
                        << r.aspectDistance << '\n';
            }
        }
        ++caseIndex;
        const int places[kRankings] = {
            placeOf(results, c, [](const FontResult& r) { return r.score.m; }),
            placeOf(results, c, boxScore),
            placeOf(results, c, [](const FontResult& r) { return r.aspectScore; }),
        };
        const QString group = c.condition.startsWith(QLatin1String("clean")) ? QStringLiteral("clean")
                                                                             : QStringLiteral("degraded");
        for (int k = 0; k < kRankings; ++k) {
            for (const QString& g : {group, QStringLiteral("all"), c.condition}) {
                Tally& t = tallies[k][g];
                ++t.n;
                t.top1 += places[k] == 1;
                t.top3 += places[k] >= 1 && places[k] <= 3;
            }
        }
        if (places[0] != 1 || places[2] != 1) {
            // Name the face the aspect ranking put first, to see which twins are confused.
            const FontResult* best = nullptr;
            for (const FontResult& r : results)
                if (r.matched && (!best || r.aspectScore > best->aspectScore)) best = &r;
            std::printf("  %-48s match #%d, box #%d, aspect #%d (first: %s)\n",
                        qPrintable(QFileInfo(c.bitmap).fileName()), places[0], places[1], places[2],
                        best ? qPrintable(QFileInfo(best->file).fileName()) : "-");
        }
    }

    for (int k = 0; k < kRankings; ++k) {
        for (const char* g : {"clean", "degraded", "all"}) {
            const Tally& t = tallies[k][QLatin1String(g)];
            std::printf("%-8s %-9s top-1 %4d/%-4d (%5.1f%%)  top-3 %4d/%-4d (%5.1f%%)\n", names[k], g, t.top1,
                        t.n, t.n ? 100.0 * t.top1 / t.n : 0.0, t.top3, t.n, t.n ? 100.0 * t.top3 / t.n : 0.0);
        }
    }
    // Top-1 by condition, to see which degradations each ranking copes with.
    for (int k = 0; k < kRankings; ++k) {
        std::printf("%-8s top-1 by condition:", names[k]);
        for (const auto& [condition, t] : tallies[k])
            if (condition != QLatin1String("clean") && condition != QLatin1String("degraded") &&
                condition != QLatin1String("all"))
                std::printf(" %s %d/%d", qPrintable(condition), t.top1, t.n);
        std::printf("\n");
    }
    const Tally& m = tallies[0][QStringLiteral("all")];
    const Tally& a = tallies[2][QStringLiteral("all")];
    std::printf("identify: top-1 match %d/%d, aspect %d/%d\n", m.top1, m.n, a.top1, a.n);
    return 0;
}
