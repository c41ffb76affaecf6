#include "CliFixtures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include "cli/SampleGlyph.h"
#include "fonts/FontList.h"
#include "render/FontSystem.h"

namespace lettrino::cli::test {

QString systemFont(const QString& relativePath) {
    const QString path = QStringLiteral(LETTRINO_SYSTEM_FONTS "/") + relativePath;
    return QFileInfo::exists(path) ? path : QString();
}

QStringList dejavuFonts() {
    return {QStringLiteral("dejavu/DejaVuSans.ttf"), QStringLiteral("dejavu/DejaVuSans-Bold.ttf"),
            QStringLiteral("dejavu/DejaVuSerif.ttf"), QStringLiteral("dejavu/DejaVuSansMono.ttf"),
            QStringLiteral("dejavu/DejaVuSerifCondensed.ttf")};
}

bool copyFonts(const QStringList& relativePaths, const QString& folder) {
    QDir().mkpath(folder);
    for (const QString& rel : relativePaths) {
        const QString from = systemFont(rel);
        if (from.isEmpty()) return false;
        if (!QFile::copy(from, folder + QLatin1Char('/') + QFileInfo(rel).fileName())) return false;
    }
    return true;
}

bool writeSample(const QString& fontFile, const QString& charText, int height, const QString& out) {
    const QFileInfo info(fontFile);
    FontList list;
    list.installed = false;
    list.folder = folderTag(info.absolutePath());
    FontSystem fonts;
    QString error;
    const QImage image = drawSampleGlyph(fonts, {info.fileName(), list.prefix(), info.absoluteFilePath()},
                                         charText, height, 200, &error);
    return !image.isNull() && image.save(out, "BMP");
}

void writeBrokenFonts(const QString& folder) {
    QDir().mkpath(folder);
    QFile empty(folder + QStringLiteral("/empty.ttf"));
    empty.open(QIODevice::WriteOnly);
    empty.close();
    // Starts like a TrueType file, then stops: a header that promises tables it does not hold.
    QFile corrupt(folder + QStringLiteral("/corrupt.TTF"));
    corrupt.open(QIODevice::WriteOnly);
    QByteArray bytes("\x00\x01\x00\x00\x00\x0c\x00\x80\x00\x03\x00\x40", 12);
    bytes += QByteArray("glyf\x00\x00\x00\x00\x00\x00\x10\x00\x7f\xff\xff\xff", 16);
    bytes += QByteArray(200, '\xa5');
    corrupt.write(bytes);
    corrupt.close();
}

}  // namespace lettrino::cli::test
