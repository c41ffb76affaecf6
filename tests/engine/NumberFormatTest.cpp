#include <QLocale>

#include <gtest/gtest.h>

#include "TestFonts.h"

#include "match/NumberFormat.h"

using namespace lettrino;

namespace {
// Runs a block under a default locale and puts the previous one back.
class LocaleScope {
public:
    explicit LocaleScope(const char* name) : previous_(QLocale()) { QLocale::setDefault(QLocale(QString::fromLatin1(name))); }
    ~LocaleScope() { QLocale::setDefault(previous_); }

private:
    QLocale previous_;
};
}  // namespace

TEST(NumberFormat, DecimalCommaLocale) {
    LocaleScope de("de_DE");
    EXPECT_EQ(numfmt::threshold(800), "80,0");
    EXPECT_EQ(numfmt::threshold(805), "80,5");
    EXPECT_EQ(numfmt::threshold(1000), "100,0");
    EXPECT_EQ(numfmt::threshold(0), "0,0");
    EXPECT_EQ(numfmt::percent(0), "0,00%");
    EXPECT_EQ(numfmt::percent(1), "100,00%");
    EXPECT_EQ(numfmt::fixed(12345.678, 1), "12345,7") << "no group separator";
    EXPECT_EQ(numfmt::fixed(0.8766, 3), "0,877");
    EXPECT_EQ(numfmt::fixed(-0.0001, 2), "0,00");
    EXPECT_EQ(numfmt::general(12.5f), "12,5");
    EXPECT_EQ(numfmt::general(12.0f), "12");
    EXPECT_EQ(numfmt::general(-3.25f), "-3,25");
    EXPECT_EQ(numfmt::readThreshold("80,25"), 802);
    EXPECT_EQ(numfmt::readThreshold("80,35"), 803);
    EXPECT_EQ(numfmt::readThreshold("85"), 850);
    EXPECT_EQ(numfmt::readThreshold(" 99,8 "), 998);
    EXPECT_EQ(numfmt::readThreshold("1.000"), std::nullopt);
    EXPECT_EQ(numfmt::readThreshold(""), std::nullopt);
    EXPECT_EQ(numfmt::readThreshold("abc"), std::nullopt);
    EXPECT_EQ(numfmt::readThreshold("1e30"), std::nullopt);
    EXPECT_EQ(numfmt::readInteger("2,5"), 2);
    EXPECT_EQ(numfmt::readInteger("3,5"), 4);
    EXPECT_EQ(numfmt::readInteger("15"), 15);
    EXPECT_EQ(numfmt::readInteger("x"), std::nullopt);
    EXPECT_EQ(numfmt::readNumber("85,00"), 85.0f);
}

TEST(NumberFormat, DecimalPointLocale) {
    LocaleScope us("en_US");
    EXPECT_EQ(numfmt::threshold(800), "80.0");
    EXPECT_EQ(numfmt::percent(0.8534), "85.34%");
    EXPECT_EQ(numfmt::fixed(1234.5, 1), "1234.5");
    EXPECT_EQ(numfmt::general(12.5f), "12.5");
    EXPECT_EQ(numfmt::readThreshold("80.25"), 802);
    EXPECT_EQ(numfmt::readThreshold("80,25"), std::nullopt);
}

TEST(NumberFormat, MinutesAndSeconds) {
    EXPECT_EQ(numfmt::minutesSeconds(0), "00:00");
    EXPECT_EQ(numfmt::minutesSeconds(59.4), "00:59");
    EXPECT_EQ(numfmt::minutesSeconds(59.6), "01:00");
    EXPECT_EQ(numfmt::minutesSeconds(3725), "02:05") << "hours are dropped";
    EXPECT_EQ(numfmt::minutesSeconds(86400 + 61), "01:01");
}

TEST(NumberFormat, RoundHalfEven) {
    EXPECT_EQ(numfmt::roundHalfEven(0.5), 0);
    EXPECT_EQ(numfmt::roundHalfEven(1.5), 2);
    EXPECT_EQ(numfmt::roundHalfEven(2.5), 2);
    EXPECT_EQ(numfmt::roundHalfEven(-2.5), -2);
    EXPECT_EQ(numfmt::roundHalfEven(2.51), 3);
}
