#pragma once

#include <QString>

#include <optional>

#include "match/Ranking.h"

namespace lettrino {

// The rules of the results list, kept apart from the widget that shows them.
//
// Thresholds are in tenths of a percent (800 = 80.0 %). A match m runs from 0 to 1 and is
// compared with a threshold T as T / 1000; a Match cell already shown is compared with T / 10.
namespace results {

// A match earns a row (or updates its row) only when it is strictly above the add threshold.
bool passesAdd(double m, int addTenths);
// A freshly written row is bold when its unrounded match reaches the bold threshold.
bool boldFor(double m, int boldTenths);

// The Match cell text read back as a number (single precision, user's locale). Empty when the
// text is not a number the program wrote.
std::optional<float> shownMatch(const QString& matchText);
// Re-applying the add threshold: a row stays unless its shown Match is below tenths / 10. A
// cell that cannot be read is kept (nothing is removed on a guess).
bool keepsRow(const QString& matchText, int addTenths);
// Re-applying the bold threshold: bold exactly when tenths / 10 <= the shown Match. A cell
// that cannot be read is not bold.
bool boldForShown(const QString& matchText, int boldTenths);

// Cell texts: the Match as m x 100 with two decimals (no percent sign), a ratio with three.
QString matchText(double m);
QString ratioText(double ratio);

// Everything one new row of the list holds, as text.
struct ListRow {
    QString filename;  // item text: what FontFilenameText showed
    QString match;     // matchText(m)
    QString font;      // face name
    QString xRatio;
    QString yRatio;
    int rowTag = -1;  // the font list position when the row was added
    QString entry;    // tag of the Match cell: the font list entry text
    QString folder;   // tag of the Font cell: the font list folder ("" for installed faces)
    QString prefix;   // the renderers' folder argument for the entry ("\" for installed faces)
    bool bold = false;
};

// The list row of a result (its match, ratios and face), with the bold rule applied to the
// unrounded match.
ListRow makeRow(const ResultRow& result, int boldTenths, const QString& filename, int rowTag,
                const QString& entry, const QString& folder, const QString& prefix);

}  // namespace results
}  // namespace lettrino
