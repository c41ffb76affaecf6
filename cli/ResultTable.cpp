#include "cli/ResultTable.h"

#include <QLocale>
#include <QStringList>

#include <algorithm>
#include <cmath>

#include "match/NumberFormat.h"

namespace lettrino::cli {

namespace {

QString plainFixed(double v, int decimals) {
    if (!std::isfinite(v)) return QStringLiteral("-");
    return QLocale::c().toString(v, 'f', decimals);
}

QString localFixed(double v, int decimals) {
    if (!std::isfinite(v)) return QStringLiteral("-");
    return numfmt::fixed(v, decimals);
}

QString jsonNumber(double v, int decimals) {
    return std::isfinite(v) ? QLocale::c().toString(v, 'f', decimals) : QStringLiteral("null");
}

QString jsonString(const QString& s) {
    QString out;
    out.reserve(s.size() + 2);
    out += QLatin1Char('"');
    for (const QChar c : s) {
        switch (c.unicode()) {
            case '"':
                out += QLatin1String("\\\"");
                break;
            case '\\':
                out += QLatin1String("\\\\");
                break;
            case '\n':
                out += QLatin1String("\\n");
                break;
            case '\r':
                out += QLatin1String("\\r");
                break;
            case '\t':
                out += QLatin1String("\\t");
                break;
            default:
                if (c.unicode() < 0x20)
                    out += QStringLiteral("\\u%1").arg(int(c.unicode()), 4, 16, QLatin1Char('0'));
                else
                    out += c;
        }
    }
    out += QLatin1Char('"');
    return out;
}

// A name as a table or tsv field: unchanged unless it holds a control character (a tab or a
// line break would break the columns, others the terminal); then quoted as a shell's $'...',
// with \t, \n, \r, \\, \' and \xNN escapes, so that the path can be pasted into a shell.
QString shownName(const QString& s) {
    const bool plain =
        std::none_of(s.begin(), s.end(), [](QChar c) { return c.category() == QChar::Other_Control; });
    if (plain) return s;
    QString out = QStringLiteral("$'");
    for (const QChar c : s) {
        switch (c.unicode()) {
            case '\t':
                out += QLatin1String("\\t");
                break;
            case '\n':
                out += QLatin1String("\\n");
                break;
            case '\r':
                out += QLatin1String("\\r");
                break;
            case '\\':
                out += QLatin1String("\\\\");
                break;
            case '\'':
                out += QLatin1String("\\'");
                break;
            default:
                if (c.category() != QChar::Other_Control)
                    out += c;
                else if (c.unicode() < 0x80)
                    out += QStringLiteral("\\x%1").arg(int(c.unicode()), 2, 16, QLatin1Char('0'));
                else
                    out += QStringLiteral("\\u%1").arg(int(c.unicode()), 4, 16, QLatin1Char('0'));
        }
    }
    return out + QLatin1Char('\'');
}

const QStringList& header() {
    static const QStringList h{QStringLiteral("rank"),  QStringLiteral("score"), QStringLiteral("match"),
                               QStringLiteral("face"),  QStringLiteral("file"),  QStringLiteral("xratio"),
                               QStringLiteral("yratio")};
    return h;
}

QString tsv(const std::vector<ResultRow>& rows) {
    QString out = header().join(QLatin1Char('\t')) + QLatin1Char('\n');
    for (const ResultRow& r : rows) {
        out += QString::number(r.rank) + QLatin1Char('\t') + plainFixed(r.score * 100, 2) +
               QLatin1Char('\t') + plainFixed(r.m * 100, 2) + QLatin1Char('\t') + shownName(r.face) +
               QLatin1Char('\t') + shownName(r.file) + QLatin1Char('\t') + plainFixed(r.xRatio, 3) +
               QLatin1Char('\t') + plainFixed(r.yRatio, 3) + QLatin1Char('\n');
    }
    return out;
}

QString jsonBox(const QRect& box) {
    return QStringLiteral("{\"left\": %1, \"top\": %2, \"right\": %3, \"bottom\": %4}")
        .arg(box.left())
        .arg(box.top())
        .arg(box.right())
        .arg(box.bottom());
}

QString json(const std::vector<ResultRow>& rows, const MatchedPicture& picture) {
    if (rows.empty()) return QStringLiteral("[]\n");
    // What every row was matched against.
    QStringList characters;
    for (const QRect& box : picture.characters) characters << jsonBox(box);
    const QString matched = QStringLiteral(", \"region\": %1, \"whole\": %2, \"characters\": [%3]")
                                .arg(picture.region.isNull() ? QStringLiteral("null") : jsonBox(picture.region),
                                     picture.whole ? QLatin1String("true") : QLatin1String("false"),
                                     characters.join(QStringLiteral(", ")));
    QString out = QStringLiteral("[\n");
    for (size_t i = 0; i < rows.size(); ++i) {
        const ResultRow& r = rows[i];
        out += QStringLiteral(
                   "  {\"rank\": %1, \"score\": %2, \"match\": %3, \"face\": %4, \"file\": %5, "
                   "\"xratio\": %6, \"yratio\": %7, ")
                   .arg(r.rank)
                   .arg(jsonNumber(r.score * 100, 2), jsonNumber(r.m * 100, 2), jsonString(r.face),
                        jsonString(r.file), jsonNumber(r.xRatio, 3), jsonNumber(r.yRatio, 3));
        out += QStringLiteral(
                   "\"text\": %1, \"glyphbox\": {\"left\": %2, \"top\": %3, \"right\": %4, \"bottom\": %5}, "
                   "\"agreement\": %6, \"distance\": %7, \"sizespread\": %8, \"meaningful\": %9")
                   .arg(jsonString(picture.text))
                   .arg(r.glyphBox.left)
                   .arg(r.glyphBox.top)
                   .arg(r.glyphBox.right)
                   .arg(r.glyphBox.bottom)
                   .arg(jsonNumber(r.inkAgreement, 4), jsonNumber(r.aspectDistance, 4),
                        jsonNumber(r.sizeSpread, 4))
                   .arg(picture.meaningful ? QLatin1String("true") : QLatin1String("false"));
        out += matched + QLatin1Char('}');
        out += i + 1 < rows.size() ? QStringLiteral(",\n") : QStringLiteral("\n");
    }
    out += QStringLiteral("]\n");
    return out;
}

QString table(const std::vector<ResultRow>& rows) {
    std::vector<QStringList> cells;
    cells.reserve(rows.size() + 1);
    cells.push_back(header());
    for (const ResultRow& r : rows)
        cells.push_back({QString::number(r.rank), localFixed(r.score * 100, 2), localFixed(r.m * 100, 2),
                         shownName(r.face), shownName(r.file), localFixed(r.xRatio, 3),
                         localFixed(r.yRatio, 3)});
    const int columns = int(header().size());
    std::vector<int> width(size_t(columns), 0);
    for (const QStringList& line : cells)
        for (int c = 0; c < columns; ++c)
            width[size_t(c)] = std::max(width[size_t(c)], int(line.at(c).size()));
    // rank and the numbers line up on the right, the names on the left; the last column
    // carries no padding.
    const bool rightAligned[] = {true, true, true, false, false, true, true};
    QString out;
    for (const QStringList& line : cells) {
        QString text;
        for (int c = 0; c < columns; ++c) {
            if (c > 0) text += QStringLiteral("  ");
            const int w = width[size_t(c)];
            text += rightAligned[c] ? line.at(c).rightJustified(w) : line.at(c).leftJustified(w);
        }
        while (text.endsWith(QLatin1Char(' '))) text.chop(1);
        out += text + QLatin1Char('\n');
    }
    return out;
}

}  // namespace

QString formatRows(const std::vector<ResultRow>& rows, OutputFormat format, const MatchedPicture& picture) {
    switch (format) {
        case OutputFormat::Tsv:
            return tsv(rows);
        case OutputFormat::Json:
            return json(rows, picture);
        case OutputFormat::Table:
            break;
    }
    return table(rows);
}

}  // namespace lettrino::cli
