#include "bench/BenchCommon.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <cstdio>

#include "canvas/Canvas.h"
#include "session/SampleGlyph.h"
#include "render/FontSystem.h"
#include "render/GlyphRenderer.h"

namespace lettrino::bench {

std::optional<QHash<QString, QString>> readOptions(int argc, char** argv, const QStringList& names,
                                                   const char* usage) {
    QStringList args;  // argv[0], the subcommand's name, stands for the program's
    for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    for (const QString& name : names)
        parser.addOption(QCommandLineOption(name, QString(), QStringLiteral("VALUE")));
    if (!parser.parse(args) || !parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "usage: %s\n", usage);
        return std::nullopt;
    }
    QHash<QString, QString> options;
    for (const QString& name : names)
        if (parser.isSet(name)) options.insert(name, parser.value(name));  // the last one given
    if (names.contains(QLatin1String("fonts")) && !QFileInfo(options.value(QStringLiteral("fonts"))).isDir()) {
        std::fprintf(stderr, "lettrino-bench: no font folder (--fonts DIR)\n");
        return std::nullopt;
    }
    return options;
}

QImage drawnReference(const QString& character) {
    FontSystem fonts;
    return drawSampleGlyph(fonts, FontRef::installedFace(QStringLiteral("DejaVu Sans")),
                           Character::fromText(character), 150, Canvas::kSize, nullptr);
}

}  // namespace lettrino::bench
