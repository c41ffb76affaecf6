#include "cli/Progress.h"

#include <QLocale>

#include <cmath>

namespace lettrino::cli {

QString durationText(double seconds) {
    const long long s = seconds > 0 && std::isfinite(seconds) ? std::llround(seconds) : 0;
    const long long h = s / 3600, m = (s / 60) % 60, sec = s % 60;
    const QLatin1Char zero('0');
    if (h > 0) return QStringLiteral("%1:%2:%3").arg(h).arg(m, 2, 10, zero).arg(sec, 2, 10, zero);
    return QStringLiteral("%1:%2").arg(m).arg(sec, 2, 10, zero);
}

QString progressText(int done, int total, double elapsedSeconds) {
    QString text = QStringLiteral("%1/%2 fonts").arg(done).arg(total);
    if (done <= 0 || !(elapsedSeconds > 0)) return text + QStringLiteral(", - fonts/s, - left");
    const double rate = done / elapsedSeconds;
    const double remaining = (total - done) / rate;
    return text + QStringLiteral(", %1 fonts/s, %2 left")
                      .arg(QLocale::c().toString(rate, 'f', 1), durationText(remaining));
}

}  // namespace lettrino::cli
