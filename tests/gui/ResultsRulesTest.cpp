#include <QLocale>

#include <gtest/gtest.h>

#include "match/Matcher.h"
#include "match/Results.h"

namespace lettrino {
namespace {

struct ShownCase {
    const char* name;
    const char* text;
    int tenths;
    bool kept;
    bool bold;
};

class ShownRules : public ::testing::TestWithParam<ShownCase> {};
TEST_P(ShownRules, ReadTheShownMatch) {
    EXPECT_EQ(results::keepsRow(QString::fromUtf8(GetParam().text), GetParam().tenths), GetParam().kept);
    EXPECT_EQ(results::boldForShown(QString::fromUtf8(GetParam().text), GetParam().tenths), GetParam().bold);
}
INSTANTIATE_TEST_SUITE_P(Cases, ShownRules,
                         ::testing::Values(ShownCase{"equal", "85.00", 850, true, true},
                                           ShownCase{"below", "84.99", 850, false, false},
                                           ShownCase{"above", "85.01", 850, true, true},
                                           ShownCase{"oddTenths", "80.30", 803, true, true},
                                           ShownCase{"hundred", "100.00", 1000, true, true},
                                           ShownCase{"unreadable", "n/a", 850, true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ResultTexts, TwoDecimalsForMatchThreeForRatios) {
    EXPECT_EQ(results::matchText(1.0), QStringLiteral("100.00"));
    EXPECT_EQ(results::matchText(0.8), QStringLiteral("80.00"));
    EXPECT_EQ(results::matchText(0.0), QStringLiteral("0.00"));
    EXPECT_EQ(results::ratioText(1.0 / 3.0), QStringLiteral("0.333"));
    EXPECT_EQ(results::ratioText(1.25), QStringLiteral("1.250"));
}

TEST(ResultTexts, DecimalCommaLocaleWritesAndReadsBack) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(results::matchText(0.8525), QStringLiteral("85,25"));
    EXPECT_TRUE(results::keepsRow(QStringLiteral("85,00"), 850));
    EXPECT_FALSE(results::keepsRow(QStringLiteral("84,99"), 850));
    EXPECT_TRUE(results::boldForShown(QStringLiteral("85,00"), 850));
    QLocale::setDefault(saved);
}

TEST(ResultRow, CarriesTheScoreAndTags) {
    MatchScore score;
    score.m = 0.9;
    score.xRatio = 0.5;
    score.yRatio = 2.0;
    const results::ResultRow row =
        results::makeRow(score, 900, QStringLiteral("a.ttf"), QStringLiteral("Face"), 7,
                         QStringLiteral("a.ttf"), QStringLiteral("/f"), QStringLiteral("/f/"));
    EXPECT_EQ(row.match, QStringLiteral("90.00"));
    EXPECT_EQ(row.xRatio, QStringLiteral("0.500"));
    EXPECT_EQ(row.yRatio, QStringLiteral("2.000"));
    EXPECT_EQ(row.rowTag, 7);
    EXPECT_TRUE(row.bold);
    EXPECT_FALSE(results::makeRow(score, 905, {}, {}, 0, {}, {}, {}).bold);
}

}  // namespace
}  // namespace lettrino
