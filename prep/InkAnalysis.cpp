#include "prep/InkAnalysis.h"

#include <algorithm>
#include <cmath>

#include "prep/LevelHistogram.h"
#include "prep/LumaSource.h"

namespace lettrino::prep {

namespace {

// The analysis grid's longer side at most, in cells.
constexpr int kGridSide = 1024;
// The ink must stand this many background standard deviations clear of the background: plain
// noise or a blurred texture split at its own median stands about 4 to 4.5 apart.
constexpr double kClearContrast = 6;
// Below this many grey levels between ink and background there is no character to see.
constexpr int kLeastContrast = 24;
// More separate pieces than this are noise or a texture, not characters.
constexpr int kMostPieces = 300;

QString noCharacter(const char* why) {
    return QStringLiteral("no character found: ") + QLatin1String(why);
}

}  // namespace

InkAnalysis analyseInk(const LumaSource& source) {
    InkAnalysis a;
    const int w = source.width(), h = source.height();
    if (w <= 0 || h <= 0) {
        a.error = noCharacter("the picture is empty");
        return a;
    }
    const int f = std::max(1, (std::max(w, h) + kGridSide - 1) / kGridSide);
    const int cols = (w + f - 1) / f, rows = (h + f - 1) / f;
    a.factor = f;
    a.columns = cols;
    a.rows = rows;

    // One pass over the picture: block averages, and single pixels (the first of each block)
    // for the level statistics.
    std::vector<std::uint8_t> grid(static_cast<std::size_t>(cols) * std::size_t(rows));
    std::vector<std::uint8_t> samples(grid.size());
    std::vector<std::uint8_t> line(static_cast<std::size_t>(w));
    std::vector<std::uint32_t> sums(static_cast<std::size_t>(w));
    for (int r = 0; r < rows; ++r) {
        const int y0 = r * f, y1 = std::min(h, y0 + f);
        source.luma(y0, 0, w, line.data());
        std::uint8_t* cells = grid.data() + std::size_t(r) * std::size_t(cols);
        std::uint8_t* points = samples.data() + std::size_t(r) * std::size_t(cols);
        for (int c = 0; c < cols; ++c) points[c] = line[std::size_t(c) * std::size_t(f)];
        if (f == 1) {
            std::copy(line.begin(), line.end(), cells);
            continue;
        }
        std::copy(line.begin(), line.end(), sums.begin());
        for (int y = y0 + 1; y < y1; ++y) source.addLuma(y, 0, w, sums.data());
        const double perFullCell = 1.0 / (double(f) * (y1 - y0));
        for (int c = 0, x = 0; c < cols; ++c) {
            const int end = std::min(w, x + f);
            const double per = end - x == f ? perFullCell : 1.0 / (double(end - x) * (y1 - y0));
            std::uint64_t s = 0;
            for (; x < end; ++x) s += sums[std::size_t(x)];
            cells[c] = std::uint8_t(double(s) * per + 0.5);
        }
    }
    int lowest = 255, highest = 0;
    for (std::size_t i = 0; i < grid.size(); ++i) {
        lowest = std::min({lowest, int(grid[i]), int(samples[i])});
        highest = std::max({highest, int(grid[i]), int(samples[i])});
    }
    if (lowest == highest) {
        a.error = noCharacter("the picture is all one colour");
        return a;
    }

    // Uneven lighting (a photo's gradient or vignette) is divided out; on an even background
    // the side with more of the picture and more of its border is the background, light by a
    // small margin when in doubt (most pictures are dark ink on light paper).
    a.lighting = fitLighting(grid, cols, rows);
    if (a.lighting.uneven) {
        a.inverted = a.lighting.lightOutliers > a.lighting.darkOutliers;
    } else {
        Histogram hist{};
        for (std::uint8_t v : samples) ++hist[v];
        const int split = otsu(hist);
        const double darkShare = double(countIn(hist, 0, split)) / double(samples.size());
        std::int64_t border = 0, darkBorder = 0;
        for (int r = 0; r < rows; ++r) {
            const int step = r == 0 || r == rows - 1 ? 1 : std::max(1, cols - 1);
            for (int c = 0; c < cols; c += step) {
                ++border;
                darkBorder += grid[std::size_t(r) * std::size_t(cols) + std::size_t(c)] <= split;
            }
        }
        const double darkBorderShare = double(darkBorder) / double(border);
        a.inverted = darkShare + darkBorderShare > (1 - darkShare) + (1 - darkBorderShare) + 0.2;
    }
    // From here on levels are read with the background on the light side.
    for (int r = 0; r < rows; ++r) {
        normaliseLine(a.lighting, a.inverted, r, 0, 1, cols,
                      grid.data() + std::size_t(r) * std::size_t(cols));
        normaliseLine(a.lighting, a.inverted, r, 0, 1, cols,
                      samples.data() + std::size_t(r) * std::size_t(cols));
    }
    Histogram levels{};
    for (std::uint8_t v : samples) ++levels[v];
    const int lightFrom = otsu(levels) + 1;
    a.background = quantileIn(levels, lightFrom, 255, 0.5);
    if (a.background < 0) {
        a.error = noCharacter("no background");
        return a;
    }
    double sigma = std::max(1.0, 1.4826 * madIn(levels, lightFrom, 255, a.background));
    if (a.lighting.uneven) {
        // What is left of the background around its fit, on the normalised scale.
        const double paper = a.inverted ? 255 - a.lighting.level : a.lighting.level;
        sigma = std::max(sigma, a.lighting.spread * kLitPaper / std::max(1.0, paper));
    }
    // Ink lies below both the split and the background's noise (the split alone can fall inside
    // a noisy background when the ink is a small part of the picture).
    const int inkUpTo = std::min(lightFrom - 1, int(std::floor(a.background - 4 * sigma)));
    a.ink = quantileIn(levels, 0, inkUpTo, 0.5);
    const int contrast = a.background - a.ink;
    if (a.ink < 0 || contrast < kLeastContrast || contrast < kClearContrast * sigma) {
        a.error = noCharacter("no clear contrast between ink and background");
        return a;
    }

    // The pieces of ink: cells darker than the midpoint.
    const int threshold = (a.background + a.ink + 1) / 2;
    std::vector<std::uint8_t> inkCells(grid.size());
    for (std::size_t i = 0; i < grid.size(); ++i) inkCells[i] = grid[i] < threshold;
    labelPieces(inkCells, cols, rows, a.labels, a.components);
    const int largest = markSpecks(a.components);
    std::int64_t keptArea = 0;
    int kept = 0;
    QRect keptBox;
    for (const InkComponent& c : a.components) {
        if (c.speck) continue;
        ++kept;
        keptArea += c.area;
        keptBox |= c.cells;
    }
    const char* why = nullptr;
    if (kept == 0)
        why = "no ink";
    else if (std::int64_t(largest) * f * f < 4)
        why = "only specks";
    else if (kept > kMostPieces)
        why = "only noise or a texture";
    else if (keptArea * 2 > std::int64_t(grid.size()))
        why = "the ink covers most of the picture";
    else if (keptArea * 50 < std::int64_t(keptBox.width()) * keptBox.height())
        why = "only scattered specks";
    if (why) {
        a.error = noCharacter(why);
        return a;
    }

    // Background noise up to a margin below the background level becomes pure white; the rest
    // ramps linearly from the ink level (black) up to that cut.
    const double margin = std::max({3 * sigma, contrast / 10.0, 2.0});
    a.whiteCut = std::max(a.ink + 2, int(std::lround(a.background - margin)));
    for (int n = 0; n < 256; ++n) {
        if (n >= a.whiteCut)
            a.tone[n] = 255;
        else if (n <= a.ink)
            a.tone[n] = 0;
        else
            a.tone[n] = std::uint8_t(std::lround(255.0 * (n - a.ink) / (a.whiteCut - a.ink)));
    }
    return a;
}

QRect sourceBox(const InkAnalysis& a, const QRect& cells) {
    const int f = a.factor;
    return QRect(cells.left() * f, cells.top() * f, cells.width() * f, cells.height() * f);
}

void normalisePixels(const InkAnalysis& a, int y, int x0, int n, std::uint8_t* values) {
    const double f = a.factor;
    normaliseLine(a.lighting, a.inverted, (y + 0.5) / f - 0.5, (x0 + 0.5) / f - 0.5, 1 / f, n, values);
}

}  // namespace lettrino::prep
