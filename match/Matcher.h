#pragma once

#include <cstdint>
#include <vector>

#include "canvas/InkBox.h"

namespace lettrino {

class Canvas;

// The comparison of the glyph canvas with the reference canvas inside the two ink boxes.
//
// A reference offset (x, y), 0 <= x <= BW, 0 <= y <= BH, samples the reference pixel
// (refLeft + x, refTop + y) and the glyph pixel (round(x * XRatio + fontLeft),
// round(y * YRatio + fontTop)), halves to even, where XRatio = FW / BW and YRatio = FH / BH.
// Only red components are compared; a read outside a canvas counts as -1.
//
// Speed-up 1 is graded: every pixel pair earns 255 - |r1 - r2| of 255. Speed-up S >= 2 is
// sparse and exact: every S-th row and column, a pair earns 1 when r1 == r2.
// A reference box of zero width or height (or an inverted one) scores m = 0.
struct MatchScore {
    double m = 0;
    double xRatio = 0;
    double yRatio = 0;
    std::int64_t score = 0;
    std::int64_t total = 0;
};

// Scores one comparison row by row, so that the window can animate it; matchFast runs it
// to the end in one call.
class MatchScan {
public:
    MatchScan(const Canvas& reference, const InkBox& referenceBox, const Canvas& glyph,
              const InkBox& glyphBox, int speedup);

    // False when nothing is left to score (always false for a degenerate box).
    bool hasNextRow() const { return degenerate_ ? false : nextY_ <= bh_; }
    // The reference offset y of the next row to be scored.
    int nextRowOffset() const { return nextY_; }
    // The glyph-canvas ordinate of a reference row offset, unrounded: y * YRatio + fontTop.
    double glyphRowOrdinate(int y) const { return y * yRatio_ + glyphBox_.top; }
    // Scores the next row.
    void scoreRow();
    // Runs every remaining row.
    void finish();

    // score so far / the full total: climbs to the final m as rows are scored.
    double partial() const { return total_ > 0 ? double(score_) / double(total_) : 0.0; }
    MatchScore result() const;
    int referenceHeight() const { return bh_; }

private:
    const Canvas& reference_;
    const Canvas& glyph_;
    InkBox referenceBox_;
    InkBox glyphBox_;
    int speedup_;
    int bw_, bh_;
    double xRatio_ = 0, yRatio_ = 0;
    bool degenerate_ = false;
    int nextY_ = 0;
    std::int64_t score_ = 0;
    std::int64_t total_ = 0;
    std::vector<int> glyphColumn_;  // per sampled column offset: the glyph x
};

MatchScore matchFast(const Canvas& reference, const InkBox& referenceBox, const Canvas& glyph,
                     const InkBox& glyphBox, int speedup);

}  // namespace lettrino
