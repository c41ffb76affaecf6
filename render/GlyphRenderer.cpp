#include "render/GlyphRenderer.h"

#include <cmath>

#include "canvas/Canvas.h"
#include "render/FontSystem.h"

namespace lettrino {

namespace {
constexpr int kCentre = 100;
constexpr int kCrossInset = 5;
}  // namespace

InkBox centredBlackBox(int bx, int by) {
    InkBox box;
    box.left = kCentre - bx / 2;
    box.right = box.left + bx - 1;
    box.top = kCentre - by / 2;
    box.bottom = box.top + by - 1;
    return box;
}

double finalSize(double trialPoints, int inkHeight, int blackBoxHeight) {
    if (blackBoxHeight <= 0) return 0;
    // S1 x H is exact in ten-thousandths of a point; the quotient is held to four decimals.
    const long long product = std::llround(trialPoints * 10000.0) * inkHeight;
    return std::nearbyint(double(product) / blackBoxHeight) / 10000.0;
}

double outlineSize(double emHeight, int inkHeight) {
    if (!(emHeight > 0)) return 0;
    // Points at 96 dpi: H pixels are H / emHeight pixels per em.
    return std::nearbyint(inkHeight / emHeight * 72.0 / 96.0 * 10000.0) / 10000.0;
}

bool GlyphRenderer::drawGlyph(const QString& face, double trialPoints, Character ch, int inkHeight,
                              bool clearBeforeDraw, RenderOutcome& out, Sizing sizing) {
    const Font trial = fonts_.createFont(face, trialPoints);
    out.trialPoints = trial.points;
    double points = sizing == Sizing::Outline ? outlineSize(fonts_.outlineHeight(trial, ch), inkHeight) : 0;
    if (points <= 0) {
        const int blackBox = int(fonts_.glyphMetrics(trial, ch).blackBoxY);
        if (blackBox < 1) return false;
        points = finalSize(trial.points, inkHeight, blackBox);
    }
    const Font final = fonts_.createFont(face, points);
    const GlyphMetrics m = fonts_.glyphMetrics(final, ch);
    // A glyph that vanishes at the final size has nothing to place.
    if (m.blackBoxX < 1 || m.blackBoxY < 1) return false;
    out.finalPoints = final.points;
    if (clearBeforeDraw) canvas_.clear();

    const int bx = int(m.blackBoxX), by = int(m.blackBoxY);
    // With the reference point on the baseline, the black box starts at (100 - bx/2, 100 - by/2).
    fonts_.textOut(canvas_, final, kCentre - bx / 2 - m.originX, m.originY - by / 2 + kCentre, ch);

    const InkBox box = out.glyphBox = centredBlackBox(bx, by);
    canvas_.drawRect(box.left, box.top, box.right, box.bottom, kRed);
    out.fontDisplayed = true;
    return true;
}

RenderOutcome GlyphRenderer::displayFont(const FontRef& font, Character ch, const InkBox& reference,
                                         const Hooks& hooks) {
    RenderOutcome out;
    out.filename = font.label();
    if (hooks.filenameShown) hooks.filenameShown(out.filename);

    const bool installed = font.isInstalled();
    if (installed) {
        out.faceName = font.name;
    } else {
        const int before = fonts_.faceCount();
        if (fonts_.addFontResource(font.file) == 0) {
            out.registrationFailed = true;
            if (hooks.cantOpen) hooks.cantOpen(font.file);
        } else {
            out.faceName = fonts_.faceName(before);
        }
    }

    const int inkHeight = reference.bottom - reference.top + 1;
    canvas_.clear();
    const bool drawable = !out.registrationFailed && inkHeight > 0 && ch.isValid();
    if (!drawable || !drawGlyph(out.faceName, inkHeight, ch, inkHeight, false, out)) {
        // No glyph: a black cross over the cleared canvas.
        const int far = Canvas::kOuterSize - kCrossInset;
        canvas_.drawLine(0, 0, far, far, kBlack);
        canvas_.drawLine(0, far, far, 0, kBlack);
        out.drewCross = true;
    }
    if (!installed) fonts_.removeFontResource(font.file);
    return out;
}

FaceInUse::FaceInUse(FontSystem& fonts, const FontRef& font, int faceAt) : fonts_(fonts), font_(font) {
    if (font.isInstalled()) {
        face = font.name;
        return;
    }
    registrationFailed = fonts.addFontResource(font.file) == 0;
    face = fonts.faceName(faceAt);
    if (face.isEmpty()) {
        face = QStringLiteral("Error: Already Installed");
        found = false;
    }
}

FaceInUse::~FaceInUse() {
    if (!font_.isInstalled()) fonts_.removeFontResource(font_.file);
}

RenderOutcome GlyphRenderer::displayFontFast(const FontRef& font, Character ch, const InkBox& reference,
                                             int faceAt, Sizing sizing) {
    RenderOutcome out;
    const FaceInUse use(fonts_, font, faceAt);
    out.registrationFailed = use.registrationFailed;
    out.faceName = use.face;
    out.filename = font.label();

    const int inkHeight = reference.bottom - reference.top + 1;
    if (use.found && inkHeight > 0 && ch.isValid()) drawGlyph(out.faceName, inkHeight, ch, inkHeight, true, out, sizing);
    return out;
}

}  // namespace lettrino
