#include "cli/Readings.h"

#include <cmath>

namespace lettrino {

QStringList loneCharacterReadings() {
    QStringList out;
    const auto add = [&out](char32_t from, char32_t to) {
        for (char32_t c = from; c <= to; ++c)
            if (QChar::isLetterOrNumber(c)) out << QString::fromUcs4(&c, 1);
    };
    add(U'A', U'Z'), add(U'a', U'z'), add(U'0', U'9');
    out << QStringLiteral("&");
    add(0x391, 0x3A9), add(0x3B1, 0x3C9), add(0x410, 0x44F);
    return out;
}

bool isLatin(const QString& reading) {
    for (const uint u : reading.toUcs4())
        if (u >= 0x250 && !QChar::isSpace(u)) return false;
    return true;
}

bool readsBetter(double score, const QString& reading, double bestScore, const QString& bestReading) {
    // Scores of the same glyph in two fonts' look-alike letters agree to the last bits or so.
    const double hair = 1e-9 * std::fabs(bestScore);
    if (score > bestScore + hair) return true;
    return score >= bestScore - hair && isLatin(reading) && !isLatin(bestReading);
}

}  // namespace lettrino
