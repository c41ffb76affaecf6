#pragma once

#include <limits>
#include <vector>

#include "match/Aspect.h"
#include "match/FontResult.h"
#include "session/Reference.h"

namespace lettrino {

// A first look at a font before it is drawn and weighed in full: its character drawn small,
// from its outline without hinting (no bytecode to run, one rendering instead of two), and
// scored as the full weighing scores it, against the reference's ink made as small. A font
// whose first look falls well below the best first looks is not drawn in full.
//
// The height, in pixels, of the reference's ink in the first look; of a text matched whole,
// whose first look is drawn at kScreenTrialPoints only (a text matched in full is drawn at a
// trial size, then at the size that gives the line's height).
constexpr int kScreenHeight = 48;
constexpr int kScreenLineHeight = 24;
constexpr double kScreenTrialPoints = 18;
// How far below the top-th best first look a font's may fall and still be drawn in full. A first look is not a bound of the full score (it is drawn otherwise), so the margin is
// wide. Over 768 pictures (two real-engine sets from tools/make-real-set and every fourth
// picture of tools/make-identify-set's), lettrino-match's ten best are the same, name for name
// and score for score, at 0.90 as at 0.80, which a small word on a big library needs: its first
// looks lie close together, and at 0.80 a third of its fonts were drawn in full.
constexpr double kScreenMargin = 0.90;
// The search for the first of several readings of a picture also chooses the fonts that weigh
// the others, so it looks wider: at 0.90 a lone "α" in DejaVu Sans ExtraLight, first read as
// another letter, was never weighed in the font that draws it.
constexpr double kReadingScreenMargin = 0.80;
// A text matched whole scores lower and looks blurrier small: its margin is wider.
constexpr double kScreenLineMargin = 0.70;

// A search that looks first takes two rounds (searchInParallel): every font's first look, then
// the full drawing of those whose look comes within the margin of the top-th best of all looks,
// best look first, so that the best scores are found early and cut the rest short. A first look
// gives the font's look, or one of these:
// the font need not be drawn in full (passed over, or its look fell under the margin of the
// best looks so far);
constexpr double kLookSettled = -1;
// the font is drawn in full whatever the others look like (it could not be drawn small).
constexpr double kLookDrawInFull = std::numeric_limits<double>::infinity();
// The positions of the looks to draw in full, best first (ties in their order), with a library's
// copies of a font together: one face, one look to the last bit and one file size (the
// results' faces and files). The first of each group is drawn; the others take what it gets.
std::vector<std::vector<int>> toDrawInFull(const std::vector<double>& looks,
                                           const std::vector<FontResult>& results, int top, double margin);

// The reference scaled to the first look's size, and its ink.
struct ScreenReference {
    Reference reference;
    AspectReference ink;
};
ScreenReference screenReferenceOf(const Reference& full);

// The `top` best scores seen so far, least first out; `distinct`, each score counted once (a
// library's copies of a font score alike to the last bit).
class TopScores {
public:
    void reset(int top, bool distinct = false) {
        top_ = top;
        distinct_ = distinct;
        heap_.clear();
    }
    bool full() const { return top_ > 0 && int(heap_.size()) == top_; }
    // The top-th best so far; only meaningful when full().
    double least() const { return heap_.front(); }
    void note(double score);

private:
    int top_ = 0;
    bool distinct_ = false;
    std::vector<double> heap_;  // a min-heap
};

}  // namespace lettrino
