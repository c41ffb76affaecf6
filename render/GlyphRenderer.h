#pragma once

#include <QString>

#include <functional>

#include "canvas/InkBox.h"
#include "render/Character.h"
#include "render/FontRef.h"

namespace lettrino {

class Canvas;
class FontSystem;

// What rendering one font produced, for the window to show.
struct RenderOutcome {
    bool fontDisplayed = false;   // a glyph was drawn; glyphBox holds its black box
    InkBox glyphBox;              // only meaningful when fontDisplayed
    QString filename;             // FontFilenameText: the font's label (FontRef::label)
    QString faceName;             // FontFontnameText
    bool registrationFailed = false;  // the font file could not be registered
    bool drewCross = false;           // the no-glyph cross was drawn (normal renderer only)
    double trialPoints = 0;           // S1: the trial size as the font reports it
    double finalPoints = 0;           // S2, 0 when no glyph

    // The Font Info labels: the glyph box's, or zeros when no glyph was drawn. Made only when
    // asked for: a search of thousands of fonts shows few of them.
    QString topText() const { return fontDisplayed ? glyphBox.topText() : QStringLiteral("0 pixels"); }
    QString leftText() const { return fontDisplayed ? glyphBox.leftText() : QStringLiteral("0 pixels"); }
    QString sizeText() const { return fontDisplayed ? glyphBox.sizeText() : QStringLiteral("0 x 0 pixels"); }
};

// Where a black box of bx x by pixels lands when centred on (100, 100), halves truncated:
// width 40 gives columns 80-119, width 41 columns 80-120.
InkBox centredBlackBox(int bx, int by);

// How the size a glyph is drawn at is found. Trial: drawn at H points first, then at
// S2 = (S1 x H) / B, B its black box's height at H. Outline: at the size that makes the height of
// its outline (unhinted, unrendered) H pixels, then drawn once; a face without outlines is tried.
enum class Sizing { Trial, Outline };

// S2 = (S1 x H) / B, S1 x H in fixed point with four decimals, the result held to four decimals.
double finalSize(double trialPoints, int inkHeight, int blackBoxHeight);

// A font made drawable for the length of a call: an installed face by its name, or a font file
// registered until the object goes, its face the one at faceAt (the face count before it was
// registered, plus the face's index in a collection).
class FaceInUse {
public:
    FaceInUse(FontSystem& fonts, const FontRef& font, int faceAt);
    ~FaceInUse();
    FaceInUse(const FaceInUse&) = delete;
    FaceInUse& operator=(const FaceInUse&) = delete;

    QString face;  // the name to draw with; "Error: Already Installed" when no face is at faceAt
    bool registrationFailed = false;
    bool found = true;  // a face is at faceAt (always, for an installed face)

private:
    FontSystem& fonts_;
    const FontRef& font_;
};

// Draws one font's character into the glyph canvas, sized to the reference ink height and
// centred on (100, 100), with its red box outline.
class GlyphRenderer {
public:
    GlyphRenderer(FontSystem& fonts, Canvas& glyphCanvas) : fonts_(fonts), canvas_(glyphCanvas) {}

    // Called by displayFont right after the file name is known (the window repaints its label
    // there), and when a font file cannot be registered (the window shows its message there,
    // before anything is drawn).
    struct Hooks {
        std::function<void(const QString& filename)> filenameShown;
        std::function<void(const QString& path)> cantOpen;
    };

    // The normal renderer: registers a font file for the call, clears the canvas, and
    // draws the glyph and its box, or a black cross when there is no glyph (also when the
    // file cannot be registered, or the character or the reference ink is missing).
    RenderOutcome displayFont(const FontRef& font, Character ch, const InkBox& reference,
                              const Hooks& hooks = {});

    // The search run's renderer: the same glyph, box and labels; the face of a font file is
    // the name at faceAt (the face count before it was registered, plus the face's index in a
    // collection); no cross, and the canvas is left as it was, when there
    // is no glyph.
    RenderOutcome displayFontFast(const FontRef& font, Character ch, const InkBox& reference, int faceAt,
                                  Sizing sizing = Sizing::Trial);

private:
    // Sizes, draws and outlines the glyph once the face is known and the canvas prepared.
    // clearBeforeDraw: clear after choosing the final size (the fast renderer's order).
    bool drawGlyph(const QString& face, double trialPoints, Character ch, int inkHeight,
                   bool clearBeforeDraw, RenderOutcome& out, Sizing sizing = Sizing::Trial);

    FontSystem& fonts_;
    Canvas& canvas_;
};

}  // namespace lettrino
