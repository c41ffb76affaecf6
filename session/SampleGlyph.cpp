#include "session/SampleGlyph.h"

#include <QVector>

#include "canvas/Canvas.h"
#include "canvas/InkBox.h"
#include "render/FontSystem.h"
#include "render/GlyphRenderer.h"

namespace lettrino {

namespace {

constexpr int kMaxRounds = 8;

QImage greyImage(const Canvas& canvas, int size) {
    QImage image(size, size, QImage::Format_Indexed8);
    QVector<QRgb> greys(256);
    for (int g = 0; g < 256; ++g) greys[g] = qRgb(g, g, g);
    image.setColorTable(greys);
    image.fill(255);
    const int n = std::min(size, int(Canvas::kSize));
    for (int y = 0; y < n; ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < n; ++x) line[x] = uchar(canvas.red(x, y));
    }
    return image;
}

}  // namespace

QImage drawSampleGlyph(FontSystem& fonts, const FontRef& font, Character ch, int inkHeight,
                       int imageSize, QString* error) {
    auto fail = [error](const QString& why) {
        if (error) *error = why;
        return QImage();
    };
    if (inkHeight < 1 || inkHeight > Canvas::kSize) return fail(QStringLiteral("ink height out of range"));
    if (imageSize < 1) return fail(QStringLiteral("image size out of range"));

    const int initialFontCount = fonts.faceCount();
    Canvas canvas;
    GlyphRenderer renderer(fonts, canvas);
    int height = inkHeight;
    for (int round = 0; round < kMaxRounds; ++round) {
        InkBox reference;
        reference.top = 100 - height / 2;
        reference.bottom = reference.top + height - 1;
        reference.left = reference.top;
        reference.right = reference.bottom;
        canvas.clear();
        const RenderOutcome out =
            renderer.displayFontFast(font, ch, reference,
                                     initialFontCount + font.faceIndex);
        if (out.registrationFailed) return fail(QStringLiteral("cannot read %1").arg(font.file));
        if (!out.fontDisplayed)
            return fail(QStringLiteral("%1 has no glyph for \"%2\"").arg(out.faceName, ch.text()));
        const int drawn = out.glyphBox.bottom - out.glyphBox.top + 1;
        if (drawn != height && round + 1 < kMaxRounds) {
            height = drawn;
            continue;
        }
        // The outline is drawn with the not-xor pen: drawing it again takes it off.
        canvas.drawRect(out.glyphBox.left, out.glyphBox.top, out.glyphBox.right, out.glyphBox.bottom, kRed);
        if (drawn != height) return fail(QStringLiteral("the glyph's height does not settle"));
        return greyImage(canvas, imageSize);
    }
    return fail(QStringLiteral("the glyph's height does not settle"));
}

}  // namespace lettrino
