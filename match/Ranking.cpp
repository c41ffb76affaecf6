#include "match/Ranking.h"

#include <algorithm>

namespace lettrino {

namespace {
// A little below the percentage asked for, so that a match shown as 80.00 passes --min 80
// even when m x 100 lands a rounding step under it.
constexpr double kMinSlack = 1e-9;
}  // namespace

std::vector<ResultRow> rankResults(const std::vector<FontResult>& results, double minPercent, int top,
                                   RankBy rank) {
    std::vector<ResultRow> rows;
    for (size_t i = 0; i < results.size(); ++i) {
        const FontResult& r = results[i];
        if (!r.matched) continue;
        if (r.score.m * 100 < minPercent - kMinSlack) continue;
        rows.push_back({0, r.aspectScore, r.score.m, r.face, r.file, r.score.xRatio, r.score.yRatio, r.glyphBox,
                        r.inkAgreement, r.aspectDistance, r.sizeSpread, int(i)});
    }
    const bool byScore = rank == RankBy::Aspect;
    std::sort(rows.begin(), rows.end(), [byScore](const ResultRow& a, const ResultRow& b) {
        if (byScore && a.score != b.score) return a.score > b.score;
        if (a.m != b.m) return a.m > b.m;
        if (a.file != b.file) return a.file < b.file;
        return a.face < b.face;
    });
    if (top > 0 && rows.size() > size_t(top)) rows.resize(size_t(top));
    for (size_t i = 0; i < rows.size(); ++i) rows[i].rank = int(i) + 1;
    return rows;
}

}  // namespace lettrino
