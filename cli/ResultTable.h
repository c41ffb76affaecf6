#pragma once

#include <QString>

#include <vector>

#include "cli/Options.h"
#include "session/Session.h"

namespace lettrino::cli {

// One printed line of the ranking.
struct ResultRow {
    int rank = 0;
    double score = 0;  // the aspect-aware score, 0 to 1
    double m = 0;      // the match, 0 to 1
    QString face;
    QString file;
    double xRatio = 0;
    double yRatio = 0;
    // What the evidence sheet shows, in numbers (json only).
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

// The rows in one of the output formats, header included, ending with a newline.
// table: aligned columns, numbers in the user's locale; tsv: tab-separated with a header
// line; json: an array of objects, each also with the text matched, the glyph's box, the ink
// agreement, the proportions' distance and whether any font matches the picture meaningfully
// (`meaningful`). tsv and json always write a decimal point. Names holding control characters
// are quoted as a shell's $'...' in table and tsv (json escapes them its own way).
QString formatRows(const std::vector<ResultRow>& rows, OutputFormat format, const QString& text = QString());
// The same, json saying whether any font matches the picture meaningfully.
QString formatRows(const std::vector<ResultRow>& rows, OutputFormat format, const QString& text,
                   bool meaningful);

}  // namespace lettrino::cli
