#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace lettrino::prep {

// The background's brightness fitted over the analysis grid as a polynomial of the fourth degree
// in the cell position, for photos lit unevenly: a gradient, and a vignette, whose light falls
// off slowly in the middle and fast towards the corners (which a quadratic cannot follow: it
// leaves the corners dark enough to pass for ink).
constexpr int kLightingDegree = 4;
constexpr int kLightingTerms = (kLightingDegree + 1) * (kLightingDegree + 2) / 2;
struct Lighting {
    bool uneven = false;  // the fit varies by 16 levels or more: levels are divided by it
    // The coefficients of u^i w^j, i + j <= kLightingDegree, ordered by i + j, then by j; u and w
    // run from -1 to 1 across the grid.
    std::array<double, kLightingTerms> k{};
    double su = 0;              // u = column * su - 1
    double sw = 0;              // w = row * sw - 1
    double spread = 0;          // the cells' robust standard deviation around the fit
    double level = 0;           // the fit's mean
    int darkOutliers = 0;       // fitted cells clearly darker than the fit
    int lightOutliers = 0;      // and clearly lighter
    double at(double column, double row) const;
};

// Where an unevenly lit background lands once divided by its lighting: below white, so that
// its noise keeps both sides and its spread can be measured.
constexpr double kLitPaper = 224;

// The background's brightness as that polynomial over a grid of cols x rows levels (row by row),
// fitted to the cells and refitted to those that lie close to it (the background, when it is
// most of the picture) a few times. Even (and not fitted) on grids under 8 cells a side.
Lighting fitLighting(const std::vector<std::uint8_t>& grid, int cols, int rows);

// Turns n levels of a grid row, from column c0 on and dc columns apart (fractions for source
// pixels), into levels with the background on the light side: inverted when `inverted`, and
// when the lighting is uneven divided by it so that the background lands on kLitPaper.
void normaliseLine(const Lighting& lighting, bool inverted, double row, double c0, double dc, int n,
                   std::uint8_t* values);

}  // namespace lettrino::prep
