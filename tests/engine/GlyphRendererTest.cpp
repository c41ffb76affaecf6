#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "TestFonts.h"
#include "canvas/Canvas.h"
#include "canvas/InkBox.h"
#include "render/FontSystem.h"
#include "render/GlyphRenderer.h"

using namespace lettrino;
using lettrino::testing::samePixels;

namespace {
const InkBox kReference{20, 30, 150, 176};  // ink height 157

// The ink box of a rendered glyph: the canvas with the red outline taken off again.
InkBox inkOf(Canvas& c, const InkBox& outline) {
    c.drawRect(outline.left, outline.top, outline.right, outline.bottom, kRed);
    const InkBox ink = scanInkBox(c);
    c.drawRect(outline.left, outline.top, outline.right, outline.bottom, kRed);
    return ink;
}
}  // namespace

TEST(GlyphRenderer, SizingArithmetic) {
    EXPECT_DOUBLE_EQ(finalSize(57, 57, 50), 64.98);
    EXPECT_DOUBLE_EQ(finalSize(100, 100, 70), 142.8571);
    EXPECT_DOUBLE_EQ(finalSize(3, 3, 7), 1.2857);
    EXPECT_DOUBLE_EQ(finalSize(57, 57, 0), 0);
}

TEST(GlyphRenderer, BlackBoxCentringTruncatesHalves) {
    const InkBox even = centredBlackBox(40, 60);
    EXPECT_EQ(even, (InkBox{70, 80, 119, 129}));
    EXPECT_EQ(even.topText(), "70 pixels");
    EXPECT_EQ(even.leftText(), "80 pixels");
    EXPECT_EQ(even.sizeText(), "39 x 59 pixels");
    EXPECT_EQ(centredBlackBox(41, 1), (InkBox{100, 80, 120, 100}));
}

TEST(GlyphRenderer, CharacterCodes) {
    EXPECT_EQ(charCodeOf("A"), 65);
    EXPECT_EQ(charCodeOf("AB"), 65);
    EXPECT_EQ(charCodeOf(""), -1);
    EXPECT_EQ(charCodeOf(QString(QChar(0x20AC))), 0x80);
    EXPECT_EQ(charCodeOf(QString(QChar(0x0101))), -1);
}

TEST(GlyphRenderer, GlyphIsAsTallAsTheReferenceAndItsBoxIsItsInk) {
    REQUIRE_FACE(file, "DejaVu Sans");
    FontSystem fonts;
    Canvas c;
    GlyphRenderer r(fonts, c);
    for (const char* ch : {"A", "g", "H", "i"}) {
        const RenderOutcome out = r.displayFont("DejaVu Sans", kInstalledMarker, ch, kReference);
        ASSERT_TRUE(out.fontDisplayed) << ch;
        EXPECT_EQ(out.faceName, "DejaVu Sans");
        EXPECT_DOUBLE_EQ(out.trialPoints, 157);
        EXPECT_NEAR(out.glyphBox.height() + 1, 157, 3) << ch;
        EXPECT_EQ(inkOf(c, out.glyphBox), out.glyphBox) << ch;
        EXPECT_EQ(out.glyphBox, centredBlackBox(out.glyphBox.width() + 1, out.glyphBox.height() + 1));
        EXPECT_EQ(out.sizeText, out.glyphBox.sizeText());
        // the outline is on the canvas: its corners are red over white or cyan over black
        EXPECT_EQ(c.red(out.glyphBox.left, out.glyphBox.top) == 255 ? c.getPixel(out.glyphBox.left, out.glyphBox.top) : 0xFF,
                  0xFF);
    }
}

TEST(GlyphRenderer, FastRendererDrawsTheSameGlyphBoxAndLabels) {
    REQUIRE_FACE(file, "Liberation Serif");
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::copy(file, dir.filePath("serif.ttf")));
    FontSystem fonts;
    const int initial = fonts.faceCount();
    Canvas normal, fast;
    fast.setAutoRedraw(false);
    GlyphRenderer rn(fonts, normal), rf(fonts, fast);
    const QString folder = dir.path() + "/";
    for (const auto& [entry, prefix] : {std::pair{QString("Liberation Serif"), kInstalledMarker},
                                        std::pair{QString("serif.ttf"), folder}}) {
        for (const char* ch : {"Q", "&", "y"}) {
            const RenderOutcome a = rn.displayFont(entry, prefix, ch, kReference);
            const RenderOutcome b = rf.displayFontFast(entry, prefix, ch, kReference, initial);
            ASSERT_TRUE(a.fontDisplayed && b.fontDisplayed) << qPrintable(entry) << ch;
            EXPECT_EQ(a.faceName, "Liberation Serif");
            EXPECT_EQ(b.faceName, a.faceName);
            EXPECT_EQ(b.filename, entry);
            EXPECT_EQ(b.glyphBox, a.glyphBox);
            EXPECT_EQ(b.topText, a.topText);
            EXPECT_EQ(b.sizeText, a.sizeText);
            EXPECT_DOUBLE_EQ(b.finalPoints, a.finalPoints);
            EXPECT_TRUE(samePixels(normal.pixels(), fast.pixels()));
        }
    }
    EXPECT_EQ(fonts.faceCount(), initial) << "every registration was removed";
}

TEST(GlyphRenderer, NoGlyphDrawsTheCrossAndZeroLabels) {
    REQUIRE_FACE(file, "DejaVu Sans");
    FontSystem fonts;
    Canvas c;
    GlyphRenderer r(fonts, c);
    const InkBox noInk{201, 201, 0, 0};
    const struct {
        const char* ch;
        InkBox reference;
    } cases[] = {{" ", kReference}, {"", kReference}, {"A", noInk}, {"\x7f", kReference}};
    for (const auto& t : cases) {
        const RenderOutcome out = r.displayFont("DejaVu Sans", kInstalledMarker, t.ch, t.reference);
        EXPECT_FALSE(out.fontDisplayed);
        EXPECT_TRUE(out.drewCross);
        EXPECT_EQ(out.topText, "0 pixels");
        EXPECT_EQ(out.leftText, "0 pixels");
        EXPECT_EQ(out.sizeText, "0 x 0 pixels");
        EXPECT_EQ(c.getPixel(0, 0), 0);
        EXPECT_EQ(c.getPixel(196, 196), 0);
        EXPECT_EQ(c.getPixel(0, 196), 0);
        EXPECT_EQ(c.getPixel(97, 97), 0);
        EXPECT_EQ(c.getPixel(97, 99), 0);
        EXPECT_EQ(c.getPixel(98, 98), 0xFFFFFF) << "where the not-xor lines cross they cancel";
        EXPECT_EQ(c.getPixel(98, 50), 0xFFFFFF);
    }
}

TEST(GlyphRenderer, FontFileThatCannotBeRegisteredDrawsNoOtherFace) {
    QTemporaryDir dir;
    QFile bad(dir.filePath("broken.ttf"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a font");
    bad.close();
    FontSystem fonts;
    const int initial = fonts.faceCount();
    Canvas c;
    GlyphRenderer r(fonts, c);
    QStringList reported;
    GlyphRenderer::Hooks hooks;
    hooks.cantOpen = [&](const QString& path) { reported << path; };
    const RenderOutcome out = r.displayFont("broken.ttf", dir.path() + "/", "A", kReference, hooks);
    EXPECT_EQ(reported, QStringList{dir.filePath("broken.ttf")});
    EXPECT_TRUE(out.registrationFailed);
    EXPECT_FALSE(out.fontDisplayed);
    EXPECT_TRUE(out.drewCross);
    EXPECT_EQ(out.faceName, QString());

    // The search run's renderer: no glyph, no match, the canvas left as it was.
    Canvas fast;
    fast.setAutoRedraw(false);
    GlyphRenderer rf(fonts, fast);
    ASSERT_TRUE(rf.displayFontFast("DejaVu Sans", kInstalledMarker, "A", kReference, initial).fontDisplayed);
    const std::vector<Colour> before(fast.pixels(), fast.pixels() + Canvas::kSize * Canvas::kSize);
    const RenderOutcome f = rf.displayFontFast("broken.ttf", dir.path() + "/", "A", kReference, initial);
    EXPECT_FALSE(f.fontDisplayed);
    EXPECT_EQ(f.faceName, "Error: Already Installed");
    EXPECT_EQ(f.sizeText, "0 x 0 pixels");
    EXPECT_TRUE(samePixels(before.data(), fast.pixels()));
    EXPECT_EQ(fonts.faceCount(), initial);
}

TEST(GlyphRenderer, FolderFontWhoseFaceIsInstalledIsDrawnFromItsOwnFile) {
    REQUIRE_FACE(file, "DejaVu Sans");
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::copy(file, dir.filePath("mine.ttf")));
    FontSystem fonts;
    Canvas c;
    c.setAutoRedraw(false);
    GlyphRenderer r(fonts, c);
    QString fileUsed;
    const RenderOutcome out = r.displayFontFast("mine.ttf", dir.path() + "/", "A", kReference, fonts.faceCount());
    EXPECT_TRUE(out.fontDisplayed);
    EXPECT_EQ(out.faceName, "DejaVu Sans");
}
