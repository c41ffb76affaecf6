#include "match/InkMask.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "canvas/Canvas.h"

namespace lettrino {

namespace {

// Fills `mask` from a width x height grid whose pixel (x, y) is ink when inked(x, y), then cuts
// it down to the tight box of the ink, row by row in place (a glyph's box mostly is that box
// already). No ink leaves the mask empty.
template <typename Inked>
void fillCropped(InkMask& mask, int width, int height, Inked inked) {
    mask.count = 0;
    mask.ink.resize(std::size_t(width) * std::size_t(height));  // every pixel is written below
    int inkLeft = width, inkRight = -1, inkTop = height, inkBottom = -1;
    std::uint8_t* row = mask.ink.data();
    for (int y = 0; y < height; ++y, row += width) {
        int rowCount = 0;
        for (int x = 0; x < width; ++x) {
            const std::uint8_t v = inked(x, y) ? 1 : 0;
            row[x] = v;
            rowCount += v;
        }
        if (rowCount == 0) continue;
        mask.count += rowCount;
        int rowLeft = 0, rowRight = width - 1;
        while (!row[rowLeft]) ++rowLeft;
        while (!row[rowRight]) --rowRight;
        inkLeft = std::min(inkLeft, rowLeft);
        inkRight = std::max(inkRight, rowRight);
        inkTop = std::min(inkTop, y);
        inkBottom = y;
    }
    if (inkRight < 0) {
        mask.width = mask.height = 0;
        mask.ink.clear();
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

    int darkest = 255;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x)
            darkest = std::min(darkest, int(pixels[y * Canvas::kSize + x] & 0xFF));
    if (darkest >= 255) return;
    const int threshold = (255 + darkest + 1) / 2;

    // Captured by value: read through references, they would be read again after every byte of
    // the mask written (a byte may alias anything).
    fillCropped(mask, right - left + 1, bottom - top + 1, [pixels, top, left, threshold](int x, int y) {
        return int(pixels[(top + y) * Canvas::kSize + left + x] & 0xFF) < threshold;
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
    fillCropped(out, w, h, source);
    return out;
}

double logAspect(const InkMask& mask) {
    return mask.empty() ? 0.0 : std::log(double(mask.width) / mask.height);
}

double inkAgreement(const InkMask& reference, const InkMask& glyph) {
    if (reference.empty() || glyph.empty()) return 0;
    const int w = reference.width, h = reference.height;
    // Per reference column, the glyph column sampled; masks of a canvas are at most as wide
    // as it, a turned one a little wider.
    std::array<int, 2 * Canvas::kSize> onStack;
    std::vector<int> onHeap;
    int* column = onStack.data();
    if (std::size_t(w) > onStack.size()) {
        onHeap.resize(std::size_t(w));
        column = onHeap.data();
    }
    for (int x = 0; x < w; ++x) column[x] = (2 * x + 1) * glyph.width / (2 * w);
    std::int64_t shared = 0, glyphInk = 0;
    const std::uint8_t* ref = reference.ink.data();
    for (int y = 0; y < h; ++y, ref += w) {
        const int gy = (2 * y + 1) * glyph.height / (2 * h);
        const std::uint8_t* row = glyph.ink.data() + std::size_t(gy) * std::size_t(glyph.width);
        for (int x = 0; x < w; ++x) {
            const int g = row[column[x]];
            glyphInk += g;
            shared += g & ref[x];
        }
    }
    return 2.0 * double(shared) / double(reference.count + glyphInk);
}

}  // namespace lettrino
