#include "bench/BenchCommon.h"

#include <QFileInfo>

#include <cstdio>

#include "canvas/Canvas.h"
#include "cli/SampleGlyph.h"
#include "render/FontSystem.h"
#include "render/GlyphRenderer.h"

namespace lettrino::bench {

std::optional<QHash<QString, QString>> readOptions(int argc, char** argv, const QStringList& names,
                                                   const char* usage) {
    QHash<QString, QString> options;
    for (int i = 1; i < argc; ++i) {
        const QString name = QString::fromLocal8Bit(argv[i]);
        if (!name.startsWith(QLatin1String("--")) || !names.contains(name.mid(2)) || i + 1 >= argc) {
            std::fprintf(stderr, "usage: %s\n", usage);
            return std::nullopt;
        }
        options.insert(name.mid(2), QString::fromLocal8Bit(argv[++i]));
    }
    if (names.contains(QLatin1String("fonts")) && !QFileInfo(options.value(QStringLiteral("fonts"))).isDir()) {
        std::fprintf(stderr, "lettrino-bench: no font folder (--fonts DIR)\n");
        return std::nullopt;
    }
    return options;
}

QImage drawnReference(const QString& character) {
    FontSystem fonts;
    const cli::FontJob dejaVu{QStringLiteral("DejaVu Sans"), kInstalledMarker, QString()};
    return cli::drawSampleGlyph(fonts, dejaVu, character, 150, Canvas::kSize, nullptr);
}

}  // namespace lettrino::bench
