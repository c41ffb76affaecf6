#pragma once

#include <QImage>

namespace lettrino {

struct TextRaster;

// How far a font's drawing of a text agrees with a picture of it, the whole text at once: the
// font's text is brought to the picture's ink box (its height, and its width, which absorbs
// letter-spacing) and the two are compared at mid-grey.
struct LineScore {
    double m = 0;        // shared ink over the ink of either, 0 to 1
    double stretch = 1;  // how much wider the picture's text is than the font sets it, at one height
    double score = 0;    // m weighed by how far the stretch strays from 1
};

// How much a stretch weighs: exp(-kStretchWeight * |ln stretch|). Letter-spacing and a
// renderer's rounding stretch a text by a few percent; another width of a family by ten or more.
constexpr double kStretchWeight = 2.0;

// Compares a picture's text (Format_Grayscale8, cropped to its ink, dark ink on white) with a
// font's drawing of it (render/TextLayout.h). A zero score when either is empty.
LineScore matchLine(const QImage& reference, const TextRaster& text);
// The same with the text drawn dark on white (Format_Grayscale8), of any size; `graded`, each
// pixel's ink counts by its darkness instead of at mid-grey (small text, whose edges are grey).
LineScore matchLine(const QImage& reference, const QImage& text, bool graded = false);

// A font's drawing of a text brought to a width x height box as matchLine compares it: dark ink
// on white, Format_Grayscale8. Null when the drawing is empty.
QImage fittedText(const TextRaster& text, int width, int height);

}  // namespace lettrino
