#include "session/Session.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "match/LineMatch.h"
#include "render/FontSystem.h"

namespace lettrino {

double sizeSpread(const std::vector<double>& logSizes) {
    const double n = double(logSizes.size());
    double meanLog = 0;
    for (const double l : logSizes) meanLog += l / n;
    double spread = 0;
    for (const double l : logSizes) spread += std::fabs(l - meanLog) / n;
    return spread;
}

Session::Session(InstalledFaces installed)
    : Session(installed == InstalledFaces::Listed ? std::make_unique<FontSystem>()
                                                  : std::make_unique<FontSystem>(std::vector<FaceEntry>())) {}

Session::Session(std::unique_ptr<FontSystem> fonts)
    : fonts_(std::move(fonts)), initialFontCount_(fonts_->faceCount()), renderer_(*fonts_, glyph_) {}

Session::Session(const Session& like, std::nullptr_t)
    : Session(std::make_unique<FontSystem>(like.fonts_->installedFaces())) {
    params_ = like.params_;
    setReference(like.reference_);
    setWord(like.word_);
    setLine(like.line_, like.lineText_, like.ownLine_);
    fringes_ = like.fringes_;
}

Session::~Session() = default;

void Session::setReference(const Reference& reference) {
    reference_ = reference;
    referenceInk_.assign(std::max<size_t>(1, word_.size()), std::nullopt);
    screenReferences_.assign(std::max<size_t>(1, word_.size()), std::nullopt);
}

void Session::setWord(std::vector<WordCharacter> characters) {
    word_ = std::move(characters);
    referenceInk_.assign(std::max<size_t>(1, word_.size()), std::nullopt);
    screenReferences_.assign(std::max<size_t>(1, word_.size()), std::nullopt);
    wordInk_.resize(word_.size());
}

bool Session::setWordCharacters(const std::vector<Character>& characters) {
    if (characters.size() != word_.size()) return false;
    for (std::size_t i = 0; i < characters.size(); ++i) word_[i].character = characters[i];
    return true;
}

void Session::setLine(const QImage& grey, const QString& text, const QImage& own) {
    line_ = grey.isNull() ? QImage() : grey.convertToFormat(QImage::Format_Grayscale8);
    ownLine_ = line_.isNull() || own.isNull() ? QImage() : own.convertToFormat(QImage::Format_Grayscale8);
    lineLook_ = line_.height() > kScreenLineHeight
                    ? line_.scaledToHeight(kScreenLineHeight, Qt::SmoothTransformation)
                    : line_;
    lineText_ = text;
    const QList<uint> codes = text.toUcs4();
    lineLength_ = int(codes.size());
    lineCharacters_.clear();
    for (const uint u : codes)
        if (!QChar::isSpace(u)) lineCharacters_.push_back(Character::fromCodePoint(u));
}

const AspectReference& Session::referenceInk(int i) {
    if (referenceInk_.size() <= size_t(i)) referenceInk_.resize(size_t(i) + 1);
    std::optional<AspectReference>& ink = referenceInk_[size_t(i)];
    if (!ink) {
        const Reference& ref = word_.empty() ? reference_ : word_[size_t(i)].reference;
        ink = AspectReference(inkMask(ref.canvas, ref.box));
    }
    return *ink;
}

RenderOutcome Session::drawCharacter(const FontRef& font, int i) {
    if (word_.empty()) return displayFontFast(font);
    fonts_->setHinting(params_.hinting);
    const WordCharacter& c = word_.at(size_t(i));
    const RenderOutcome out = renderer_.displayFontFast(font, c.character, c.reference.box,
                                                        initialFontCount_ + font.faceIndex);
    fontDisplayed_ = out.fontDisplayed;
    if (out.fontDisplayed) glyphBox_ = out.glyphBox;
    return out;
}

bool Session::mayReachTop(const FontResult& r, double bound) const {
    const bool counted = r.score.m * 100.0 >= params_.minPercent;
    return bound >= params_.floor && !(counted && best_.full() && bound < best_.least());
}

void Session::noteWeighed(const FontResult& r) {
    if (r.score.m * 100.0 >= params_.minPercent) best_.note(r.aspectScore);
}

Session::Weighed Session::weigh(const Reference& reference, const AspectReference& ink, const Canvas& drawn,
                                const InkBox& box, double atLeast) {
    const double m = lettrino::matchFast(reference.canvas, reference.box, drawn, box, 1).m;
    if (m < atLeast) return {m, 0};
    measureInk(drawn, box, glyphInk_);
    return {m, ink.score(m, glyphInk_).score};
}

RenderOutcome Session::displayFont(const FontRef& font, const GlyphRenderer::Hooks& hooks) {
    fonts_->setHinting(params_.hinting);
    const RenderOutcome out = renderer_.displayFont(font, params_.character, reference_.box, hooks);
    fontDisplayed_ = out.fontDisplayed;
    if (out.fontDisplayed) glyphBox_ = out.glyphBox;
    return out;
}

RenderOutcome Session::displayFontFast(const FontRef& font) {
    fonts_->setHinting(params_.hinting);
    const RenderOutcome out =
        renderer_.displayFontFast(font, params_.character, reference_.box, initialFontCount_ + font.faceIndex);
    fontDisplayed_ = out.fontDisplayed;
    if (out.fontDisplayed) glyphBox_ = out.glyphBox;
    return out;
}

MatchScan Session::matchScan() const {
    return MatchScan(reference_.canvas, reference_.box, glyph_, glyphBox_, params_.speedup);
}

MatchScore Session::matchFast() const {
    return lettrino::matchFast(reference_.canvas, reference_.box, glyph_, glyphBox_, params_.speedup);
}

FontResult Session::matchFont(const FontRef& font, RenderOutcome* drawn) {
    FontResult r;
    r.file = font.file;
    unlessUnreadable(r, [&] {
        if (!passOver(font, drawn)) scoreInFull(font, drawn, r);
    });
    return r;
}

FontResult Session::matchInFull(const FontRef& font) {
    FontResult r;
    r.file = font.file;
    unlessUnreadable(r, [&] { scoreInFull(font, nullptr, r); });
    return r;
}

void Session::scoreInFull(const FontRef& font, RenderOutcome* drawn, FontResult& r) {
    if (!line_.isNull())
        matchLine(font, drawn, r);
    else if (word_.empty())
        matchCharacter(font, drawn, r);
    else
        matchWord(font, drawn, r);
}

bool Session::passOver(const FontRef& font, RenderOutcome* drawn) {
    if (!params_.passOverLacking) return false;
    std::vector<Character>& characters = passOverCharacters_;
    characters.clear();
    if (!line_.isNull()) {
        characters = lineCharacters_;
    } else if (word_.empty()) {
        characters.push_back(params_.character);
    }
    for (const WordCharacter& c : word_) characters.push_back(c.character);
    if (!fonts_->fileLacksAnyOf(font.file, font.faceIndex, characters)) return false;
    if (drawn) {
        *drawn = RenderOutcome();
        drawn->filename = font.label();
    }
    return true;
}

bool Session::noteDrawn(const RenderOutcome& outcome, bool first, RenderOutcome* drawn, FontResult& r) {
    if (first) {
        r.face = outcome.faceName;
        if (drawn) *drawn = outcome;
    }
    r.unreadable = outcome.registrationFailed;
    return !outcome.registrationFailed && outcome.fontDisplayed;
}

void Session::matchCharacter(const FontRef& font, RenderOutcome* drawn, FontResult& r) {
    const RenderOutcome outcome = displayFontFast(font);
    if (!noteDrawn(outcome, true, drawn, r)) return;
    r.score = matchFast();
    r.glyphBox = outcome.glyphBox;
    r.matched = true;
    if (!params_.aspect) return;

    // The aspect score never exceeds the match: a font whose match is below the top-th best
    // score so far cannot be among the top.
    if (!mayReachTop(r, r.score.m)) return;
    measureInk(glyph_, outcome.glyphBox, glyphInk_);
    const AspectScore aspect = referenceInk(0).score(r.score.m, glyphInk_);
    r.aspectScore = aspect.score;
    r.inkAgreement = aspect.agreement;
    r.aspectDistance = aspect.aspectDistance;
    r.weighed = true;
    noteWeighed(r);
}

void Session::matchWord(const FontRef& font, RenderOutcome* drawn, FontResult& r) {
    const int n = int(word_.size());
    std::vector<double>& m = wordMatches_;
    std::vector<double>& bounds = wordBounds_;
    std::vector<double>& logSizes = wordLogSizes_;
    m.assign(size_t(n), 0.0);
    bounds.assign(size_t(n), 1.0);
    logSizes.assign(size_t(n), 0.0);
    // A word's score is the geometric mean of its characters' aspect scores, each at most its
    // match, at most what its proportions allow, and at most 1: the bound of the characters
    // known so far and 1 for the rest. Once it keeps the word below the top-th best score, the
    // rest is neither drawn nor measured. The ink agreement, the dearest part, comes last.
    double sumX = 0, sumY = 0, sumM = 0, sumLogBound = 0;
    int drawnCharacters = 0;
    // The bound is summed in another order than the score: a hair of slack keeps a font that
    // ties the top-th best.
    const auto mayReach = [&](double logBound) {
        r.score.m = sumM / drawnCharacters;
        return mayReachTop(r, std::exp(logBound / n) * (1 + 1e-9));
    };
    for (int i = 0; i < n; ++i) {
        const RenderOutcome outcome = drawCharacter(font, i);
        if (!noteDrawn(outcome, i == 0, drawn, r)) return;
        const WordCharacter& c = word_[size_t(i)];
        const MatchScore score = lettrino::matchFast(c.reference.canvas, c.reference.box, glyph_, outcome.glyphBox,
                                                     params_.speedup);
        if (i == 0) r.glyphBox = outcome.glyphBox;
        logSizes[size_t(i)] = std::log(std::max(outcome.finalPoints, 1e-4) / std::max(c.scale, 1e-9));
        m[size_t(i)] = score.m;
        sumM += score.m;
        sumX += score.xRatio;
        sumY += score.yRatio;
        ++drawnCharacters;
        if (!params_.aspect) continue;
        if (!mayReach(sumLogBound + std::log(std::max(score.m, 1e-12)))) break;
        // The glyph canvas holds one character at a time: its ink is kept for the weighing.
        measureInk(glyph_, outcome.glyphBox, wordInk_[size_t(i)]);
        bounds[size_t(i)] = std::max(referenceInk(i).bound(score.m, wordInk_[size_t(i)]), 1e-12);
        sumLogBound += std::log(bounds[size_t(i)]);
        if (!mayReach(sumLogBound)) break;
    }
    r.score.m = sumM / drawnCharacters;
    r.score.xRatio = sumX / drawnCharacters;
    r.score.yRatio = sumY / drawnCharacters;
    r.matched = true;
    // A word cut short keeps the match of the characters it drew and is not weighed.
    if (!params_.aspect || drawnCharacters < n || !mayReach(sumLogBound)) return;

    const double spread = sizeSpread(logSizes);
    r.sizeSpread = spread;
    // The characters' bounds give way to their scores one by one.
    const double logSizeWeight = -kSizeWeight * spread;
    double sumLogScore = 0, unweighedLogBound = sumLogBound, sumAgreement = 0, sumDistance = 0;
    for (int i = 0; i < n; ++i) {
        if (!mayReach(sumLogScore + unweighedLogBound + logSizeWeight * n)) return;
        const AspectScore aspect = referenceInk(i).score(m[size_t(i)], wordInk_[size_t(i)]);
        sumLogScore += std::log(std::max(aspect.score, 1e-12));
        unweighedLogBound -= std::log(bounds[size_t(i)]);
        sumAgreement += aspect.agreement;
        sumDistance += aspect.aspectDistance;
    }
    const double score = std::exp(sumLogScore / n) * std::exp(logSizeWeight);
    if (!mayReachTop(r, score)) return;
    r.aspectScore = score;
    r.inkAgreement = sumAgreement / n;
    r.aspectDistance = sumDistance / n;
    r.weighed = true;
    noteWeighed(r);
}

void Session::matchLine(const FontRef& font, RenderOutcome* drawn, FontResult& r) {
    RenderOutcome outcome;
    fonts_->setHinting(params_.hinting);
    scoreLine(font, false, outcome, r, nullptr);
    if (!noteDrawn(outcome, true, drawn, r)) return;
    r.matched = true;
    r.weighed = params_.aspect;
    if (!params_.aspect) r.aspectScore = 0;
}

QImage Session::drawLine(const FontRef& font) {
    RenderOutcome outcome;
    FontResult r;
    QImage fitted;
    fonts_->setHinting(params_.hinting);
    scoreLine(font, false, outcome, r, &fitted);
    return fitted;
}

void Session::scoreLine(const FontRef& font, bool look, RenderOutcome& outcome, FontResult& r, QImage* fitted) {
    outcome.filename = font.label();
    const FaceInUse use(*fonts_, font, initialFontCount_ + font.faceIndex);
    outcome.registrationFailed = use.registrationFailed;
    outcome.faceName = use.face;
    // The font is drawn at a trial size, then at the size that gives the picture's ink height;
    // with its standard ligatures and without, when it has any for the text, the better counts.
    // A first look sets each character at its advance, small, and is compared as drawn at the
    // trial size (the comparison brings it to the line's size).
    const QImage& line = look ? lineLook_ : line_;
    const double trialPoints = look ? kScreenTrialPoints : kLineTrialPoints;
    static constexpr Setting kSettings[] = {Setting::Ligatures, Setting::NoLigatures, Setting::Advances};
    const int inkHeight = line.height();
    double best = -1;
    for (int k = look ? 2 : 0; k < (look ? 3 : 2); ++k) {
        const Setting setting = kSettings[k];
        if (use.registrationFailed || !use.found) break;
        TextRaster& raster = lineRaster_;
        fonts_->drawText(fonts_->createFont(use.face, trialPoints), lineText_, setting, raster);
        if (raster.empty()) break;
        const int glyphs = raster.glyphs;
        const double points = look ? trialPoints : trialPoints * inkHeight / raster.height;
        if (!look) fonts_->drawText(fonts_->createFont(use.face, points), lineText_, setting, raster);
        if (raster.empty()) break;
        const LineScore s = lettrino::matchLine(line, raster);
        if (s.score > best) {
            best = s.score;
            outcome.fontDisplayed = true;
            outcome.trialPoints = trialPoints;
            outcome.finalPoints = points;
            r.score.m = s.m;
            r.score.xRatio = s.stretch;
            r.score.yRatio = 1;
            r.aspectScore = s.score;
            r.inkAgreement = s.m;
            r.aspectDistance = std::fabs(std::log(s.stretch));
            if (fitted) *fitted = fittedText(raster, line.width(), line.height());
        }
        // Without ligatures the text sets the same glyphs when it has none to set.
        if (setting != Setting::Ligatures || lineLength_ == glyphs) break;
    }
}

void Session::startSearch() {
    // Start from a clear canvas, then draw straight to the screen layer, so that every clear
    // goes back to white.
    glyph_.clear();
    glyph_.setAutoRedraw(false);
    best_.reset(params_.top);
    screenBest_.reset(params_.top, true);
}

void Session::finishSearch() {
    glyph_.setAutoRedraw(true);
}

int Session::search(const std::vector<FontRef>& jobs, const NextFont& next, const FontDone& done) {
    startSearch();
    int last = -1;
    RenderOutcome drawn;
    for (int i = next(); i >= 0 && i < int(jobs.size()); i = next()) {
        const FontResult result = matchFont(jobs[size_t(i)], &drawn);
        last = i;
        if (done && !done(i, drawn, result)) break;
    }
    finishSearch();
    return last;
}

int Session::search(const std::vector<FontRef>& jobs, int from, const FontDone& done) {
    int position = std::max(0, from);
    return search(
        jobs, [&position] { return position++; }, done);
}

}  // namespace lettrino
