#include "prep/LevelHistogram.h"

#include <algorithm>
#include <cstdlib>

namespace lettrino::prep {

std::int64_t countIn(const Histogram& h, int lo, int hi) {
    std::int64_t n = 0;
    for (int v = std::max(lo, 0); v <= std::min(hi, 255); ++v) n += h[v];
    return n;
}

int quantileIn(const Histogram& h, int lo, int hi, double q) {
    const std::int64_t total = countIn(h, lo, hi);
    if (total == 0) return -1;
    const double target = q * double(total);
    std::int64_t seen = 0;
    for (int v = std::max(lo, 0); v <= std::min(hi, 255); ++v) {
        seen += h[v];
        if (double(seen) >= target && seen > 0) return v;
    }
    return std::min(hi, 255);
}

int madIn(const Histogram& h, int lo, int hi, int centre) {
    Histogram d{};
    for (int v = std::max(lo, 0); v <= std::min(hi, 255); ++v) d[std::abs(v - centre)] += h[v];
    return std::max(0, quantileIn(d, 0, 255, 0.5));
}

int otsu(const Histogram& h) {
    double total = 0, sum = 0;
    for (int v = 0; v < 256; ++v) {
        total += double(h[v]);
        sum += double(v) * double(h[v]);
    }
    double below = 0, belowSum = 0, best = -1;
    int bestT = 127;
    for (int t = 0; t < 255; ++t) {
        below += double(h[t]);
        belowSum += double(t) * double(h[t]);
        const double above = total - below;
        if (below == 0) continue;
        if (above == 0) break;
        const double d = belowSum / below - (sum - belowSum) / above;
        const double between = below * above * d * d;
        if (between > best) {
            best = between;
            bestT = t;
        }
    }
    return bestT;
}

}  // namespace lettrino::prep
