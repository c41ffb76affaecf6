#include "Fixtures.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cmath>
#include <cstdlib>

#include "render/FontSystem.h"
#include "session/FontSource.h"
#include "session/SampleGlyph.h"

namespace lettrino::fixtures {

namespace {

// One font system for the fixtures, apart from any a test makes: made on first use.
FontSystem& fixtureFonts() {
    static FontSystem fonts;
    return fonts;
}

QString missing(const QString& what, const QString& fontOrFace) {
    return QStringLiteral("%1 is missing: install the Debian package %2 (scripts/setup does)")
        .arg(what, debianPackageOf(fontOrFace));
}

}  // namespace

QString debianPackageOf(const QString& fontOrFace) {
    const QString name = fontOrFace.toLower().remove(QLatin1Char(' '));
    if (name.contains(QLatin1String("dejavu")))
        return name.contains(QRegularExpression(QStringLiteral("condensed|oblique|italic|extralight|math")))
                   ? QStringLiteral("fonts-dejavu-extra")
                   : QStringLiteral("fonts-dejavu-core");
    if (name.contains(QLatin1String("liberation"))) return QStringLiteral("fonts-liberation2");
    if (name.contains(QLatin1String("free"))) return QStringLiteral("fonts-freefont-ttf");
    if (name.contains(QLatin1String("noto"))) return QStringLiteral("fonts-noto-core");
    return QStringLiteral(
        "that holds it (fonts-dejavu-core, fonts-dejavu-extra, fonts-liberation2, "
        "fonts-freefont-ttf or fonts-noto-core)");
}

QString systemFont(const QString& relative, QString* path) {
    *path = QStringLiteral(LETTRINO_SYSTEM_FONTS "/") + relative;
    return QFileInfo(*path).isFile() ? QString() : missing(*path, relative);
}

QString installedFontFile(const QString& face, QString* path) {
    path->clear();
    for (const FontRef& font : installedJobs(fixtureFonts()))
        if (font.name == face) *path = font.file;
    return path->isEmpty() ? missing(QStringLiteral("The installed face ") + face, face) : QString();
}

QString copyFonts(const QString& folder, const QStringList& relatives) {
    for (const QString& relative : relatives) {
        QString from;
        if (QString why = systemFont(relative, &from); !why.isEmpty()) return why;
        const QString to = folder + QLatin1Char('/') + QFileInfo(relative).fileName();
        if (!QFile::copy(from, to)) return QStringLiteral("cannot copy %1 to %2").arg(from, to);
    }
    return {};
}

QString referenceGlyph(const QString& fontFile, const QString& charText, QImage* glyph, int inkHeight) {
    const FontRef font = FontRef::fontFile(QFileInfo(fontFile).absoluteFilePath());
    QString why;
    *glyph = drawSampleGlyph(fixtureFonts(), font, Character::fromText(charText), inkHeight, 200, &why);
    return glyph->isNull() ? QStringLiteral("no reference glyph from %1: %2").arg(fontFile, why) : QString();
}

QImage screenText(const QString& fontFile, const QString& text, double ppem, int hinting) {
    FontSystem fonts;
    const int before = fonts.faceCount();
    if (fonts.addFontResource(fontFile) < 1) return QImage();
    fonts.setHinting(hinting == 0   ? Hinting::Full
                     : hinting == 2 ? Hinting::None
                     : hinting == 3 ? Hinting::Subpixel
                                    : Hinting::Light);
    fonts.setPositions(hinting == 2 || hinting == 4 || hinting == 5 ? Positions::Exact : Positions::Whole);
    TextRaster drawn;
    fonts.drawText(fonts.createFont(fonts.faceName(before), ppem * 72.0 / 96.0), text, Setting::NoLigatures,
                   drawn);
    if (drawn.empty()) return QImage();
    QImage picture(drawn.width + 24, drawn.height + 20, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int y = 0; y < drawn.height; ++y)
        for (int x = 0; x < drawn.width; ++x) {
            const int c = drawn.coverage[std::size_t(y * drawn.width + x)];
            // Darkened as a browser darkens small text.
            const int grey = 255 - (hinting == 4 ? int(std::lround(255 * std::pow(c / 255.0, 0.7))) : c);
            picture.setPixel(x + 12, y + 10, qRgb(grey, grey, grey));
        }
    return picture;
}

QImage setTextPicture(const QString& fontFile, const QString& text, bool ligatures, double stretch,
                      double cut, int* glyphs) {
    FontSystem fonts;
    const int before = fonts.faceCount();
    if (fonts.addFontResource(fontFile) < 1) return QImage();
    TextRaster raster;
    fonts.drawText(fonts.createFont(fonts.faceName(before), 60), text,
                   ligatures ? Setting::Ligatures : Setting::NoLigatures, raster);
    if (glyphs) *glyphs = raster.glyphs;
    if (raster.empty()) return QImage();
    QImage ink(raster.width, raster.height, QImage::Format_Grayscale8);
    for (int y = 0; y < raster.height; ++y)
        for (int x = 0; x < raster.width; ++x)
            ink.scanLine(y)[x] = uchar(255 - raster.coverage[std::size_t(y * raster.width + x)]);
    ink = ink.scaled(int(std::lround(raster.width * stretch)), raster.height, Qt::IgnoreAspectRatio,
                     Qt::SmoothTransformation);
    QImage picture(ink.width() + 40, ink.height() + 40, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int y = 0; y < ink.height(); ++y)
        for (int x = 0; x < ink.width(); ++x) {
            const int g = ink.constScanLine(y)[x];
            if (cut < 0 || std::abs(x - int(cut * ink.width())) > 1)
                picture.setPixel(x + 20, y + 20, qRgb(g, g, g));
        }
    return picture;
}

QImage blockPicture(const QRect& block, int size) {
    QImage picture(size, size, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int y = block.top(); y <= block.bottom(); ++y)
        for (int x = block.left(); x <= block.right(); ++x) picture.setPixel(x, y, qRgb(0, 0, 0));
    return picture;
}

QString saveBitmap(const QImage& picture, const QString& path) {
    return picture.save(path, "BMP") ? QString() : QStringLiteral("cannot write ") + path;
}

QString firstDifference(const QImage& actual, const QImage& expected) {
    if (actual.size() != expected.size()) return QStringLiteral("the sizes differ");
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x) {
            const QRgb a = actual.pixel(x, y) & 0xFFFFFF, e = expected.pixel(x, y) & 0xFFFFFF;
            if (a != e)
                return QStringLiteral("(%1, %2): %3 vs %4")
                    .arg(x)
                    .arg(y)
                    .arg(a, 6, 16, QLatin1Char('0'))
                    .arg(e, 6, 16, QLatin1Char('0'));
        }
    return {};
}

}  // namespace lettrino::fixtures
