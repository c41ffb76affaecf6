#include "canvas/BitmapFile.h"

#include <QFile>
#include <QImageReader>

#include <cstdint>
#include <cstdlib>

namespace lettrino {

namespace {

std::uint32_t le32(const QByteArray& b, int at) {
    return std::uint32_t(std::uint8_t(b[at])) | std::uint32_t(std::uint8_t(b[at + 1])) << 8 |
           std::uint32_t(std::uint8_t(b[at + 2])) << 16 | std::uint32_t(std::uint8_t(b[at + 3])) << 24;
}
std::uint16_t le16(const QByteArray& b, int at) {
    return std::uint16_t(std::uint8_t(b[at]) | std::uint8_t(b[at + 1]) << 8);
}

// The bytes a BMP's header says its pixel data ends at; 0 when that cannot be told (a header
// the reader will judge for itself, or compressed data of no fixed size).
std::int64_t bmpDataEnd(const QByteArray& head) {
    if (head.size() < 30 || head[0] != 'B' || head[1] != 'M') return 0;
    const std::int64_t offset = le32(head, 10);
    const std::uint32_t dibSize = le32(head, 14);
    std::int64_t width, height, bpp;
    std::uint32_t compression = 0, imageSize = 0;
    if (dibSize == 12) {
        width = std::int16_t(le16(head, 18));
        height = std::int16_t(le16(head, 20));
        bpp = le16(head, 24);
    } else if (dibSize >= 40 && head.size() >= 38) {
        width = std::int32_t(le32(head, 18));
        height = std::int32_t(le32(head, 22));
        bpp = le16(head, 28);
        compression = le32(head, 30);
        imageSize = le32(head, 34);
    } else {
        return 0;
    }
    const bool uncompressed = compression == 0 || compression == 3 || compression == 6;
    if (!uncompressed) return imageSize > 0 ? offset + imageSize : 0;
    if (width <= 0 || bpp <= 0) return 0;
    const std::int64_t rowBytes = (width * bpp + 31) / 32 * 4;
    return offset + rowBytes * std::llabs(height);
}

int bitsIn(std::uint32_t mask) {
    int n = 0;
    for (; mask; mask &= mask - 1) ++n;
    return n;
}

// The bits of red, green and blue in a 16-bit BMP, or nothing for any other kind.
bool sixteenBitChannels(const QByteArray& head, int bits[3]) {
    if (head.size() < 34 || head[0] != 'B' || head[1] != 'M') return false;
    const std::uint32_t dibSize = le32(head, 14);
    if (dibSize < 40 || le16(head, 28) != 16) return false;
    const std::uint32_t compression = le32(head, 30);
    if (compression == 0) {  // 5-5-5
        bits[0] = bits[1] = bits[2] = 5;
        return true;
    }
    if ((compression == 3 || compression == 6) && head.size() >= 66) {
        for (int c = 0; c < 3; ++c) bits[c] = bitsIn(le32(head, 54 + 4 * c));
        return true;
    }
    return false;
}

// Image readers widen a 16-bit BMP's 5- or 6-bit channels by shifting alone, so its white
// comes out as 248 or 252 and would count as ink. Scales each channel to the full 0-255.
QImage widenChannels(const QImage& image, const int bits[3]) {
    QImage out = image.convertToFormat(QImage::Format_RGB32);
    std::uint8_t table[3][256];
    for (int c = 0; c < 3; ++c) {
        const int b = bits[c] >= 1 && bits[c] < 8 ? bits[c] : 8;
        const int top = (1 << b) - 1;
        for (int v = 0; v < 256; ++v) table[c][v] = std::uint8_t(((v >> (8 - b)) * 255 + top / 2) / top);
    }
    for (int y = 0; y < out.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            line[x] = qRgb(table[0][qRed(line[x])], table[1][qGreen(line[x])], table[2][qBlue(line[x])]);
    }
    return out;
}

}  // namespace

QImage readBitmapFile(const QString& path, QString* error) {
    auto fail = [error](const QString& why) {
        if (error) *error = why;
        return QImage();
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return fail(file.errorString());
    const QByteArray head = file.peek(128);
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    if (reader.format() == "bmp") {
        const std::int64_t end = bmpDataEnd(head);
        if (end > file.size()) return fail(QStringLiteral("the file is cut short"));
    }
    const bool bmp = reader.format() == "bmp";
    const QImage image = reader.read();
    if (image.isNull()) {
        const QString why = reader.errorString();
        return fail(why.isEmpty() ? QStringLiteral("not an image") : why);
    }
    if (error) error->clear();
    int bits[3];
    if (bmp && sixteenBitChannels(head, bits)) return widenChannels(image, bits);
    return image;
}

}  // namespace lettrino
