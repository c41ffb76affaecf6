#pragma once

#include <QRect>
#include <QString>

#include <vector>

#include "cli/Options.h"
#include "match/Ranking.h"

namespace lettrino::cli {

// What the rows were matched against, for json: the text, whether any font matches the picture
// meaningfully, the part of the picture used (source pixels; null for the whole), whether the
// text was matched whole as each font sets it, and each character's box in the picture.
struct MatchedPicture {
    QString text;
    bool meaningful = true;
    QRect region;
    bool whole = false;
    std::vector<QRect> characters;
};

// The rows in one of the output formats, header included, ending with a newline.
// table: aligned columns, numbers in the user's locale; tsv: tab-separated with a header
// line; json: an array of objects, each also with what was matched (MatchedPicture), the glyph's
// box, the ink agreement and the proportions' distance. tsv and json always write a decimal
// point. Names holding control characters are written as a shell would quote them in table and tsv.
QString formatRows(const std::vector<ResultRow>& rows, OutputFormat format, const MatchedPicture& picture = {});

}  // namespace lettrino::cli
