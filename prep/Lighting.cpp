#include "prep/Lighting.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "prep/LevelHistogram.h"

namespace lettrino::prep {

namespace {

// A background whose fitted brightness varies by this many levels is lit unevenly.
constexpr double kUnevenLighting = 16;
// The lighting is fitted to at most about this many cells, on grids of at least this many a side.
constexpr int kLightingPoints = 10000;
constexpr int kLeastLightingCells = 8;
// Fits, each to the cells close to the one before.
constexpr int kLightingRounds = 4;

constexpr int kTerms = kLightingTerms;

// The powers x^0 .. x^kLightingDegree.
std::array<double, kLightingDegree + 1> powers(double x) {
    std::array<double, kLightingDegree + 1> p{};
    p[0] = 1;
    for (int i = 1; i <= kLightingDegree; ++i) p[std::size_t(i)] = p[std::size_t(i - 1)] * x;
    return p;
}

// Calls f(term, i, j) for each term u^i w^j, in the order of Lighting::k.
template <typename F>
void forEachTerm(F f) {
    int term = 0;
    for (int d = 0; d <= kLightingDegree; ++d)
        for (int j = 0; j <= d; ++j) f(term++, d - j, j);
}

// The terms u^i w^j at (u, w).
void termsAt(double u, double w, double* phi) {
    const auto up = powers(u), wp = powers(w);
    forEachTerm([&](int term, int i, int j) { phi[term] = up[std::size_t(i)] * wp[std::size_t(j)]; });
}

// Solves the kTerms x kTerms system m x = b in place (Gaussian elimination, partial pivoting);
// false when it is singular.
bool solve(double m[kTerms][kTerms], double b[kTerms], double x[kTerms]) {
    for (int col = 0; col < kTerms; ++col) {
        int pivot = col;
        for (int r = col + 1; r < kTerms; ++r)
            if (std::abs(m[r][col]) > std::abs(m[pivot][col])) pivot = r;
        if (std::abs(m[pivot][col]) < 1e-9) return false;
        std::swap(m[pivot], m[col]);
        std::swap(b[pivot], b[col]);
        for (int r = col + 1; r < kTerms; ++r) {
            const double q = m[r][col] / m[col][col];
            for (int c = col; c < kTerms; ++c) m[r][c] -= q * m[col][c];
            b[r] -= q * b[col];
        }
    }
    for (int r = kTerms - 1; r >= 0; --r) {
        double v = b[r];
        for (int c = r + 1; c < kTerms; ++c) v -= m[r][c] * x[c];
        x[r] = v / m[r][r];
    }
    return true;
}

}  // namespace

double Lighting::at(double c, double r) const {
    double phi[kTerms];
    termsAt(c * su - 1, r * sw - 1, phi);
    double v = 0;
    for (int j = 0; j < kTerms; ++j) v += k[std::size_t(j)] * phi[j];
    return v;
}

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
    light.k = {};
    light.k[0] = double(quantileIn(values, 0, 255, 0.5));
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
        double m[kTerms][kTerms] = {}, b[kTerms] = {};
        for (std::size_t i = 0; i < points.size(); ++i) {
            if (!near[i]) continue;
            double phi[kTerms];
            termsAt(points[i].c * light.su - 1, points[i].r * light.sw - 1, phi);
            for (int j = 0; j < kTerms; ++j) {
                for (int k = j; k < kTerms; ++k) m[j][k] += phi[j] * phi[k];
                b[j] += phi[j] * points[i].v;
            }
        }
        for (int j = 0; j < kTerms; ++j)
            for (int k = 0; k < j; ++k) m[j][k] = m[k][j];
        if (!solve(m, b, light.k.data())) return Lighting{};
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

void normaliseLine(const Lighting& l, bool inverted, double row, double c0, double dc, int n,
                   std::uint8_t* values) {
    if (!l.uneven) {
        if (inverted)
            for (int i = 0; i < n; ++i) values[i] = std::uint8_t(255 - values[i]);
        return;
    }
    // Along a row the fit is a polynomial in u alone: p[i] is the coefficient of u^i.
    const auto wp = powers(row * l.sw - 1);
    float p[kLightingDegree + 1] = {};
    forEachTerm([&](int term, int i, int j) { p[i] += float(l.k[std::size_t(term)] * wp[std::size_t(j)]); });
    const float u0 = float(c0 * l.su - 1), du = float(dc * l.su);
    for (int i = 0; i < n; ++i) {
        const float u = u0 + float(i) * du;
        float fitted = p[kLightingDegree];
        for (int d = kLightingDegree - 1; d >= 0; --d) fitted = fitted * u + p[d];
        const float v = inverted ? 255.0f - values[i] : float(values[i]);
        const float paper = std::max(1.0f, inverted ? 255.0f - fitted : fitted);
        values[i] = std::uint8_t(std::min(255.0f, float(kLitPaper) * v / paper + 0.5f));
    }
}

}  // namespace lettrino::prep
