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

// The picture on the analysis grid, row by row: block averages for the shapes, and single
// pixels (the first of each block) for the level statistics.
struct Grid {
    std::vector<std::uint8_t> cells;
    std::vector<std::uint8_t> samples;
};

// Each step below returns why there is no character, or nothing to go on.

// Sizes the grid and reads the picture onto it in one pass.
const char* readGrid(const LumaSource& source, InkAnalysis& a, Grid& grid) {
    const int w = source.width(), h = source.height();
    if (w <= 0 || h <= 0) return "the picture is empty";
    const int f = std::max(1, (std::max(w, h) + kGridSide - 1) / kGridSide);
    const int cols = (w + f - 1) / f, rows = (h + f - 1) / f;
    a.factor = f;
    a.columns = cols;
    a.rows = rows;

    grid.cells.assign(static_cast<std::size_t>(cols) * std::size_t(rows), 0);
    grid.samples.assign(grid.cells.size(), 0);
    std::vector<std::uint8_t> line(static_cast<std::size_t>(w));
    std::vector<std::uint32_t> sums(static_cast<std::size_t>(w));
    for (int r = 0; r < rows; ++r) {
        const int y0 = r * f, y1 = std::min(h, y0 + f);
        source.luma(y0, 0, w, line.data());
        std::uint8_t* cells = grid.cells.data() + std::size_t(r) * std::size_t(cols);
        std::uint8_t* points = grid.samples.data() + std::size_t(r) * std::size_t(cols);
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
    for (std::size_t i = 0; i < grid.cells.size(); ++i) {
        lowest = std::min({lowest, int(grid.cells[i]), int(grid.samples[i])});
        highest = std::max({highest, int(grid.cells[i]), int(grid.samples[i])});
    }
    return lowest == highest ? "the picture is all one colour" : nullptr;
}

// Decides which side is the background. Uneven lighting (a photo's gradient or vignette) is
// fitted, to be divided out; on an even background the side with more of the picture and more
// of its border is the background, light by a small margin when in doubt (most pictures are
// dark ink on light paper).
void choosePolarity(const Grid& grid, bool evenPaper, InkAnalysis& a) {
    const int cols = a.columns, rows = a.rows;
    if (!evenPaper) a.lighting = fitLighting(grid.cells, cols, rows);
    if (a.lighting.uneven) {
        a.inverted = a.lighting.lightOutliers > a.lighting.darkOutliers;
        return;
    }
    Histogram hist{};
    for (std::uint8_t v : grid.samples) ++hist[v];
    const int split = otsu(hist);
    const double darkShare = double(countIn(hist, 0, split)) / double(grid.samples.size());
    std::int64_t border = 0, darkBorder = 0;
    for (int r = 0; r < rows; ++r) {
        const int step = r == 0 || r == rows - 1 ? 1 : std::max(1, cols - 1);
        for (int c = 0; c < cols; c += step) {
            ++border;
            darkBorder += grid.cells[std::size_t(r) * std::size_t(cols) + std::size_t(c)] <= split;
        }
    }
    const double darkBorderShare = double(darkBorder) / double(border);
    a.inverted = darkShare + darkBorderShare > (1 - darkShare) + (1 - darkBorderShare) + 0.2;
}

// From here on levels are read with the background on the light side.
void normaliseGrid(const InkAnalysis& a, Grid& grid) {
    const std::size_t cols = std::size_t(a.columns);
    for (int r = 0; r < a.rows; ++r) {
        normaliseLine(a.lighting, a.inverted, r, 0, 1, a.columns, grid.cells.data() + std::size_t(r) * cols);
        normaliseLine(a.lighting, a.inverted, r, 0, 1, a.columns,
                      grid.samples.data() + std::size_t(r) * cols);
    }
}

// The background and ink levels, and the background's noise (its robust standard deviation,
// into sigma); there must be clear contrast between the two levels.
const char* measureLevels(const Grid& grid, InkAnalysis& a, double& sigma) {
    Histogram levels{};
    for (std::uint8_t v : grid.samples) ++levels[v];
    const int lightFrom = otsu(levels) + 1;
    a.background = quantileIn(levels, lightFrom, 255, 0.5);
    if (a.background < 0) return "no background";
    sigma = std::max(1.0, 1.4826 * madIn(levels, lightFrom, 255, a.background));
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
    if (a.ink < 0 || contrast < kLeastContrast || contrast < kClearContrast * sigma)
        return "no clear contrast between ink and background";
    return nullptr;
}

// The pieces of ink, cells darker than the midpoint between the levels, and whether they
// look like characters at all.
const char* findPieces(const Grid& grid, InkAnalysis& a) {
    const int threshold = (a.background + a.ink + 1) / 2;
    std::vector<std::uint8_t> inkCells(grid.cells.size());
    for (std::size_t i = 0; i < grid.cells.size(); ++i) inkCells[i] = grid.cells[i] < threshold;
    labelPieces(inkCells, a.columns, a.rows, a.labels, a.components);
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
    if (kept == 0) return "no ink";
    if (std::int64_t(largest) * a.factor * a.factor < 4) return "only specks";
    if (kept > kMostPieces) return "only noise or a texture";
    if (keptArea * 2 > std::int64_t(grid.cells.size())) return "the ink covers most of the picture";
    if (keptArea * 50 < std::int64_t(keptBox.width()) * keptBox.height()) return "only scattered specks";
    return nullptr;
}

// Background noise up to a margin below the background level becomes pure white; the rest
// ramps linearly from the ink level (black) up to that cut.
void makeTone(InkAnalysis& a, double sigma) {
    const int contrast = a.background - a.ink;
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
}

const char* analyseSteps(const LumaSource& source, bool evenPaper, InkAnalysis& a) {
    Grid grid;
    if (const char* why = readGrid(source, a, grid)) return why;
    choosePolarity(grid, evenPaper, a);
    normaliseGrid(a, grid);
    double sigma = 0;
    if (const char* why = measureLevels(grid, a, sigma)) return why;
    if (const char* why = findPieces(grid, a)) return why;
    makeTone(a, sigma);
    return nullptr;
}

}  // namespace

InkAnalysis analyseInk(const LumaSource& source, bool evenPaper) {
    InkAnalysis a;
    if (const char* why = analyseSteps(source, evenPaper, a))
        a.error = QStringLiteral("no character found: ") + QLatin1String(why);
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
