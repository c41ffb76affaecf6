#pragma once

#include "canvas/InkBox.h"
#include "match/Shape.h"

namespace lettrino {

// The aspect-aware score: the match m weighed down by how far the glyph's proportions stray
// from the reference's. The match stretches the glyph's box onto the reference's in both
// directions independently, so a face and its condensed or extended twin can score almost
// alike; their width-to-height ratios tell them apart.
//
//   a = (right - left + 1) / (bottom - top + 1)     for each ink box, in pixels
//   d = | ln a(glyph) - ln a(reference) |
//   score = m * exp(-weight * d)
//
// The score equals m when the proportions agree exactly and falls off smoothly with the
// relative difference of the ratios (d = 0.1 is a glyph about 10 % wider or narrower).
// A box without ink (inverted) leaves m as it is.
constexpr double kAspectWeight = 0.7;

double aspectScore(double m, const InkBox& reference, const InkBox& glyph, double weight = kAspectWeight);

// d above: how far the glyph's width-to-height ratio strays from the reference's, 0 for
// equal proportions or for a box without ink.
double aspectDistance(const InkBox& reference, const InkBox& glyph);

// The weights of the differences in ShapeStats that the full score adds up. Only the
// proportions weigh by default: on the identification set (tools/make-identify-set,
// lettrino-bench identify --shape), weights for coverage, centroid and spread that gained a
// few bitmaps on half of the characters lost as many or more on the other half.
struct ShapeWeights {
    double aspect = kAspectWeight;  // | ln a(glyph) - ln a(reference) |
    double coverage = 0;            // | ln coverage(glyph) - ln coverage(reference) |
    double centre = 0;              // | centreX difference | + | centreY difference |
    double spread = 0;              // | spreadX difference | + | spreadY difference |
};

// The weighted sum of the differences between the two shapes; 0 when either has no ink.
double shapeDistance(const ShapeStats& reference, const ShapeStats& glyph, const ShapeWeights& weights = {});

// The score the ranking uses: m * exp(-shapeDistance). Equals m when the shapes agree
// exactly, or when either has no ink.
double aspectScore(double m, const ShapeStats& reference, const ShapeStats& glyph,
                   const ShapeWeights& weights = {});

}  // namespace lettrino
