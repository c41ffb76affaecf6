#pragma once

#include <cstdint>
#include <functional>

#include <QString>

namespace lettrino {

class Canvas;

// Inclusive bounds of the ink on a canvas. Widths and heights are differences of the
// bounds, one less than the pixel counts.
struct InkBox {
    std::int32_t top = 0;
    std::int32_t left = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    std::int32_t width() const { return right - left; }
    std::int32_t height() const { return bottom - top; }
    bool operator==(const InkBox& o) const {
        return top == o.top && left == o.left && right == o.right && bottom == o.bottom;
    }
    bool operator!=(const InkBox& o) const { return !(*this == o); }

    // The label texts: "20 pixels", and "39 x 59 pixels" (width first), "no ink" for an
    // inverted box.
    QString topText() const;
    QString leftText() const;
    QString sizeText() const;
};

// Measures the ink of a canvas: every pixel that is not pure white over the 197 x 197
// drawable area, rows top to bottom. A canvas without ink gives the inverted box
// top = left = 201, right = bottom = 0. onRow, when given, is called after each row with its y.
InkBox scanInkBox(const Canvas& canvas, const std::function<void(int)>& onRow = {});

}  // namespace lettrino
