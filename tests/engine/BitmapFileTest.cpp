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

namespace {
// A 16-bit BMP written byte by byte: 2 x 1 pixels, white and mid-grey, 5-5-5 or 5-6-5.
QByteArray sixteenBitBmp(bool bitfields) {
    QByteArray b;
    auto u16 = [&b](int v) { b.append(char(v & 0xFF)).append(char(v >> 8 & 0xFF)); };
    auto u32 = [&](int v) { u16(v & 0xFFFF); u16(v >> 16 & 0xFFFF); };
    const int offset = bitfields ? 66 : 54;
    b.append("BM");
    u32(offset + 4);
    u32(0);
    u32(offset);
    u32(40);
    u32(2);
    u32(1);
    u16(1);
    u16(16);
    u32(bitfields ? 3 : 0);
    u32(4);
    u32(2835);
    u32(2835);
    u32(0);
    u32(0);
    if (bitfields) {
        u32(0xF800);
        u32(0x07E0);
        u32(0x001F);
        u16(0xFFFF);
        u16(16 << 11 | 32 << 5 | 16);
    } else {
        u16(0x7FFF);
        u16(16 << 10 | 16 << 5 | 16);
    }
    return b;
}
}  // namespace

TEST(BitmapFile, SixteenBitWhiteIsWhite) {
    QTemporaryDir dir;
    for (bool bitfields : {false, true}) {
        const QImage image = readBitmapFile(writeFile(dir, "16.bmp", sixteenBitBmp(bitfields)));
        ASSERT_FALSE(image.isNull()) << bitfields;
        EXPECT_EQ(image.pixel(0, 0), qRgb(255, 255, 255)) << bitfields;
        EXPECT_NEAR(qRed(image.pixel(1, 0)), 132, 1) << bitfields;
        EXPECT_NEAR(qGreen(image.pixel(1, 0)), bitfields ? 130 : 132, 1) << bitfields;
    }
}
