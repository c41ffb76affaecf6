#include "match/Aspect.h"

#include <algorithm>
#include <cmath>

namespace lettrino {

namespace {

double aspectDistance(const InkMask& reference, const InkMask& glyph) {
    return std::fabs(logAspect(glyph) - logAspect(reference));
}

// The most aspectScore(m, reference, glyph) can give, from the masks' proportions alone:
// m * exp(-kAspectWeight * d), m when either mask is empty. Exact: the score is computed as
// (m * agreement) * the same factor, and the agreement is at most 1.
double aspectBound(double m, const InkMask& reference, const InkMask& glyph) {
    if (reference.empty() || glyph.empty()) return m;
    return m * std::exp(-kAspectWeight * aspectDistance(reference, glyph));
}

}  // namespace

AspectScore aspectScore(double m, const InkMask& reference, const InkMask& glyph) {
    AspectScore s;
    s.score = m;
    if (reference.empty() || glyph.empty()) return s;
    s.agreement = inkAgreement(reference, glyph);
    s.aspectDistance = aspectDistance(reference, glyph);
    s.score = m * s.agreement * std::exp(-kAspectWeight * s.aspectDistance);
    return s;
}

AspectReference::AspectReference(const InkMask& reference) {
    for (double degrees : kTurns) turns_.push_back(turned(reference, degrees));
}

AspectScore AspectReference::score(double m, const InkMask& glyph) const {
    AspectScore best;
    best.score = m;
    for (std::size_t i = 0; i < turns_.size(); ++i) {
        // A later turn replaces the best only with a higher score.
        if (i > 0 && aspectBound(m, turns_[i], glyph) <= best.score) continue;
        AspectScore s = aspectScore(m, turns_[i], glyph);
        s.turn = kTurns[i];
        if (i == 0 || s.score > best.score) best = s;
    }
    return best;
}

double AspectReference::bound(double m, const InkMask& glyph) const {
    double most = 0;
    for (const InkMask& turn : turns_) most = std::max(most, aspectBound(m, turn, glyph));
    return turns_.empty() ? m : most;
}

}  // namespace lettrino
