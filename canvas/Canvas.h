#pragma once

#include <cstdint>
#include <vector>

class QImage;

namespace lettrino {

// A pixel colour as the canvases hand it out: 0x00BBGGRR, red in the low byte.
using Colour = std::uint32_t;
constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kBlack = 0x000000;
constexpr Colour kRed = 0x0000FF;

// The pixels of one picture canvas: 201 x 201 outside (border included), of which
// the 197 x 197 drawable area is held here; pixel (0, 0) is the top-left drawable pixel.
//
// Three layers:
//  - the picture: a loaded bitmap, or white;
//  - the persistent image: the picture plus what was drawn while persistent drawing was on;
//  - the screen: the persistent image plus what was drawn while it was off.
// Drawing goes to the persistent image when the switch is on (the screen then shows it),
// to the screen only when it is off. Pixel reads come from the layer drawing goes to.
class Canvas {
public:
    static constexpr int kOuterSize = 201;
    static constexpr int kSize = 197;

    Canvas();

    // Puts an image into the picture layer, top-left aligned; what lies beyond the
    // drawable area is not kept, what the image does not cover is white. Transparent
    // pixels are composited onto white. Resets the persistent image and the screen.
    void setPicture(const QImage& image);
    // A white picture; resets the persistent image and the screen.
    void clearPicture();

    bool autoRedraw() const { return autoRedraw_; }
    // Persistent drawing on or off. Turning it off makes the screen a layer of its own
    // (a copy of the persistent image); turning it on shows the persistent image again.
    void setAutoRedraw(bool on);

    // With persistent drawing on: the persistent image becomes the picture again.
    // With it off: the screen becomes the persistent image again.
    void clear();

    // 0x00BBGGRR of a drawable pixel, -1 outside the drawable area.
    std::int32_t getPixel(int x, int y) const;
    // The red component of a drawable pixel, -1 outside.
    int red(int x, int y) const {
        return inside(x, y) ? int(target()[y * kSize + x] & 0xFF) : -1;
    }
    static bool inside(int x, int y) { return unsigned(x) < unsigned(kSize) && unsigned(y) < unsigned(kSize); }

    // A line with the not-xor pen (pixel = NOT(pen XOR pixel) on 24 bits), both end points
    // included, every pixel touched once; drawing it twice restores the pixels exactly.
    void drawLine(int x1, int y1, int x2, int y2, Colour pen);
    // A one-pixel rectangle outline through both corners with the not-xor pen, every pixel
    // (corners too) touched once. A rectangle one pixel wide or high is a single line.
    void drawRect(int x1, int y1, int x2, int y2, Colour pen);
    // Blends black onto the pixels with the given coverage (0 = none, 255 = full), the
    // coverage's top-left pixel landing on (x, y); clipped to the drawable area.
    void blendBlack(int x, int y, const std::uint8_t* coverage, int width, int height, int pitch);

    // The layer that pixel reads come from and drawing goes to, row-major, kSize x kSize.
    const Colour* pixels() const { return target(); }
    // What the widget shows: the screen layer (the persistent image while the switch is on).
    const Colour* screenPixels() const { return screenDetached_ ? screen_.data() : persistentPixels(); }
    const Colour* persistentPixels() const { return persistent_.empty() ? picture_.data() : persistent_.data(); }
    const Colour* picturePixels() const { return picture_.data(); }
    // The screen layer as an RGB32 image, kSize x kSize.
    QImage screenImage() const;

    // Counts changes to what the screen shows, so that a widget can repaint only when needed.
    std::uint64_t revision() const { return revision_; }

private:
    Colour* target() {
        if (screenDetached_) return screen_.data();
        if (persistent_.empty()) persistent_ = picture_;
        return persistent_.data();
    }
    const Colour* target() const { return screenDetached_ ? screen_.data() : persistentPixels(); }
    void touch(int x, int y);
    void notXor(int x, int y, Colour pen);
    void resetLayers();

    std::vector<Colour> picture_;
    // Empty while it is the picture, as the canvas of a picture that is only compared stays.
    std::vector<Colour> persistent_;
    std::vector<Colour> screen_;  // filled once the screen becomes a layer of its own
    bool autoRedraw_ = true;
    bool screenDetached_ = false;
    // Bounds of the screen pixels that may differ from the persistent image, so that a
    // clear with the switch off copies back only those. Empty when minX > maxX.
    int dirtyMinX_ = kSize, dirtyMinY_ = kSize, dirtyMaxX_ = -1, dirtyMaxY_ = -1;
    std::uint64_t revision_ = 0;
};

}  // namespace lettrino
