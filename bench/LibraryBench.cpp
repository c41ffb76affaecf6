// `lettrino-bench library`: a font library of N links to the installed font files (folders of
// 500), swept as lettrino-match sweeps it, for the default ranking and for --rank match, with
// the bare FreeType loop over the same files in the same run. Prints fonts/s and peak memory.
// Every other link is to a file that draws the character (or the text), the rest to files that
// lack it, as in a designer's library of mostly Latin fonts. With --text and --bitmap, a picture
// of a text is matched as lettrino-match --text matches it.
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
#include "render/FontSystem.h"
#include "session/FontSource.h"
#include "session/Session.h"
#include "session/TextReference.h"

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
    const auto options = bench::readOptions(argc, argv, {"size", "fonts", "char", "text", "jobs", "top", "bitmap"},
                                            "lettrino-bench library [--size N] [--fonts DIR] [--char C] [--jobs N] "
                                            "[--top K] [--bitmap FILE [--text TEXT]]");
    if (!options) return 2;
    const int size = std::max(1, options->value(QStringLiteral("size"), QStringLiteral("20000")).toInt());
    const QString fontsDir = options->value(QStringLiteral("fonts"), QStringLiteral("/usr/share/fonts"));
    const QString character = options->value(QStringLiteral("char"), QStringLiteral("A"));
    const int jobs = std::max(1, options->value(QStringLiteral("jobs"), QStringLiteral("2")).toInt());
    const int top = std::max(0, options->value(QStringLiteral("top"), QStringLiteral("20")).toInt());
    const QString bitmap = options->value(QStringLiteral("bitmap"));
    const QString text = options->value(QStringLiteral("text"));
    if (!text.isEmpty() && bitmap.isEmpty()) {
        std::fprintf(stderr, "lettrino-bench: --text needs the --bitmap that shows it\n");
        return 2;
    }
    const QString drawn = text.isEmpty() ? character : text;

    // The installed files that draw the text, and those that lack it.
    QStringList drawing, lacking;
    {
        FontSystem fonts{std::vector<FaceEntry>()};  // no installed faces listed: only files are looked at
        std::vector<Character> characters;
        for (const uint u : drawn.toUcs4())
            if (!QChar::isSpace(u)) characters.push_back(Character::fromCodePoint(u));
        for (const QString& file : fontFilesUnder(fontsDir))
            (fonts.fileLacksAnyOf(file, 0, characters) ? lacking : drawing) << file;
    }
    if (drawing.isEmpty()) {
        std::fprintf(stderr, "lettrino-bench: no font file under %s draws %s\n", qPrintable(fontsDir),
                     qPrintable(drawn));
        return 2;
    }
    if (lacking.isEmpty()) lacking = drawing;
    QTemporaryDir library;
    QStringList links;
    for (int i = 0; i < size; ++i) {
        const QString folder = library.filePath(QStringLiteral("d%1").arg(i / 500));
        if (i % 500 == 0) QDir().mkpath(folder);
        const QStringList& from = i % 2 == 0 ? drawing : lacking;
        const QString source = from.at(i / 2 % from.size());
        const QString link = folder + QStringLiteral("/f%1_%2").arg(i, 5, 10, QLatin1Char('0')).arg(QFileInfo(source).fileName());
        QFile::link(source, link);
        links << link;
    }
    std::printf("library: %d links to %lld font files (half of the links to the %lld that draw %s), %d threads, "
                "top %d\n",
                size, qlonglong(drawing.size() + lacking.size()), qlonglong(drawing.size()), qPrintable(drawn), jobs,
                top);

    TextReference shown;
    if (bitmap.isEmpty()) {
        shown.reference.setPicture(bench::drawnReference(character));
    } else {
        const Picture picture = readPicture(bitmap);
        if (!picture.ok()) {
            std::fprintf(stderr, "lettrino-bench: %s\n", qPrintable(picture.error));
            return 2;
        }
        shown = textReferenceOf(picture.image, drawn, !text.isEmpty(), true);
        if (!shown.ok()) {
            std::fprintf(stderr, "lettrino-bench: %s\n", qPrintable(shown.error));
            return 2;
        }
    }

    // The page cache is warmed by the first sweep; each mode then runs twice, the faster counts.
    double best[2] = {0, 0};  // fonts/s: match, aspect
    for (const bool aspect : {true, true, false, false}) {
        Session session;
        shown.applyTo(session);
        session.params().character =
            shown.word.empty() ? Character::fromText(drawn) : shown.word.front().character;
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
