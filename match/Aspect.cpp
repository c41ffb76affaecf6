#include "match/Aspect.h"

#include <cmath>

namespace lettrino {

AspectScore aspectScore(double m, const InkMask& reference, const InkMask& glyph) {
    AspectScore s;
    s.score = m;
    if (reference.empty() || glyph.empty()) return s;
    s.agreement = inkAgreement(reference, glyph);
    s.aspectDistance = std::fabs(logAspect(glyph) - logAspect(reference));
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
        AspectScore s = aspectScore(m, turns_[i], glyph);
        s.turn = kTurns[i];
        if (i == 0 || s.score > best.score) best = s;
    }
    return best;
}

}  // namespace lettrino
