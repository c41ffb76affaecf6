#pragma once

#include <QLocale>
#include <QString>

#include <optional>

namespace lettrino {

// The number texts the program shows and reads, all in the user's locale (QLocale()), with
// its decimal separator and no group separators.
namespace numfmt {

// The locale numbers are shown and read in: the default locale without group separators.
QLocale locale();

// v with a fixed number of decimals: "0.0" (1), "0.00" (2), "0.000" (3).
QString fixed(double v, int decimals);
// m (0 to 1) as a percentage with two decimals and a percent sign: "0.00%".
QString percent(double m);
// A number of seconds as a time of day's minutes and seconds, "Nn:Ss" (hours dropped).
QString minutesSeconds(double seconds);
// The general form of a 32-bit float: up to seven significant digits, no trailing zeros.
QString general(float v);
// A threshold in tenths of a percent as its text: 805 -> "80.5" ("80,5" under a decimal comma).
QString threshold(int tenths);

// A threshold text read back: a 32-bit float in the locale, times 10, nearest integer with
// halves to even ("80.25" -> 802). Empty for an unreadable text.
std::optional<int> readThreshold(const QString& text);
// A whole number text (speed-up, character code): read in the locale and rounded to the
// nearest integer, halves to even. Empty for an unreadable text.
std::optional<int> readInteger(const QString& text);
// Reads a number the program itself wrote with fixed() (a Match cell), as a 32-bit float.
std::optional<float> readNumber(const QString& text);

// Nearest integer, exact halves to the even integer.
long long roundHalfEven(double v);

}  // namespace numfmt
}  // namespace lettrino
