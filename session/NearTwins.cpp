#include <algorithm>
#include <cmath>

#include "match/Ranking.h"
#include "match/TwinVote.h"
#include "session/Session.h"

namespace lettrino {

namespace {

// How far around a differing pixel the glyphs must be alike for an edge one of the picture's
// pixels over not to count: such an edge differs in a band as wide as the picture's pixel in the
// reference's (small ink is enlarged), whose every pixel lies within half of that of an edge.
int edgeReach(const Reference& picture) {
    const int shown = picture.source.height();
    const int drawn = picture.box.bottom - picture.box.top + 1;
    return shown > 0 ? std::max(1, int(std::ceil(double(drawn) / shown / 2))) : 1;
}

}  // namespace

void Session::settleNearTwins(const std::vector<FontRef>& jobs, std::vector<ResultRow>& rows) {
    if (!params_.aspect || !line_.isNull() || rows.size() < 2) return;
    const std::vector<std::vector<int>> groups = copiesTogether(rows, kMostTwins + 1);
    // A group's copies share their score.
    const auto scoreOf = [&rows](const std::vector<int>& copies) {
        return std::find_if(rows.begin(), rows.end(),
                            [&](const ResultRow& row) { return row.job == copies[0]; })
            ->score;
    };
    const double first = rows[0].score;
    const int characters = std::max<int>(1, int(word_.size()));
    const auto drawn = [&](int job, std::vector<Canvas>& canvases, std::vector<InkBox>& boxes) {
        for (int i = 0; i < characters; ++i) {
            const RenderOutcome outcome = drawCharacter(jobs[size_t(job)], i);
            if (!outcome.fontDisplayed) return false;
            canvases.push_back(glyph_);
            boxes.push_back(outcome.glyphBox);
        }
        return true;
    };
    std::vector<Canvas> firstGlyphs;
    std::vector<InkBox> firstBoxes;
    int winner = -1;
    double winnerShare = kTwinMajority;
    for (size_t g = 1; g < groups.size(); ++g) {
        if (scoreOf(groups[g]) < first * (1 - kTwinHair)) break;
        if (firstGlyphs.empty() && !drawn(groups[0][0], firstGlyphs, firstBoxes)) return;
        std::vector<Canvas> glyphs;
        std::vector<InkBox> boxes;
        if (!drawn(groups[g][0], glyphs, boxes)) continue;
        TwinVote sum;
        for (int i = 0; i < characters; ++i) {
            const Reference& picture = word_.empty() ? reference_ : word_[size_t(i)].reference;
            const TwinVote vote =
                twinVote(picture.canvas, picture.box, firstGlyphs[size_t(i)], firstBoxes[size_t(i)],
                         glyphs[size_t(i)], boxes[size_t(i)], edgeReach(picture));
            sum.differing += vote.differing;
            sum.asFirst += vote.asFirst;
        }
        if (sum.differing < kTwinVoteLeast) continue;
        const double share = double(sum.asFirst) / sum.differing;
        if (share < winnerShare) {
            winnerShare = share;
            winner = int(g);
        }
    }
    if (winner < 0) return;
    // The twin the picture sides with goes first, its copies with it; the rest keep their order.
    const std::vector<int>& twin = groups[size_t(winner)];
    std::stable_partition(rows.begin(), rows.end(), [&twin](const ResultRow& row) {
        return std::find(twin.begin(), twin.end(), row.job) != twin.end();
    });
    for (size_t k = 0; k < rows.size(); ++k) rows[k].rank = int(k) + 1;
}

}  // namespace lettrino
