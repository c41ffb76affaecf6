#include "render/TextLayout.h"

#include <algorithm>
#include <cmath>

#include <hb-ft.h>
#include <hb.h>

#include "render/FaceCache.h"

#include FT_ADVANCES_H

namespace lettrino {

namespace {

// One glyph's coverage and where its black box lands, in pixels from the text's origin.
struct PlacedGlyph {
    int x = 0, y = 0;  // top-left of the black box; y grows downwards from the baseline
    int width = 0, height = 0;
    std::vector<std::uint8_t> coverage;
};

// How far from the text's origin a glyph may be placed, in 26.6.
constexpr std::int64_t kMaxOffset = std::int64_t(1) << 30;

// A glyph of a laid-out text: its index, and its offset from the pen and the pen's advance after
// it, in 26.6 pixels.
struct SetGlyph {
    unsigned index = 0;
    std::int64_t xOffset = 0, yOffset = 0, xAdvance = 0, yAdvance = 0;
};

// The text as HarfBuzz sets it with the face.
std::vector<SetGlyph> shaped(OpenFace& face, const QString& text, bool ligatures) {
    // One shaper per face, told when the face's size changed since it last laid a text out.
    if (!face.shaper) {
        face.shaper = hb_ft_font_create_referenced(face.ft);
        face.shaperPpem26 = face.ppem26;
    } else if (face.shaperPpem26 != face.ppem26) {
        hb_ft_font_changed(face.shaper);
        face.shaperPpem26 = face.ppem26;
    }
    hb_buffer_t* buffer = hb_buffer_create();
    const std::u16string utf16 = text.toStdU16String();
    hb_buffer_add_utf16(buffer, reinterpret_cast<const std::uint16_t*>(utf16.data()), int(utf16.size()), 0,
                        int(utf16.size()));
    hb_buffer_guess_segment_properties(buffer);
    hb_feature_t off[2];
    unsigned features = 0;
    if (!ligatures) {
        hb_feature_from_string("liga=0", -1, &off[0]);
        hb_feature_from_string("clig=0", -1, &off[1]);
        features = 2;
    }
    hb_shape(face.shaper, buffer, features ? off : nullptr, features);
    unsigned count = 0;
    const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer, &count);
    const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer, &count);
    std::vector<SetGlyph> out(count);
    for (unsigned i = 0; i < count; ++i)
        out[i] = {infos[i].codepoint, positions[i].x_offset, positions[i].y_offset, positions[i].x_advance,
                  positions[i].y_advance};
    hb_buffer_destroy(buffer);
    return out;
}

// Each character's glyph at its advance (unhinted, as HarfBuzz takes it from FreeType).
std::vector<SetGlyph> advanced(OpenFace& face, const QString& text) {
    std::vector<SetGlyph> out;
    for (const uint u : text.toUcs4()) {
        SetGlyph g;
        g.index = glyphIndexOf(face, Character::fromCodePoint(u));
        FT_Fixed advance = 0;
        if (g.index != 0 && FT_Get_Advance(face.ft, g.index, FT_LOAD_NO_HINTING, &advance) == 0)
            g.xAdvance = std::int64_t(advance) / 1024;  // 16.16 to 26.6
        out.push_back(g);
    }
    return out;
}

}  // namespace

void layText(OpenFace& face, const QString& text, Setting setting, Hinting hinting, Positions positions,
             TextRaster& out) {
    out = TextRaster();
    const std::vector<SetGlyph> glyphs =
        setting == Setting::Advances ? advanced(face, text) : shaped(face, text, setting == Setting::Ligatures);
    std::vector<PlacedGlyph> placed;
    GlyphRaster raster;
    std::int64_t penX = 0, penY = 0;  // 26.6
    int left = 0, top = 0, right = -1, bottom = -1;
    for (const SetGlyph& set : glyphs) {
        if (set.index == 0) {
            out.lacksGlyph = true;
            break;
        }
        const std::int64_t x = penX + set.xOffset, y = penY - set.yOffset;
        penX += set.xAdvance;
        penY -= set.yAdvance;
        // A broken font's advances can put a glyph anywhere: a text wider than a glyph may be
        // tall is drawn by no font.
        if (std::abs(x) > kMaxOffset || std::abs(y) > kMaxOffset) {
            placed.clear();
            break;
        }
        // Placed exactly, a glyph stands on the pixel its position falls in, its outline moved
        // by the rest; else on the nearest pixel.
        const bool exact = positions == Positions::Exact;
        const std::int64_t whole =
            exact ? (x >= 0 ? x / 64 : -((63 - x) / 64)) : std::llround(double(x) / 64.0);
        if (!rasterise(face, set.index, hinting, raster, exact ? int(x - whole * 64) : 0))
            continue;  // a space: no ink
        PlacedGlyph g;
        g.width = int(raster.metrics.blackBoxX);
        g.height = int(raster.metrics.blackBoxY);
        g.x = int(whole) + raster.metrics.originX;
        g.y = int(std::lround(double(y) / 64.0)) - raster.metrics.originY;
        g.coverage = raster.coverage;
        if (placed.empty()) {
            left = g.x, top = g.y, right = g.x + g.width - 1, bottom = g.y + g.height - 1;
        } else {
            left = std::min(left, g.x), top = std::min(top, g.y);
            right = std::max(right, g.x + g.width - 1), bottom = std::max(bottom, g.y + g.height - 1);
        }
        placed.push_back(std::move(g));
    }
    out.glyphs = int(glyphs.size());
    if (out.lacksGlyph || placed.empty()) return;
    const std::int64_t w = std::int64_t(right) - left + 1, h = std::int64_t(bottom) - top + 1;
    if (w <= 0 || h <= 0 || w * h > GlyphRaster::kMaxPixels) return;

    out.width = int(w);
    out.height = int(h);
    out.coverage.assign(std::size_t(w * h), 0);
    // Overlapping glyphs are composited as a renderer lays one over the other.
    for (const PlacedGlyph& g : placed)
        for (int y = 0; y < g.height; ++y) {
            std::uint8_t* row = out.coverage.data() + std::size_t(g.y - top + y) * std::size_t(w) + (g.x - left);
            const std::uint8_t* from = g.coverage.data() + std::size_t(y) * std::size_t(g.width);
            for (int x = 0; x < g.width; ++x)
                row[x] = std::uint8_t(255 - (255 - row[x]) * (255 - from[x]) / 255);
        }
}

}  // namespace lettrino
