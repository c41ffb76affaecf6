#pragma once

#include <QImage>
#include <QString>

#include "render/Character.h"
#include "render/FontRef.h"

namespace lettrino {

class FontSystem;


// Draws one character of one font as a reference bitmap: grey glyph on white, centred on
// the canvas point (100, 100), its ink `inkHeight` pixels tall or as near as the font
// allows, exactly as the matcher draws that font for such a bitmap. Matching the result
// against the same font gives 100 %.
//
// The size is settled by drawing again with the height the glyph came out at, until the
// height stays; the box outline the renderer draws is taken off again. The image is
// `imageSize` square (the canvas's part top-left, white beyond), 8-bit grey. Null, with a
// reason in *error, when the font has no glyph for the character or cannot be read.
QImage drawSampleGlyph(FontSystem& fonts, const FontRef& font, Character ch, int inkHeight,
                       int imageSize, QString* error);

}  // namespace lettrino
