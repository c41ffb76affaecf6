#pragma once

#include <QString>

#include "canvas/InkBox.h"
#include "match/Matcher.h"

namespace lettrino {

// What matching one font gave.
struct FontResult {
    QString face;             // the face drawn (for a file, the face it registered)
    QString file;             // the font's file, as the job named it
    bool matched = false;     // a glyph was drawn and compared: score holds the match
    bool unreadable = false;  // the font file could not be registered, or failed while drawn
    bool weighed = false;     // the aspect score was computed (matched, aspect on, not cut by top)
    MatchScore score;
    InkBox glyphBox;          // the drawn glyph's box, when matched
    double aspectScore = 0;   // the match weighed by how well the ink and its proportions agree
    double inkAgreement = 0;  // what the aspect score weighs by (match/Aspect.h)
    double aspectDistance = 0;
    double sizeSpread = 0;  // for a word: how far the sizes its letters ask for stray; 0 for one character
};

}  // namespace lettrino
