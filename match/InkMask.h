#pragma once

#include <cstdint>
#include <vector>

#include "canvas/InkBox.h"

namespace lettrino {

class Canvas;

// The ink of a picture as a black-and-white mask: the pixels inside a box that are darker
// than halfway between white and the box's darkest pixel, cropped to the tight box of those
// pixels. Grey ink, a light scan, and antialiased or blurred edges all come out alike, which
// the match's grey-level comparison does not do.
struct InkMask {
    int width = 0;
    int height = 0;
    int count = 0;                  // inked pixels
    std::vector<std::uint8_t> ink;  // width * height, row by row: 1 for ink
    // The same ink as runs: row y's are the pairs [begin, end) of columns at
    // runs[2 * firstRun[y]] .. runs[2 * firstRun[y + 1]], left to right.
    std::vector<std::int32_t> runs;
    std::vector<std::int32_t> firstRun;  // height + 1 entries

    bool empty() const { return count == 0; }
};

// Measures the mask of `canvas` inside `box` into `mask`, reusing its storage. A box without
// any pixel darker than white (or an inverted box) gives an empty mask.
void measureInk(const Canvas& canvas, const InkBox& box, InkMask& mask);
InkMask inkMask(const Canvas& canvas, const InkBox& box);

// The mask turned by `degrees` (clockwise on the screen) about its centre, each new pixel
// taking the ink of the nearest old one, cropped to its tight box again.
InkMask turned(const InkMask& mask, double degrees);

// ln(width / height) of the mask's tight box; 0 for an empty mask.
double logAspect(const InkMask& mask);

// How well two masks' ink agrees once the glyph's mask is stretched onto the reference's
// (each sampled at the centres of the reference's pixels): twice the ink they share over the
// ink of both (the Dice coefficient). 1 for the same ink, 0 when either is empty.
double inkAgreement(const InkMask& reference, const InkMask& glyph);

}  // namespace lettrino
