#include "session/Screen.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace lettrino {

ScreenReference screenReferenceOf(const Reference& full) {
    ScreenReference s;
    if (!full.hasInk()) {
        s.reference = full;
        return s;
    }
    const InkBox& box = full.box;
    const int width = box.right - box.left + 1, height = box.bottom - box.top + 1;
    QImage ink(width, height, QImage::Format_Grayscale8);
    const Colour* pixels = full.canvas.picturePixels();
    for (int y = 0; y < height; ++y) {
        uchar* line = ink.scanLine(y);
        for (int x = 0; x < width; ++x) line[x] = uchar(pixels[(box.top + y) * Canvas::kSize + box.left + x] & 0xFF);
    }
    // Never enlarged: small ink is looked at as it is.
    const int smallHeight = std::min(height, kScreenHeight);
    const int smallWidth = std::max(1, int(std::lround(double(width) * smallHeight / height)));
    s.reference.setPicture(ink.scaled(std::min(smallWidth, Canvas::kSize), smallHeight, Qt::IgnoreAspectRatio,
                                      Qt::SmoothTransformation));
    s.ink = AspectReference(inkMask(s.reference.canvas, s.reference.box));
    return s;
}

void TopScores::note(double score) {
    if (top_ <= 0) return;
    if (int(heap_.size()) < top_) {
        heap_.push_back(score);
        std::push_heap(heap_.begin(), heap_.end(), std::greater<>());
    } else if (score > heap_.front()) {
        std::pop_heap(heap_.begin(), heap_.end(), std::greater<>());
        heap_.back() = score;
        std::push_heap(heap_.begin(), heap_.end(), std::greater<>());
    }
}

}  // namespace lettrino
