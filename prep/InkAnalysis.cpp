#include "prep/InkAnalysis.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "prep/LumaSource.h"

namespace lettrino::prep {

namespace {

// The analysis grid's longer side at most, in cells.
constexpr int kGridSide = 1024;
// A piece of ink with less than 1/50 of the largest piece's area is a speck.
constexpr int kSpeckRatio = 50;
// The ink must stand this many background standard deviations clear of the background: plain
// noise or a blurred texture split at its own median stands about 4 to 4.5 apart.
constexpr double kClearContrast = 6;
// Below this many grey levels between ink and background there is no character to see.
constexpr int kLeastContrast = 24;
// More separate pieces than this are noise or a texture, not characters.
constexpr int kMostPieces = 300;
// A background whose fitted brightness varies by this many levels is lit unevenly.
constexpr double kUnevenLighting = 16;
// The lighting is fitted to at most about this many cells, on grids of at least this many a side.
constexpr int kLightingPoints = 40000;
constexpr int kLeastLightingCells = 8;
// Fits, each to the cells close to the one before.
constexpr int kLightingRounds = 4;
// Where an unevenly lit background lands once divided by its lighting: below white, so that
// its noise keeps both sides and its spread can be measured.
constexpr double kLitPaper = 224;

using Histogram = std::array<std::int64_t, 256>;

std::int64_t countIn(const Histogram& h, int lo, int hi) {
    std::int64_t n = 0;
    for (int v = std::max(lo, 0); v <= std::min(hi, 255); ++v) n += h[v];
    return n;
}

// The level at fraction q of the counts in [lo, hi]; -1 when that range is empty.
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

// The median absolute deviation from `centre` of the counts in [lo, hi].
int madIn(const Histogram& h, int lo, int hi, int centre) {
    Histogram d{};
    for (int v = std::max(lo, 0); v <= std::min(hi, 255); ++v) d[std::abs(v - centre)] += h[v];
    return std::max(0, quantileIn(d, 0, 255, 0.5));
}

// Otsu's threshold: the level t that best splits the counts into [0, t] and [t + 1, 255].
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

int findRoot(std::vector<int>& parent, int i) {
    while (parent[i] != i) {
        parent[i] = parent[parent[i]];
        i = parent[i];
    }
    return i;
}

void unite(std::vector<int>& parent, int a, int b) {
    a = findRoot(parent, a);
    b = findRoot(parent, b);
    if (a != b) parent[std::max(a, b)] = std::min(a, b);
}

// Labels the 8-connected pieces of the cells marked in `ink`; fills labels and components.
void labelPieces(const std::vector<std::uint8_t>& ink, InkAnalysis& a) {
    const int cols = a.columns, rows = a.rows;
    a.labels.assign(ink.size(), -1);
    std::vector<int>& parent = a.labels;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            const int i = r * cols + c;
            if (!ink[i]) continue;
            parent[i] = i;
            if (c > 0 && ink[i - 1]) unite(parent, i, i - 1);
            if (r > 0) {
                const int up = i - cols;
                if (c > 0 && ink[up - 1]) unite(parent, i, up - 1);
                if (ink[up]) unite(parent, i, up);
                if (c + 1 < cols && ink[up + 1]) unite(parent, i, up + 1);
            }
        }
    }
    for (int i = 0; i < int(parent.size()); ++i)
        if (parent[i] >= 0) parent[i] = findRoot(parent, i);
    // A root is its piece's smallest index, so it is met before the rest of its piece: each
    // cell becomes -2 - its piece's number on the way, and the number itself at the end.
    a.components.clear();
    for (int i = 0; i < int(parent.size()); ++i) {
        if (parent[i] < 0) continue;
        const QRect cell(i % cols, i / cols, 1, 1);
        if (parent[i] == i) {
            parent[i] = -2 - int(a.components.size());
            a.components.push_back({cell, 1, false});
            continue;
        }
        parent[i] = parent[parent[i]];
        InkComponent& piece = a.components[std::size_t(-2 - parent[i])];
        piece.cells |= cell;
        ++piece.area;
    }
    for (int& l : parent)
        if (l <= -2) l = -2 - l;
}

// Solves the 6 x 6 system m x = b in place (Gaussian elimination, partial pivoting); false
// when it is singular.
bool solve6(double m[6][6], double b[6], double x[6]) {
    for (int col = 0; col < 6; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 6; ++r)
            if (std::abs(m[r][col]) > std::abs(m[pivot][col])) pivot = r;
        if (std::abs(m[pivot][col]) < 1e-9) return false;
        std::swap(m[pivot], m[col]);
        std::swap(b[pivot], b[col]);
        for (int r = col + 1; r < 6; ++r) {
            const double q = m[r][col] / m[col][col];
            for (int c = col; c < 6; ++c) m[r][c] -= q * m[col][c];
            b[r] -= q * b[col];
        }
    }
    for (int r = 5; r >= 0; --r) {
        double v = b[r];
        for (int c = r + 1; c < 6; ++c) v -= m[r][c] * x[c];
        x[r] = v / m[r][r];
    }
    return true;
}

// The background's brightness as a quadratic over the grid, fitted to the cells and refitted
// to those that lie close to it (the background, when it is most of the picture) a few times.
Lighting fitLighting(const std::vector<std::uint8_t>& grid, int cols, int rows) {
    Lighting light;
    if (cols < kLeastLightingCells || rows < kLeastLightingCells) return light;
    light.su = 2.0 / (cols - 1);
    light.sw = 2.0 / (rows - 1);
    const int step = std::max(1, int(std::ceil(std::sqrt(double(cols) * rows / kLightingPoints))));
    struct Point {
        double c, r, v;
    };
    std::vector<Point> points;
    for (int r = 0; r < rows; r += step)
        for (int c = 0; c < cols; c += step)
            points.push_back(
                {double(c), double(r), double(grid[std::size_t(r) * std::size_t(cols) + std::size_t(c)])});
    // Starts from the median level (the background, when it is most of the picture), so that
    // the first quadratic already leaves the ink out.
    Histogram values{};
    for (const Point& p : points) ++values[int(p.v)];
    light.k = {double(quantileIn(values, 0, 255, 0.5)), 0, 0, 0, 0, 0};
    std::vector<char> near(points.size());
    double limit = 0;
    for (int round = 0;; ++round) {
        Histogram off{};
        for (const Point& p : points) ++off[std::min(255, int(std::abs(p.v - light.at(p.c, p.r))))];
        light.spread = 1.4826 * quantileIn(off, 0, 255, 0.5);
        limit = std::max(2.5 * light.spread, 4.0);
        for (std::size_t i = 0; i < points.size(); ++i)
            near[i] = std::abs(points[i].v - light.at(points[i].c, points[i].r)) <= limit;
        if (round == kLightingRounds) break;
        double m[6][6] = {}, b[6] = {};
        for (std::size_t i = 0; i < points.size(); ++i) {
            if (!near[i]) continue;
            const double u = points[i].c * light.su - 1, w = points[i].r * light.sw - 1;
            const double phi[6] = {1, u, w, u * u, u * w, w * w};
            for (int j = 0; j < 6; ++j) {
                for (int k = 0; k < 6; ++k) m[j][k] += phi[j] * phi[k];
                b[j] += phi[j] * points[i].v;
            }
        }
        if (!solve6(m, b, light.k.data())) return Lighting{};
    }
    double lo = 255, hi = 0, sum = 0;
    for (const Point& p : points) {
        const double fitted = light.at(p.c, p.r);
        sum += fitted;
        lo = std::min(lo, fitted);
        hi = std::max(hi, fitted);
        const double off = p.v - fitted;
        light.darkOutliers += off < -limit;
        light.lightOutliers += off > limit;
    }
    light.uneven = hi - lo >= kUnevenLighting;
    light.level = sum / double(points.size());
    return light;
}

QString noCharacter(const char* why) {
    return QStringLiteral("no character found: ") + QLatin1String(why);
}

}  // namespace

double Lighting::at(double c, double r) const {
    const double u = c * su - 1, w = r * sw - 1;
    return k[0] + k[1] * u + k[2] * w + k[3] * u * u + k[4] * u * w + k[5] * w * w;
}

// Levels with the background on the light side for n cells of a grid row from column c0,
// dc columns apart (a fraction for source pixels).
static void normaliseLine(const InkAnalysis& a, double row, double c0, double dc, int n,
                          std::uint8_t* values) {
    if (!a.lighting.uneven) {
        if (a.inverted)
            for (int i = 0; i < n; ++i) values[i] = std::uint8_t(255 - values[i]);
        return;
    }
    // Along a row the fit is a quadratic in u alone.
    const Lighting& l = a.lighting;
    const double w = row * l.sw - 1;
    const float p0 = float(l.k[0] + l.k[2] * w + l.k[5] * w * w), p1 = float(l.k[1] + l.k[4] * w),
                p2 = float(l.k[3]);
    const float u0 = float(c0 * l.su - 1), du = float(dc * l.su);
    const bool inverted = a.inverted;
    for (int i = 0; i < n; ++i) {
        const float u = u0 + float(i) * du;
        const float fitted = p0 + (p1 + p2 * u) * u;
        const float v = inverted ? 255.0f - values[i] : float(values[i]);
        const float paper = std::max(1.0f, inverted ? 255.0f - fitted : fitted);
        values[i] = std::uint8_t(std::min(255.0f, float(kLitPaper) * v / paper + 0.5f));
    }
}

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
        normaliseLine(a, r, 0, 1, cols, grid.data() + std::size_t(r) * std::size_t(cols));
        normaliseLine(a, r, 0, 1, cols, samples.data() + std::size_t(r) * std::size_t(cols));
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
    labelPieces(inkCells, a);
    int largest = 0;
    for (const InkComponent& c : a.components) largest = std::max(largest, c.area);
    std::int64_t keptArea = 0;
    int kept = 0;
    QRect keptBox;
    for (InkComponent& c : a.components) {
        c.speck = std::int64_t(c.area) * kSpeckRatio < largest;
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
    normaliseLine(a, (y + 0.5) / f - 0.5, (x0 + 0.5) / f - 0.5, 1 / f, n, values);
}

InkRegion inkRegion(const InkAnalysis& a, const std::vector<char>& chosen) {
    InkRegion region;
    const int reach = a.factor == 1 ? 2 : 1;  // the antialiased edge: 2 pixels, or 1 averaged cell
    QRect box;
    for (std::size_t i = 0; i < a.components.size(); ++i)
        if (i < chosen.size() && chosen[i]) box |= a.components[i].cells;
    if (box.isEmpty()) return region;
    box = box.adjusted(-reach, -reach, reach, reach) & QRect(0, 0, a.columns, a.rows);
    region.cells = box;
    const int bw = box.width(), bh = box.height();
    std::vector<std::uint8_t> own(std::size_t(bw) * std::size_t(bh), 0), wide(own.size(), 0);
    for (int y = 0; y < bh; ++y)
        for (int x = 0; x < bw; ++x) {
            const int label =
                a.labels[std::size_t(box.top() + y) * std::size_t(a.columns) + std::size_t(box.left() + x)];
            own[std::size_t(y * bw + x)] =
                label >= 0 && std::size_t(label) < chosen.size() && chosen[std::size_t(label)];
        }
    // Widened across, then down.
    for (int y = 0; y < bh; ++y)
        for (int x = 0; x < bw; ++x) {
            if (!own[std::size_t(y * bw + x)]) continue;
            for (int d = std::max(0, x - reach); d <= std::min(bw - 1, x + reach); ++d)
                wide[std::size_t(y * bw + d)] = 1;
        }
    region.allowed.assign(own.size(), 0);
    for (int y = 0; y < bh; ++y)
        for (int x = 0; x < bw; ++x) {
            if (!wide[std::size_t(y * bw + x)]) continue;
            for (int d = std::max(0, y - reach); d <= std::min(bh - 1, y + reach); ++d)
                region.allowed[std::size_t(d * bw + x)] = 1;
        }
    return region;
}

InkCrop cropInk(const LumaSource& source, const InkAnalysis& a, const InkRegion& region, bool keepGrey) {
    InkCrop crop;
    if (region.cells.isEmpty()) return crop;
    const int f = a.factor;
    const QRect area = sourceBox(a, region.cells) & QRect(0, 0, source.width(), source.height());
    const int aw = area.width(), ah = area.height();
    std::vector<int> cellOf(static_cast<std::size_t>(aw));
    for (int x = 0; x < aw; ++x) cellOf[std::size_t(x)] = (area.left() + x) / f - region.cells.left();
    std::vector<std::uint8_t> grey;
    if (keepGrey) grey.assign(std::size_t(aw) * std::size_t(ah), 255);
    std::vector<std::uint8_t> line(static_cast<std::size_t>(aw));
    int left = aw, right = -1, top = -1, bottom = -1;
    for (int y = 0; y < ah; ++y) {
        const int cellRow = (area.top() + y) / f - region.cells.top();
        const std::uint8_t* allowed =
            region.allowed.data() + std::size_t(cellRow) * std::size_t(region.cells.width());
        source.luma(area.top() + y, area.left(), aw, line.data());
        normalisePixels(a, area.top() + y, area.left(), aw, line.data());
        std::uint8_t* out = keepGrey ? grey.data() + std::size_t(y) * std::size_t(aw) : nullptr;
        for (int x = 0; x < aw; ++x) {
            const std::uint8_t g = a.tone[line[std::size_t(x)]];
            if (g == 255 || !allowed[cellOf[std::size_t(x)]]) continue;
            if (out) out[x] = g;
            left = std::min(left, x);
            right = std::max(right, x);
            if (top < 0) top = y;
            bottom = y;
        }
    }
    if (top < 0) return crop;
    crop.box = QRect(QPoint(left, top), QPoint(right, bottom)).translated(area.topLeft());
    if (keepGrey) {
        const int bw = right - left + 1, bh = bottom - top + 1;
        crop.grey.resize(std::size_t(bw) * std::size_t(bh));
        for (int y = 0; y < bh; ++y)
            std::copy_n(grey.data() + std::size_t(top + y) * std::size_t(aw) + std::size_t(left), bw,
                        crop.grey.data() + std::size_t(y) * std::size_t(bw));
    }
    return crop;
}

}  // namespace lettrino::prep
