#pragma once

#include <cstdint>
#include <vector>

#include "canvas/Canvas.h"
#include "canvas/InkBox.h"

namespace lettrino {

// Which pixels of a canvas are ink inside a box: red darker than halfway between white and
// the darkest red of the box (match/InkMask.h's rule); nothing is ink outside the canvas.
class InkRule {
public:
    InkRule(const Canvas& canvas, const InkBox& box);
    bool ink(int x, int y) const {
        return Canvas::inside(x, y) && int(pixels_[y * Canvas::kSize + x] & 0xFF) < threshold_;
    }

private:
    const Colour* pixels_;
    int threshold_ = 0;
};

// A glyph sampled onto a reference box of (bw + 1) x (bh + 1) pixels as the match samples it:
// its box stretched onto the reference box, 0 along a zero-length side.
class BoxSampler {
public:
    BoxSampler(const Canvas& canvas, const InkBox& box, std::int64_t bw, std::int64_t bh);
    // The glyph row that reference row y samples (-1 off the canvas); whether the glyph has ink
    // at reference column x of that row.
    int row(int y) const;
    bool ink(int x, int glyphRow) const { return glyphRow >= 0 && ink_.ink(xs_[std::size_t(x)], glyphRow); }

private:
    InkRule ink_;
    std::int32_t top_;
    double yRatio_ = 0;
    std::vector<int> xs_;
};

// Fonts whose scores lie within this share of the best score are near-twins: what tells them
// apart is where their glyphs differ.
constexpr double kTwinHair = 0.01;

// Where two fonts' glyphs differ in how they are built (a terminal, an aperture, a stroke of
// their own), not in where their edges fall: the pixels, each glyph sampled onto the reference
// box as the match samples it, that are ink in one glyph and paper in the other, with the pixels
// around alike in each, `reach` pixels every way (at least 1: the picture's own pixel in the
// reference's, for a stroke's edge a pixel over, which renderers move, is not counted). How many
// there are, and at how many the picture is as `first` (its ink by InkRule). None for a box no
// canvas holds.
struct TwinVote {
    int differing = 0;
    int asFirst = 0;
};
TwinVote twinVote(const Canvas& reference, const InkBox& referenceBox, const Canvas& first,
                  const InkBox& firstBox, const Canvas& second, const InkBox& secondBox, int reach = 1);

}  // namespace lettrino
