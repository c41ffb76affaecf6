#include <gtest/gtest.h>

#include "cli/Readings.h"

namespace lettrino {
namespace {

TEST(Readings, TheFontsDecideAndLatinWinsATieWithItsLookAlikes) {
    const struct {
        double score;
        const char* reading;
        double bestScore;
        const char* bestReading;
        bool better;
    } cases[] = {
        {0.81, "K", 0.80, "Κ", true},            // higher
        {0.79, "K", 0.80, "Κ", false},           // lower, Latin or not
        {0.80, "K", 0.80, "Κ", true},            // a tie with the Greek capital kappa
        {0.80, "K", 0.80 + 1e-12, "К", true},   // with the Cyrillic Ka, to the last bits
        {0.80, "Κ", 0.80, "K", false},           // never the other way
        {0.80, "x", 0.80, "X", false},           // both Latin: the first stays
        {0.80, "R&D", 0.80, "Я", true},          // signs are Latin enough
    };
    for (const auto& t : cases)
        EXPECT_EQ(readsBetter(t.score, QString::fromUtf8(t.reading), t.bestScore, QString::fromUtf8(t.bestReading)),
                  t.better)
            << t.reading << " against " << t.bestReading;
}

TEST(Readings, ALoneCharacterIsWeighedAgainstEveryLetterOfThreeScripts) {
    QStringList like = loneCharacterReadings();
    // 52 Latin letters, 10 digits and the ampersand, 49 Greek letters and 64 Cyrillic ones.
    EXPECT_EQ(like.size(), 63 + 49 + 64);
    for (const char* holds : {"g", "9", "&", "λ", "Σ", "ς", "ж", "Д"})
        EXPECT_TRUE(like.contains(QString::fromUtf8(holds))) << holds;
    EXPECT_EQ(like.removeDuplicates(), 0);
}

}  // namespace
}  // namespace lettrino
