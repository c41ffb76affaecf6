// lettrino-glyph: draws one character of one font into a grey bitmap, the way lettrino-match
// draws that font, so that the bitmap is a reference the font matches at 100 %.

#include <QCoreApplication>
#include <QFileInfo>
#include <QImageWriter>

#include <cstdio>

#include "cli/SampleGlyph.h"
#include "fonts/FontList.h"
#include "render/FontSystem.h"
#include "render/GlyphRenderer.h"

using namespace lettrino;
using namespace lettrino::cli;

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
    const QStringList args = QCoreApplication::arguments().mid(1);
    QString face, file, out, charText = QStringLiteral("A");
    int height = 150;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        const bool hasNext = i + 1 < args.size();
        if (a == QLatin1String("--face") && hasNext) {
            face = args.at(++i);
        } else if (a == QLatin1String("--file") && hasNext) {
            file = args.at(++i);
        } else if (a == QLatin1String("--char") && hasNext) {
            charText = args.at(++i);
        } else if (a == QLatin1String("--height") && hasNext) {
            bool ok = false;
            height = args.at(++i).toInt(&ok);
            if (!ok) return usage("--height needs a whole number");
        } else if (a == QLatin1String("--help")) {
            return usage(nullptr);
        } else if (!a.startsWith(QLatin1Char('-')) && out.isEmpty()) {
            out = a;
        } else {
            return usage("unexpected argument");
        }
    }
    if (out.isEmpty() || face.isEmpty() == file.isEmpty())
        return usage("one of --face and --file, and OUT.bmp");
    if (charCodeOf(charText) < 0 || charText.size() != 1)
        return usage("--char needs one Windows-1252 character");

    FontJob font;
    if (!face.isEmpty()) {
        font = {face, kInstalledMarker, face};
    } else {
        const QFileInfo info(file);
        FontList list;
        list.installed = false;
        list.folder = folderTag(info.absolutePath());
        font = {info.fileName(), list.prefix(), info.absoluteFilePath()};
    }
    FontSystem fonts;
    QString error;
    const QImage image = drawSampleGlyph(fonts, font, charText, height, 200, &error);
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
