#pragma once

#include <QString>

#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "canvas/Canvas.h"
#include "canvas/InkBox.h"
#include "match/Aspect.h"
#include "match/FontResult.h"
#include "match/InkMask.h"
#include "match/Matcher.h"
#include "match/Ranking.h"
#include "render/Character.h"
#include "render/FontRef.h"
#include "render/GlyphRaster.h"
#include "render/GlyphRenderer.h"
#include "render/TextLayout.h"
#include "session/FontSource.h"
#include "session/Reference.h"
#include "session/Screen.h"

namespace lettrino {

class FontSystem;

// What a search is asked to compare: the character and how closely to look.
struct SearchParams {
    // The character drawn.
    Character character = Character::fromCodePoint(U'A');
    // How glyphs are fitted to the pixel grid (render/GlyphRaster.h). The window draws fully
    // hinted, as the font system does by default.
    Hinting hinting = Hinting::Full;
    int speedup = 1;          // 1: every pixel, graded; 2-10: every n-th row and column, exact
    int addThreshold = 800;   // tenths of a percent: a match strictly above earns a results row
    int boldThreshold = 900;  // tenths of a percent: a match reaching it is listed in bold
    bool aspect = false;      // also weigh each match by its shared ink and proportions
    // With aspect, only this many of the best need exact aspect scores (0: every font). A font
    // whose match cannot beat the top-th best score found so far is not weighed: the aspect
    // score never exceeds the match, so it cannot be among them.
    int top = 0;
    // With top: only fonts whose match in percent is at least this count among the best.
    double minPercent = 0;
    // With aspect: a font whose score cannot reach this is not weighed (another search, of
    // another reading of the picture, has already found a font that scores as much).
    double floor = 0;
    // With aspect and top (and no minPercent), in a parallel search: a font is first looked at
    // small (session/Screen.h) and drawn in full only when that look comes near the best.
    bool screen = false;
    // How near: within this share of the top-th best first look.
    double screenMargin = kScreenMargin;
    // Pass over a font file whose own character maps show that it lacks a character, without
    // opening it (FontSystem::fileLacksAnyOf); its face is then not named. The window, which
    // names every font it shows, leaves this off.
    bool passOverLacking = false;
};

// One character of a word the picture shows: its own reference (the character prepared on a
// canvas of its own), the character to draw, and how many canvas pixels one pixel of the picture
// became, so that the sizes a font needs for the characters can be compared.
struct WordCharacter {
    Reference reference;
    Character character;
    double scale = 1;
};

// How much the font sizes that the characters of a word ask for may stray from each other
// before it counts: the score of a word is weighed by exp(-kSizeWeight * s), where s is the
// mean of | ln size(i) - mean ln size |. A font whose letters have the picture's proportions
// to each other (x-height to cap height, ascenders, descenders) asks for one size for all.
constexpr double kSizeWeight = 3.0;
// That s: the mean of | ln size(i) - mean ln size | over the characters' log sizes.
double sizeSpread(const std::vector<double>& logSizes);

// How many of the best fonts for a small character are drawn again at the picture's own size
// (Session::lookAtOwnSize). On the identification set's screen-sized letters the right font is
// first for 96 of 96 with 20 or 30, 93 with 10.
constexpr int kOwnSizeFonts = 20;
// Near-twins (Session::settleNearTwins): how many fonts after the first are looked at, the
// fewest pixels that differ in build to go by, and the share of them as the first's under which
// a twin goes first. On three real-engine sets (540 pictures) this names one word's font right
// and turns no right one wrong.
constexpr int kMostTwins = 8;
constexpr int kTwinVoteLeast = 8;
constexpr double kTwinMajority = 0.5;
// Ink under this many pixels (its longer side) is looked at again at its own size: hinting moves
// a heading's stems by a pixel too. On the real-engine sets, 96 names three more fonts right than
// 40 (a Cairo "g", a tilted "K" and "Q"), 128 none more.
constexpr int kOwnSizeInk = 96;

// The size a text matched whole is first drawn at, to find the size that gives the line's height.
constexpr double kLineTrialPoints = 48;

// One search: the font system, the reference, the glyph canvas and its renderer, and the
// parameters. Both front ends work through it: the window makes one in main() and draws,
// matches and searches through it; lettrino-match runs one per thread. Not copyable, not
// thread-safe (its font system is not): one session per thread.
class Session {
public:
    // Whether the font system lists the installed faces (asking fontconfig for them), or only
    // the font files registered: a search of font folders alone needs no more.
    enum class InstalledFaces { Listed, NotListed };
    explicit Session(InstalledFaces installed = InstalledFaces::Listed);
    // A session for another thread: the same reference and parameters, a font system of its own.
    // Make it on the thread that uses it.
    explicit Session(const Session& like, std::nullptr_t);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    FontSystem& fonts() { return *fonts_; }
    // The face count before anything was registered: a font file's face is the name at this
    // index while it is registered on its own.
    int initialFontCount() const { return initialFontCount_; }

    SearchParams& params() { return params_; }
    const SearchParams& params() const { return params_; }

    Reference& reference() { return reference_; }
    const Reference& reference() const { return reference_; }
    void setReference(const Reference& reference);

    // Matches fonts against a word, character by character, instead of the one reference
    // (matchFont and search; the window's routines keep to the one reference). An empty list
    // goes back to the one reference.
    void setWord(std::vector<WordCharacter> characters);
    const std::vector<WordCharacter>& word() const { return word_; }
    // Another text of as many characters for the same word's pictures: their references and ink
    // are kept (another reading of the same picture). False, and nothing changed, when the
    // count differs.
    bool setWordCharacters(const std::vector<Character>& characters);

    // Matches fonts against a picture of a text as each font sets it (prep/PicturePrep.h
    // prepareLine, match/LineMatch.h), without cutting it into characters, instead of the one
    // reference or a word. A null picture goes back to them. `own`, the text at the picture's
    // own pixels when it is small, is looked at again at its own size (lookAtOwnSize).
    void setLine(const QImage& grey, const QString& text, const QImage& own = QImage());
    bool matchesLine() const { return !line_.isNull(); }
    const QImage& line() const { return line_; }
    // A font's drawing of the text, as matchFont scored it: brought to the picture's size (the
    // line's), with or without ligatures as it scored better. Null when it draws none.
    QImage drawLine(const FontRef& font);
    // Draws character i of the word (or the one character, for i = 0 without a word) with the
    // fast renderer, as matchFont draws it; the glyph canvas then holds it.
    RenderOutcome drawCharacter(const FontRef& font, int i);

    // Whether the picture's text shows the colour fringes of subpixel rendering: small text is
    // then also drawn so when it is looked at again at its own size (lookAtOwnSize).
    void setColourFringes(bool shown) { fringes_ = shown; }

    Canvas& glyphCanvas() { return glyph_; }
    const Canvas& glyphCanvas() const { return glyph_; }
    // The glyph last drawn: whether there is one, and its box (kept from the drawing before
    // when the last one drew nothing).
    bool fontDisplayed() const { return fontDisplayed_; }
    const InkBox& glyphBox() const { return glyphBox_; }

    // The normal renderer (the window's browsing): registers a font file for the call, draws
    // the glyph or the no-glyph cross. The hooks let the window show the file name and the
    // "can't open" message at the moments it shows them.
    RenderOutcome displayFont(const FontRef& font, const GlyphRenderer::Hooks& hooks = {});
    // The search run's renderer: no cross, no message; the face of a file is its first face
    // (or the faceIndex-th of a collection).
    RenderOutcome displayFontFast(const FontRef& font);

    // Compares the glyph drawn last with the reference: row by row (the window animates it),
    // or at once.
    MatchScan matchScan() const;
    MatchScore matchFast() const;

    // Draws one font with the fast renderer and scores it (and weighs it, with params().aspect).
    FontResult matchFont(const FontRef& font, RenderOutcome* drawn = nullptr);

    // A search in two rounds (session/Screen.h), which searchInParallel runs when this is true.
    bool looksFirst() const;
    // The first round's look at a font (r then holds what it got, all of it when the look is
    // kLookSettled), and how near the top-th best look a font's must come.
    double lookFirst(const FontRef& font, FontResult& r);
    double lookMargin() const;
    // The second round's: matchFont for a font the first look let through.
    FontResult matchInFull(const FontRef& font);
    // Around the matches of a search: the glyph canvas draws without a persistent image (every
    // clear goes back to white), and no best scores are known yet; and back.
    void startSearch();
    void finishSearch();

    // Called after each font of a search with its position in the list, what was drawn and
    // what it scored; returning false ends the search after that font.
    using FontDone = std::function<bool(int index, const RenderOutcome& drawn, const FontResult& result)>;
    // The position of the next font to match; one past the end (or more) ends the search.
    using NextFont = std::function<int()>;
    // Runs the jobs at the positions `next` gives through matchFont, between startSearch and
    // finishSearch. Returns the position of the last font matched, -1 when none was.
    int search(const std::vector<FontRef>& jobs, const NextFont& next, const FontDone& done);
    // jobs[from], jobs[from + 1], ... to the end.
    int search(const std::vector<FontRef>& jobs, int from, const FontDone& done);

    // Small ink (screen text, and headings up to kOwnSizeInk) is much its renderer's pixel grid:
    // the kOwnSizeFonts best weighed results of a search of one small character, of a text cut
    // into characters whose every character is small (ink under kOwnSizeInk pixels in the
    // picture), or of a small text matched whole (setLine's `own`), are drawn again with their
    // ink as tall as the picture's, in each way renderers fit glyphs to pixels, prepared as the
    // picture was, and weighed against it; a font keeps the better of its two scores. A library's
    // copies of a font count once and share its score. Nothing is done unless looksAtOwnSize(),
    // which then asks for a search whose top is at least kOwnSizeFonts (or every font).
    bool looksAtOwnSize() const;
    // On `threads` threads, this session's and others made like it.
    void lookAtOwnSize(const std::vector<FontRef>& jobs, std::vector<FontResult>& results, int threads = 1);

    // Near-twins (match/TwinVote.h) are ordered by what tells them apart rather than by the
    // outline they share: of the ranked rows (by score, with aspect, a text cut into characters or
    // one character), the first's near-twins among the next kMostTwins fonts are drawn as matched,
    // and the one whose glyphs the picture sides with where they differ in build (at least
    // kTwinVoteLeast such pixels over the characters, and fewer than kTwinMajority of them as the
    // first's; the fewest) goes first with its copies, the rows renumbered. Its score stays its
    // own.
    void settleNearTwins(const std::vector<FontRef>& jobs, std::vector<ResultRow>& rows);

private:
    // matchFont's kinds: one character, a word character by character, a text whole. They fill
    // r and may throw; matchFont turns a throw into an unreadable font (unlessUnreadable).
    void scoreInFull(const FontRef& font, RenderOutcome* drawn, FontResult& r);
    // Runs match(); a font that makes the engine give up counts as unreadable in r, and the
    // search goes on.
    template <typename Match>
    static void unlessUnreadable(FontResult& r, const Match& match) {
        try {
            match();
        } catch (const std::exception&) {
            r.unreadable = true;
            r.matched = false;
            r.weighed = false;
        }
    }
    // True when the job's file is passed over as lacking a character (passOverLacking), for a
    // character and a word alike.
    bool passOver(const FontRef& font, RenderOutcome* drawn);
    // Notes what drawing a font's character gave (its face and outcome from the first one);
    // false when the font can be matched no further.
    bool noteDrawn(const RenderOutcome& outcome, bool first, RenderOutcome* drawn, FontResult& r);
    void matchCharacter(const FontRef& font, RenderOutcome* drawn, FontResult& r);
    void matchWord(const FontRef& font, RenderOutcome* drawn, FontResult& r);
    void matchLine(const FontRef& font, RenderOutcome* drawn, FontResult& r);
    // Draws and scores the text in one font (registered for the call), hinted as the font system
    // is set: the better of its ligatures and none against the line, or with `look` each
    // character at its advance against the line made small. Fills the outcome and r, and
    // *fitted with the drawing when asked.
    void scoreLine(const FontRef& font, bool look, RenderOutcome& outcome, FontResult& r, QImage* fitted);
    // Whether a font whose score can be at most `bound` can still be among the top, and
    // noting a weighed score among them.
    bool mayReachTop(const FontResult& r, double bound) const;
    void noteWeighed(const FontResult& r);
    const AspectReference& referenceInk(int i);
    // lookFirst's look, once the font is not passed over; may throw.
    double firstLook(const FontRef& font, FontResult& r);
    const ScreenReference& screenReference(int i);
    // A drawing compared with a reference at every pixel, graded, and weighed by its ink: the
    // match and the aspect score (a first look, a character drawn at the picture's own size). A
    // score that must reach `atLeast` to count is not weighed (0) when the match, its bound, is
    // below it.
    struct Weighed {
        double m = 0;
        double score = 0;
    };
    Weighed weigh(const Reference& reference, const AspectReference& ink, const Canvas& drawn, const InkBox& box,
                  double atLeast = 0);
    // A font's best score drawn at the picture's own size (lookAtOwnSize), leaving the font
    // system hinted as it was last asked; 0 when it cannot be drawn so.
    double ownSizeScore(const FontRef& font);
    // The same for a word: the text drawn as the font sets it, cut into its characters and
    // prepared as the picture's were, each weighed against the picture's, with their sizes'
    // agreement, as a word is weighed. A drawing that cannot score above `floor` is not weighed
    // to the end (0 when none can).
    double ownSizeWordScore(const FontRef& font, double floor);
    // The same for a text matched whole: drawn as the font sets it, with its ligatures and
    // without, prepared as the picture's text was and compared with it whole.
    double ownSizeLineScore(const FontRef& font);

    explicit Session(std::unique_ptr<FontSystem> fonts);

    std::unique_ptr<FontSystem> fonts_;
    int initialFontCount_ = 0;
    SearchParams params_;
    Reference reference_;
    std::vector<WordCharacter> word_;
    QImage line_;
    QImage lineLook_;  // the line at its first look's height
    QImage ownLine_;   // the line at its own pixels, when it is small; null otherwise
    QString lineText_;
    bool fringes_ = false;
    int lineLength_ = 0;                     // its characters, spaces included
    std::vector<Character> lineCharacters_;  // its characters but spaces, for passing fonts over
    TextRaster lineRaster_;  // reused from font to font
    // The references' ink, measured on first use: one, or one per character of the word; and
    // their first-look references, made on first use.
    std::vector<std::optional<AspectReference>> referenceInk_;
    std::vector<std::optional<ScreenReference>> screenReferences_;

    InkMask glyphInk_;  // reused from font to font
    // A word's per-character ink, matches, bounds and log sizes, reused from font to font.
    std::vector<InkMask> wordInk_;
    std::vector<double> wordMatches_;
    std::vector<double> wordBounds_;
    std::vector<double> wordLogSizes_;
    std::vector<Character> passOverCharacters_;
    Canvas glyph_;
    Reference ownReference_;  // a character drawn at the picture's own size, prepared as it was
    TextRaster ownText_;      // a word drawn at the picture's own size
    std::vector<Reference> ownWord_;  // its characters, prepared as the picture's were
    GlyphRenderer renderer_;
    bool fontDisplayed_ = false;
    InkBox glyphBox_{0, 0, 0, 0};
    // The top best aspect scores, and first looks, seen in this search, while params().top is set.
    TopScores best_;
    TopScores screenBest_;
};

// Runs work(session) on a new thread, with a session made there like `like` (Session(like,
// nullptr)); returns once that session is made, so that `like` may change from then on.
std::thread onThreadLike(const Session& like, std::function<void(Session&)> work);

// Called on the calling thread while a parallel search runs, and once at its end.
using SearchProgress = std::function<void(int done, int total)>;

// Matches every job on `threads` threads (one session each) and returns the results in the
// jobs' order. The first thread uses `first` (made by the caller on its own thread, so that
// fontconfig is set up before any other starts); every other makes its own session on its own
// thread, like `first`. The caller must not use `first` until the search returns.
std::vector<FontResult> searchInParallel(Session& first, const std::vector<FontRef>& jobs, int threads,
                                         const SearchProgress& progress = {}, int progressIntervalMs = 250);

}  // namespace lettrino
