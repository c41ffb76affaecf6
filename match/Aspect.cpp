#include "match/Aspect.h"

#include <cmath>

namespace lettrino {

AspectScore aspectScore(double m, const InkMask& reference, const InkMask& glyph) {
    AspectScore s;
    s.score = m;
    if (reference.empty() || glyph.empty()) return s;
    s.agreement = inkAgreement(reference, glyph);
    s.aspectDistance = std::fabs(logAspect(glyph) - logAspect(reference));
    if (s.agreement == 1 && s.aspectDistance == 0) return s;
    s.score = m * s.agreement * std::exp(-kAspectWeight * s.aspectDistance);
    return s;
}

}  // namespace lettrino
