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

namespace lettrino {

double shapeDistance(const ShapeStats& reference, const ShapeStats& glyph, const ShapeWeights& weights) {
    if (!reference.valid || !glyph.valid) return 0;
    double d = weights.aspect * std::fabs(glyph.logAspect - reference.logAspect);
    if (weights.coverage != 0)
        d += weights.coverage * std::fabs(std::log(glyph.coverage / reference.coverage));
    if (weights.centre != 0)
        d += weights.centre *
             (std::fabs(glyph.centreX - reference.centreX) + std::fabs(glyph.centreY - reference.centreY));
    if (weights.spread != 0)
        d += weights.spread *
             (std::fabs(glyph.spreadX - reference.spreadX) + std::fabs(glyph.spreadY - reference.spreadY));
    return d;
}

double aspectScore(double m, const ShapeStats& reference, const ShapeStats& glyph,
                   const ShapeWeights& weights) {
    const double d = shapeDistance(reference, glyph, weights);
    return d == 0 ? m : m * std::exp(-d);
}

}  // namespace lettrino
