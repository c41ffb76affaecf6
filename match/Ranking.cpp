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
    rows.reserve(size_t(std::count_if(results.begin(), results.end(), [](const FontResult& r) { return r.matched; })));
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

std::vector<std::vector<int>> copiesTogether(const std::vector<ResultRow>& rows, int top) {
    std::vector<std::vector<int>> groups;
    for (size_t i = 0; i < rows.size(); ++i) {
        // The ranking puts copies side by side: a tie of score and match is ordered by path.
        const bool copy = i > 0 && rows[i].face == rows[i - 1].face && rows[i].score == rows[i - 1].score &&
                          rows[i].m == rows[i - 1].m;
        if (copy) {
            groups.back().push_back(rows[i].job);
        } else {
            if (top > 0 && groups.size() == size_t(top)) break;
            groups.push_back({rows[i].job});
        }
    }
    return groups;
}

}  // namespace lettrino
