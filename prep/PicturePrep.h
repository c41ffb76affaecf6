#pragma once

#include <QImage>
#include <QRect>
#include <QString>

#include <vector>

namespace lettrino {

struct PrepOptions {
    int maxInk = 177;     // the longer side of the ink once scaled, in pixels (1 to 197)
    bool upscale = true;  // whether ink smaller than maxInk is scaled up
    // Whether any picture the canvas can take is taken as it is (the window's rule): nothing
    // but pure white outside the top-left 197 x 197 and a pure white background, whatever
    // specks, tints or noise lie on it (every pixel that is not white then counts as ink).
    bool keepWhatFits = false;
    // Whether the paper is known to be lit evenly (a glyph drawn on white): its lighting is then
    // not fitted.
    bool evenPaper = false;
};

// A picture made ready for a reference canvas.
struct PreparedPicture {
    QImage image;  // what goes into a reference canvas: fits 197 x 197, white background, dark ink; null on
                   // failure
    bool unchanged = false;  // the picture already met the conditions below and is returned as it is
    bool inverted = false;   // light ink on a dark background was turned around
    double scale = 1;        // prepared pixels per source pixel
    QRect sourceInk;         // the ink's box in the source picture
    QString error;           // why there is nothing to match against; empty on success
};

// Turns any picture of a character into a reference. A picture that can be used as it is
// (every pixel outside the top-left 197 x 197 pure white, a pure white background, neutral
// dark ink, no specks or noise away from the ink; with options.keepWhatFits the first two
// alone) comes back as the very same image, `unchanged`. Any other picture: the background
// is found from the luminance (its level, its noise, which side it is on), light ink on dark
// is turned around, background becomes pure white and ink black with the edge's greys kept,
// specks are dropped, and the ink is cropped, scaled to options.maxInk on its longer side
// (area-averaged when shrinking; not enlarged when options.upscale is off) and centred on a
// white 197 x 197 RGB32 image.
// A picture without a character (empty, one colour, noise, a texture, no clear contrast)
// gives a null image and an error "no character found: ...".
PreparedPicture preparePicture(const QImage& picture, const PrepOptions& options = {});

// Prepares only the ink of the pieces whose centres lie inside `box` (source coordinates,
// e.g. one of findCharacters' boxes), with the whole picture's background and polarity.
// Never `unchanged`. Error "no character found: nothing inside the box" when no piece is.
PreparedPicture prepareCharacter(const QImage& picture, const QRect& box, const PrepOptions& options = {});

// Every character of a word prepared on its own canvas, left to right (findCharacters'
// order), from one reading of the picture; only the pieces whose centres lie inside `region`
// (source coordinates) when it is not null. A picture without a character gives one entry
// carrying the error.
std::vector<PreparedPicture> prepareCharacters(const QImage& picture, const PrepOptions& options = {},
                                               const QRect& region = QRect());

// A picture's text as one piece: every piece of ink but specks, background white and ink dark,
// cropped to the ink's box and scaled to `inkHeight` pixels tall (kept as tall as it is for 0;
// the width in proportion, at most kMaxLineWidth), for matching text as a font sets it without
// cutting it into characters. A null image and the error when the picture shows no ink. Ink
// under `keepOwnUnder` pixels tall is also given at its own size. `evenPaper`: as
// PrepOptions::evenPaper (a drawing on white paper).
struct PreparedLine {
    QImage grey;       // Format_Grayscale8, the ink's box only
    QImage own;        // the same at the ink's own size, when it is small; null otherwise
    double scale = 1;  // prepared pixels per source pixel
    QRect sourceInk;   // the ink's box in the source picture
    bool inverted = false;
    QString error;
};
constexpr int kMaxLineWidth = 2400;
PreparedLine prepareLine(const QImage& picture, int inkHeight, const QRect& region = QRect(),
                         int keepOwnUnder = 0, bool evenPaper = false);

}  // namespace lettrino
