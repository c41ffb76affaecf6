#include "match/LineMatch.h"

#include <cmath>

#include "render/TextLayout.h"

namespace lettrino {

LineScore matchLine(const QImage& reference, const TextRaster& text) {
    LineScore s;
    if (reference.isNull() || text.empty()) return s;
    const int w = reference.width(), h = reference.height();
    QImage drawn(text.width, text.height, QImage::Format_Grayscale8);
    for (int y = 0; y < text.height; ++y) {
        uchar* row = drawn.scanLine(y);
        const std::uint8_t* from = text.coverage.data() + std::size_t(y) * std::size_t(text.width);
        for (int x = 0; x < text.width; ++x) row[x] = uchar(255 - from[x]);
    }
    drawn = drawn.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                .convertToFormat(QImage::Format_Grayscale8);
    long long both = 0, either = 0;
    for (int y = 0; y < h; ++y) {
        const uchar* r = reference.constScanLine(y);
        const uchar* d = drawn.constScanLine(y);
        for (int x = 0; x < w; ++x) {
            const bool inR = r[x] < 128, inD = d[x] < 128;
            both += inR && inD;
            either += inR || inD;
        }
    }
    s.m = either > 0 ? double(both) / double(either) : 0.0;
    s.stretch = (double(w) / h) / (double(text.width) / text.height);
    s.score = s.m * std::exp(-kStretchWeight * std::fabs(std::log(s.stretch)));
    return s;
}

}  // namespace lettrino
