// lettrino-glyph: draws one character of one font into a grey bitmap, the way lettrino-match
// draws that font, so that the bitmap is a reference the font matches at 100 %.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QImageWriter>

#include <cstdio>

#include "render/FontSystem.h"
#include "render/GlyphRenderer.h"
#include "session/SampleGlyph.h"

using namespace lettrino;

namespace {

int usage(const char* why) {
    if (why) std::fprintf(stderr, "lettrino-glyph: %s\n", why);
    std::fprintf(
        stderr,
        "Usage: lettrino-glyph (--face NAME | --file FONTFILE) [--char C] [--height PIXELS] OUT.bmp\n"
        "Draws C (default A) in the installed face NAME or the font file FONTFILE, its ink\n"
        "PIXELS tall (default 150), on a white 200 x 200 grey bitmap.\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOptions({
        {QStringLiteral("face"), QString(), QStringLiteral("NAME")},
        {QStringLiteral("file"), QString(), QStringLiteral("FONTFILE")},
        {QStringLiteral("char"), QString(), QStringLiteral("C")},
        {QStringLiteral("height"), QString(), QStringLiteral("PIXELS")},
        {QStringLiteral("help"), QString()},
    });
    const bool wellFormed = parser.parse(QCoreApplication::arguments());
    if (parser.isSet(QStringLiteral("help"))) return usage(nullptr);
    const QStringList positional = parser.positionalArguments();
    if (!wellFormed || positional.size() > 1) return usage("unexpected argument");

    const QString face = parser.value(QStringLiteral("face"));
    const QString file = parser.value(QStringLiteral("file"));
    const QString out = positional.value(0);
    const QString charText =
        parser.isSet(QStringLiteral("char")) ? parser.value(QStringLiteral("char")) : QStringLiteral("A");
    int height = 150;
    if (parser.isSet(QStringLiteral("height"))) {
        bool ok = false;
        height = parser.value(QStringLiteral("height")).toInt(&ok);
        if (!ok) return usage("--height needs a whole number");
    }
    if (out.isEmpty() || face.isEmpty() == file.isEmpty())
        return usage("one of --face and --file, and OUT.bmp");
    const Character ch = Character::fromText(charText);
    if (!ch.isValid() || charText.size() != 1)
        return usage("--char needs one Windows-1252 character");

    const FontRef font =
        face.isEmpty() ? FontRef::fontFile(QFileInfo(file).absoluteFilePath()) : FontRef::installedFace(face);
    FontSystem fonts;
    QString error;
    const QImage image = drawSampleGlyph(fonts, font, ch, height, 200, &error);
    if (image.isNull()) {
        std::fprintf(stderr, "lettrino-glyph: %s\n", qPrintable(error));
        return 1;
    }
    QImageWriter writer(out, "bmp");
    if (!writer.write(image)) {
        std::fprintf(stderr, "lettrino-glyph: cannot write %s: %s\n", qPrintable(out),
                     qPrintable(writer.errorString()));
        return 1;
    }
    return 0;
}
