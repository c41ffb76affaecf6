#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "TestFonts.h"
#include "canvas/BitmapFile.h"

using namespace lettrino;

namespace {
QByteArray bmpBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}
QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    QFile f(dir.filePath(name));
    if (!f.open(QIODevice::WriteOnly)) return {};
    f.write(bytes);
    return f.fileName();
}
}  // namespace

TEST(BitmapFile, ReadsByContentAndRefusesCutShortPixelData) {
    QTemporaryDir dir;
    QImage image(120, 120, QImage::Format_RGB888);
    image.fill(Qt::white);
    const QByteArray whole = bmpBytes(image);
    QString error;

    EXPECT_FALSE(readBitmapFile(writeFile(dir, "whole.bmp", whole), &error).isNull()) << error;
    EXPECT_TRUE(error.isEmpty());
    // A PNG named .bmp is read as the PNG it is.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    EXPECT_FALSE(readBitmapFile(writeFile(dir, "png.bmp", png)).isNull());

    for (int cut : {60, 200, int(whole.size()) / 2, int(whole.size()) - 1}) {
        EXPECT_TRUE(readBitmapFile(writeFile(dir, "cut.bmp", whole.left(cut)), &error).isNull()) << cut;
        EXPECT_FALSE(error.isEmpty());
    }
    for (const QString& bad : {writeFile(dir, "empty.bmp", {}), writeFile(dir, "text.bmp", "hello"),
                               dir.filePath("missing.bmp"), dir.path()}) {
        EXPECT_TRUE(readBitmapFile(bad, &error).isNull()) << bad;
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST(BitmapFile, TopDownAndPaletteBitmapsAreWhole) {
    QTemporaryDir dir;
    QImage gray(40, 30, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int g = 0; g < 256; ++g) table.append(qRgb(g, g, g));
    gray.setColorTable(table);
    gray.fill(200);
    EXPECT_FALSE(readBitmapFile(writeFile(dir, "gray.bmp", bmpBytes(gray))).isNull());

    // The same picture stored top-down: a negative height in the header.
    QByteArray topDown = bmpBytes(QImage(16, 8, QImage::Format_RGB888));
    const qint32 h = -8;
    topDown.replace(22, 4, QByteArray(reinterpret_cast<const char*>(&h), 4));
    EXPECT_FALSE(readBitmapFile(writeFile(dir, "topdown.bmp", topDown)).isNull());
}
