#include <QImage>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <thread>
#include <tuple>
#include <utility>

#include "match/LineMatch.h"
#include "match/Ranking.h"
#include "prep/PicturePrep.h"
#include "render/FontSystem.h"
#include "render/TextLayout.h"
#include "session/Session.h"

namespace lettrino {

namespace {

// The ways renderers fit small glyphs to pixels: FreeType's full hinting (Pillow, most
// desktop toolkits' defaults of old), light hinting (Cairo as most desktops set it; browsers,
// which place glyphs between pixels and darken them) and none (PDF viewers, between pixels
// too); and, for a picture with colour fringes, light hinting drawn for an LCD's subpixels
// (desktops and browsers set so).
struct Way {
    Hinting hinting;
    Positions positions;
    bool darkened;  // also weighed darkened, as browsers draw (kDarker)
};
constexpr Way kOwnSizeWays[] = {
    {Hinting::Full, Positions::Whole, false},     {Hinting::Light, Positions::Whole, false},
    {Hinting::Light, Positions::Exact, true},     {Hinting::None, Positions::Exact, false},
    {Hinting::Subpixel, Positions::Whole, false}, {Hinting::Subpixel, Positions::Exact, true}};
// A drawing is prepared as a picture is, but its white paper needs no fitting of its lighting.
const PrepOptions kDrawing = [] {
    PrepOptions o;
    o.evenPaper = true;
    return o;
}();
// A drawing is put on its own height of paper all round, this much at least (a picture's
// preparation weighs its ink against the paper around it).
constexpr int kMargin = 4;
static_assert(2 * kOwnSizeInk < Canvas::kSize, "a drawing taken as it is keeps its ink on the canvas");

// Browsers darken small text with their own gamma and contrast: a drawing made as they make it
// (lightly hinted or subpixel, between pixels) is also weighed with each coverage c made
// (c / 255)^kDarker of full. On the real-engine sets' small words, 0.7 names two more fonts
// right and none fewer (0.5 one more, 0.85 none), and one more small letter.
constexpr double kDarker = 0.7;
const std::array<std::uint8_t, 256> kDarkened = [] {
    std::array<std::uint8_t, 256> t{};
    for (int c = 0; c < 256; ++c)
        t[size_t(c)] = std::uint8_t(std::lround(255 * std::pow(c / 255.0, kDarker)));
    return t;
}();
// A text or a character drawn at a picture's own size: its coverage, width x height.
struct Drawing {
    int width = 0;
    int height = 0;
    const std::vector<std::uint8_t>* coverage = nullptr;
};

// A drawing as a picture of it: black on white (darkened, with `darker`), on its own height of
// paper all round.
QImage pictureOf(const Drawing& drawn, bool darker) {
    const int margin = std::max(kMargin, drawn.height);
    QImage picture(drawn.width + 2 * margin, drawn.height + 2 * margin, QImage::Format_Grayscale8);
    picture.fill(255);
    for (int y = 0; y < drawn.height; ++y) {
        uchar* line = picture.scanLine(y + margin) + margin;
        const std::uint8_t* from = drawn.coverage->data() + size_t(y) * size_t(drawn.width);
        for (int x = 0; x < drawn.width; ++x) line[x] = uchar(255 - (darker ? kDarkened[from[x]] : from[x]));
    }
    return picture;
}

// Draws in every way renderers do (kOwnSizeWays, the subpixel ones only for a picture with
// `fringes`) at every size from `first` to `last` (draw(ppem); unhinted, in half steps); each
// distinct drawing whose ink is within a pixel of `height` is weighed as a picture (weigh(picture,
// best so far)), as drawn and, for the ways of browsers, darkened. The best score, at least
// `best`; the font system is left hinted and placing glyphs as last drawn.
template <typename Draw, typename Weigh>
double bestDrawing(FontSystem& fonts, bool fringes, int first, int last, int height, const Draw& draw,
                   const Weigh& weigh, double best = 0) {
    // Hinting often draws the same pixels several ways: each drawing (darkened, width, coverage)
    // is weighed once.
    std::vector<std::tuple<bool, int, std::vector<std::uint8_t>>> seen;
    for (const Way way : kOwnSizeWays) {
        const Hinting hinting = way.hinting;
        if (hinting == Hinting::Subpixel && !fringes) continue;
        fonts.setHinting(hinting);
        fonts.setPositions(way.positions);
        // Unhinted text is drawn at any size (PDF viewers scale it freely): in half steps;
        // hinted text at whole sizes.
        const double step = hinting == Hinting::None ? 0.5 : 1;
        for (double ppem = first; ppem <= last; ppem += step) {
            const Drawing drawn = draw(ppem);
            if (drawn.width <= 0 || drawn.height <= 0 || std::abs(drawn.height - height) > 1) continue;
            for (const bool darker : {false, true}) {
                if (darker && !way.darkened) break;
                auto key = std::make_tuple(darker, drawn.width, *drawn.coverage);
                if (std::find(seen.begin(), seen.end(), key) != seen.end()) continue;
                seen.push_back(std::move(key));
                best = std::max(best, weigh(pictureOf(drawn, darker), best));
            }
        }
    }
    return best;
}

// The whole sizes (ppem) from `first` to `last` whose drawing may be `height` pixels tall, when
// each ppem draws it `perPpem` pixels tall unhinted: hinting may make it a pixel taller or
// shorter, so the sizes around are drawn too. `glyphs`, for a text, as it is set.
struct Sizes {
    int first = 0, last = -1;
    int glyphs = 0;
};
Sizes sizesAround(int height, double perPpem) {
    return {std::max(4, int(std::floor(height / perPpem)) - 1), int(std::ceil(height / perPpem)) + 1};
}

// The sizes for a text, from an unhinted trial; none when the font draws nothing.
Sizes sizesFor(FontSystem& fonts, const QString& face, const QString& text, Setting setting, int height,
               TextRaster& drawn) {
    constexpr int kTrialPpem = 32;
    fonts.setHinting(Hinting::None);
    fonts.drawText(fonts.createFont(face, kTrialPpem * 72.0 / 96.0), text, setting, drawn);
    if (drawn.empty()) return {};
    Sizes sizes = sizesAround(height, double(drawn.height) / kTrialPpem);
    sizes.glyphs = drawn.glyphs;
    return sizes;
}

// Draws the text at a size in the font system's hinting, into `drawn`.
auto textAt(FontSystem& fonts, const QString& face, const QString& text, Setting setting, TextRaster& drawn) {
    return [&fonts, &face, &text, setting, &drawn](double ppem) {
        fonts.drawText(fonts.createFont(face, ppem * 72.0 / 96.0), text, setting, drawn);
        return Drawing{drawn.width, drawn.height, &drawn.coverage};
    };
}

}  // namespace

double Session::ownSizeScore(const FontRef& font) {
    const FaceInUse use(*fonts_, font, initialFontCount_ + font.faceIndex);
    if (!use.found || use.registrationFailed) return 0;
    const QString& face = use.face;
    const Character ch = params_.character;
    const int inkHeight = reference_.source.height();
    // Its outline's height in ems gives the size that draws it about inkHeight pixels tall.
    const double ems = fonts_->outlineHeight(fonts_->createFont(face, 12), ch);
    if (!(ems > 0)) return 0;
    const Sizes sizes = sizesAround(inkHeight, ems);
    const auto draw = [&](double ppem) {
        const GlyphRaster& drawn = fonts_->raster(fonts_->createFont(face, ppem * 72.0 / 96.0), ch);
        return Drawing{int(drawn.metrics.blackBoxX), int(drawn.metrics.blackBoxY), &drawn.coverage};
    };
    const auto weighPicture = [&](const QImage& picture, double best) {
        // Taken as it is when the picture was (its paper and ink fit the canvas: under
        // kOwnSizeInk on its own height of paper), else prepared as it was.
        if (reference_.asIs) {
            ownReference_.setPicture(picture);
        } else {
            const PreparedPicture prepared = prepareCharacter(picture, picture.rect(), kDrawing);
            if (prepared.image.isNull()) return 0.0;
            ownReference_.setPicture(prepared.image);
        }
        if (!ownReference_.ok()) return 0.0;
        return weigh(reference_, referenceInk(0), ownReference_.canvas, ownReference_.box, best).score;
    };
    return bestDrawing(*fonts_, fringes_, sizes.first, sizes.last, inkHeight, draw, weighPicture);
}

double Session::ownSizeWordScore(const FontRef& font, double floor) {
    const FaceInUse use(*fonts_, font, initialFontCount_ + font.faceIndex);
    if (!use.found || use.registrationFailed) return 0;
    const QString& face = use.face;
    // The text as given, spaces and all, unless another reading's characters took its place.
    QString unspaced;
    QRect shown;  // the word's ink in the picture
    for (const WordCharacter& c : word_) {
        unspaced += c.character.text();
        shown |= c.reference.source;
    }
    const QString text = QString(lineText_).remove(QLatin1Char(' ')) == unspaced ? lineText_ : unspaced;
    const int n = int(word_.size());
    const Sizes sizes = sizesFor(*fonts_, face, text, Setting::NoLigatures, shown.height(), ownText_);
    std::vector<double> logSizes(static_cast<size_t>(n));
    const auto weighPicture = [&](const QImage& picture, double best) {
        // The drawing is cut into characters and each prepared as the picture's were.
        const std::vector<PreparedPicture> prepared = prepareCharacters(picture, kDrawing);
        if (int(prepared.size()) != n) return 0.0;
        ownWord_.resize(size_t(n));
        double sumLog = 0;
        for (int i = 0; i < n; ++i) {
            Reference& drawn = ownWord_[size_t(i)];
            drawn.setPicture(prepared[size_t(i)].image);
            if (!drawn.ok()) return 0.0;
            // The characters still to weigh score at most 1: once the word cannot beat its other
            // scores, it is weighed no further.
            const double target = std::max(best, floor);
            const double needed = std::exp(n * std::log(std::max(target, 1e-12)) - sumLog);
            const double s =
                weigh(word_[size_t(i)].reference, referenceInk(i), drawn.canvas, drawn.box, needed).score;
            sumLog += std::log(std::max(s, 1e-12));
            if (!(std::exp(sumLog / n) > target)) return 0.0;
            logSizes[size_t(i)] =
                std::log(std::max(prepared[size_t(i)].scale, 1e-9) / std::max(word_[size_t(i)].scale, 1e-9));
        }
        return std::exp(sumLog / n - kSizeWeight * sizeSpread(logSizes));
    };
    return bestDrawing(*fonts_, fringes_, sizes.first, sizes.last, shown.height(),
                       textAt(*fonts_, face, text, Setting::NoLigatures, ownText_), weighPicture);
}

double Session::ownSizeLineScore(const FontRef& font) {
    const FaceInUse use(*fonts_, font, initialFontCount_ + font.faceIndex);
    if (!use.found || use.registrationFailed) return 0;
    const QString& face = use.face;
    const int height = ownLine_.height();
    double best = 0;
    // The drawing prepared as the picture's text was, compared whole, each pixel's ink by its
    // darkness (small text is mostly grey edges).
    const auto weighPicture = [&](const QImage& picture, double) {
        const QImage drawn = prepareLine(picture, 0, QRect(), 0, kDrawing.evenPaper).grey;
        return lettrino::matchLine(ownLine_, drawn, true).score;
    };
    // As the line's search does: with the font's standard ligatures, and without when it has any
    // for the text.
    for (const Setting setting : {Setting::Ligatures, Setting::NoLigatures}) {
        const Sizes sizes = sizesFor(*fonts_, face, lineText_, setting, height, ownText_);
        best = bestDrawing(*fonts_, fringes_, sizes.first, sizes.last, height,
                           textAt(*fonts_, face, lineText_, setting, ownText_), weighPicture, best);
        if (sizes.glyphs == 0 || lineLength_ == sizes.glyphs) break;
    }
    return best;
}

bool Session::looksAtOwnSize() const {
    if (!params_.aspect) return false;
    if (!line_.isNull()) return !ownLine_.isNull();
    if (!word_.empty()) {
        return std::all_of(word_.begin(), word_.end(), [](const WordCharacter& c) {
            return !c.reference.source.isNull() &&
                   std::max(c.reference.source.width(), c.reference.source.height()) < kOwnSizeInk;
        });
    }
    if (reference_.source.isNull()) return false;
    return std::max(reference_.source.width(), reference_.source.height()) < kOwnSizeInk;
}

void Session::lookAtOwnSize(const std::vector<FontRef>& jobs, std::vector<FontResult>& results, int threads) {
    if (!looksAtOwnSize()) return;
    // The best distinct drawings: a library's copies of a font take their original's score.
    std::vector<ResultRow> rows = rankResults(results, 0, 0, RankBy::Aspect);
    rows.erase(std::remove_if(rows.begin(), rows.end(),
                              [&results](const ResultRow& row) { return !results[size_t(row.job)].weighed; }),
               rows.end());
    const std::vector<std::vector<int>> groups = copiesTogether(rows, kOwnSizeFonts);
    const int n = int(groups.size());
    // Each thread claims the next font; each score goes to its own results.
    std::atomic<int> next{0};
    const auto work = [&](Session& session) {
        for (int k = next++; k < n; k = next++) {
            const std::vector<int>& copies = groups[size_t(k)];
            const FontResult& r = results[size_t(copies[0])];
            double own = 0;
            try {
                const FontRef& font = jobs[size_t(copies[0])];
                own = !word_.empty()      ? session.ownSizeWordScore(font, r.aspectScore)
                      : !line_.isNull() ? session.ownSizeLineScore(font)
                                        : session.ownSizeScore(font);
            } catch (...) {
                // A font that cannot be drawn so small keeps the score it has.
            }
            for (const int job : copies)
                results[size_t(job)].aspectScore = std::max(results[size_t(job)].aspectScore, own);
        }
        session.fonts_->setHinting(params_.hinting);
        session.fonts_->setPositions(Positions::Whole);
    };
    std::vector<std::thread> others;
    for (int t = 1; t < std::min(threads, n); ++t) others.push_back(onThreadLike(*this, work));
    work(*this);
    for (std::thread& t : others) t.join();
}

}  // namespace lettrino
