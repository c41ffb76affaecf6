#pragma once

#include <QString>

#include <vector>

#include "cli/Options.h"
#include "match/Ranking.h"

namespace lettrino::cli {

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
