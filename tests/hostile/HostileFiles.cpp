#include "HostileFiles.h"

#include <QFile>

#include <cmath>
#include <cstring>
#include <vector>

namespace lettrino::hostile {

namespace {

void put16(QByteArray& b, quint16 v) {
    b.append(char(v & 0xFF));
    b.append(char(v >> 8));
}
void put32(QByteArray& b, quint32 v) {
    put16(b, quint16(v & 0xFFFF));
    put16(b, quint16(v >> 16));
}

quint16 get16be(const QByteArray& b, int at) {
    return quint16(quint8(b[at]) << 8 | quint8(b[at + 1]));
}
quint32 get32be(const QByteArray& b, int at) {
    return quint32(get16be(b, at)) << 16 | get16be(b, at + 2);
}
void set16be(QByteArray& b, int at, quint16 v) {
    b[at] = char(v >> 8);
    b[at + 1] = char(v & 0xFF);
}

constexpr int kFileHeader = 14;
constexpr int kInfoHeader = 40;
constexpr int kV4Header = 108;

// The palette index of a colour on a gray ramp of `levels` entries.
int paletteIndex(QRgb c, int levels) {
    return int(std::lround(qGray(c) * (levels - 1) / 255.0));
}

// One row of pixels as stored, padded to four bytes.
QByteArray packRow(const BmpPlan& s, int y) {
    QByteArray row;
    const int levels = s.bitsPerPixel <= 8 ? 1 << s.bitsPerPixel : 0;
    auto at = [&](int x) { return s.pixel ? s.pixel(x, y) : qRgb(255, 255, 255); };
    if (levels) {
        const int perByte = 8 / s.bitsPerPixel;
        for (int x0 = 0; x0 < s.width; x0 += perByte) {
            int byte = 0;
            for (int i = 0; i < perByte; ++i) {
                const int index = x0 + i < s.width ? paletteIndex(at(x0 + i), levels) : 0;
                byte |= index << (8 - s.bitsPerPixel * (i + 1));
            }
            row.append(char(byte));
        }
    } else {
        for (int x = 0; x < s.width; ++x) {
            const QRgb c = at(x);
            switch (s.bitsPerPixel) {
                case 16:
                    put16(row, quint16((qRed(c) >> 3) << 10 | (qGreen(c) >> 3) << 5 | (qBlue(c) >> 3)));
                    break;
                case 24:
                    row.append(char(qBlue(c)));
                    row.append(char(qGreen(c)));
                    row.append(char(qRed(c)));
                    break;
                default:
                    row.append(char(qBlue(c)));
                    row.append(char(qGreen(c)));
                    row.append(char(qRed(c)));
                    row.append(char(s.alpha ? qAlpha(c) : 0));
                    break;
            }
        }
    }
    while (row.size() % 4) row.append('\0');
    return row;
}

// One row as 8-bit run-length codes, ended by the end-of-line code.
QByteArray packRle8Row(const BmpPlan& s, int y) {
    QByteArray row;
    int x = 0;
    while (x < s.width) {
        const int index = paletteIndex(s.pixel ? s.pixel(x, y) : qRgb(255, 255, 255), 256);
        int run = 1;
        while (x + run < s.width && run < 255 &&
               paletteIndex(s.pixel ? s.pixel(x + run, y) : qRgb(255, 255, 255), 256) == index)
            ++run;
        row.append(char(run));
        row.append(char(index));
        x += run;
    }
    row.append('\0');
    row.append('\0');
    return row;
}

}  // namespace

QByteArray bmpBytes(const BmpPlan& s) {
    const int rows = std::abs(s.height);
    const bool topDown = s.height < 0;
    const bool v4 = s.bitsPerPixel == 32 && s.alpha;
    const int paletteEntries = s.bitsPerPixel <= 8 ? 1 << s.bitsPerPixel : 0;

    QByteArray pixels;
    for (int i = 0; i < rows; ++i) {
        const int y = topDown ? i : rows - 1 - i;
        pixels += s.rle8 ? packRle8Row(s, y) : packRow(s, y);
    }
    if (s.rle8) {
        pixels.append('\0');
        pixels.append('\1');
    }

    const int infoSize = v4 ? kV4Header : kInfoHeader;
    const int offset = kFileHeader + infoSize + paletteEntries * 4;
    QByteArray b;
    b.append("BM");
    put32(b, quint32(offset + pixels.size()));
    put32(b, 0);
    put32(b, quint32(offset));
    put32(b, quint32(infoSize));
    put32(b, quint32(s.width));
    put32(b, quint32(s.height));
    put16(b, 1);
    put16(b, quint16(s.bitsPerPixel));
    put32(b, s.rle8 ? 1 : v4 ? 3 : 0);
    put32(b, quint32(pixels.size()));
    put32(b, 2835);
    put32(b, 2835);
    put32(b, quint32(paletteEntries));
    put32(b, 0);
    if (v4) {
        put32(b, 0x00FF0000);
        put32(b, 0x0000FF00);
        put32(b, 0x000000FF);
        put32(b, 0xFF000000);
        put32(b, 0x73524742);  // 'sRGB'
        b.append(QByteArray(36 + 12, '\0'));
    }
    for (int i = 0; i < paletteEntries; ++i) {
        const int g = i * 255 / (paletteEntries - 1);
        b.append(char(g));
        b.append(char(g));
        b.append(char(g));
        b.append('\0');
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
    BmpPlan s;
    s.width = 1;
    s.height = 1;
    QByteArray b = bmpBytes(s).left(kFileHeader + kInfoHeader);
    // Patch the claimed size in, then whatever pixels there are.
    QByteArray w, h;
    put32(w, quint32(width));
    put32(h, quint32(height));
    b.replace(18, 4, w);
    b.replace(22, 4, h);
    b.replace(34, 4, QByteArray(4, '\0'));  // image size: "work it out"
    b += QByteArray(pixelBytes, '\0');
    QByteArray size;
    put32(size, quint32(b.size()));
    b.replace(2, 4, size);
    return b;
}

std::function<QRgb(int, int)> blackSquare(int x0, int y0, int side) {
    return [=](int x, int y) {
        const bool in = x >= x0 && x < x0 + side && y >= y0 && y < y0 + side;
        return in ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
    };
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
    if (font.size() < 12) return {};
    const int tables = get16be(font, 4);
    for (int i = 0; i < tables; ++i) {
        const int rec = 12 + 16 * i;
        if (rec + 16 > font.size()) break;
        if (std::memcmp(font.constData() + rec, tag, 4) != 0) continue;
        const quint32 offset = get32be(font, rec + 8), length = get32be(font, rec + 12);
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
    const int maps = get16be(font, cmap.offset + 2);
    for (int i = 0; i < maps; ++i) {
        const int rec = cmap.offset + 4 + 8 * i;
        if (rec + 8 > cmap.offset + cmap.length) return false;
        set16be(font, rec, 3);
        set16be(font, rec + 2, 0);
    }
    return true;
}

}  // namespace lettrino::hostile
