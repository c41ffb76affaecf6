// `lettrino-bench engine`: renders every font file under a folder with the search run's renderer
// and scores it against a reference bitmap, the way a search run does, without the window.
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QStringList>

#include <cstdio>

#include "canvas/Canvas.h"
#include "cli/SampleGlyph.h"
#include "canvas/InkBox.h"
#include "fonts/FontList.h"
#include "match/Matcher.h"
#include "render/FontSystem.h"
#include "render/GlyphRenderer.h"

using namespace lettrino;

namespace {

// A reference drawn by the engine itself: the character in DejaVu Sans (or fontconfig's
// substitute), 150 pixels tall.
QImage drawnReference(FontSystem& fonts, const QString& character) {
    const cli::FontJob dejaVu{QStringLiteral("DejaVu Sans"), kInstalledMarker, QString()};
    return cli::drawSampleGlyph(fonts, dejaVu, character, 150, Canvas::kSize, nullptr);
}

}  // namespace

int engineBench(int argc, char** argv) {
    QString folder, bitmap, character = QStringLiteral("A");
    int passes = 2;
    for (int i = 1; i < argc; ++i) {
        const QString a = QString::fromLocal8Bit(argv[i]);
        const bool hasValue = i + 1 < argc;
        if (a == QLatin1String("--fonts") && hasValue) folder = QString::fromLocal8Bit(argv[++i]);
        else if (a == QLatin1String("--char") && hasValue) character = QString::fromLocal8Bit(argv[++i]);
        else if (a == QLatin1String("--bitmap") && hasValue) bitmap = QString::fromLocal8Bit(argv[++i]);
        else if (a == QLatin1String("--passes") && hasValue) passes = std::max(1, atoi(argv[++i]));
        else {
            std::fprintf(stderr, "usage: lettrino-bench engine --fonts DIR [--char C] [--bitmap FILE] [--passes N]\n");
            return 2;
        }
    }
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        std::fprintf(stderr, "lettrino-bench: no font folder (--fonts DIR)\n");
        return 2;
    }

    FontSystem fonts;
    Canvas reference;
    if (bitmap.isEmpty()) {
        reference.setPicture(drawnReference(fonts, character));
    } else {
        QImage image(bitmap);
        if (image.isNull()) {
            std::fprintf(stderr, "lettrino-bench: cannot read bitmap %s\n", qPrintable(bitmap));
            return 2;
        }
        reference.setPicture(image);
    }
    const InkBox box = scanInkBox(reference);
    const QStringList files = fontFilesUnder(folder);
    const int initialFontCount = fonts.faceCount();

    Canvas glyph;
    glyph.clear();
    glyph.setAutoRedraw(false);
    GlyphRenderer renderer(fonts, glyph);

    double seconds = 0;
    int drawn = 0, above = 0;
    for (int pass = 0; pass < passes; ++pass) {  // the first passes warm the page cache
        drawn = above = 0;
        QElapsedTimer timer;
        timer.start();
        for (const QString& path : files) {
            const QFileInfo info(path);
            const RenderOutcome out = renderer.displayFontFast(info.fileName(), info.path() + QLatin1Char('/'),
                                                               character, box, initialFontCount);
            if (!out.fontDisplayed) continue;
            ++drawn;
            if (matchFast(reference, box, glyph, out.glyphBox, 1).m > 0.8) ++above;
        }
        seconds = double(timer.nsecsElapsed()) / 1e9;
    }
    const int n = int(files.size());
    std::printf("fonts with the character: %d of %d, above 80%%: %d\n", drawn, n, above);
    std::printf("engine: %d fonts in %.3f s = %.0f fonts/s\n", n, seconds, seconds > 0 ? n / seconds : 0.0);
    return 0;
}
