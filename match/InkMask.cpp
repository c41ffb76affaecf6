#include "match/InkMask.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "canvas/Canvas.h"

namespace lettrino {

namespace {

// Notes the runs of a row of 0s and 1s in `runs` (where each run begins and ends); returns its
// 1s. Eight pixels alike are passed at once: a glyph's rows are mostly long runs.
int noteRuns(const std::uint8_t* row, int width, std::vector<std::int32_t>& runs) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    int count = 0;
    std::uint8_t before = 0;
    int x = 0;
    while (x < width) {
        if (x + 8 <= width) {
            std::uint64_t eight;
            std::memcpy(&eight, row + x, 8);
            if (eight == (before ? kOnes : 0)) {
                count += 8 * before;
                x += 8;
                continue;
            }
        }
        const std::uint8_t v = row[x];
        count += v;
        if (v != before) {
            runs.push_back(x);
            before = v;
        }
        ++x;
    }
    if (before) runs.push_back(width);
    return count;
}

// Fills `mask` from a width x height grid whose row y fillRow(y, row) writes (1 for ink, 0 for
// none), then cuts it down to the tight box of the ink, row by row in place (a glyph's box
// mostly is that box already), and notes its runs. No ink leaves the mask empty.
template <typename FillRow>
void fillCropped(InkMask& mask, int width, int height, FillRow fillRow) {
    mask.count = 0;
    mask.ink.resize(std::size_t(width) * std::size_t(height));  // every pixel is written below
    mask.runs.clear();
    mask.firstRun.resize(std::size_t(height) + 1);
    int inkLeft = width, inkRight = -1, inkTop = height, inkBottom = -1;
    std::uint8_t* row = mask.ink.data();
    for (int y = 0; y < height; ++y, row += width) {
        mask.firstRun[std::size_t(y)] = std::int32_t(mask.runs.size() / 2);
        fillRow(y, row);
        const int rowCount = noteRuns(row, width, mask.runs);
        if (rowCount == 0) continue;
        mask.count += rowCount;
        inkLeft = std::min(inkLeft, mask.runs[2 * std::size_t(mask.firstRun[std::size_t(y)])]);
        inkRight = std::max(inkRight, mask.runs.back() - 1);
        inkTop = std::min(inkTop, y);
        inkBottom = y;
    }
    mask.firstRun[std::size_t(height)] = std::int32_t(mask.runs.size() / 2);
    if (inkRight < 0) {
        mask.width = mask.height = 0;
        mask.ink.clear();
        mask.runs.clear();
        mask.firstRun.clear();
        return;
    }
    mask.width = inkRight - inkLeft + 1;
    mask.height = inkBottom - inkTop + 1;
    if (mask.width == width && mask.height == height) return;
    std::uint8_t* base = mask.ink.data();
    for (int y = 0; y < mask.height; ++y)
        std::memmove(base + std::size_t(y) * std::size_t(mask.width),
                     base + std::size_t(inkTop + y) * std::size_t(width) + std::size_t(inkLeft),
                     std::size_t(mask.width));
    mask.ink.resize(std::size_t(mask.width) * std::size_t(mask.height));
    // The rows above and below the ink have no runs: only the columns and the rows' numbers move.
    for (std::int32_t& x : mask.runs) x -= inkLeft;
    mask.firstRun.erase(mask.firstRun.begin(), mask.firstRun.begin() + inkTop);
    mask.firstRun.resize(std::size_t(mask.height) + 1);
}

}  // namespace

void measureInk(const Canvas& canvas, const InkBox& box, InkMask& mask) {
    mask.width = mask.height = mask.count = 0;
    mask.ink.clear();
    const int left = std::max(0, int(box.left));
    const int top = std::max(0, int(box.top));
    const int right = std::min(Canvas::kSize - 1, int(box.right));
    const int bottom = std::min(Canvas::kSize - 1, int(box.bottom));
    if (right < left || bottom < top) return;
    const Colour* pixels = canvas.pixels();

    const int width = right - left + 1;
    // Four minima side by side, so that each pixel need not wait for the one before.
    std::uint32_t least[4] = {255, 255, 255, 255};
    for (int y = top; y <= bottom; ++y) {
        const Colour* p = pixels + y * Canvas::kSize + left;
        int x = 0;
        for (; x + 4 <= width; x += 4)
            for (int k = 0; k < 4; ++k) least[k] = std::min(least[k], p[x + k] & 0xFFu);
        for (; x < width; ++x) least[0] = std::min(least[0], p[x] & 0xFFu);
    }
    const int darkest = int(std::min(std::min(least[0], least[1]), std::min(least[2], least[3])));
    if (darkest >= 255) return;
    const std::uint32_t threshold = std::uint32_t(255 + darkest + 1) / 2;

    // Captured by value: read through references, they would be read again after every byte of
    // the mask written (a byte may alias anything).
    fillCropped(mask, width, bottom - top + 1,
                [pixels, top, left, threshold, width](int y, std::uint8_t* row) {
                    const Colour* p = pixels + (top + y) * Canvas::kSize + left;
                    // Sixteen pixels a step, which the compiler compares side by side.
                    int x = 0;
                    for (; x + 16 <= width; x += 16)
                        for (int k = 0; k < 16; ++k) row[x + k] = std::uint8_t((p[x + k] & 0xFFu) < threshold);
                    for (; x < width; ++x) row[x] = std::uint8_t((p[x] & 0xFFu) < threshold);
                });
}

InkMask inkMask(const Canvas& canvas, const InkBox& box) {
    InkMask mask;
    measureInk(canvas, box, mask);
    return mask;
}

InkMask turned(const InkMask& mask, double degrees) {
    if (mask.empty() || degrees == 0) return mask;
    const double angle = degrees * std::acos(-1.0) / 180;
    const double c = std::cos(angle), s = std::sin(angle);
    const double cx = (mask.width - 1) / 2.0, cy = (mask.height - 1) / 2.0;
    // Room for the turned ink on every side; the mask is then cut down to what lands there.
    const int pad = int(std::ceil(std::fabs(s) * std::max(mask.width, mask.height))) + 1;
    const int w = mask.width + 2 * pad, h = mask.height + 2 * pad;
    auto source = [&](int x, int y) {
        const double dx = x - pad - cx, dy = y - pad - cy;
        const long sx = std::lround(c * dx + s * dy + cx), sy = std::lround(-s * dx + c * dy + cy);
        return sx >= 0 && sy >= 0 && sx < mask.width && sy < mask.height &&
               mask.ink[std::size_t(sy) * std::size_t(mask.width) + std::size_t(sx)] != 0;
    };
    InkMask out;
    fillCropped(out, w, h, [&source, w](int y, std::uint8_t* row) {
        for (int x = 0; x < w; ++x) row[x] = std::uint8_t(source(x, y));
    });
    return out;
}

double logAspect(const InkMask& mask) {
    return mask.empty() ? 0.0 : std::log(double(mask.width) / mask.height);
}

double inkAgreement(const InkMask& reference, const InkMask& glyph) {
    if (reference.empty() || glyph.empty()) return 0;
    const std::int64_t w = reference.width, h = reference.height, gw = glyph.width, gh = glyph.height;
    // Reference column x samples glyph column (2x + 1) gw / 2w (rounded down), row y glyph row
    // (2y + 1) gh / 2h: a glyph run [a, b) covers the reference columns [from(a), from(b)).
    const auto from = [w, gw](std::int64_t a) {
        const std::int64_t n = 2 * w * a - gw;
        return std::int32_t(n <= 0 ? 0 : (n + 2 * gw - 1) / (2 * gw));
    };
    std::int64_t shared = 0, glyphInk = 0;
    for (std::int64_t y = 0; y < h; ++y) {
        const std::int64_t gy = (2 * y + 1) * gh / (2 * h);
        const std::int32_t* g = glyph.runs.data() + 2 * std::size_t(glyph.firstRun[std::size_t(gy)]);
        const std::int32_t* gEnd = glyph.runs.data() + 2 * std::size_t(glyph.firstRun[std::size_t(gy) + 1]);
        const std::int32_t* r = reference.runs.data() + 2 * std::size_t(reference.firstRun[std::size_t(y)]);
        const std::int32_t* rEnd = reference.runs.data() + 2 * std::size_t(reference.firstRun[std::size_t(y) + 1]);
        // Both rows' runs in order: the shared ink is where they overlap.
        for (; g < gEnd; g += 2) {
            const std::int32_t a = from(g[0]), b = from(g[1]);
            if (a == b) continue;
            glyphInk += b - a;
            while (r < rEnd && r[1] <= a) r += 2;
            for (const std::int32_t* q = r; q < rEnd && q[0] < b; q += 2) shared += std::min(b, q[1]) - std::max(a, q[0]);
        }
    }
    return 2.0 * double(shared) / double(reference.count + glyphInk);
}

}  // namespace lettrino
