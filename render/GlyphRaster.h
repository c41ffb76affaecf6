#pragma once

#include <cstdint>
#include <vector>

namespace lettrino {

struct OpenFace;

// What a glyph-metrics query reports: the black box is exactly the ink that drawing the
// glyph produces (rows and columns without coverage trimmed). originX runs from the text
// origin to the black box's left column, originY from the baseline up to its top row.
// A failed query leaves everything zero: an empty black box.
struct GlyphMetrics {
    std::uint32_t blackBoxX = 0;
    std::uint32_t blackBoxY = 0;
    std::int32_t originX = 0;
    std::int32_t originY = 0;
    std::int16_t cellIncX = 0;
    std::int16_t cellIncY = 0;
};

// A glyph rendered anti-aliased and trimmed to its black box.
struct GlyphRaster {
    GlyphMetrics metrics;
    std::vector<std::uint8_t> coverage;  // blackBoxX per row, blackBoxY rows
    std::vector<std::uint64_t> columnCoverage;  // while measuring the box: the bitmap's rows ORed

    // The largest glyph bitmap rendered, in pixels; bigger glyphs count as having no black box.
    static constexpr std::int64_t kMaxPixels = 16 * 1024 * 1024;
};

// How outlines are fitted to the pixel grid before they are rendered. Full runs the font's own
// instructions (TrueType bytecode; FreeType's auto-hinter for fonts without), as FreeType does by
// default; Light fits only vertically, as most desktops and browsers draw screen text; None draws
// the outline as it is, as PDF viewers do, and skips the bytecode interpreter. Subpixel fits as
// Light does and renders for an LCD's subpixels (red, green, blue from left to right), as browsers
// and desktops draw screen text with colour fringes; its coverage is the luminance of those
// fringes, as a picture of them is read.
enum class Hinting { Full, Light, None, Subpixel };

// Sets the face to a size in 26.6 pixels per em (a face of fixed sizes to its first), unless it
// has it already; false when FreeType refuses the size.
bool setPixelSize(OpenFace& face, long ppem26);

// Loads a glyph of the face at its size, hinted as asked, renders it anti-aliased and trims it to
// the black box. False, with `out` empty, when the glyph cannot be loaded or rendered, is
// absurdly large, or has no ink. An outline is first moved `shiftX` 64ths of a pixel to the right
// (0 to 63: a glyph placed between pixels, as PDF viewers and browsers place it).
bool rasterise(OpenFace& face, unsigned glyphIndex, Hinting hinting, GlyphRaster& out, int shiftX = 0);

}  // namespace lettrino
