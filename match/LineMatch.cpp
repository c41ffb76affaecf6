#include "match/LineMatch.h"

#include <algorithm>
#include <cmath>

#include "render/TextLayout.h"

namespace lettrino {

namespace {
// A text wider than this many times its height is compared stretch by stretch.
constexpr int kAlignedWidths = 4;

// A font's drawing of a text, dark ink on white, at its own size.
QImage textImage(const TextRaster& text) {
    if (text.empty()) return QImage();
    QImage drawn(text.width, text.height, QImage::Format_Grayscale8);
    for (int y = 0; y < text.height; ++y) {
        uchar* row = drawn.scanLine(y);
        const std::uint8_t* from = text.coverage.data() + std::size_t(y) * std::size_t(text.width);
        for (int x = 0; x < text.width; ++x) row[x] = uchar(255 - from[x]);
    }
    return drawn;
}
}  // namespace

QImage fittedText(const TextRaster& text, int width, int height) {
    if (text.empty() || width < 1 || height < 1) return QImage();
    return textImage(text)
        .scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_Grayscale8);
}

LineScore matchLine(const QImage& reference, const TextRaster& text) {
    return matchLine(reference, textImage(text));
}

LineScore matchLine(const QImage& reference, const QImage& text, bool graded) {
    LineScore s;
    if (reference.isNull() || text.isNull()) return s;
    const int w = reference.width(), h = reference.height();
    const QImage drawn = text.size() == reference.size()
                             ? text
                             : text.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                   .convertToFormat(QImage::Format_Grayscale8);
    // A long text drifts: letter-spacing and rounding that differ by a fraction of a pixel per
    // letter add up along a line. Each stretch of two line-heights is compared at the shift of
    // up to a tenth of the height that fits it best.
    const int window = w > kAlignedWidths * h ? 2 * h : w;
    const int reach = w > kAlignedWidths * h ? std::max(1, h / 10) : 0;
    long long both = 0, either = 0;
    for (int x0 = 0; x0 < w; x0 += window) {
        const int x1 = std::min(w, x0 + window);
        long long bestBoth = -1, bestEither = 0;
        for (int shift = -reach; shift <= reach; ++shift) {
            long long b = 0, e = 0;
            for (int y = 0; y < h; ++y) {
                const uchar* r = reference.constScanLine(y);
                const uchar* d = drawn.constScanLine(y);
                for (int x = x0; x < x1; ++x) {
                    const int xd = x + shift;
                    if (graded) {
                        const int inR = 255 - r[x], inD = xd >= 0 && xd < w ? 255 - d[xd] : 0;
                        b += std::min(inR, inD);
                        e += std::max(inR, inD);
                    } else {
                        const bool inR = r[x] < 128, inD = xd >= 0 && xd < w && d[xd] < 128;
                        b += inR && inD;
                        e += inR || inD;
                    }
                }
            }
            if (bestBoth < 0 || b * std::max<long long>(bestEither, 1) > bestBoth * std::max<long long>(e, 1))
                bestBoth = b, bestEither = e;
        }
        both += bestBoth;
        either += bestEither;
    }
    s.m = either > 0 ? double(both) / double(either) : 0.0;
    s.stretch = (double(w) / h) / (double(text.width()) / text.height());
    s.score = s.m * std::exp(-kStretchWeight * std::fabs(std::log(s.stretch)));
    return s;
}

}  // namespace lettrino
