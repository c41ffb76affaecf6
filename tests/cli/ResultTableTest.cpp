#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "cli/Progress.h"
#include "cli/ResultTable.h"

namespace lettrino::cli {
namespace {

FontResult matched(double m, const char* face, const char* file, double xr = 1.0, double yr = 1.0,
                   double score = -1) {
    FontResult r;
    r.face = QString::fromUtf8(face);
    r.file = QString::fromUtf8(file);
    r.matched = true;
    r.score.m = m;
    r.score.xRatio = xr;
    r.score.yRatio = yr;
    r.aspectScore = score < 0 ? m : score;
    return r;
}

std::vector<FontResult> sampleResults() {
    FontResult unreadable;
    unreadable.file = QStringLiteral("/f/bad.ttf");
    unreadable.unreadable = true;
    FontResult noGlyph;
    noGlyph.file = QStringLiteral("/f/symbols.ttf");
    return {matched(0.5, "Low", "/f/low.ttf"),   unreadable,
            matched(0.9, "Tie B", "/f/b.ttf"),   noGlyph,
            matched(1.0, "Best", "/f/z.ttf"),    matched(0.9, "Tie A", "/f/a.ttf"),
            matched(0.8, "Edge", "/f/edge.ttf"), matched(0.9, "Tie A Bold", "/f/a.ttf")};
}

QStringList faces(const std::vector<ResultRow>& rows) {
    QStringList out;
    for (const ResultRow& r : rows) out << QStringLiteral("%1:%2").arg(r.rank).arg(r.face);
    return out;
}

TEST(RankResults, BestFirstThenByFileThenFace) {
    EXPECT_EQ(faces(rankResults(sampleResults(), 0, 0)).join(QLatin1Char(' ')),
              QStringLiteral("1:Best 2:Tie A 3:Tie A Bold 4:Tie B 5:Edge 6:Low"));
    // The input order does not matter.
    std::vector<FontResult> reversed = sampleResults();
    std::reverse(reversed.begin(), reversed.end());
    EXPECT_EQ(faces(rankResults(reversed, 0, 0)), faces(rankResults(sampleResults(), 0, 0)));
}

TEST(RankResults, TopAndMinimumSelect) {
    struct Case {
        double min;
        int top;
        const char* expected;
    };
    const Case cases[] = {
        {0, 2, "1:Best 2:Tie A"},
        {80, 0, "1:Best 2:Tie A 3:Tie A Bold 4:Tie B 5:Edge"},  // at least: 80.00 passes 80
        {80.01, 0, "1:Best 2:Tie A 3:Tie A Bold 4:Tie B"},
        {100, 0, "1:Best"},
        {0, 100, "1:Best 2:Tie A 3:Tie A Bold 4:Tie B 5:Edge 6:Low"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "min " << c.min << " top " << c.top);
        EXPECT_EQ(faces(rankResults(sampleResults(), c.min, c.top, RankBy::Match)).join(QLatin1Char(' ')),
                  QString::fromUtf8(c.expected));
    }
}

TEST(RankResults, AspectOrdersByScoreMatchByMatch) {
    const std::vector<FontResult> results{matched(0.98, "Condensed twin", "/f/c.ttf", 0.89, 1.0, 0.78),
                                          matched(0.95, "Source", "/f/s.ttf", 1.0, 1.0, 0.95),
                                          matched(0.90, "Other", "/f/o.ttf", 1.0, 1.0, 0.90)};
    EXPECT_EQ(faces(rankResults(results, 0, 0)).join(QLatin1Char(' ')),
              QStringLiteral("1:Source 2:Other 3:Condensed twin"));
    EXPECT_EQ(faces(rankResults(results, 0, 0, RankBy::Match)).join(QLatin1Char(' ')),
              QStringLiteral("1:Condensed twin 2:Source 3:Other"));
    // --min is about the match, whatever the order.
    EXPECT_EQ(faces(rankResults(results, 96, 0)).join(QLatin1Char(' ')), QStringLiteral("1:Condensed twin"));
}

TEST(FormatRows, TsvHasAHeaderAndDecimalPoints) {
    const std::vector<ResultRow> rows =
        rankResults({matched(0.876543, "Face\tWith Tab", "/f/x.ttf", 0.98765, 1.0005)}, 0, 0);
    EXPECT_EQ(formatRows(rows, OutputFormat::Tsv),
              QStringLiteral("rank\tscore\tmatch\tface\tfile\txratio\tyratio\n"
                             "1\t87.65\t87.65\tFace With Tab\t/f/x.ttf\t0.988\t1.000\n"));
    EXPECT_EQ(formatRows({}, OutputFormat::Tsv),
              QStringLiteral("rank\tscore\tmatch\tface\tfile\txratio\tyratio\n"));
}

TEST(FormatRows, JsonIsValidAndKeepsTheValues) {
    const std::vector<ResultRow> rows =
        rankResults({matched(1.0, "Quote \" and \\ back", "/f/\xc3\xa9t\xc3\xa9.ttf"),
                     matched(0.5, "Two", "/f/2.ttf", 0.5, 2)},
                    0, 0);
    const QString text = formatRows(rows, OutputFormat::Json);
    EXPECT_TRUE(text.contains(QLatin1String("\"match\": 100.00,")));
    EXPECT_TRUE(text.contains(QLatin1String("\"xratio\": 0.500")));
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    const QJsonArray array = doc.array();
    ASSERT_EQ(array.size(), 2);
    const QJsonObject first = array.at(0).toObject();
    EXPECT_EQ(first.value(QLatin1String("rank")).toInt(), 1);
    EXPECT_EQ(first.value(QLatin1String("face")).toString(), QStringLiteral("Quote \" and \\ back"));
    EXPECT_EQ(first.value(QLatin1String("file")).toString(), QString::fromUtf8("/f/\xc3\xa9t\xc3\xa9.ttf"));
    EXPECT_EQ(array.at(1).toObject().value(QLatin1String("yratio")).toDouble(), 2.0);
    EXPECT_EQ(formatRows({}, OutputFormat::Json), QStringLiteral("[]\n"));
}

TEST(FormatRows, TableLinesUp) {
    const std::vector<ResultRow> rows =
        rankResults({matched(1.0, "A Face", "/a.ttf"), matched(0.0512, "B", "/longer/b.ttf")}, 0, 0);
    const QStringList lines =
        formatRows(rows, OutputFormat::Table).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    // The file column starts at the same place on every line; the match column ends at one.
    const int fileColumn = int(lines[0].indexOf(QLatin1String("file")));
    EXPECT_EQ(lines[1].indexOf(QLatin1String("/a.ttf")), fileColumn);
    EXPECT_EQ(lines[2].indexOf(QLatin1String("/longer/b.ttf")), fileColumn);
    const int matchEnd = int(lines[0].indexOf(QLatin1String("match"))) + 5;
    EXPECT_EQ(lines[1].mid(matchEnd - 6, 6), QStringLiteral("100.00"));
    EXPECT_EQ(lines[2].mid(matchEnd - 6, 6), QStringLiteral("  5.12"));
}

TEST(Progress, Texts) {
    EXPECT_EQ(progressText(0, 10, 0), QStringLiteral("0/10 fonts, - fonts/s, - left"));
    EXPECT_EQ(progressText(250, 1000, 0.5), QStringLiteral("250/1000 fonts, 500.0 fonts/s, 0:02 left"));
    EXPECT_EQ(durationText(59.4), QStringLiteral("0:59"));
    EXPECT_EQ(durationText(3725), QStringLiteral("1:02:05"));
}

}  // namespace
}  // namespace lettrino::cli
