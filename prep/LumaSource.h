#pragma once

#include <QImage>
#include <QRgb>

#include <array>
#include <cstdint>

namespace lettrino::prep {

// A picture's pixels as the reference canvas would show them (composited onto white), read a
// row at a time as 8-bit luminance ((77 R + 150 G + 29 B) / 256, so white stays 255). RGB32,
// ARGB32 (either kind), Grayscale8 and Indexed8 are read in place; any other format is
// converted once on construction. A null picture reads as 0 x 0.
class LumaSource {
public:
    explicit LumaSource(const QImage& picture);

    int width() const { return image_.width(); }
    int height() const { return image_.height(); }

    // The luminance of pixels x0 .. x0 + n - 1 of row y into out.
    void luma(int y, int x0, int n, std::uint8_t* out) const;
    // The same luminances added to sums[0 .. n - 1].
    void addLuma(int y, int x0, int n, std::uint32_t* sums) const;
    // The composited colours of the same pixels, opaque.
    void colours(int y, int x0, int n, QRgb* out) const;
    // Whether every pixel outside `area` is pure white (0xFFFFFF once composited).
    bool whiteOutside(const QRect& area) const;

private:
    enum class Kind { Rgb32, Argb32, Premultiplied, Grey8, Indexed8 };

    QImage image_;
    Kind kind_ = Kind::Rgb32;
    std::array<QRgb, 256> palette_{};  // Indexed8: the composited colour of each index
    std::array<std::uint8_t, 256> paletteLuma_{};
};

}  // namespace lettrino::prep
