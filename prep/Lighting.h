#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace lettrino::prep {

// The background's brightness fitted over the analysis grid as a quadratic in the cell
// position, for photos lit unevenly (a gradient, a vignette).
struct Lighting {
    bool uneven = false;        // the fit varies by 16 levels or more: levels are divided by it
    std::array<double, 6> k{};  // 1, u, w, u², uw, w², with u and w from -1 to 1 across the grid
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

// The background's brightness as a quadratic over a grid of cols x rows levels (row by row),
// fitted to the cells and refitted to those that lie close to it (the background, when it is
// most of the picture) a few times. Even (and not fitted) on grids under 8 cells a side.
Lighting fitLighting(const std::vector<std::uint8_t>& grid, int cols, int rows);

// Turns n levels of a grid row, from column c0 on and dc columns apart (fractions for source
// pixels), into levels with the background on the light side: inverted when `inverted`, and
// when the lighting is uneven divided by it so that the background lands on kLitPaper.
void normaliseLine(const Lighting& lighting, bool inverted, double row, double c0, double dc, int n,
                   std::uint8_t* values);

}  // namespace lettrino::prep
