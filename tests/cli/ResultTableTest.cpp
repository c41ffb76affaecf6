// lettrino-match's pieces: ranking the results, the output formats, the progress line.

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

#include <gtest/gtest.h>

#include <algorithm>

#include "Printing.h"
#include "cli/Progress.h"
#include "cli/ResultTable.h"

namespace lettrino::cli {
namespace {

FontResult matched(double m, const char* face, const char* file, double score, double xr = 1, double yr = 1) {
    FontResult r;
    r.face = QString::fromUtf8(face);
    r.file = QString::fromUtf8(file);
    r.matched = true;
    r.score.m = m;
    r.score.xRatio = xr;
    r.score.yRatio = yr;
    r.aspectScore = score;
    return r;
}

std::vector<FontResult> sample() {
    FontResult unreadable, noGlyph;
    unreadable.file = QStringLiteral("/f/bad.ttf");
    unreadable.unreadable = true;
    noGlyph.file = QStringLiteral("/f/symbols.ttf");
    return {matched(0.5, "Low", "/f/low.ttf", 0.45),   unreadable,
            matched(0.9, "Tie B", "/f/b.ttf", 0.9),    noGlyph,
            matched(1.0, "Best", "/f/z.ttf", 1.0),     matched(0.9, "Tie A", "/f/a.ttf", 0.9),
            matched(0.8, "Edge", "/f/edge.ttf", 0.8),  matched(0.85, "Dim", "/f/dim.ttf", 0.8),
            matched(0.95, "Twin", "/f/twin.ttf", 0.5), matched(0.9, "Tie A Bold", "/f/a.ttf", 0.9)};
}

TEST(RankResults, BestFirstThenByFileThenFaceCutByMinimumAndTop) {
    const struct {
        double min;
        int top;
        RankBy rank;
        const char* faces;
    } cases[] = {
        {0, 0, RankBy::Aspect, "Best|Tie A|Tie A Bold|Tie B|Dim|Edge|Twin|Low"},
        {0, 0, RankBy::Match, "Best|Twin|Tie A|Tie A Bold|Tie B|Dim|Edge|Low"},
        {0, 2, RankBy::Match, "Best|Twin"},
        {0, 3, RankBy::Aspect, "Best|Tie A|Tie A Bold"},
        {80, 0, RankBy::Aspect, "Best|Tie A|Tie A Bold|Tie B|Dim|Edge|Twin"},  // at least: 80.00 passes 80
        {80.01, 0, RankBy::Match, "Best|Twin|Tie A|Tie A Bold|Tie B|Dim"},
        {0, 1, RankBy::Match, "Best"},
        {95, 0, RankBy::Aspect, "Best|Twin"},  // the minimum is about the match, whatever the order
        {0, 100, RankBy::Match, "Best|Twin|Tie A|Tie A Bold|Tie B|Dim|Edge|Low"},
    };
    std::vector<FontResult> reversed = sample();
    std::reverse(reversed.begin(), reversed.end());
    for (const auto& t : cases) {
        SCOPED_TRACE(testing::Message() << "min " << t.min << " top " << t.top << " rank " << int(t.rank));
        for (const auto& results : {sample(), reversed}) {
            const std::vector<ResultRow> rows = rankResults(results, t.min, t.top, t.rank);
            QStringList faces;
            for (size_t i = 0; i < rows.size(); ++i) {
                faces << rows[i].face;
                EXPECT_EQ(rows[i].rank, int(i) + 1);
            }
            EXPECT_EQ(faces.join(QLatin1Char('|')), QString::fromLatin1(t.faces));
        }
    }
}

TEST(FormatRows, TsvAndJsonWriteDecimalPointsTheTableTheLocalesOwn) {
    const QLocale previous;
    QLocale::setDefault(QLocale(QStringLiteral("de_DE")));
    const std::vector<ResultRow> rows =
        rankResults({matched(0.876543, "Face\tWith Tab", "/f/x\x01'\xc2\x85.ttf", 0.5, 0.98765, 1.25),
                     matched(1.0, "Quote \" and \\ back", "/f/\xc3\xa9t\xc3\xa9.ttf", 1.0)},
                    0, 0);
    const QString header = QStringLiteral("rank\tscore\tmatch\tface\tfile\txratio\tyratio\n");
    EXPECT_EQ(
        formatRows(rows, OutputFormat::Tsv),
        header + QString::fromUtf8(
                     "1\t100.00\t100.00\tQuote \" and \\ back\t/f/\xc3\xa9t\xc3\xa9.ttf\t1.000\t1.000\n"
                     "2\t50.00\t87.65\t$'Face\\tWith Tab'\t$'/f/x\\x01\\'\\u0085.ttf'\t0.988\t1.250\n"));
    EXPECT_EQ(formatRows({}, OutputFormat::Tsv), header);

    const QString json = formatRows(rows, OutputFormat::Json);
    QJsonParseError error;
    const QJsonArray array = QJsonDocument::fromJson(json.toUtf8(), &error).array();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString();
    ASSERT_EQ(array.size(), 2);
    const QJsonObject first = array.at(0).toObject(), second = array.at(1).toObject();
    EXPECT_EQ(first.value(QLatin1String("face")).toString(), QStringLiteral("Quote \" and \\ back"));
    EXPECT_EQ(first.value(QLatin1String("file")).toString(), QString::fromUtf8("/f/\xc3\xa9t\xc3\xa9.ttf"));
    EXPECT_EQ(second.value(QLatin1String("score")).toDouble(), 50.0);
    EXPECT_EQ(second.value(QLatin1String("match")).toDouble(), 87.65);
    EXPECT_EQ(second.value(QLatin1String("xratio")).toDouble(), 0.988);
    EXPECT_EQ(second.value(QLatin1String("file")).toString(), QString::fromUtf8("/f/x\x01'\xc2\x85.ttf"));
    EXPECT_EQ(second.value(QLatin1String("meaningful")), QJsonValue(true));
    EXPECT_EQ(second.value(QLatin1String("region")), QJsonValue(QJsonValue::Null));
    // What the rows were matched against: the part of the picture and its characters' boxes.
    MatchedPicture against;
    against.meaningful = false;
    against.region = QRect(QPoint(3, 4), QPoint(40, 50));
    against.characters = {QRect(QPoint(3, 4), QPoint(20, 50)), QRect(QPoint(22, 10), QPoint(40, 49))};
    const QJsonObject row = QJsonDocument::fromJson(formatRows(rows, OutputFormat::Json, against).toUtf8())[1].toObject();
    EXPECT_EQ(row.value(QLatin1String("meaningful")), QJsonValue(false));
    EXPECT_EQ(QJsonDocument(row.value(QLatin1String("region")).toObject()).toJson(QJsonDocument::Compact),
              "{\"bottom\":50,\"left\":3,\"right\":40,\"top\":4}");
    EXPECT_EQ(row.value(QLatin1String("characters")).toArray().at(1).toObject().value(QLatin1String("left")), 22);
    EXPECT_EQ(formatRows({}, OutputFormat::Json), QStringLiteral("[]\n"));

    // The table: numbers in the user's locale, right-aligned.
    const QStringList lines =
        formatRows(rows, OutputFormat::Table).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QLocale::setDefault(previous);
    ASSERT_EQ(lines.size(), 3);
    const qsizetype matchEnd = lines[0].indexOf(QLatin1String("match")) + 5;
    EXPECT_EQ(lines[1].mid(matchEnd - 6, 6), QStringLiteral("100,00"));
    EXPECT_EQ(lines[2].mid(matchEnd - 6, 6), QStringLiteral(" 87,65"));
}

TEST(Progress, Line) {
    const struct {
        int done, total;
        double seconds;
        const char* want;
    } lines[] = {{0, 10, 0, "0/10 fonts, - fonts/s, - left"},
                 {5, 10, 0, "5/10 fonts, - fonts/s, - left"},
                 {250, 1000, 0.5, "250/1000 fonts, 500.0 fonts/s, 0:02 left"},
                 {10, 10, 4, "10/10 fonts, 2.5 fonts/s, 0:00 left"},
                 {1, 7201, 1, "1/7201 fonts, 1.0 fonts/s, 2:00:00 left"}};
    for (const auto& t : lines)
        EXPECT_EQ(progressText(t.done, t.total, t.seconds), QString::fromLatin1(t.want));
}

}  // namespace
}  // namespace lettrino::cli
