#include "match/Results.h"

#include "match/Matcher.h"
#include "match/NumberFormat.h"

namespace lettrino::results {

bool passesAdd(double m, int addTenths) {
    return double(addTenths) / 1000.0 < m;
}

bool boldFor(double m, int boldTenths) {
    return double(boldTenths) / 1000.0 <= m;
}

std::optional<float> shownMatch(const QString& matchText) {
    return numfmt::readNumber(matchText);
}

bool keepsRow(const QString& matchText, int addTenths) {
    const std::optional<float> shown = shownMatch(matchText);
    return !shown || !(double(*shown) < double(addTenths) / 10.0);
}

bool boldForShown(const QString& matchText, int boldTenths) {
    const std::optional<float> shown = shownMatch(matchText);
    return shown && double(boldTenths) / 10.0 <= double(*shown);
}

QString matchText(double m) {
    return numfmt::fixed(m * 100.0, 2);
}

QString ratioText(double ratio) {
    return numfmt::fixed(ratio, 3);
}

ListRow makeRow(const ResultRow& result, int boldTenths, const QString& filename, int rowTag,
                const QString& entry, const QString& folder, const QString& prefix) {
    ListRow row;
    row.filename = filename;
    row.match = matchText(result.m);
    row.font = result.face;
    row.xRatio = ratioText(result.xRatio);
    row.yRatio = ratioText(result.yRatio);
    row.rowTag = rowTag;
    row.entry = entry;
    row.folder = folder;
    row.prefix = prefix;
    row.bold = boldFor(result.m, boldTenths);
    return row;
}

}  // namespace lettrino::results
