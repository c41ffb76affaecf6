#pragma once

#include <QRect>
#include <QString>

#include <array>
#include <cstdint>
#include <vector>

#include "prep/InkCrop.h"
#include "prep/InkPieces.h"
#include "prep/Lighting.h"

namespace lettrino::prep {

class LumaSource;

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

// Reads the picture onto the grid, decides its polarity and lighting, measures the ink and
// background levels, finds the pieces of ink and makes the tone ramp, in that order: the first
// step that finds no character says why in `error`. Paper known to be lit evenly (a drawing's)
// is not fitted: it is taken as a fit would find it.
InkAnalysis analyseInk(const LumaSource& source, bool evenPaper = false);

// Turns the luminances of pixels x0 .. x0 + n - 1 of source row y into levels with the
// background on the light side: inverted when the ink is light, divided by the lighting
// when it is uneven.
void normalisePixels(const InkAnalysis& analysis, int y, int x0, int n, std::uint8_t* values);

// The source box of a component's cells.
QRect sourceBox(const InkAnalysis& analysis, const QRect& cells);

}  // namespace lettrino::prep
