#pragma once

#include <QRect>
#include <QSize>

#include <vector>

#include "sheet/EvidenceSheet.h"

namespace lettrino {

// Where everything of an evidence sheet goes. drawSheet() draws exactly this; tests and
// callers can find a cell's pictures on the sheet with it.
//
// Every character has one crop size (in canvas pixels) shared by the reference and all the
// glyphs: the largest ink box among them plus a margin. Each picture shows the canvas region
// of that size centred on its own ink box, and every picture of the sheet is drawn at the same
// scale (1, or less so that a cell stays narrow: about 380 pixels for one character, 800 for a
// word), so the reference and the glyphs are compared at the size they were scored at.
//
// Header: the caption line, the legend line, then the reference's characters side by side.
// Cells: a grid in rank order, left to right then top to bottom, at most 1,600 pixels wide.
// For one character a cell holds the glyph and its overlay side by side; for a word, the
// glyphs side by side and each overlay under its glyph. Under the pictures, three text lines.
// A sheet with near-twins has a second legend line, and every cell room for a near-twin's
// differences (beside the overlay, or under a word's overlays) and a fourth line.
struct SheetLayout {
    struct Picture {
        QRect crop;   // the canvas region shown (may reach past the canvas: white there)
        QRect place;  // where it lands on the sheet (crop scaled by `scale`)
    };
    struct Cell {
        QRect frame;
        std::vector<Picture> glyphs;  // one per character; an empty crop for a missing glyph
        std::vector<QRect> overlays;  // one per character, overlay() scaled by `scale`
        // With near-twins: one per character, twinDifference() scaled by `scale`; else none.
        std::vector<QRect> differences;
        QRect text;      // the three text lines (entryLines())
        QRect twinText;  // twinLine(), with near-twins
    };

    QSize size;          // of the whole sheet
    double scale = 1;    // sheet pixels per canvas pixel, for every picture
    int characters = 0;  // per entry: the reference's characters, at most kSheetMaxCharacters
    int columns = 0;     // cells per row
    QRect caption;
    QRect legend;
    QRect twinLegend;  // with near-twins
    std::vector<Picture> reference;  // one per character
    std::vector<Cell> cells;         // one per entry, at most kSheetMaxEntries
};

SheetLayout sheetLayout(const SheetReference& reference, const std::vector<SheetEntry>& entries);

}  // namespace lettrino
