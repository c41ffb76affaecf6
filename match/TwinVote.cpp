#include "match/TwinVote.h"

#include <algorithm>
#include <cmath>

namespace lettrino {

namespace {

// The glyph coordinate a reference offset samples, halves to even as the match rounds;
// -1 when it falls outside a canvas.
int sampled(int offset, double ratio, std::int32_t origin) {
    const double v = std::nearbyint(offset * ratio + double(origin));
    return v >= 0 && v < Canvas::kSize ? int(v) : -1;
}

}  // namespace

InkRule::InkRule(const Canvas& canvas, const InkBox& box) : pixels_(canvas.pixels()) {
    const int left = int(std::max<std::int32_t>(0, box.left));
    const int top = int(std::max<std::int32_t>(0, box.top));
    const int right = int(std::min<std::int32_t>(Canvas::kSize - 1, box.right));
    const int bottom = int(std::min<std::int32_t>(Canvas::kSize - 1, box.bottom));
    int darkest = 255;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            darkest = std::min(darkest, int(pixels_[y * Canvas::kSize + x] & 0xFF));
    threshold_ = darkest >= 255 ? 0 : (255 + darkest + 1) / 2;
}

BoxSampler::BoxSampler(const Canvas& canvas, const InkBox& box, std::int64_t bw, std::int64_t bh)
    : ink_(canvas, box), top_(box.top), xs_(std::size_t(bw) + 1) {
    const double xRatio = bw != 0 ? (double(box.right) - box.left) / double(bw) : 0.0;
    yRatio_ = bh != 0 ? (double(box.bottom) - box.top) / double(bh) : 0.0;
    for (std::size_t x = 0; x < xs_.size(); ++x) xs_[x] = sampled(int(x), xRatio, box.left);
}

int BoxSampler::row(int y) const {
    return sampled(y, yRatio_, top_);
}

TwinVote twinVote(const Canvas& reference, const InkBox& referenceBox, const Canvas& first,
                  const InkBox& firstBox, const Canvas& second, const InkBox& secondBox, int reach) {
    TwinVote vote;
    const std::int64_t bw = std::int64_t(referenceBox.right) - referenceBox.left;
    const std::int64_t bh = std::int64_t(referenceBox.bottom) - referenceBox.top;
    if (bw < 0 || bh < 0 || bw >= Canvas::kSize || bh >= Canvas::kSize) return vote;
    reach = std::clamp(reach, 1, int(Canvas::kSize));
    const InkRule picture(reference, referenceBox);
    const BoxSampler a(first, firstBox, bw, bh), b(second, secondBox, bw, bh);
    // Each glyph's ink over the box, with `reach` pixels of paper all round.
    const int w = int(bw) + 1 + 2 * reach, h = int(bh) + 1 + 2 * reach;
    std::vector<std::uint8_t> inkA(size_t(w) * size_t(h)), inkB(inkA.size());
    const auto at = [w, reach](int x, int y) { return size_t(y + reach) * size_t(w) + size_t(x + reach); };
    for (int y = 0; y <= bh; ++y) {
        const int ay = a.row(y), by = b.row(y);
        for (int x = 0; x <= bw; ++x) {
            inkA[at(x, y)] = a.ink(x, ay);
            inkB[at(x, y)] = b.ink(x, by);
        }
    }
    const auto alikeAround = [&](const std::vector<std::uint8_t>& ink, int x, int y) {
        const std::uint8_t v = ink[at(x, y)];
        for (int dy = -reach; dy <= reach; ++dy)
            for (int dx = -reach; dx <= reach; ++dx)
                if (ink[at(x + dx, y + dy)] != v) return false;
        return true;
    };
    for (int y = 0; y <= bh; ++y)
        for (int x = 0; x <= bw; ++x) {
            if (inkA[at(x, y)] == inkB[at(x, y)] || !alikeAround(inkA, x, y) || !alikeAround(inkB, x, y))
                continue;
            ++vote.differing;
            const bool ink = picture.ink(int(referenceBox.left + x), int(referenceBox.top + y));
            vote.asFirst += ink == bool(inkA[at(x, y)]);
        }
    return vote;
}

}  // namespace lettrino
