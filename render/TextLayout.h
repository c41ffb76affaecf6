#pragma once

#include <QString>

#include <cstdint>
#include <vector>

#include "render/GlyphRaster.h"

namespace lettrino {

struct OpenFace;

// A text drawn as a font sets it: laid out by HarfBuzz (advances, kerning, and the font's
// standard ligatures when asked for), each glyph rasterised as GlyphRaster does, the whole
// trimmed to its ink.
struct TextRaster {
    int width = 0;   // of the ink box, in pixels; 0 when nothing was drawn
    int height = 0;
    std::vector<std::uint8_t> coverage;  // width per row, height rows; 0 is no ink
    int glyphs = 0;                      // glyphs the layout set (a ligature is one)
    bool lacksGlyph = false;             // a character of the text has no glyph in the face

    bool empty() const { return width <= 0 || height <= 0; }
};

// How a text is set: by HarfBuzz with the font's standard ligatures or without them; or each
// character's glyph at its advance, without the font's layout tables (kerning, ligatures, marks
// placed), for a quick first look.
enum class Setting { Ligatures, NoLigatures, Advances };

// Where a text's glyphs stand: on whole pixels, as hinted text is drawn (and most renderers draw
// any text), or exactly where the layout puts them, a glyph between pixels where it falls, as
// PDF viewers and browsers draw unhinted and lightly hinted text.
enum class Positions { Whole, Exact };

// Lays the text out with the face at its current size and draws it. Nothing is drawn (and
// lacksGlyph is set) when the face has no glyph for one of the characters.
void layText(OpenFace& face, const QString& text, Setting setting, Hinting hinting, Positions positions,
             TextRaster& out);

}  // namespace lettrino
