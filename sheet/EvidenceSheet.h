#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <vector>

#include "canvas/InkBox.h"
#include "match/TwinVote.h"
#include "sheet/WritePng.h"

namespace lettrino {

class Canvas;

// The evidence sheet: one picture that shows why each font ranks where it does. A header
// with the reference as the match sees it and a legend, then one cell per ranked font with
// its glyph(s), the overlay of each glyph on the reference, and its rank, face, score and file.
// Engine code: draws into a QImage with QPainter, no widgets. Text needs a QGuiApplication;
// without one the sheet is drawn without its text.

// One character as it was scored: the canvas it sits in (not owned; it must outlive the
// call) and its ink box there.
struct SheetGlyph {
    const Canvas* canvas = nullptr;
    InkBox box;
};

// One ranked font.
struct SheetEntry {
    int rank = 0;
    QString face;
    QString file;
    double score = 0;  // 0..1
    double m = 0;      // the match, 0..1
    // One per character of the text, in order (one for a single character).
    std::vector<SheetGlyph> glyphs;
};

// The picture the fonts were matched against, one glyph per character of the text, and a
// caption (the picture's file name and the text, say).
struct SheetReference {
    std::vector<SheetGlyph> characters;
    QString caption;
    // The characters that begin a word after the first (a line of several words), in order:
    // a word's glyphs stand apart from the next word's.
    std::vector<int> wordStarts;
};

// The word starts of a text's characters (spaces not counted): "quick fox" gives {5}.
std::vector<int> wordStartsOf(const QString& text);

// Colours of the overlay, told apart with red-green colour blindness.
constexpr QRgb kReferenceOnlyInk = 0xFF0072B2;  // blue (0, 114, 178)
constexpr QRgb kGlyphOnlyInk = 0xFFE69F00;      // orange (230, 159, 0)
constexpr QRgb kSharedInk = 0xFF282828;         // near-black (40, 40, 40)
constexpr QRgb kNoInk = 0xFFFFFFFF;
// The ink-box outline drawn around the reference's and the glyphs' ink (not ink itself).
constexpr QRgb kInkBoxOutline = 0xFFCC79A7;  // reddish purple (204, 121, 167)

// Near-twins: ranked fonts whose scores lie within kTwinHair (match/TwinVote.h, a share of the
// first's score) of the first's. Each near-twin's cell also shows where its glyphs and another
// near-twin's differ, and whose ink the picture has there: the first's against the second's,
// every other's against the first's. Where both glyphs have ink: kBothFontsInk; where neither:
// kNoInk; where they differ: kAsThisFont when the picture's pixel is ink or paper as this glyph's
// is, else kAsOtherFont.
constexpr QRgb kAsThisFont = 0xFF009E73;    // bluish green (0, 158, 115)
constexpr QRgb kAsOtherFont = 0xFFD55E00;   // vermillion (213, 94, 0)
constexpr QRgb kBothFontsInk = 0xFFC8C8C8;  // light grey (200, 200, 200)

// What the sheet holds at most; entries and characters beyond are left out.
constexpr int kSheetMaxEntries = 100;
constexpr int kSheetMaxCharacters = 64;

// The overlay of one character, the reference box's pixel size ((BW + 1) x (BH + 1)), RGB32.
// Offset (x, y) shows the reference pixel (left + x, top + y) against the glyph pixel
// (round(x * FW / BW + glyphLeft), round(y * FH / BH + glyphTop)), halves to even, exactly as the
// match samples them. Ink, on each side, is a pixel inside its own box whose red component is
// darker than halfway between white and the box's darkest red (match/InkMask.h); reads outside
// a canvas are no ink. Reference ink only: kReferenceOnlyInk; glyph ink only: kGlyphOnlyInk;
// both: kSharedInk; neither: white. A null image when either canvas is missing or the
// reference box is inverted or larger than a canvas.
QImage overlay(const SheetGlyph& reference, const SheetGlyph& glyph);

// Whom a near-twin's cell is set against: the second entry for the first, the first for every
// other near-twin; -1 for an entry that is not a near-twin.
int twinOf(const std::vector<SheetEntry>& entries, int k);

// Where `glyph` and `other` differ, each sampled onto the reference box as overlay() samples a
// glyph: the reference box's pixel size, coloured as above; with how many pixels differ and at
// how many of those the picture is as `glyph`. A null image as overlay() gives one.
struct TwinDifference {
    QImage image;
    int differing = 0;
    int asThis = 0;
};
TwinDifference twinDifference(const SheetGlyph& reference, const SheetGlyph& glyph, const SheetGlyph& other);
// The line under a near-twin's figures: "vs 1.: 212 px differ, 61 % as this font", or "vs 1.: no
// pixel differs".
QString twinLine(int otherRank, int differing, int asThis);

// The three text lines under a cell's pictures, unelided: "1. DejaVu Serif" (the rank and the
// face), "score 97.12 %, match 98.40 %", and the font file's base name.
QStringList entryLines(const SheetEntry& entry);

// The whole sheet, RGB32 on white; its geometry is sheetLayout()'s (sheet/SheetLayout.h).
// No entries: the header alone.
QImage drawSheet(const SheetReference& reference, const std::vector<SheetEntry>& entries);

}  // namespace lettrino
