#include "match/NumberFormat.h"

#include <cmath>

namespace lettrino::numfmt {

QLocale locale() {
    QLocale loc;
    loc.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return loc;
}

QString fixed(double v, int decimals) {
    // A value that rounds to zero is shown as zero, never as "-0.00".
    if (std::fabs(v) < 0.5 * std::pow(10.0, -decimals)) v = 0;
    return locale().toString(v, 'f', decimals);
}

QString percent(double m) { return fixed(m * 100.0, 2) + QLatin1Char('%'); }

QString minutesSeconds(double seconds) {
    // Taken as a time of day, to the nearest second: the hours (and days) are dropped.
    if (!std::isfinite(seconds) || seconds < 0) seconds = 0;
    const long long whole = static_cast<long long>(std::floor(std::fmod(seconds, 86400.0) + 0.5)) % 86400;
    const int minutes = int(whole % 3600 / 60);
    const int secs = int(whole % 60);
    return QStringLiteral("%1:%2").arg(minutes, 2, 10, QLatin1Char('0')).arg(secs, 2, 10, QLatin1Char('0'));
}

QString general(float v) { return locale().toString(double(v), 'g', 7); }

QString threshold(int tenths) { return fixed(tenths / 10.0, 1); }

long long roundHalfEven(double v) { return static_cast<long long>(std::nearbyint(v)); }

namespace {
// Whole numbers the fields hold stay far inside this; anything beyond is unreadable.
constexpr double kLargest = 1e9;
}  // namespace

std::optional<int> readThreshold(const QString& text) {
    bool ok = false;
    const float f = locale().toFloat(text.trimmed(), &ok);
    if (!ok || !std::isfinite(f)) return std::nullopt;
    const double tenths = double(f) * 10.0;
    if (std::fabs(tenths) > kLargest) return std::nullopt;
    return int(roundHalfEven(tenths));
}

std::optional<int> readInteger(const QString& text) {
    bool ok = false;
    const double d = locale().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(d) || std::fabs(d) > kLargest) return std::nullopt;
    return int(roundHalfEven(d));
}

std::optional<float> readNumber(const QString& text) {
    bool ok = false;
    const float f = locale().toFloat(text.trimmed(), &ok);
    if (!ok || !std::isfinite(f)) return std::nullopt;
    return f;
}

}  // namespace lettrino::numfmt
