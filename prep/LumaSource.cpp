#include "prep/LumaSource.h"

#include <algorithm>
#include <vector>

namespace lettrino::prep {

namespace {

inline std::uint8_t lumaOf(int r, int g, int b) {
    return std::uint8_t((77 * r + 150 * g + 29 * b + 128) >> 8);
}
inline std::uint8_t lumaOf(QRgb c) {
    return lumaOf(qRed(c), qGreen(c), qBlue(c));
}

// A straight (not premultiplied) colour laid over white.
inline QRgb overWhite(QRgb c) {
    const int a = qAlpha(c);
    if (a == 255) return c | 0xFF000000u;
    auto mix = [a](int v) { return (v * a + 255 * (255 - a) + 127) / 255; };
    return qRgb(mix(qRed(c)), mix(qGreen(c)), mix(qBlue(c)));
}

// A premultiplied colour laid over white.
inline QRgb premultipliedOverWhite(QRgb c) {
    const int rest = 255 - qAlpha(c);
    auto add = [rest](int v) { return v + rest > 255 ? 255 : v + rest; };
    return qRgb(add(qRed(c)), add(qGreen(c)), add(qBlue(c)));
}

inline bool isWhite(QRgb c) {
    return (c & 0xFFFFFFu) == 0xFFFFFFu;
}

}  // namespace

LumaSource::LumaSource(const QImage& picture) {
    switch (picture.format()) {
        case QImage::Format_RGB32:
            image_ = picture;
            kind_ = Kind::Rgb32;
            break;
        case QImage::Format_ARGB32:
            image_ = picture;
            kind_ = Kind::Argb32;
            break;
        case QImage::Format_ARGB32_Premultiplied:
            image_ = picture;
            kind_ = Kind::Premultiplied;
            break;
        case QImage::Format_Grayscale8:
            image_ = picture;
            kind_ = Kind::Grey8;
            break;
        case QImage::Format_Indexed8: {
            image_ = picture;
            kind_ = Kind::Indexed8;
            const QList<QRgb> table = picture.colorTable();
            for (int i = 0; i < 256; ++i) {
                palette_[i] = i < table.size() ? overWhite(table[i]) : qRgb(255, 255, 255);
                paletteLuma_[i] = lumaOf(palette_[i]);
            }
            break;
        }
        case QImage::Format_Grayscale16:
            image_ = picture.convertToFormat(QImage::Format_Grayscale8);
            kind_ = Kind::Grey8;
            break;
        default:
            if (picture.isNull()) break;
            if (picture.hasAlphaChannel()) {
                image_ = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
                kind_ = Kind::Premultiplied;
            } else {
                image_ = picture.convertToFormat(QImage::Format_RGB32);
                kind_ = Kind::Rgb32;
            }
            break;
    }
}

void LumaSource::luma(int y, int x0, int n, std::uint8_t* out) const {
    const uchar* line = image_.constScanLine(y);
    switch (kind_) {
        case Kind::Rgb32: {
            const QRgb* px = reinterpret_cast<const QRgb*>(line) + x0;
            for (int i = 0; i < n; ++i) out[i] = lumaOf(px[i]);
            break;
        }
        case Kind::Argb32:
        case Kind::Premultiplied: {
            const QRgb* px = reinterpret_cast<const QRgb*>(line) + x0;
            const bool straight = kind_ == Kind::Argb32;
            for (int i = 0; i < n; ++i) {
                const QRgb c = px[i];
                out[i] = qAlpha(c) == 255 ? lumaOf(c)
                                          : lumaOf(straight ? overWhite(c) : premultipliedOverWhite(c));
            }
            break;
        }
        case Kind::Grey8:
            std::copy_n(line + x0, n, out);
            break;
        case Kind::Indexed8:
            for (int i = 0; i < n; ++i) out[i] = paletteLuma_[line[x0 + i]];
            break;
    }
}

void LumaSource::addLuma(int y, int x0, int n, std::uint32_t* sums) const {
    const uchar* line = image_.constScanLine(y);
    if (kind_ == Kind::Rgb32) {
        const QRgb* px = reinterpret_cast<const QRgb*>(line) + x0;
        for (int i = 0; i < n; ++i) sums[i] += lumaOf(px[i]);
    } else if (kind_ == Kind::Grey8) {
        for (int i = 0; i < n; ++i) sums[i] += line[x0 + i];
    } else {
        std::uint8_t part[256];
        for (int at = 0; at < n; at += 256) {
            const int m = std::min(256, n - at);
            luma(y, x0 + at, m, part);
            for (int i = 0; i < m; ++i) sums[at + i] += part[i];
        }
    }
}

bool LumaSource::whiteOutside(const QRect& area) const {
    std::vector<QRgb> line(static_cast<std::size_t>(std::max(0, width())));
    for (int y = 0; y < height(); ++y) {
        colours(y, 0, width(), line.data());
        const bool inside = y >= area.top() && y <= area.bottom();
        for (int x = 0; x < width(); ++x)
            if (!isWhite(line[std::size_t(x)]) && !(inside && x >= area.left() && x <= area.right()))
                return false;
    }
    return true;
}

void LumaSource::colours(int y, int x0, int n, QRgb* out) const {
    const uchar* line = image_.constScanLine(y);
    if (kind_ == Kind::Grey8 || kind_ == Kind::Indexed8) {
        for (int i = 0; i < n; ++i) {
            const uchar v = line[x0 + i];
            out[i] = kind_ == Kind::Grey8 ? qRgb(v, v, v) : palette_[v];
        }
        return;
    }
    const QRgb* px = reinterpret_cast<const QRgb*>(line) + x0;
    for (int i = 0; i < n; ++i) {
        const QRgb c = px[i];
        out[i] = kind_ == Kind::Rgb32    ? c | 0xFF000000u
                 : kind_ == Kind::Argb32 ? overWhite(c)
                                         : premultipliedOverWhite(c);
    }
}

}  // namespace lettrino::prep
