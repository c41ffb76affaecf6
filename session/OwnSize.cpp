#include <QImage>

#include <algorithm>
#include <cmath>
#include <utility>

#include "prep/PicturePrep.h"
#include "render/FontSystem.h"
#include "session/Session.h"

namespace lettrino {

namespace {

// The ways renderers fit small glyphs to pixels: FreeType's full hinting (Pillow, most
// desktop toolkits' defaults of old), light hinting (browsers, Cairo as most desktops set it)
// and none (PDF viewers).
constexpr Hinting kOwnSizeHintings[] = {Hinting::Full, Hinting::Light, Hinting::None};
// The paper around a drawn character, in pixels.
constexpr int kMargin = 4;

// A drawn character as a picture of it: black on white, with a margin.
QImage pictureOf(const GlyphRaster& drawn) {
    const int w = int(drawn.metrics.blackBoxX), h = int(drawn.metrics.blackBoxY);
    QImage picture(w + 2 * kMargin, h + 2 * kMargin, QImage::Format_Grayscale8);
    picture.fill(255);
    for (int y = 0; y < h; ++y) {
        uchar* line = picture.scanLine(y + kMargin) + kMargin;
        for (int x = 0; x < w; ++x) line[x] = uchar(255 - drawn.coverage[size_t(y * w + x)]);
    }
    return picture;
}

}  // namespace

double Session::ownSizeScore(const FontRef& font) {
    const FaceInUse use(*fonts_, font, initialFontCount_ + font.faceIndex);
    if (!use.found || use.registrationFailed) return 0;
    const QString& face = use.face;
    const Character ch = params_.character;
    const int inkHeight = reference_.source.height();
    // Its outline's height in ems gives the size that draws it about inkHeight pixels tall;
    // hinting may make it a pixel taller or shorter, so the sizes around are drawn too, and those
    // within a pixel of the picture's height scored.
    const double ems = fonts_->outlineHeight(fonts_->createFont(face, 12), ch);
    if (!(ems > 0)) return 0;
    double best = 0;
    const int first = std::max(4, int(std::floor(inkHeight / ems)) - 1), last = int(std::ceil(inkHeight / ems)) + 1;
    std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> seen;  // the drawings scored: width, coverage
    for (const Hinting hinting : kOwnSizeHintings) {
        fonts_->setHinting(hinting);
        for (int ppem = first; ppem <= last; ++ppem) {
            const GlyphRaster& drawn = fonts_->raster(fonts_->createFont(face, ppem * 72.0 / 96.0), ch);
            if (std::abs(int(drawn.metrics.blackBoxY) - inkHeight) > 1) continue;
            // Hinting often draws the same pixels several ways: each drawing is weighed once.
            const auto key = std::make_pair(drawn.metrics.blackBoxX, drawn.coverage);
            if (std::find(seen.begin(), seen.end(), key) != seen.end()) continue;
            seen.push_back(key);
            const QImage picture = pictureOf(drawn);
            const PreparedPicture prepared = prepareCharacter(picture, picture.rect());
            if (prepared.image.isNull()) continue;
            ownReference_.setPicture(prepared.image);
            if (!ownReference_.ok()) continue;
            best = std::max(best, weigh(reference_, referenceInk(0), ownReference_.canvas, ownReference_.box).score);
        }
    }
    return best;
}

bool Session::looksAtOwnSize() const {
    if (!params_.aspect || !word_.empty() || !line_.isNull() || reference_.source.isNull()) return false;
    return std::max(reference_.source.width(), reference_.source.height()) < kSmallInk;
}

void Session::lookAtOwnSize(const std::vector<FontRef>& jobs, std::vector<FontResult>& results) {
    if (!looksAtOwnSize()) return;
    std::vector<int> order;
    for (int i = 0; i < int(results.size()); ++i)
        if (results[size_t(i)].weighed) order.push_back(i);
    const int n = std::min<int>(kOwnSizeFonts, int(order.size()));
    std::partial_sort(order.begin(), order.begin() + n, order.end(), [&results](int a, int b) {
        return results[size_t(a)].aspectScore > results[size_t(b)].aspectScore;
    });
    for (int k = 0; k < n; ++k) {
        FontResult& r = results[size_t(order[size_t(k)])];
        try {
            r.aspectScore = std::max(r.aspectScore, ownSizeScore(jobs[size_t(order[size_t(k)])]));
        } catch (...) {
            // A font that cannot be drawn so small keeps the score it has.
        }
    }
    fonts_->setHinting(params_.hinting);
}

}  // namespace lettrino
