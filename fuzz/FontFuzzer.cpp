// Font-file bytes, written to a file, registered with the font system, measured and drawn
// for every character code at a few sizes, and unregistered again; the quick look at the
// file's character maps must never pass over a code its one face draws.

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "canvas/Canvas.h"
#include "canvas/InkBox.h"
#include "render/FontSystem.h"
#include "render/GlyphRenderer.h"

using namespace lettrino;

namespace {

[[noreturn]] void fail(const char* what, int code = -1) {
    std::fprintf(stderr, "font_fuzzer: %s (code %d)\n", what, code);
    std::abort();
}

constexpr double kSizes[] = {7, 57, 190};
// A collection can hold many faces; a few tell as much as all of them.
constexpr int kFacesTried = 4;
constexpr std::int64_t kPixelBudget = 4 * FontSystem::kMaxGlyphPixels;

// Scanning the whole canvas after every glyph would cost more than drawing it: check a sample.
bool checked(int code) {
    return code % 8 == 1 || code == 'A' || code == 'g' || code == 0xE9;
}

QTemporaryDir* folder = nullptr;
FontSystem* fonts = nullptr;
unsigned serial = 0;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    static QTemporaryDir files;  // removed, with what is left in it, when the process ends
    folder = &files;
    fonts = new FontSystem;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A fresh name each time: a file is never rewritten under a face the system still has open.
    const QString path = folder->filePath(QStringLiteral("f%1.ttf").arg(++serial));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly)) fail("cannot write the temporary font file");
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }

    const int before = fonts->faceCount();
    const int added = fonts->addFontResource(path);
    if (added < 0 || fonts->faceCount() != before + added)
        fail("face count does not follow the registration");

    Canvas canvas;
    // A font with a tiny em draws enormous glyphs (each up to FontSystem::kMaxGlyphPixels);
    // a few of them tell as much as 768, so the pixels drawn per input are capped.
    std::int64_t pixelsDrawn = 0;
    bool drawn[256] = {};
    for (int i = 0; i < added && i < kFacesTried && pixelsDrawn < kPixelBudget; ++i) {
        const QString face = fonts->faceName(before + i);
        if (face.isEmpty()) fail("a registered face without a name");
        for (double points : kSizes) {
            if (pixelsDrawn >= kPixelBudget) break;
            const Font font = fonts->createFont(face, points);
            for (int code = 0; code < 256; ++code) {
                const Character ch = Character::fromByteCode(code);
                const GlyphMetrics m = fonts->glyphMetrics(font, ch);
                if ((m.blackBoxX == 0) != (m.blackBoxY == 0)) fail("black box empty one way only", code);
                const int bx = int(m.blackBoxX), by = int(m.blackBoxY);
                drawn[code] |= i == 0 && bx > 0;
                pixelsDrawn += std::int64_t(bx) * by;
                if (pixelsDrawn >= kPixelBudget) break;
                canvas.clear();
                fonts->textOut(canvas, font, 100 - bx / 2 - m.originX, m.originY - by / 2 + 100, ch);
                if (points != 57 || !checked(code) || bx == 0 || bx > Canvas::kSize || by > Canvas::kSize)
                    continue;
                // The ink lands exactly on the black box that the metrics promised.
                const InkBox ink = scanInkBox(canvas);
                if (ink != centredBlackBox(bx, by)) fail("drawn ink differs from the black box", code);
            }
        }
    }

    if (added == 1)
        for (int code = 0; code < 256; ++code)
            if (drawn[code] && fonts->fileLacksAnyOf(path, 0, {Character::fromByteCode(code)}))
                fail("a drawn code passed over", code);

    // The renderer's own path: register, size to a reference, draw, unregister.
    GlyphRenderer renderer(*fonts, canvas);
    for (const InkBox reference : {InkBox{20, 30, 150, 176}, InkBox{100, 100, 100, 100}}) {
        renderer.displayFont(FontRef::fontFile(path), Character::fromCodePoint(U'g'), reference);
        renderer.displayFontFast(FontRef::fontFile(path), Character::fromCodePoint(U'A'), reference, before);
    }

    // The text as the font sets it, with its ligatures and without, and at its advances.
    if (added > 0) {
        TextRaster text;
        for (const Setting setting : {Setting::Ligatures, Setting::NoLigatures, Setting::Advances}) {
            fonts->drawText(fonts->createFont(fonts->faceName(before), 40), QStringLiteral("fjord Kayak"), setting, text);
            if (!text.empty() && text.coverage.size() != std::size_t(text.width) * std::size_t(text.height))
                fail("a text raster of the wrong size");
        }
    }

    fonts->removeFontResource(path);
    if (fonts->faceCount() != before) fail("faces left registered after removal");
    QFile::remove(path);
    return 0;
}
