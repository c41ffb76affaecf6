#pragma once

#include "canvas/InkBox.h"

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
// A box without ink (inverted) leaves m as it is. The weight comes from the identification
// set (tools/make-identify-set, lettrino-bench identify): top-1 is flat from 0.4 to 1.0 and
// falls off on both sides (0.2 and 2 lose 1 to 3 points, 8 loses 15).
constexpr double kAspectWeight = 0.7;

double aspectScore(double m, const InkBox& reference, const InkBox& glyph, double weight = kAspectWeight);

// d above: how far the glyph's width-to-height ratio strays from the reference's, 0 for
// equal proportions or for a box without ink.
double aspectDistance(const InkBox& reference, const InkBox& glyph);

}  // namespace lettrino
