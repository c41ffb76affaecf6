#include "match/Aspect.h"

#include <cmath>

namespace lettrino {

namespace {

// ln of the width-to-height ratio in pixels; false for a box without ink.
bool logAspect(const InkBox& box, double* out) {
    const double w = double(box.right) - box.left + 1;
    const double h = double(box.bottom) - box.top + 1;
    if (!(w > 0) || !(h > 0)) return false;
    *out = std::log(w / h);
    return true;
}

}  // namespace

double aspectDistance(const InkBox& reference, const InkBox& glyph) {
    double r = 0, g = 0;
    if (!logAspect(reference, &r) || !logAspect(glyph, &g)) return 0;
    return std::fabs(g - r);
}

double aspectScore(double m, const InkBox& reference, const InkBox& glyph, double weight) {
    const double d = aspectDistance(reference, glyph);
    return d == 0 ? m : m * std::exp(-weight * d);
}

}  // namespace lettrino
