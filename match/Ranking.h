#pragma once

#include <QString>

#include <vector>

#include "canvas/InkBox.h"
#include "match/FontResult.h"

namespace lettrino {

// The order of the results: by the aspect-aware score (shared ink and proportions), or by the
// match alone, as the window lists them.
enum class RankBy { Aspect, Match };

// One font of a ranking, in numbers.
struct ResultRow {
    int rank = 0;
    double score = 0;  // the aspect-aware score, 0 to 1
    double m = 0;      // the match, 0 to 1
    QString face;
    QString file;
    double xRatio = 0;
    double yRatio = 0;
    InkBox glyphBox;             // the first character's glyph box on its canvas
    double inkAgreement = 0;     // the share of ink glyph and picture have in common
    double aspectDistance = 0;   // how far their proportions stray
    double sizeSpread = 0;       // a word's: how far the sizes its letters ask for stray
    int job = -1;                // the row's font: its position in the results (and the jobs)
};

// The matched fonts, best first, ranked 1, 2, ...: by score descending (then match) or by
// match descending, then by file path and face name, so that the order does not depend on
// how the work was split. Only those whose match in percent is at least minPercent, and of
// those the first `top` (0: all).
std::vector<ResultRow> rankResults(const std::vector<FontResult>& results, double minPercent, int top,
                                   RankBy rank = RankBy::Aspect);

// A library's copies of a font (the same face under other paths) score the same to the last
// bit: the ranked rows in groups of one face and score, each group its rows' jobs, the best
// first; the first `top` groups (0: all).
std::vector<std::vector<int>> copiesTogether(const std::vector<ResultRow>& rows, int top);

}  // namespace lettrino
