#include "session/Screen.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "render/FontSystem.h"
#include "session/Session.h"

namespace lettrino {

ScreenReference screenReferenceOf(const Reference& full) {
    ScreenReference s;
    if (!full.hasInk()) {
        s.reference = full;
        return s;
    }
    const InkBox& box = full.box;
    const int width = box.right - box.left + 1, height = box.bottom - box.top + 1;
    QImage ink(width, height, QImage::Format_Grayscale8);
    const Colour* pixels = full.canvas.picturePixels();
    for (int y = 0; y < height; ++y) {
        uchar* line = ink.scanLine(y);
        for (int x = 0; x < width; ++x) line[x] = uchar(pixels[(box.top + y) * Canvas::kSize + box.left + x] & 0xFF);
    }
    // Never enlarged: small ink is looked at as it is.
    const int smallHeight = std::min(height, kScreenHeight);
    const int smallWidth = std::max(1, int(std::lround(double(width) * smallHeight / height)));
    s.reference.setPicture(ink.scaled(std::min(smallWidth, Canvas::kSize), smallHeight, Qt::IgnoreAspectRatio,
                                      Qt::SmoothTransformation));
    s.ink = AspectReference(inkMask(s.reference.canvas, s.reference.box));
    return s;
}

void TopScores::note(double score) {
    if (top_ <= 0) return;
    if (int(heap_.size()) < top_) {
        heap_.push_back(score);
        std::push_heap(heap_.begin(), heap_.end(), std::greater<>());
    } else if (score > heap_.front()) {
        std::pop_heap(heap_.begin(), heap_.end(), std::greater<>());
        heap_.back() = score;
        std::push_heap(heap_.begin(), heap_.end(), std::greater<>());
    }
}

// The session's first look at a font.

const ScreenReference& Session::screenReference(int i) {
    if (screenReferences_.size() <= size_t(i)) screenReferences_.resize(size_t(i) + 1);
    std::optional<ScreenReference>& s = screenReferences_[size_t(i)];
    if (!s) s = screenReferenceOf(word_.empty() ? reference_ : word_[size_t(i)].reference);
    return *s;
}

bool Session::passesScreen(const FontRef& font, RenderOutcome* drawn, FontResult& r) {
    if (!params_.screen || !params_.aspect || params_.top <= 0 || params_.minPercent > 0) return true;
    // A font not drawn in full keeps its first look's match (it is not weighed).
    const auto passedOver = [&r](double m) {
        r.matched = true;
        r.score.m = m;
        return false;
    };
    fonts_->setHinting(Hinting::None);
    if (!line_.isNull()) {
        RenderOutcome outcome;
        FontResult look;
        scoreLine(font, true, outcome, look, nullptr);
        // What cannot be drawn small is left to the full drawing to tell.
        if (outcome.registrationFailed || !outcome.fontDisplayed) return true;
        const bool near = !screenBest_.full() || look.aspectScore >= screenBest_.least() * kScreenLineMargin;
        screenBest_.note(look.aspectScore);
        if (near) return true;
        r.face = outcome.faceName;
        if (drawn) *drawn = outcome;
        return passedOver(look.score.m);
    }
    const int n = std::max<int>(1, int(word_.size()));
    // Each character's look is at most 1: once those looked at keep the word's look below the
    // margin, the rest are not looked at.
    const auto near = [&](double sumLog) {
        return !screenBest_.full() || std::exp(sumLog / n) >= screenBest_.least() * params_.screenMargin;
    };
    double sumM = 0, sumLog = 0;
    int looked = 0;
    for (int i = 0; i < n && near(sumLog); ++i) {
        const ScreenReference& s = screenReference(i);
        const Character ch = word_.empty() ? params_.character : word_[size_t(i)].character;
        const RenderOutcome outcome = renderer_.displayFontFast(font, ch, s.reference.box,
                                                                initialFontCount_ + font.faceIndex, Sizing::Outline);
        // What cannot be drawn small is left to the full drawing to tell.
        if (outcome.registrationFailed || !outcome.fontDisplayed) return true;
        if (i == 0) {
            r.face = outcome.faceName;
            if (drawn) *drawn = outcome;
        }
        // A look under what keeps the word's look within the margin is not weighed.
        const double needed =
            screenBest_.full() ? std::exp(n * std::log(screenBest_.least() * params_.screenMargin) - sumLog) : 0;
        const Weighed look = weigh(s.reference, s.ink, glyph_, outcome.glyphBox, needed);
        sumM += look.m;
        sumLog += std::log(std::max(look.score, 1e-12));
        ++looked;
    }
    if (looked == n) screenBest_.note(std::exp(sumLog / n));
    return near(sumLog) || passedOver(sumM / looked);
}

}  // namespace lettrino
