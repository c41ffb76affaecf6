// `lettrino-bench engine`: renders every font file under a folder with the search run's renderer
// and scores it against a reference bitmap, the way a search run does, without the window.
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QStringList>

#include <cstdio>

#include "bench/BenchCommon.h"
#include "canvas/Canvas.h"
#include "canvas/InkBox.h"
#include "fonts/FontList.h"
#include "match/Matcher.h"
#include "render/FontSystem.h"
#include "render/GlyphRenderer.h"
#include "session/Session.h"

using namespace lettrino;

int engineBench(int argc, char** argv) {
    const auto options = bench::readOptions(argc, argv, {"fonts", "char", "bitmap", "passes"},
                                            "lettrino-bench engine --fonts DIR [--char C] [--bitmap FILE] [--passes N]");
    if (!options) return 2;
    const QString folder = options->value(QStringLiteral("fonts"));
    const QString bitmap = options->value(QStringLiteral("bitmap"));
    const QString character = options->value(QStringLiteral("char"), QStringLiteral("A"));
    const int passes = std::max(1, options->value(QStringLiteral("passes"), QStringLiteral("2")).toInt());

    Session session;
    Reference reference;
    if (bitmap.isEmpty()) {
        reference.setPicture(bench::drawnReference(character));
    } else {
        reference = loadReference(bitmap);
        if (!reference.ok()) {
            std::fprintf(stderr, "lettrino-bench: cannot read bitmap %s: %s\n", qPrintable(bitmap),
                         qPrintable(reference.error));
            return 2;
        }
    }
    session.setReference(reference);
    session.params().character = Character::fromText(character);
    std::vector<FontRef> jobs;
    for (const QString& path : fontFilesUnder(folder)) jobs.push_back(FontRef::fontFile(path));

    double seconds = 0;
    int drawn = 0, above = 0;
    for (int pass = 0; pass < passes; ++pass) {  // the first passes warm the page cache
        drawn = above = 0;
        QElapsedTimer timer;
        timer.start();
        session.search(jobs, 0, [&](int, const RenderOutcome&, const FontResult& r) {
            if (r.matched) ++drawn;
            if (r.matched && r.score.m > 0.8) ++above;
            return true;
        });
        seconds = double(timer.nsecsElapsed()) / 1e9;
    }
    const int n = int(jobs.size());
    std::printf("fonts with the character: %d of %d, above 80%%: %d\n", drawn, n, above);
    std::printf("engine: %d fonts in %.3f s = %.0f fonts/s\n", n, seconds, seconds > 0 ? n / seconds : 0.0);
    return 0;
}
