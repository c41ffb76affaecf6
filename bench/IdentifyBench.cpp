// lettrino-bench identify --set MANIFEST [--shape A,C,CE,S ...] [--dump FILE] [--jobs N]
//
// How often each ranking names the font a bitmap was drawn from, over the installed faces:
// top-1 and top-3 for the match alone, for the match weighed by the box proportions alone,
// and for the aspect-aware score, clean and degraded bitmaps apart. Each --shape adds a
// ranking by the score with other weights (aspect, coverage, centre, spread). The manifest
// (tools/make-identify-set) lists one bitmap a line: file (relative to the manifest),
// character, font file, condition. --dump writes, per bitmap and matched face, the match and
// the shape measurements, for trying other scores without drawing again. Prints, never asserts.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

#include "cli/FontSource.h"
#include "cli/ReferenceBitmap.h"
#include "cli/Sweep.h"
#include "match/Aspect.h"
#include "match/Shape.h"
#include "render/FontSystem.h"

using namespace lettrino;
using namespace lettrino::cli;

namespace {

struct Case {
    QString bitmap, charText, fontFile, condition;
};

struct Tally {
    int top1 = 0, top3 = 0, n = 0;
};

// Where the expected font lands when the results are ordered by the given key (1 = first).
template <typename Key>
int placeOf(const std::vector<FontResult>& results, const QString& expected, Key key) {
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
        if (order[i]->file == expected) return int(i) + 1;
    return 0;
}

}  // namespace

int identifyBench(int argc, char** argv) {
    QString manifest, dumpFile;
    std::vector<ShapeWeights> weights{ShapeWeights{}};
    int jobs = QThread::idealThreadCount();
    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        if (a == QLatin1String("--set") && i + 1 < argc) {
            manifest = QString::fromLocal8Bit(argv[++i]);
        } else if (a == QLatin1String("--shape") && i + 1 < argc) {
            const QStringList w = QString::fromLocal8Bit(argv[++i]).split(QLatin1Char(','));
            ShapeWeights sw;
            sw.aspect = w.value(0).toDouble();
            sw.coverage = w.value(1).toDouble();
            sw.centre = w.value(2).toDouble();
            sw.spread = w.value(3).toDouble();
            weights.push_back(sw);
        } else if (a == QLatin1String("--dump") && i + 1 < argc) {
            dumpFile = QString::fromLocal8Bit(argv[++i]);
        } else if (a == QLatin1String("--jobs") && i + 1 < argc) {
            jobs = std::max(1, QString::fromLocal8Bit(argv[++i]).toInt());
        } else {
            std::fprintf(stderr,
                         "usage: lettrino-bench identify --set MANIFEST [--shape A,C,CE,S ...] [--dump FILE] "
                         "[--jobs N]\n");
            return 2;
        }
    }
    QFile file(manifest);
    if (manifest.isEmpty() || !file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        std::fprintf(stderr, "identify: cannot read the manifest %s\n", qPrintable(manifest));
        return 2;
    }
    const QDir base = QFileInfo(manifest).absoluteDir();
    std::vector<Case> cases;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        const QStringList f = line.split(QLatin1Char('\t'));
        if (f.size() < 4) continue;
        cases.push_back({base.filePath(f[0]), f[1], f[2], f[3]});
    }

    FontSystem fonts;
    const std::vector<FontJob> candidates = installedJobs(fonts);
    std::printf("identify: %zu bitmaps against %zu installed faces, %d jobs\n", cases.size(),
                candidates.size(), jobs);

    QFile dump(dumpFile);
    if (!dumpFile.isEmpty() && !dump.open(QIODevice::WriteOnly | QIODevice::Text)) {
        std::fprintf(stderr, "identify: cannot write %s\n", qPrintable(dumpFile));
        return 2;
    }
    QTextStream dumpOut(&dump);
    if (dump.isOpen())
        dumpOut << "case\tchar\tcondition\tfile\texpected\tm\tlogAspect\tcoverage\tcentreX\tcentreY\t"
                   "spreadX\tspreadY\n";
    auto dumpShape = [&](const ShapeStats& s) {
        dumpOut << '\t' << s.logAspect << '\t' << s.coverage << '\t' << s.centreX << '\t' << s.centreY << '\t'
                << s.spreadX << '\t' << s.spreadY << '\n';
    };
    dumpOut.setRealNumberPrecision(8);

    // Per ranking (match, box proportions, then each set of shape weights), per group.
    const size_t rankings = 2 + weights.size();
    int caseIndex = 0;
    std::vector<std::map<QString, Tally>> tallies(rankings);
    SweepSettings settings;
    settings.jobs = jobs;
    for (const Case& c : cases) {
        const ReferenceBitmap ref = loadReferenceBitmap(c.bitmap);
        if (!ref.ok()) {
            std::fprintf(stderr, "identify: %s: %s\n", qPrintable(c.bitmap), qPrintable(ref.error));
            continue;
        }
        settings.charText = c.charText;
        const std::vector<FontResult> results =
            runSweep(fonts, Reference{&ref.canvas, ref.box}, candidates, settings);
        const QString group = c.condition.startsWith(QLatin1String("clean")) ? QStringLiteral("clean")
                                                                             : QStringLiteral("degraded");
        const ShapeStats refShape = shapeStats(ref.canvas, ref.box);
        if (dump.isOpen()) {
            dumpOut << caseIndex << '\t' << c.charText << '\t' << c.condition << "\t-\t0\t0";
            dumpShape(refShape);
            for (const FontResult& r : results) {
                if (!r.matched) continue;
                dumpOut << caseIndex << '\t' << c.charText << '\t' << c.condition << '\t' << r.file << '\t'
                        << int(r.file == c.fontFile) << '\t' << r.score.m;
                dumpShape(r.glyphShape);
            }
        }
        ++caseIndex;
        std::vector<int> places;
        places.push_back(placeOf(results, c.fontFile, [](const FontResult& r) { return r.score.m; }));
        places.push_back(placeOf(results, c.fontFile, [&](const FontResult& r) {
            return aspectScore(r.score.m, ref.box, r.glyphBox);
        }));
        for (const ShapeWeights& w : weights)
            places.push_back(placeOf(results, c.fontFile, [&](const FontResult& r) {
                return aspectScore(r.score.m, refShape, r.glyphShape, w);
            }));
        for (size_t k = 0; k < rankings; ++k) {
            for (const QString& g : {group, QStringLiteral("all")}) {
                Tally& t = tallies[k][g];
                ++t.n;
                t.top1 += places[k] == 1;
                t.top3 += places[k] >= 1 && places[k] <= 3;
            }
        }
        if (places[0] != 1 || places[2] != 1) {
            // Name the face the aspect ranking put first, to see which twins are confused.
            const FontResult* best = nullptr;
            double bestScore = -1;
            for (const FontResult& r : results)
                if (r.matched && r.aspectScore > bestScore) bestScore = r.aspectScore, best = &r;
            std::printf("  %-48s match #%d, box #%d, aspect #%d (first: %s)\n",
                        qPrintable(QFileInfo(c.bitmap).fileName()), places[0], places[1], places[2],
                        best ? qPrintable(QFileInfo(best->file).fileName()) : "-");
        }
    }

    for (size_t k = 0; k < rankings; ++k) {
        QString name = k == 0   ? QStringLiteral("match")
                       : k == 1 ? QStringLiteral("box")
                                : QStringLiteral("aspect");
        if (k > 2) {
            const ShapeWeights& w = weights[k - 2];
            name = QStringLiteral("%1,%2,%3,%4").arg(w.aspect).arg(w.coverage).arg(w.centre).arg(w.spread);
        }
        for (const char* g : {"clean", "degraded", "all"}) {
            const Tally& t = tallies[k][QLatin1String(g)];
            std::printf("%-12s %-9s top-1 %4d/%-4d (%5.1f%%)  top-3 %4d/%-4d (%5.1f%%)\n", qPrintable(name),
                        g, t.top1, t.n, t.n ? 100.0 * t.top1 / t.n : 0.0, t.top3, t.n,
                        t.n ? 100.0 * t.top3 / t.n : 0.0);
        }
    }
    const Tally& m = tallies[0][QStringLiteral("all")];
    const Tally& a = tallies[2][QStringLiteral("all")];
    std::printf("identify: top-1 match %d/%d, aspect %d/%d\n", m.top1, m.n, a.top1, a.n);
    return 0;
}
