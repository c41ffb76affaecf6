#include "match/Shape.h"

#include <algorithm>
#include <cmath>

#include "canvas/Canvas.h"

namespace lettrino {

ShapeStats shapeStats(const Canvas& canvas, const InkBox& box) {
    ShapeStats s;
    const int left = std::max(0, int(box.left));
    const int top = std::max(0, int(box.top));
    const int right = std::min(Canvas::kSize - 1, int(box.right));
    const int bottom = std::min(Canvas::kSize - 1, int(box.bottom));
    if (right < left || bottom < top) return s;
    const int w = right - left + 1;
    const int h = bottom - top + 1;

    int darkest = 255;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) darkest = std::min(darkest, canvas.red(x, y));
    if (darkest >= 255) return s;
    // Ink is darker than halfway between white and the darkest pixel.
    const int threshold = (255 + darkest + 1) / 2;

    double n = 0, sx = 0, sy = 0, sxx = 0, syy = 0;
    for (int y = top; y <= bottom; ++y) {
        const double fy = h > 1 ? double(y - top) / (h - 1) : 0.5;
        double rowN = 0, rowX = 0, rowXX = 0;
        for (int x = left; x <= right; ++x) {
            if (canvas.red(x, y) >= threshold) continue;
            const double fx = w > 1 ? double(x - left) / (w - 1) : 0.5;
            rowN += 1;
            rowX += fx;
            rowXX += fx * fx;
        }
        n += rowN;
        sx += rowX;
        sxx += rowXX;
        sy += rowN * fy;
        syy += rowN * fy * fy;
    }
    if (n <= 0) return s;
    s.valid = true;
    s.logAspect = std::log(double(w) / h);
    s.coverage = n / (double(w) * h);
    s.centreX = sx / n;
    s.centreY = sy / n;
    s.spreadX = std::sqrt(std::max(0.0, sxx / n - s.centreX * s.centreX));
    s.spreadY = std::sqrt(std::max(0.0, syy / n - s.centreY * s.centreY));
    return s;
}

}  // namespace lettrino
