#pragma once

#include <QString>

#include <functional>
#include <vector>

#include "canvas/Canvas.h"
#include "canvas/InkBox.h"
#include "cli/FontSource.h"
#include "match/Matcher.h"
#include "match/Aspect.h"
#include "match/InkMask.h"
#include "render/GlyphRenderer.h"

namespace lettrino {
class FontSystem;
}

namespace lettrino::cli {

// What matching one font gave.
struct FontResult {
    QString face;             // the face drawn (for a file, the face it registered)
    QString file;             // the font's file, as the job named it
    bool matched = false;     // a glyph was drawn and compared: score holds the match
    bool unreadable = false;  // the font file could not be registered, or failed while drawn
    MatchScore score;
    InkBox glyphBox;         // the drawn glyph's box, when matched
    double aspectScore = 0;  // the match weighed by how well the ink and its proportions agree
    double inkAgreement = 0;    // what the aspect score weighs by (match/Aspect.h)
    double aspectDistance = 0;
};

// The reference a sweep compares against, shared read-only by every worker.
struct Reference {
    const Canvas* canvas = nullptr;
    InkBox box;
};

// Matches fonts one after another the way the window's search run does: the fast renderer
// into a glyph canvas that draws without a persistent image, then the fast match. One
// worker per thread: it owns its glyph canvas and renderer, and uses a font system no
// other thread touches.
class SweepWorker {
public:
    SweepWorker(FontSystem& fonts, const Reference& reference, const QString& charText, int speedup);
    SweepWorker(const SweepWorker&) = delete;
    SweepWorker& operator=(const SweepWorker&) = delete;

    FontResult match(const FontJob& job);

private:
    FontSystem& fonts_;
    Reference reference_;
    AspectReference referenceInk_;
    InkMask glyphInk_;  // reused from font to font
    QString charText_;
    int speedup_;
    int initialFontCount_;  // the face count before this worker registered anything
    Canvas glyph_;
    GlyphRenderer renderer_;
};

struct SweepSettings {
    QString charText = QStringLiteral("A");
    int speedup = 1;
    int jobs = 1;
    int progressIntervalMs = 250;
};

// Called on the calling thread while the sweep runs, and once at its end.
using SweepProgress = std::function<void(int done, int total)>;

// Matches every job on settings.jobs threads and returns the results in the jobs' order.
// The first worker uses `firstFonts` (made by the caller on its own thread, so that
// fontconfig is set up before any worker starts); every other worker makes its own font
// system on its own thread. The caller must not use `firstFonts` until the sweep returns.
std::vector<FontResult> runSweep(FontSystem& firstFonts, const Reference& reference,
                                 const std::vector<FontJob>& jobs, const SweepSettings& settings,
                                 const SweepProgress& progress = {});

}  // namespace lettrino::cli
