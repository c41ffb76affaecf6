#include "HostileFiles.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace lettrino::hostile {

namespace {

constexpr int kFileHeader = 14, kInfoHeader = 40, kV4Header = 108;

void put16(QByteArray& b, quint16 v) {
    b.append(char(v & 0xFF)).append(char(v >> 8));
}
void put32(QByteArray& b, quint32 v) {
    put16(b, quint16(v & 0xFFFF));
    put16(b, quint16(v >> 16));
}
QByteArray le32(quint32 v) {
    QByteArray b;
    put32(b, v);
    return b;
}
quint16 get16be(const QByteArray& b, int at) {
    return quint16(quint8(b[at]) << 8 | quint8(b[at + 1]));
}
void set16be(QByteArray& b, int at, quint16 v) {
    b[at] = char(v >> 8);
    b[at + 1] = char(v & 0xFF);
}

QRgb pixelAt(const BmpPlan& s, int x, int y) {
    return s.pixel ? s.pixel(x, y) : qRgb(255, 255, 255);
}
// The palette index of a colour on a grey ramp of `levels` entries.
int paletteIndex(QRgb c, int levels) {
    return int(std::lround(qGray(c) * (levels - 1) / 255.0));
}

// One row of pixels as stored, padded to four bytes.
QByteArray packRow(const BmpPlan& s, int y) {
    QByteArray row;
    if (s.bitsPerPixel <= 8) {
        const int perByte = 8 / s.bitsPerPixel;
        for (int x0 = 0; x0 < s.width; x0 += perByte) {
            int byte = 0;
            for (int i = 0; i < perByte && x0 + i < s.width; ++i)
                byte |= paletteIndex(pixelAt(s, x0 + i, y), 1 << s.bitsPerPixel)
                        << (8 - s.bitsPerPixel * (i + 1));
            row.append(char(byte));
        }
    } else {
        for (int x = 0; x < s.width; ++x) {
            const QRgb c = pixelAt(s, x, y);
            if (s.bitsPerPixel == 16) {
                put16(row, quint16((qRed(c) >> 3) << 10 | (qGreen(c) >> 3) << 5 | (qBlue(c) >> 3)));
                continue;
            }
            row.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c)));
            if (s.bitsPerPixel == 32) row.append(char(s.alpha ? qAlpha(c) : 0));
        }
    }
    while (row.size() % 4) row.append('\0');
    return row;
}

// One row as 8-bit run-length codes, ended by the end-of-line code.
QByteArray packRle8Row(const BmpPlan& s, int y) {
    QByteArray row;
    for (int x = 0; x < s.width;) {
        const int index = paletteIndex(pixelAt(s, x, y), 256);
        int run = 1;
        while (x + run < s.width && run < 255 && paletteIndex(pixelAt(s, x + run, y), 256) == index) ++run;
        row.append(char(run)).append(char(index));
        x += run;
    }
    return row.append(2, '\0');
}

}  // namespace

QByteArray bmpBytes(const BmpPlan& s) {
    const int rows = std::abs(s.height);
    const bool v4 = s.bitsPerPixel == 32 && s.alpha;
    const int paletteEntries = s.bitsPerPixel <= 8 ? 1 << s.bitsPerPixel : 0;
    QByteArray pixels;
    for (int i = 0; i < rows; ++i) {
        const int y = s.height < 0 ? i : rows - 1 - i;  // negative height: stored top-down
        pixels += s.rle8 ? packRle8Row(s, y) : packRow(s, y);
    }
    if (s.rle8) pixels.append('\0').append('\1');

    const int infoSize = v4 ? kV4Header : kInfoHeader;
    const int offset = kFileHeader + infoSize + paletteEntries * 4;
    QByteArray b("BM");
    for (quint32 v : {quint32(offset + pixels.size()), 0u, quint32(offset), quint32(infoSize),
                      quint32(s.width), quint32(s.height)})
        put32(b, v);
    put16(b, 1);
    put16(b, quint16(s.bitsPerPixel));
    for (quint32 v : {quint32(s.rle8 ? 1
                              : v4   ? 3
                                     : 0),
                      quint32(pixels.size()), 2835u, 2835u, quint32(paletteEntries), 0u})
        put32(b, v);
    if (v4) {
        for (quint32 mask : {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u, 0x73524742u /* 'sRGB' */})
            put32(b, mask);
        b.append(QByteArray(36 + 12, '\0'));
    }
    for (int i = 0; i < paletteEntries; ++i) {
        const char g = char(i * 255 / (paletteEntries - 1));
        b.append(g).append(g).append(g).append('\0');
    }
    return b + pixels;
}

QByteArray bmpBytes(int width, int height, int bitsPerPixel, std::function<QRgb(int, int)> pixel) {
    BmpPlan s;
    s.width = width;
    s.height = height;
    s.bitsPerPixel = bitsPerPixel;
    s.pixel = std::move(pixel);
    return bmpBytes(s);
}

QByteArray bmpClaiming(int width, int height, int pixelBytes) {
    QByteArray b = bmpBytes(BmpPlan{}).left(kFileHeader + kInfoHeader);
    b.replace(18, 4, le32(quint32(width)));
    b.replace(22, 4, le32(quint32(height)));
    b.replace(34, 4, QByteArray(4, '\0'));  // image size: "work it out"
    b += QByteArray(pixelBytes, '\0');
    return b.replace(2, 4, le32(quint32(b.size())));
}

std::function<QRgb(int, int)> blackSquare(int x0, int y0, int side) {
    return [=](int x, int y) {
        const bool in = x >= x0 && x < x0 + side && y >= y0 && y < y0 + side;
        return in ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
    };
}

QByteArray gifBytes(int width, int height, std::function<QRgb(int x, int y)> pixel) {
    QByteArray b("GIF89a");
    put16(b, quint16(width));
    put16(b, quint16(height));
    b.append(char(0x86)).append('\0').append('\0');  // a global table of 128 colours
    for (int i = 0; i < 128; ++i) b.append(QByteArray(3, char(i * 255 / 127)));
    b.append(',');
    put32(b, 0);
    put16(b, quint16(width));
    put16(b, quint16(height));
    b.append('\0').append('\7');
    // Every pixel a code of its own, eight bits wide: a clear code before the table would
    // need a ninth bit.
    QByteArray codes;
    for (int i = 0; i < width * height; ++i) {
        if (i % 120 == 0) codes.append(char(128));
        const QRgb c = pixel ? pixel(i % width, i / width) : qRgb(255, 255, 255);
        codes.append(char(paletteIndex(c, 128)));
    }
    codes.append(char(129));
    for (int at = 0; at < codes.size(); at += 255)
        b.append(char(std::min<int>(255, int(codes.size()) - at))).append(codes.mid(at, 255));
    return b.append('\0').append(';');
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

SfntTable findTable(const QByteArray& font, const char tag[4]) {
    const int tables = font.size() < 12 ? 0 : get16be(font, 4);
    for (int i = 0; i < tables && 12 + 16 * (i + 1) <= font.size(); ++i) {
        const int rec = 12 + 16 * i;
        if (std::memcmp(font.constData() + rec, tag, 4) != 0) continue;
        const quint32 offset = quint32(get16be(font, rec + 8)) << 16 | get16be(font, rec + 10);
        const quint32 length = quint32(get16be(font, rec + 12)) << 16 | get16be(font, rec + 14);
        if (offset + quint64(length) > quint64(font.size())) return {};
        return {int(offset), int(length)};
    }
    return {};
}

bool patchUnitsPerEm(QByteArray& font, quint16 unitsPerEm) {
    const SfntTable head = findTable(font, "head");
    if (head.offset < 0 || head.length < 54) return false;
    set16be(font, head.offset + 18, unitsPerEm);
    return true;
}

bool makeSymbolCmap(QByteArray& font) {
    const SfntTable cmap = findTable(font, "cmap");
    if (cmap.offset < 0 || cmap.length < 4) return false;
    for (int i = 0; i < get16be(font, cmap.offset + 2); ++i) {
        const int rec = cmap.offset + 4 + 8 * i;
        if (rec + 8 > cmap.offset + cmap.length) return false;
        set16be(font, rec, 3);
        set16be(font, rec + 2, 0);
    }
    return true;
}

}  // namespace lettrino::hostile
