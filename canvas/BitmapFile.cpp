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

}  // namespace

QImage readBitmapFile(const QString& path, QString* error) {
    auto fail = [error](const QString& why) {
        if (error) *error = why;
        return QImage();
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return fail(file.errorString());
    const QByteArray head = file.peek(64);
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    if (reader.format() == "bmp") {
        const std::int64_t end = bmpDataEnd(head);
        if (end > file.size()) return fail(QStringLiteral("the file is cut short"));
    }
    const QImage image = reader.read();
    if (image.isNull()) {
        const QString why = reader.errorString();
        return fail(why.isEmpty() ? QStringLiteral("not an image") : why);
    }
    if (error) error->clear();
    return image;
}

}  // namespace lettrino
