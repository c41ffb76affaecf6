#include "render/GlyphRaster.h"

#include <algorithm>
#include <cstring>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include "render/FaceCache.h"

namespace lettrino {

bool setPixelSize(OpenFace& face, long ppem26) {
    if (face.ppem26 == ppem26) return true;
    FT_Size_RequestRec request{FT_SIZE_REQUEST_TYPE_NOMINAL, ppem26, ppem26, 0, 0};
    if (FT_IS_SCALABLE(face.ft)) {
        if (FT_Request_Size(face.ft, &request) != 0) {
            face.ppem26 = -1;
            return false;
        }
    } else if (FT_Select_Size(face.ft, 0) != 0) {
        face.ppem26 = -1;
        return false;
    }
    face.ppem26 = ppem26;
    return true;
}

bool rasterise(OpenFace& face, unsigned glyphIndex, Hinting hinting, GlyphRaster& g, int shiftX) {
    g.metrics = GlyphMetrics();
    g.coverage.clear();
    const FT_Int32 flags = hinting == Hinting::Full   ? FT_LOAD_DEFAULT
                           : hinting == Hinting::None ? FT_LOAD_NO_HINTING
                                                      : FT_LOAD_TARGET_LIGHT;
    if (FT_Load_Glyph(face.ft, glyphIndex, flags) != 0) return false;
    FT_GlyphSlot glyph = face.ft->glyph;
    if (glyph->format == FT_GLYPH_FORMAT_OUTLINE) {
        // Refuse glyphs whose bitmap would be absurdly large (a broken font, a huge size).
        FT_BBox box;
        FT_Outline_Get_CBox(&glyph->outline, &box);
        const std::int64_t w = (std::int64_t(box.xMax) - box.xMin) / 64 + 2;
        const std::int64_t h = (std::int64_t(box.yMax) - box.yMin) / 64 + 2;
        if (w <= 0 || h <= 0 || w * h > GlyphRaster::kMaxPixels) return false;
        if (shiftX != 0) FT_Outline_Translate(&glyph->outline, shiftX, 0);
    }
    const FT_Render_Mode mode = hinting == Hinting::Subpixel ? FT_RENDER_MODE_LCD : FT_RENDER_MODE_NORMAL;
    if (glyph->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(glyph, mode) != 0) return false;

    const FT_Bitmap& bm = glyph->bitmap;
    const bool lcd = bm.pixel_mode == FT_PIXEL_MODE_LCD;  // three bytes a pixel
    const int width = int(lcd ? bm.width / 3 : bm.width), height = int(bm.rows);
    if (width <= 0 || height <= 0 || std::int64_t(width) * height > GlyphRaster::kMaxPixels) return false;
    // Coverage of one bitmap pixel, whatever the bitmap's pixel mode.
    auto coverageAt = [&bm](int x, int y) -> std::uint8_t {
        const unsigned char* row = bm.buffer + std::ptrdiff_t(y) * bm.pitch;
        switch (bm.pixel_mode) {
            case FT_PIXEL_MODE_GRAY:
                return bm.num_grays == 256 ? row[x] : std::uint8_t(row[x] * 255 / std::max(1, bm.num_grays - 1));
            case FT_PIXEL_MODE_MONO: return (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
            case FT_PIXEL_MODE_GRAY2: return std::uint8_t((row[x >> 2] >> (6 - 2 * (x & 3)) & 3) * 85);
            case FT_PIXEL_MODE_GRAY4: return std::uint8_t((row[x >> 1] >> (4 - 4 * (x & 1)) & 15) * 17);
            case FT_PIXEL_MODE_BGRA: return row[x * 4 + 3];
            case FT_PIXEL_MODE_LCD:  // the luminance a picture of the fringes shows, as pictures are read
                return std::uint8_t((77 * row[3 * x] + 150 * row[3 * x + 1] + 29 * row[3 * x + 2] + 128) >> 8);
            default: return 0;
        }
    };
    const bool plainGray = bm.pixel_mode == FT_PIXEL_MODE_GRAY && bm.num_grays == 256 && bm.pitch > 0;

    // The black box: the rows and columns that hold any coverage.
    int top = height, bottom = -1, left = width, right = -1;
    if (plainGray) {
        // Every row ORed into one, eight pixels at a time: the rows with any coverage give the
        // top and the bottom, the first and the last non-zero byte of the ORed row the left
        // and the right.
        std::vector<std::uint64_t>& columns = g.columnCoverage;
        columns.assign(std::size_t(width + 7) / 8, 0);
        for (int y = 0; y < height; ++y) {
            const unsigned char* r = bm.buffer + std::ptrdiff_t(y) * bm.pitch;
            std::uint64_t any = 0;
            int x = 0;
            for (; x + 8 <= width; x += 8) {
                std::uint64_t eight;
                std::memcpy(&eight, r + x, 8);
                columns[std::size_t(x / 8)] |= eight;
                any |= eight;
            }
            if (x < width) {
                std::uint64_t rest = 0;
                std::memcpy(&rest, r + x, std::size_t(width - x));
                columns[std::size_t(x / 8)] |= rest;
                any |= rest;
            }
            if (!any) continue;
            top = std::min(top, y);
            bottom = y;
        }
        const auto* ored = reinterpret_cast<const unsigned char*>(columns.data());
        if (bottom >= 0) {
            left = 0;
            while (!ored[left]) ++left;
            right = width - 1;
            while (!ored[right]) --right;
        }
    } else {
        for (int y = 0; y < height; ++y) {
            int first = -1, last = -1;
            for (int x = 0; x < width; ++x)
                if (coverageAt(x, y)) {
                    if (first < 0) first = x;
                    last = x;
                }
            if (first < 0) continue;
            top = std::min(top, y);
            bottom = y;
            left = std::min(left, first);
            right = std::max(right, last);
        }
    }
    if (bottom < 0) return false;

    const int bw = right - left + 1, bh = bottom - top + 1;
    g.coverage.resize(std::size_t(bw) * std::size_t(bh));
    for (int y = 0; y < bh; ++y) {
        std::uint8_t* out = g.coverage.data() + std::size_t(y) * std::size_t(bw);
        if (plainGray) {
            std::copy_n(bm.buffer + std::ptrdiff_t(top + y) * bm.pitch + left, bw, out);
        } else {
            for (int x = 0; x < bw; ++x) out[x] = coverageAt(left + x, top + y);
        }
    }
    g.metrics.blackBoxX = std::uint32_t(bw);
    g.metrics.blackBoxY = std::uint32_t(bh);
    g.metrics.originX = glyph->bitmap_left + left;
    g.metrics.originY = glyph->bitmap_top - top;
    g.metrics.cellIncX = std::int16_t(std::clamp<FT_Pos>((glyph->advance.x + 32) >> 6, -32768, 32767));
    g.metrics.cellIncY = std::int16_t(std::clamp<FT_Pos>((glyph->advance.y + 32) >> 6, -32768, 32767));
    return true;
}

}  // namespace lettrino
