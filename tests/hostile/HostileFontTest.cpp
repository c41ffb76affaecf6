// Odd font files handed to the renderers the way a font folder hands them: a folder and a
// bare file name, registered for one rendering and removed again.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <functional>

#include "HostileFiles.h"
#include "canvas/Canvas.h"
#include "render/FontSystem.h"
#include "render/GlyphRenderer.h"

namespace lettrino::hostile {
namespace {

const QString kSans = QStringLiteral(LETTRINO_SYSTEM_FONTS "/dejavu/DejaVuSans.ttf");
const QString kLycian = QStringLiteral("/usr/share/fonts/truetype/noto/NotoSansLycian-Regular.ttf");
// A reference ink box 120 pixels tall.
const InkBox kReference{40, 60, 140, 159};

FontSystem& fonts() {
    static FontSystem system;
    return system;
}

bool isCross(const Canvas& canvas) {
    return canvas.getPixel(0, 0) == 0 && canvas.getPixel(196, 196) == 0 && canvas.getPixel(0, 196) == 0 &&
           canvas.getPixel(50, 50) == 0 && canvas.getPixel(50, 10) == 0xFFFFFF;
}

class FontFolder : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
    QString prefix() const { return dir_.path() + QLatin1Char('/'); }
    QString put(const QString& name, const QByteArray& bytes) {
        EXPECT_TRUE(writeFile(dir_.filePath(name), bytes));
        return name;
    }
    QTemporaryDir dir_;
};

// Damaged or unusual fonts that still register. Files the font system refuses are browsed
// and searched through the window in HostileWindowTest.

TEST_F(FontFolder, TruncatedFontNeverStopsTheRenderer) {
    const QByteArray whole = readFile(kSans);
    if (whole.isEmpty()) GTEST_SKIP() << "DejaVu Sans is not installed";
    FontSystem& system = fonts();
    const int before = system.faceCount();
    Canvas canvas;
    GlyphRenderer renderer(system, canvas);
    int n = 0;
    for (double share : {0.001, 0.01, 0.05, 0.1, 0.3, 0.5, 0.9, 0.999}) {
        const QString name = put(QStringLiteral("cut%1.ttf").arg(n++), whole.left(int(whole.size() * share)));
        for (const char* ch : {"A", "g", "\xC3\xA9"}) {
            SCOPED_TRACE(name.toStdString() + " " + ch);
            const RenderOutcome out = renderer.displayFont(name, prefix(), QString::fromUtf8(ch), kReference,
                                                           GlyphRenderer::Hooks());
            EXPECT_NE(out.fontDisplayed, out.drewCross);
            if (out.fontDisplayed) {
                EXPECT_GE(out.glyphBox.top, 0);
                EXPECT_LT(out.glyphBox.bottom, Canvas::kSize);
            }
            EXPECT_EQ(system.faceCount(), before);
        }
    }
}

TEST_F(FontFolder, FontWithoutTheCharacterDrawsTheCross) {
    const QByteArray font = readFile(kLycian);
    if (font.isEmpty()) GTEST_SKIP() << "Noto Sans Lycian is not installed";
    const QString name = put(QStringLiteral("lycian.ttf"), font);
    Canvas canvas;
    GlyphRenderer renderer(fonts(), canvas);
    const RenderOutcome out = renderer.displayFont(name, prefix(), QStringLiteral("g"), kReference);
    EXPECT_FALSE(out.registrationFailed);
    EXPECT_EQ(out.faceName, QStringLiteral("Noto Sans Lycian Regular"));
    EXPECT_FALSE(out.fontDisplayed);
    EXPECT_TRUE(isCross(canvas));
}

// A font that declares only a symbol character map: its characters are reached as codes.
TEST_F(FontFolder, SymbolFontDrawsLikeTheOriginal) {
    QByteArray font = readFile(kSans);
    if (font.isEmpty()) GTEST_SKIP() << "DejaVu Sans is not installed";
    const QString plain = put(QStringLiteral("plain.ttf"), font);
    ASSERT_TRUE(makeSymbolCmap(font));
    const QString symbol = put(QStringLiteral("symbol.ttf"), font);

    Canvas a, b;
    GlyphRenderer ra(fonts(), a), rb(fonts(), b);
    for (const char* ch : {"A", "g", "7"}) {
        SCOPED_TRACE(ch);
        const RenderOutcome oa = ra.displayFont(plain, prefix(), QLatin1String(ch), kReference);
        const RenderOutcome ob = rb.displayFont(symbol, prefix(), QLatin1String(ch), kReference);
        ASSERT_TRUE(oa.fontDisplayed);
        ASSERT_TRUE(ob.fontDisplayed);
        EXPECT_EQ(oa.glyphBox, ob.glyphBox);
        EXPECT_EQ(oa.finalPoints, ob.finalPoints);
        EXPECT_TRUE(std::equal(a.pixels(), a.pixels() + Canvas::kSize * Canvas::kSize, b.pixels()));
    }
}

// Units per em far outside the usual range: glyphs vanishingly small or enormous.
TEST_F(FontFolder, ExtremeUnitsPerEmNeverStopTheRenderer) {
    const QByteArray original = readFile(kSans);
    if (original.isEmpty()) GTEST_SKIP() << "DejaVu Sans is not installed";
    FontSystem& system = fonts();
    const int before = system.faceCount();
    for (quint16 upem : {quint16(1), quint16(16), quint16(16384), quint16(0xFFFF), quint16(0)}) {
        SCOPED_TRACE(upem);
        QByteArray font = original;
        ASSERT_TRUE(patchUnitsPerEm(font, upem));
        const QString name = put(QStringLiteral("upem%1.ttf").arg(upem), font);
        Canvas canvas;
        GlyphRenderer renderer(system, canvas);
        for (const InkBox& reference : {kReference, InkBox{100, 100, 100, 100}, InkBox{0, 0, 196, 196}}) {
            const RenderOutcome out = renderer.displayFont(name, prefix(), QStringLiteral("W"), reference);
            EXPECT_NE(out.fontDisplayed, out.drewCross);
            const RenderOutcome fast =
                renderer.displayFontFast(name, prefix(), QStringLiteral("W"), reference, system.faceCount());
            (void)fast;
            EXPECT_EQ(system.faceCount(), before);
        }
    }
}

// Found by the font fuzzer (it stalled on this input): FreeMono Bold with 16 units per em
// draws glyphs 128 times their usual size, each up to the font system's pixel limit. Every
// character still renders, and every outcome is whole: a glyph inside its box, or the cross.
TEST_F(FontFolder, TinyEmFontRendersEveryCode) {
    QByteArray font = readFile(QStringLiteral(LETTRINO_SYSTEM_FONTS "/freefont/FreeMonoBold.ttf"));
    if (font.isEmpty()) GTEST_SKIP() << "FreeMono Bold is not installed";
    ASSERT_TRUE(patchUnitsPerEm(font, 16));
    const QString name = put(QStringLiteral("tiny-em.ttf"), font);
    Canvas canvas;
    GlyphRenderer renderer(fonts(), canvas);
    int drawn = 0;
    for (int code = 0x21; code <= 0xFF; ++code) {
        const QChar ch(FontSystem::unicodeOf(code));
        if (ch.isNull()) continue;
        const RenderOutcome out = renderer.displayFont(name, prefix(), QString(ch), kReference);
        EXPECT_NE(out.fontDisplayed, out.drewCross) << code;
        if (!out.fontDisplayed) continue;
        ++drawn;
        EXPECT_GE(out.glyphBox.top, 0) << code;
        EXPECT_LT(out.glyphBox.bottom, Canvas::kSize) << code;
    }
    EXPECT_GT(drawn, 0);
}

// A file replaced under the same name between two renderings is read afresh: the second
// rendering shows the new content, and a file emptied meanwhile is reported, not drawn
// from what the font system saw before.
TEST_F(FontFolder, FileReplacedUnderTheSameNameIsReadAgain) {
    const QByteArray sans = readFile(kSans);
    const QByteArray mono = readFile(QStringLiteral(LETTRINO_SYSTEM_FONTS "/dejavu/DejaVuSansMono.ttf"));
    if (sans.isEmpty() || mono.isEmpty()) GTEST_SKIP() << "DejaVu fonts are not installed";
    Canvas canvas;
    GlyphRenderer renderer(fonts(), canvas);
    const QString name = put(QStringLiteral("changing.ttf"), sans);
    EXPECT_EQ(renderer.displayFont(name, prefix(), QStringLiteral("A"), kReference).faceName,
              QStringLiteral("DejaVu Sans"));
    // Rewritten in place (same file, new content), as a font editor saves it.
    {
        QFile f(dir_.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite | QIODevice::Truncate));
        ASSERT_EQ(f.write(mono), mono.size());
    }
    EXPECT_EQ(renderer.displayFont(name, prefix(), QStringLiteral("A"), kReference).faceName,
              QStringLiteral("DejaVu Sans Mono"));
    {
        QFile f(dir_.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite | QIODevice::Truncate));
    }
    const RenderOutcome emptied = renderer.displayFont(name, prefix(), QStringLiteral("g"), kReference);
    EXPECT_TRUE(emptied.registrationFailed);
    EXPECT_TRUE(emptied.drewCross);
}

}  // namespace
}  // namespace lettrino::hostile
