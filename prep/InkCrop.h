#pragma once

#include <QRect>

#include <cstdint>
#include <vector>

namespace lettrino::prep {

class LumaSource;
struct InkAnalysis;

// The cells that may hold the chosen components' ink: their own cells widened by the
// antialiased edge that falls on the light side of the threshold.
struct InkRegion {
    QRect cells;                        // the part of the grid that `allowed` covers
    std::vector<std::uint8_t> allowed;  // cells.width() x cells.height(), 1 where ink may be
};
InkRegion inkRegion(const InkAnalysis& analysis, const std::vector<char>& chosen);

// The chosen ink at source resolution: its exact box (every prepared pixel that is not white)
// and, when asked for, the prepared greys of that box (255 where nothing was chosen).
// An empty box when the region holds no ink.
struct InkCrop {
    QRect box;
    std::vector<std::uint8_t> grey;  // box.width() x box.height(), row by row
};
InkCrop cropInk(const LumaSource& source, const InkAnalysis& analysis, const InkRegion& region,
                bool keepGrey = true);

}  // namespace lettrino::prep
