#pragma once

#include "canvas/InkBox.h"

namespace lettrino {

class Canvas;

// How the ink is spread inside its box, measured on the red components: the picture is
// binarised at its own mid-grey (halfway between white and its darkest pixel), so that grey
// ink, a light scan or antialiasing weigh the same as black ink. Positions are fractions of
// the box (0 at its left or top pixel, 1 at its right or bottom pixel), so that they can be
// compared between a reference and a glyph drawn to another width.
struct ShapeStats {
    bool valid = false;    // false for a box without ink or a picture without ink in it
    double logAspect = 0;  // ln(width / height), both in pixels
    double coverage = 0;   // inked pixels / box pixels
    double centreX = 0;    // the ink's centroid
    double centreY = 0;
    double spreadX = 0;  // the ink's standard deviation about the centroid
    double spreadY = 0;
};

// Measures the ink of `canvas` inside `box`. Reads each pixel of the box once.
ShapeStats shapeStats(const Canvas& canvas, const InkBox& box);

}  // namespace lettrino
