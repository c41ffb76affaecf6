// `lettrino-bench library`: a font library of N links to the installed font files (folders of
// 500), swept as lettrino-match sweeps it, for the default ranking and for --rank match, with
// the bare FreeType loop over the same files in the same run. Prints fonts/s and peak memory.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "bench/BenchCommon.h"
#include "match/Ranking.h"
#include "fonts/FontList.h"
#include "render/GlyphRenderer.h"
#include "session/FontSource.h"
#include "session/Session.h"

using namespace lettrino;

double rawSweep(const QStringList& files, int threads, long long* checksum);

namespace {

// The peak resident memory since the last reset, in bytes (VmHWM).
long long peakBytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    return 0;
}

void resetPeak() {
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly)) refs.write("5");
}

}  // namespace

int libraryBench(int argc, char** argv) {
    // The installed fonts unless --fonts names a folder (the options' reader wants a folder).
    std::vector<char*> args(argv, argv + argc);
    char fontsOption[] = "--fonts", installedFonts[] = "/usr/share/fonts";
    if (std::none_of(argv, argv + argc, [](const char* a) { return std::strncmp(a, "--fonts", 7) == 0; }))
        args.insert(args.begin() + std::min(argc, 1), {fontsOption, installedFonts});
    argc = int(args.size());
    argv = args.data();
    const auto options = bench::readOptions(argc, argv, {"size", "fonts", "char", "jobs", "top", "bitmap"},
                                            "lettrino-bench library [--size N] [--fonts DIR] [--char C] [--jobs N] "
                                            "[--top K] [--bitmap FILE]");
    if (!options) return 2;
    const int size = std::max(1, options->value(QStringLiteral("size"), QStringLiteral("20000")).toInt());
    const QString fontsDir = options->value(QStringLiteral("fonts"), QStringLiteral("/usr/share/fonts"));
    const QString character = options->value(QStringLiteral("char"), QStringLiteral("A"));
    const int jobs = std::max(1, options->value(QStringLiteral("jobs"), QStringLiteral("2")).toInt());
    const int top = std::max(0, options->value(QStringLiteral("top"), QStringLiteral("20")).toInt());
    const QString bitmap = options->value(QStringLiteral("bitmap"));

    const QStringList installed = fontFilesUnder(fontsDir);
    if (installed.isEmpty()) {
        std::fprintf(stderr, "lettrino-bench: no font files under %s\n", qPrintable(fontsDir));
        return 2;
    }
    QTemporaryDir library;
    QStringList links;
    for (int i = 0; i < size; ++i) {
        const QString folder = library.filePath(QStringLiteral("d%1").arg(i / 500));
        if (i % 500 == 0) QDir().mkpath(folder);
        const QString source = installed.at(i % installed.size());
        const QString link = folder + QStringLiteral("/f%1_%2").arg(i, 5, 10, QLatin1Char('0')).arg(QFileInfo(source).fileName());
        QFile::link(source, link);
        links << link;
    }
    std::printf("library: %d links to %lld font files, %d threads, top %d\n", size, qlonglong(installed.size()), jobs,
                top);

    Reference reference;
    if (bitmap.isEmpty())
        reference.setPicture(bench::drawnReference(character));
    else
        reference = loadReference(bitmap);
    if (!reference.ok()) {
        std::fprintf(stderr, "lettrino-bench: %s\n", qPrintable(reference.error));
        return 2;
    }

    // The page cache is warmed by the first sweep; each mode then runs twice, the faster counts.
    double best[2] = {0, 0};  // fonts/s: match, aspect
    for (const bool aspect : {true, true, false, false}) {
        Session session;
        session.setReference(reference);
        session.params().character = Character::fromText(character);
        session.params().aspect = aspect;
        session.params().screen = aspect;
        session.params().top = top;
        session.params().passOverLacking = true;
        resetPeak();
        QElapsedTimer timer;
        timer.start();
        const FileJobs files = fileJobs({library.path()});
        const std::vector<FontResult> results = searchInParallel(session, files.jobs, jobs);
        const auto rows = rankResults(results, 0, top, aspect ? RankBy::Aspect : RankBy::Match);
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        int weighed = 0;
        for (const FontResult& r : results) weighed += r.weighed ? 1 : 0;
        std::printf("%-8s %d fonts in %.3f s = %.0f fonts/s, %d weighed in full, peak %.1f MB, first %s\n",
                    aspect ? "aspect" : "match", size, seconds, size / seconds, weighed,
                    double(peakBytes()) / (1024.0 * 1024.0), rows.empty() ? "-" : qPrintable(rows.front().face));
        best[aspect ? 1 : 0] = std::max(best[aspect ? 1 : 0], size / seconds);
    }
    double raw = 0;
    for (int pass = 0; pass < 2; ++pass) {
        long long checksum = 0;
        const double seconds = rawSweep(links, jobs, &checksum);
        std::printf("raw      %d fonts in %.3f s = %.0f fonts/s\n", size, seconds, size / seconds);
        raw = std::max(raw, size / seconds);
    }
    // The three side by side, each the faster of its two runs.
    std::printf("best     aspect %.0f, match %.0f, raw %.0f fonts/s; match / raw = %.2f\n", best[1], best[0], raw,
                raw > 0 ? best[0] / raw : 0.0);
    return 0;
}
