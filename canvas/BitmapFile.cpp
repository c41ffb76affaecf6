#include "canvas/BitmapFile.h"

#include <QFile>
#include <QImageReader>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace lettrino {

namespace {

std::uint32_t le32(const QByteArray& b, int at) {
    return std::uint32_t(std::uint8_t(b[at])) | std::uint32_t(std::uint8_t(b[at + 1])) << 8 |
           std::uint32_t(std::uint8_t(b[at + 2])) << 16 | std::uint32_t(std::uint8_t(b[at + 3])) << 24;
}
std::uint16_t le16(const QByteArray& b, int at) {
    return std::uint16_t(std::uint8_t(b[at]) | std::uint8_t(b[at + 1]) << 8);
}

// What a BMP's header says about its pixels.
struct BmpHeader {
    std::int64_t offset = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;  // negative: rows stored top-down
    std::int64_t bpp = 0;
    std::uint32_t compression = 0;
    std::uint32_t imageSize = 0;
};

// False for a header the reader will judge for itself.
bool readBmpHeader(const QByteArray& head, BmpHeader* h) {
    if (head.size() < 30 || head[0] != 'B' || head[1] != 'M') return false;
    h->offset = le32(head, 10);
    const std::uint32_t dibSize = le32(head, 14);
    if (dibSize == 12) {
        h->width = std::int16_t(le16(head, 18));
        h->height = std::int16_t(le16(head, 20));
        h->bpp = le16(head, 24);
        return true;
    }
    if (dibSize < 40 || head.size() < 38) return false;
    h->width = std::int32_t(le32(head, 18));
    h->height = std::int32_t(le32(head, 22));
    h->bpp = le16(head, 28);
    h->compression = le32(head, 30);
    h->imageSize = le32(head, 34);
    return true;
}

// The bytes a BMP's header says its pixel data ends at; 0 when that cannot be told (a header
// the reader will judge for itself, or compressed data of no fixed size).
std::int64_t bmpDataEnd(const QByteArray& head) {
    BmpHeader h;
    if (!readBmpHeader(head, &h)) return 0;
    const bool uncompressed = h.compression == 0 || h.compression == 3 || h.compression == 6;
    if (!uncompressed) return h.imageSize > 0 ? h.offset + h.imageSize : 0;
    if (h.width <= 0 || h.bpp <= 0) return 0;
    const std::int64_t rowBytes = (h.width * h.bpp + 31) / 32 * 4;
    return h.offset + rowBytes * std::llabs(h.height);
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

// The most pixels a picture may have: the window and the preparation read every pixel, and
// a lying header (a decompression bomb) must not make the reader allocate gigabytes.
constexpr qint64 kMostPixels = 100'000'000;
// What a picture may take once decoded and read; a JPEG beyond it is decoded reduced.
constexpr qint64 kMostDecodedMb = 256;
// What the reader may allocate, in MB. What a picture takes once decoded is checked against
// kMostDecodedMb before it is read; Qt's PNG reader counts four bytes a pixel against its limit
// whatever it decodes to, so an 8-bit grey picture of 100 megapixels needs this much.
constexpr int kAllocationLimitMb = int(kMostPixels * 4 >> 20) + 64;

std::uint32_t be32(const uchar* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 |
           std::uint32_t(p[3]);
}

// Whether a PNG's chunks run on to its IEND chunk. Its readers stop quietly at the end of
// the data they need, so a file cut after its last pixel row would pass unnoticed.
bool pngComplete(const uchar* data, qint64 size) {
    qint64 at = 8;
    while (at + 8 <= size) {
        const qint64 length = be32(data + at);
        if (std::memcmp(data + at + 4, "IEND", 4) == 0) return true;
        at += 12 + length;
    }
    return false;
}

// Whether a JPEG has its end-of-image marker after its first scan. JPEG readers fill what a
// cut file lacks with grey, which would measure as ink.
bool jpegComplete(const uchar* data, qint64 size) {
    qint64 at = 2;
    // The segments before the first scan, each with its length (an Exif thumbnail with its
    // own markers is inside one of them).
    while (true) {
        while (at < size && data[at] != 0xFF) ++at;
        while (at < size && data[at] == 0xFF) ++at;
        if (at >= size) return false;
        const uchar marker = data[at++];
        if (marker == 0xD9) return false;  // ends before any scan
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) continue;
        if (at + 2 > size) return false;
        const qint64 length = qint64(data[at]) << 8 | data[at + 1];
        at += length;
        if (marker == 0xDA) break;
    }
    // Inside the scans a 0xFF byte is followed by 0x00 (a stuffed byte), a restart marker, or
    // the next table or scan; the first end-of-image marker ends the picture.
    for (; at + 1 < size; ++at) {
        const uchar* ff = static_cast<const uchar*>(std::memchr(data + at, 0xFF, std::size_t(size - at - 1)));
        if (!ff) return false;
        at = ff - data;
        if (data[at + 1] == 0xD9) return true;
    }
    return false;
}

// Whether a GIF's blocks run on to its trailer. Its reader keeps what it decoded of a cut
// frame and fills the rest with the background, which would measure as ink or hide it.
bool gifComplete(const uchar* data, qint64 size) {
    if (size < 13) return false;
    // The header and the screen descriptor, then the global colour table if there is one.
    qint64 at = 13;
    if (data[10] & 0x80) at += 3 * (qint64(2) << (data[10] & 7));
    // Data sub-blocks: a length byte and that many bytes each, up to a length of 0.
    const auto skipSubBlocks = [&]() {
        while (at < size && data[at] != 0) at += 1 + data[at];
        ++at;
    };
    while (at < size) {
        const uchar block = data[at];
        if (block == 0x3B) return true;  // the trailer
        if (block == 0x21) {             // an extension: its label, then sub-blocks
            at += 2;
            skipSubBlocks();
        } else if (block == 0x2C) {  // an image: its descriptor, a local colour table, LZW data
            if (at + 10 > size) return false;
            const uchar flags = data[at + 9];
            at += 10;
            if (flags & 0x80) at += 3 * (qint64(2) << (flags & 7));
            ++at;  // the LZW code size
            skipSubBlocks();
        } else {
            return false;
        }
    }
    return false;
}

// Whether the file's structure reaches its end marker, for the formats whose readers fill
// in what a cut file lacks. True for other formats, and when the file cannot be looked at.
bool reachesItsEnd(QFile& file, const QByteArray& format) {
    if (format != "png" && format != "jpeg" && format != "jpg" && format != "gif") return true;
    const qint64 size = file.size();
    QByteArray copy;
    const uchar* data = file.map(0, size);
    if (!data) {
        const qint64 at = file.pos();
        copy = file.readAll();
        file.seek(at);
        data = reinterpret_cast<const uchar*>(copy.constData());
    }
    if (format == "gif") return gifComplete(data, size);
    return format == "png" ? pngComplete(data, size) : jpegComplete(data, size);
}

}  // namespace

QImage readBitmapFile(const QString& path, QString* error) {
    auto fail = [error](const QString& why) {
        if (error) *error = why;
        return QImage();
    };
    // Opened without waiting and looked at before anything is read: a pipe or a device named
    // like a picture would block the reader, or never end.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return fail(QString::fromLocal8Bit(std::strerror(errno)));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return fail(S_ISDIR(st.st_mode) ? QStringLiteral("is a folder") : QStringLiteral("not a plain file"));
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fail(file.errorString());
    }
    const QByteArray head = file.peek(128);
    QImageReader reader(&file);
    reader.setDecideFormatFromContent(true);
    reader.setAllocationLimit(kAllocationLimitMb);
    reader.setAutoTransform(true);  // a phone's photo the right way up
    const QByteArray format = reader.format();
    if (!reachesItsEnd(file, format)) return fail(QStringLiteral("the file is cut short"));
    // The size the header claims: the reader's, or for a BMP too large for the reader to
    // report, its own header's.
    std::int64_t width = reader.size().width(), height = reader.size().height();
    const bool bmp = format == "bmp";
    BmpHeader bmpHeader;
    if (bmp && !reader.size().isValid() && readBmpHeader(head, &bmpHeader)) {
        width = std::llabs(bmpHeader.width);
        height = std::llabs(bmpHeader.height);
    }
    // A GIF's reader paints every frame onto a canvas of the size its screen descriptor says.
    if (format == "gif" && head.size() >= 10) {
        width = std::max<std::int64_t>(width, le16(head, 6));
        height = std::max<std::int64_t>(height, le16(head, 8));
    }
    if (width > 0 && height > 0 && width * height > kMostPixels)
        return fail(QStringLiteral("too large: %1 x %2 pixels, at most %3 megapixels")
                        .arg(width)
                        .arg(height)
                        .arg(kMostPixels / 1'000'000));
    // Bytes per pixel: one for the 8-bit kinds the preparation reads in place, else at least
    // the four of the RGB32 it converts the others to (and a GIF, whose reader paints in it).
    const int depth = QImage::toPixelFormat(reader.imageFormat()).bitsPerPixel();
    const qint64 decodedMb = width * height * (depth == 8 ? 1 : std::max(4, depth / 8)) >> 20;
    if (width > 0 && height > 0 && decodedMb > kMostDecodedMb) {
        if (format != "jpeg" || !reader.supportsOption(QImageIOHandler::ScaledSize))
            return fail(QStringLiteral(
                            "too large: %1 x %2 pixels take %3 megabytes once decoded, at most %4 megabytes")
                            .arg(width)
                            .arg(height)
                            .arg(decodedMb)
                            .arg(kMostDecodedMb));
        // Halved as often as needed: the JPEG decoder itself then decodes that much less.
        int halvings = 1;
        while ((width * height * 4 >> (2 * halvings) >> 20) > kMostDecodedMb) ++halvings;
        const std::int64_t round = (std::int64_t(1) << halvings) - 1;
        reader.setScaledSize(QSize(int((width + round) >> halvings), int((height + round) >> halvings)));
    }
    if (bmp) {
        const std::int64_t end = bmpDataEnd(head);
        if (end > file.size()) return fail(QStringLiteral("the file is cut short"));
    }
    QImage image = reader.read();
    if (image.isNull()) {
        const QString why = reader.errorString();
        return fail(why.isEmpty() ? QStringLiteral("not an image") : why);
    }
    if (error) error->clear();
    // At most 8 bits per channel are kept: nothing reads more.
    if (image.depth() > 32)
        image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                              : QImage::Format_RGB32);
    else if (image.format() == QImage::Format_Grayscale16)
        image = image.convertToFormat(QImage::Format_Grayscale8);
    int bits[3];
    if (bmp && sixteenBitChannels(head, bits)) return widenChannels(image, bits);
    return image;
}

}  // namespace lettrino
