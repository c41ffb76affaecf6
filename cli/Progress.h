#pragma once

#include <QString>

namespace lettrino::cli {

// The progress line shown on a terminal while fonts are matched:
// "312/5000 fonts, 5120.3 fonts/s, 0:01 left". Before the first font is done, or when no
// time has passed, the rate and the remaining time read "-".
QString progressText(int done, int total, double elapsedSeconds);

// A duration in whole seconds as "M:SS", or "H:MM:SS" from an hour on.
QString durationText(double seconds);

}  // namespace lettrino::cli
