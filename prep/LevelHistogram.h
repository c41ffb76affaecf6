#pragma once

#include <array>
#include <cstdint>

namespace lettrino::prep {

// How many pixels (or cells) have each grey level, 0 to 255.
using Histogram = std::array<std::int64_t, 256>;

// The counts of levels lo to hi, both included (clipped to 0 .. 255).
std::int64_t countIn(const Histogram& h, int lo, int hi);

// The level at fraction q of the counts in [lo, hi]; -1 when that range is empty.
int quantileIn(const Histogram& h, int lo, int hi, double q);

// The median absolute deviation from `centre` of the counts in [lo, hi].
int madIn(const Histogram& h, int lo, int hi, int centre);

// Otsu's threshold: the level t that best splits the counts into [0, t] and [t + 1, 255].
int otsu(const Histogram& h);

}  // namespace lettrino::prep
