#pragma once

#include <QString>

#include <vector>

#include "cli/Options.h"
#include "match/Ranking.h"

namespace lettrino::cli {

// The rows in one of the output formats, header included, ending with a newline.
// table: aligned columns, numbers in the user's locale; tsv: tab-separated with a header
// line; json: an array of objects, each also with the text matched, the glyph's box, the ink
// agreement and the proportions' distance. tsv and json always write a decimal point.
QString formatRows(const std::vector<ResultRow>& rows, OutputFormat format, const QString& text = QString());

}  // namespace lettrino::cli
