#include "prep/Fringes.h"

#include <algorithm>

namespace lettrino {

namespace {

// A pixel this far from grey (its highest channel over its lowest) is coloured.
constexpr int kColoured = 48;
// Fewer coloured pixels than this are a few stray ones.
constexpr int kLeastFringes = 8;
// The rarer side's share of the coloured pixels that fringes on both sides reach.
constexpr double kBothSides = 0.25;

}  // namespace

bool showsColourFringes(const QImage& picture, const QRect& box) {
    if (picture.isNull() || picture.isGrayscale()) return false;
    const QRect area = box.isNull() ? picture.rect() : box.intersected(picture.rect());
    if (area.isEmpty()) return false;
    const QImage rgb = picture.copy(area).convertToFormat(QImage::Format_RGB32);
    int warm = 0, cool = 0;
    for (int y = 0; y < rgb.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            const int r = qRed(line[x]), g = qGreen(line[x]), b = qBlue(line[x]);
            if (std::max({r, g, b}) - std::min({r, g, b}) < kColoured) continue;
            warm += r > b;
            cool += b > r;
        }
    }
    return warm + cool >= kLeastFringes && std::min(warm, cool) >= kBothSides * (warm + cool);
}

}  // namespace lettrino
