#pragma once

#include <QString>

#include <vector>

#include "cli/Options.h"
#include "cli/Sweep.h"

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
};

// The matched fonts, best first, ranked 1, 2, ...: by score descending (then match) or by
// match descending, then by file path and face name, so that the order does not depend on
// how the work was split. Only those whose match in percent is at least minPercent, and of
// those the first `top` (0: all).
std::vector<ResultRow> rankResults(const std::vector<FontResult>& results, double minPercent, int top,
                                   RankBy rank = RankBy::Aspect);

// The rows in one of the output formats, header included, ending with a newline.
// table: aligned columns, numbers in the user's locale; tsv: tab-separated with a header
// line; json: an array of objects. tsv and json always write a decimal point.
QString formatRows(const std::vector<ResultRow>& rows, OutputFormat format);

}  // namespace lettrino::cli
