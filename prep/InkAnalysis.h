#pragma once

#include <QRect>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

namespace lettrino::prep {

class LumaSource;

// One connected piece of ink on the analysis grid (8-connected cells darker than the
// midpoint between the ink and background levels).
struct InkComponent {
    QRect cells;         // its box, in analysis cells
    int area = 0;        // its cells
    bool speck = false;  // far smaller than the largest piece: left out of every character
};

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

// What a picture's luminance says about its ink and background. The picture is read once:
// large pictures are averaged over factor x factor blocks onto a grid of at most 1024 cells a
// side for the shapes, while the level statistics come from single source pixels (so that
// noise keeps its real size). Levels are taken after inversion: the background is the
// lighter side.
struct InkAnalysis {
    QString error;   // "no character found: ..." when there is nothing to prepare; empty otherwise
    int factor = 1;  // source pixels per analysis cell, each way
    int columns = 0;
    int rows = 0;
    bool inverted = false;  // light ink on a dark background
    Lighting lighting;
    int background = 255;  // the background's level
    int ink = 0;           // the ink's level
    int whiteCut = 255;    // levels from here up are background noise and become pure white
    // A normalised level (normalisePixels) -> its prepared grey: background pure white, ink 0, the edge's
    // greys in between.
    std::array<std::uint8_t, 256> tone{};
    std::vector<int> labels;  // per cell, row by row: the index of its component, -1 for none
    std::vector<InkComponent> components;
};

InkAnalysis analyseInk(const LumaSource& source);

// Turns the luminances of pixels x0 .. x0 + n - 1 of source row y into levels with the
// background on the light side: inverted when the ink is light, divided by the lighting
// when it is uneven.
void normalisePixels(const InkAnalysis& analysis, int y, int x0, int n, std::uint8_t* values);

// The source box of a component's cells.
QRect sourceBox(const InkAnalysis& analysis, const QRect& cells);

// The cells that may hold the chosen components' ink: their own cells widened by the
// antialiased edge that falls on the light side of the threshold.
struct InkRegion {
    QRect cells;                        // the part of the grid that `allowed` covers
    std::vector<std::uint8_t> allowed;  // cells.width() x cells.height(), 1 where ink may be
};
InkRegion inkRegion(const InkAnalysis& analysis, const std::vector<char>& chosen);

// The chosen ink at source resolution: its exact box (every prepared pixel that is not white)
// and, when asked for, the prepared greys of that box (255 where nothing was chosen).
// An empty box when the region holds no ink.
struct InkCrop {
    QRect box;
    std::vector<std::uint8_t> grey;  // box.width() x box.height(), row by row
};
InkCrop cropInk(const LumaSource& source, const InkAnalysis& analysis, const InkRegion& region,
                bool keepGrey = true);

}  // namespace lettrino::prep
