#include "session/Screen.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <tuple>

#include <QFileInfo>

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
    if (distinct_ && std::find(heap_.begin(), heap_.end(), score) != heap_.end()) return;
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

bool Session::looksFirst() const {
    return params_.screen && params_.aspect && params_.top > 0 && params_.minPercent <= 0;
}

double Session::lookMargin() const {
    return line_.isNull() ? params_.screenMargin : kScreenLineMargin;
}

double Session::lookFirst(const FontRef& font, FontResult& r) {
    r = FontResult();
    r.file = font.file;
    double look = kLookSettled;
    unlessUnreadable(r, [&] {
        if (!passOver(font, nullptr)) look = firstLook(font, r);
    });
    return look;
}

double Session::firstLook(const FontRef& font, FontResult& r) {
    if (!looksFirst()) return kLookDrawInFull;
    // A font not drawn in full keeps its first look's match (it is not weighed).
    const auto looked = [&r](double m, bool near, double look) {
        r.matched = true;
        r.score.m = m;
        return near ? look : kLookSettled;
    };
    const double margin = lookMargin();
    fonts_->setHinting(Hinting::None);
    if (!line_.isNull()) {
        RenderOutcome outcome;
        FontResult look;
        scoreLine(font, true, outcome, look, nullptr);
        // What cannot be drawn small is left to the full drawing to tell.
        if (outcome.registrationFailed || !outcome.fontDisplayed) return kLookDrawInFull;
        const bool near = !screenBest_.full() || look.aspectScore >= screenBest_.least() * margin;
        screenBest_.note(look.aspectScore);
        r.face = outcome.faceName;
        return looked(look.score.m, near, look.aspectScore);
    }
    const int n = std::max<int>(1, int(word_.size()));
    // Each character's look is at most 1: once those looked at keep the word's look below the
    // margin, the rest are not looked at.
    const auto near = [&](double sumLog) {
        return !screenBest_.full() || std::exp(sumLog / n) >= screenBest_.least() * margin;
    };
    double sumM = 0, sumLog = 0;
    int characters = 0;
    for (int i = 0; i < n && near(sumLog); ++i) {
        const ScreenReference& s = screenReference(i);
        const Character ch = word_.empty() ? params_.character : word_[size_t(i)].character;
        const RenderOutcome outcome = renderer_.displayFontFast(font, ch, s.reference.box,
                                                                initialFontCount_ + font.faceIndex, Sizing::Outline);
        // What cannot be drawn small is left to the full drawing to tell.
        if (outcome.registrationFailed || !outcome.fontDisplayed) return kLookDrawInFull;
        if (i == 0) r.face = outcome.faceName;
        // A look under what keeps the word's look within the margin is not weighed.
        const double needed =
            screenBest_.full() ? std::exp(n * std::log(screenBest_.least() * margin) - sumLog) : 0;
        const Weighed look = weigh(s.reference, s.ink, glyph_, outcome.glyphBox, needed);
        sumM += look.m;
        sumLog += std::log(std::max(look.score, 1e-12));
        ++characters;
    }
    if (characters == n) screenBest_.note(std::exp(sumLog / n));
    return looked(sumM / characters, near(sumLog), std::exp(sumLog / n));
}

std::vector<std::vector<int>> toDrawInFull(const std::vector<double>& looks,
                                           const std::vector<FontResult>& results, int top, double margin) {
    std::vector<int> order;
    for (int i = 0; i < int(looks.size()); ++i)
        if (looks[size_t(i)] >= 0) order.push_back(i);
    std::stable_sort(order.begin(), order.end(),
                     [&looks](int a, int b) { return looks[size_t(a)] > looks[size_t(b)]; });
    std::vector<std::vector<int>> groups;
    std::map<std::tuple<QString, double, qint64>, size_t> copies;
    for (const int i : order) {
        const double look = looks[size_t(i)];
        if (look == kLookDrawInFull) {
            groups.push_back({i});
            continue;
        }
        const FontResult& r = results[size_t(i)];
        const auto [at, added] =
            copies.emplace(std::make_tuple(r.face, look, QFileInfo(r.file).size()), groups.size());
        if (added)
            groups.push_back({i});
        else
            groups[at->second].push_back(i);
    }
    // Counting a font's copies once, the top-th best look. A font whose look fell under the
    // margin of the best looks of its own thread's fonts falls under this one's: those looks were
    // each counted once too, and are all kept here.
    int seen = 0;
    for (size_t g = 0; g < groups.size(); ++g) {
        const double look = looks[size_t(groups[g][0])];
        if (look != kLookDrawInFull && ++seen == top) {
            const double bar = look * margin;
            const auto under =
                std::find_if(groups.begin() + std::ptrdiff_t(g), groups.end(),
                             [&](const std::vector<int>& c) { return looks[size_t(c[0])] < bar; });
            groups.erase(under, groups.end());
            break;
        }
    }
    return groups;
}

}  // namespace lettrino
