#include "match/Matcher.h"

#include <cmath>
#include <cstdlib>

#include "canvas/Canvas.h"

namespace lettrino {

namespace {
int nearest(double v) { return int(std::nearbyint(v)); }  // halves to even
}  // namespace

MatchScan::MatchScan(const Canvas& reference, const InkBox& referenceBox, const Canvas& glyph,
                     const InkBox& glyphBox, int speedup)
    : reference_(reference),
      glyph_(glyph),
      referenceBox_(referenceBox),
      glyphBox_(glyphBox),
      speedup_(speedup < 1 ? 1 : speedup),
      bw_(referenceBox.width()),
      bh_(referenceBox.height()) {
    const int fw = glyphBox.width(), fh = glyphBox.height();
    // A box without width or height (a dash, a dot, or no ink at all) has no proportions to
    // stretch the glyph by: it scores nothing.
    degenerate_ = bw_ <= 0 || bh_ <= 0;
    xRatio_ = bw_ != 0 ? double(fw) / bw_ : 0.0;
    yRatio_ = bh_ != 0 ? double(fh) / bh_ : 0.0;
    if (degenerate_) {
        total_ = 1;
        return;
    }
    if (speedup_ == 1)
        total_ = std::int64_t(bh_ + 1) * (bw_ + 1) * 255;
    else
        total_ = std::int64_t(bh_ / speedup_ + 1) * (bw_ / speedup_ + 1);
    glyphColumn_.reserve(std::size_t(bw_ / speedup_ + 1));
    for (int x = 0; x <= bw_; x += speedup_) glyphColumn_.push_back(nearest(x * xRatio_ + glyphBox_.left));
}

void MatchScan::scoreRow() {
    if (!hasNextRow()) return;
    const int y = nextY_;
    nextY_ += speedup_;

    const int ry = referenceBox_.top + y;
    const Colour* ref = reference_.pixels() + ry * Canvas::kSize + referenceBox_.left;
    const bool refInside = Canvas::inside(referenceBox_.left, ry) && Canvas::inside(referenceBox_.right, ry);
    const int gy = nearest(glyphRowOrdinate(y));
    const bool rowInside = unsigned(gy) < unsigned(Canvas::kSize);
    const Colour* glyphRow = glyph_.pixels() + (rowInside ? gy * Canvas::kSize : 0);
    const int n = int(glyphColumn_.size());
    const int* column = glyphColumn_.data();
    // The glyph columns climb with the reference's: the first and the last tell whether all
    // of them lie on the canvas.
    const bool columnsInside = n > 0 && unsigned(column[0]) < unsigned(Canvas::kSize) &&
                               unsigned(column[n - 1]) < unsigned(Canvas::kSize);
    std::int64_t rowScore = 0;
    if (refInside && rowInside && columnsInside) {
        // Every pixel pair on both canvases: the common case, without a test per pixel.
        int same = 0, difference = 0;
        if (speedup_ == 1) {
            // Two sums, so that one pixel pair need not wait for the one before.
            int odd = 0, i = 0;
            for (; i + 1 < n; i += 2) {
                difference += std::abs(int(ref[i] & 0xFF) - int(glyphRow[column[i]] & 0xFF));
                odd += std::abs(int(ref[i + 1] & 0xFF) - int(glyphRow[column[i + 1]] & 0xFF));
            }
            if (i < n) difference += std::abs(int(ref[i] & 0xFF) - int(glyphRow[column[i]] & 0xFF));
            rowScore = std::int64_t(255) * n - difference - odd;
        } else {
            for (int i = 0; i < n; ++i) same += (ref[i * speedup_] & 0xFF) == (glyphRow[column[i]] & 0xFF) ? 1 : 0;
            rowScore = same;
        }
        score_ += rowScore;
        return;
    }
    for (int i = 0; i < n; ++i) {
        const int r1 = refInside ? int(ref[i * speedup_] & 0xFF) : reference_.red(referenceBox_.left + i * speedup_, ry);
        const int gx = column[i];
        const int r2 = rowInside && unsigned(gx) < unsigned(Canvas::kSize) ? int(glyphRow[gx] & 0xFF) : -1;
        if (speedup_ == 1)
            rowScore += 255 - std::abs(r1 - r2);
        else
            rowScore += r1 == r2 ? 1 : 0;
    }
    score_ += rowScore;
}

void MatchScan::finish() {
    while (hasNextRow()) scoreRow();
}

MatchScore MatchScan::result() const {
    MatchScore s;
    s.xRatio = xRatio_;
    s.yRatio = yRatio_;
    s.score = score_;
    s.total = total_;
    s.m = partial();
    return s;
}

MatchScore matchFast(const Canvas& reference, const InkBox& referenceBox, const Canvas& glyph,
                     const InkBox& glyphBox, int speedup) {
    MatchScan scan(reference, referenceBox, glyph, glyphBox, speedup);
    scan.finish();
    return scan.result();
}

}  // namespace lettrino
