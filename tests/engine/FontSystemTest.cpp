#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "TestFonts.h"
#include "canvas/Canvas.h"
#include "canvas/InkBox.h"
#include "render/FontSystem.h"

using namespace lettrino;

TEST(FontSystem, ListsEveryInstalledStyleOnceSortedCaseInsensitively) {
    FontSystem fonts;
    ASSERT_GT(fonts.faceCount(), 0);
    QStringList names;
    for (int i = 0; i < fonts.faceCount(); ++i) names.append(fonts.faceName(i));
    if (!names.contains("DejaVu Sans")) GTEST_SKIP() << "DejaVu not installed";
    EXPECT_TRUE(names.contains("DejaVu Sans Bold"));
    EXPECT_TRUE(names.contains("DejaVu Sans Condensed Oblique") || !names.contains("DejaVu Sans Condensed"));
    for (int i = 1; i < names.size(); ++i) {
        EXPECT_LT(names[i - 1].compare(names[i], Qt::CaseInsensitive), 0) << names[i - 1] << " / " << names[i];
    }
    EXPECT_EQ(fonts.faceName(fonts.faceCount()), QString());
    EXPECT_EQ(fonts.faceName(-1), QString());
}

TEST(FontSystem, SizesAreHeldToFourDecimals) {
    FontSystem fonts;
    EXPECT_DOUBLE_EQ(fonts.createFont("DejaVu Sans", 57).points, 57.0);
    EXPECT_DOUBLE_EQ(fonts.createFont("DejaVu Sans", 64.98).points, 64.98);
    EXPECT_DOUBLE_EQ(fonts.createFont("DejaVu Sans", 12.345678).points, 12.3457);
}

TEST(FontSystem, BlackBoxIsExactlyTheInkThatDrawingProduces) {
    REQUIRE_FACE(file, "DejaVu Sans");
    FontSystem fonts;
    for (const char* face : {"DejaVu Sans", "DejaVu Serif Bold Italic", "Liberation Mono"}) {
        for (double size : {9.0, 40.0, 113.25}) {
            for (int code : {int('A'), int('g'), int('j'), int('.'), 0xC5, 0x80}) {
                const Font font = fonts.createFont(face, size);
                const GlyphMetrics m = fonts.glyphMetrics(font, code);
                ASSERT_GT(m.blackBoxY, 0u) << face << " " << code;
                Canvas c;
                const int left = 30, top = 20;
                fonts.textOut(c, font, left - m.originX, top + m.originY, code);
                const InkBox ink = scanInkBox(c);
                EXPECT_EQ(ink, (InkBox{top, left, left + int(m.blackBoxX) - 1, top + int(m.blackBoxY) - 1}))
                    << face << " " << size << " code " << code;
            }
        }
    }
}

TEST(FontSystem, CodesWithoutACharacterHaveNoGlyph) {
    REQUIRE_FACE(file, "DejaVu Sans");
    FontSystem fonts;
    const Font font = fonts.createFont("DejaVu Sans", 40);
    for (int code : {0, 9, 0x20, 0x7F, 0x81, 0x8D, 0x8F, 0x90, 0x9D, 0xA0, -1, 256}) {
        const GlyphMetrics m = fonts.glyphMetrics(font, code);
        EXPECT_EQ(m.blackBoxX, 0u) << code;
        EXPECT_EQ(m.blackBoxY, 0u) << code;
    }
    Canvas c;
    fonts.textOut(c, font, 100, 100, ' ');
    EXPECT_EQ(scanInkBox(c), (InkBox{201, 201, 0, 0}));
}

TEST(FontSystem, Windows1252Mapping) {
    EXPECT_EQ(FontSystem::unicodeOf(0x80), U'\u20AC');
    EXPECT_EQ(FontSystem::unicodeOf(0x9F), U'\u0178');
    EXPECT_EQ(FontSystem::unicodeOf(0x81), 0u);
    EXPECT_EQ(FontSystem::unicodeOf(0x1F), 0u);
    EXPECT_EQ(FontSystem::unicodeOf(0xE9), U'\u00E9');
    EXPECT_EQ(FontSystem::codeOf(U'\u20AC'), 0x80);
    EXPECT_EQ(FontSystem::codeOf(U'A'), 0x41);
    EXPECT_EQ(FontSystem::codeOf(U'\u0101'), -1);
    for (int code = 0; code < 256; ++code)
        if (char32_t u = FontSystem::unicodeOf(code)) {
            EXPECT_EQ(FontSystem::codeOf(u), code);
        }
}

TEST(FontSystem, UnknownNamesAreSubstituted) {
    FontSystem fonts;
    const Font font = fonts.createFont("No Such Face At All 12345", 40);
    EXPECT_GT(fonts.glyphMetrics(font, 'A').blackBoxY, 0u);
    EXPECT_FALSE(fonts.faceFile("No Such Face At All 12345").isEmpty());
}

TEST(FontSystem, RegisteredFileIsListedLastAndWinsOverTheInstalledFace) {
    REQUIRE_FACE(file, "DejaVu Serif");
    QTemporaryDir dir;
    const QString copy = dir.filePath("copy.ttf");
    ASSERT_TRUE(QFile::copy(file, copy));

    FontSystem fonts;
    const int before = fonts.faceCount();
    EXPECT_EQ(fonts.faceFile("DejaVu Serif"), file);
    EXPECT_EQ(fonts.addFontResource(copy), 1);
    EXPECT_EQ(fonts.faceCount(), before + 1);
    EXPECT_EQ(fonts.faceName(before), "DejaVu Serif");
    EXPECT_EQ(fonts.faceFile("DejaVu Serif"), copy) << "the registered face is found first";
    EXPECT_TRUE(fonts.removeFontResource(copy));
    EXPECT_FALSE(fonts.removeFontResource(copy));
    EXPECT_EQ(fonts.faceCount(), before);
    EXPECT_EQ(fonts.faceFile("DejaVu Serif"), file);
}

TEST(FontSystem, FilesThatAreNotFontsRegisterNothing) {
    QTemporaryDir dir;
    auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    };
    QImage png(4, 4, QImage::Format_RGB32);
    png.fill(Qt::red);
    const QString pngPath = dir.filePath("picture.ttf");
    ASSERT_TRUE(png.save(pngPath, "PNG"));
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.ttf"));

    QStringList paths = {write("empty.ttf", {}), write("text.ttf", "this is not a font\n"), pngPath,
                         dir.filePath("folder.ttf"), dir.filePath("missing.ttf")};
    const QString real = lettrino::testing::installedFontFile("DejaVu Sans");
    if (!real.isEmpty()) {
        QFile f(real);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        paths.append(write("truncated.ttf", f.read(2000)));
    }
    FontSystem fonts;
    const int before = fonts.faceCount();
    for (const QString& p : paths) {
        const int added = fonts.addFontResource(p);
        if (p.endsWith("truncated.ttf") && added > 0) {
            // FreeType may accept the header of a cut file; its glyphs must still fail safely.
            const Font font = fonts.createFont(fonts.faceName(before), 50);
            for (int code = 0; code < 256; ++code) fonts.glyphMetrics(font, code);
            fonts.removeFontResource(p);
            continue;
        }
        EXPECT_EQ(added, 0) << qPrintable(p);
    }
    EXPECT_EQ(fonts.faceCount(), before);
}

TEST(FontSystem, FaceCacheSurvivesManyFiles) {
    // More files than the cache holds: descriptions made before an eviction still draw their face.
    REQUIRE_FACE(file, "DejaVu Sans");
    QTemporaryDir dir;
    FontSystem fonts;
    const Font early = fonts.createFont("DejaVu Sans", 30);
    const GlyphMetrics expected = fonts.glyphMetrics(early, 'W');
    for (int i = 0; i < 40; ++i) {
        const QString copy = dir.filePath(QString("f%1.ttf").arg(i));
        ASSERT_TRUE(QFile::copy(file, copy));
        ASSERT_EQ(fonts.addFontResource(copy), 1);
        fonts.glyphMetrics(fonts.createFont(fonts.faceName(fonts.faceCount() - 1), 20 + i), 'x');
        fonts.removeFontResource(copy);
    }
    const GlyphMetrics again = fonts.glyphMetrics(early, 'W');
    EXPECT_EQ(again.blackBoxX, expected.blackBoxX);
    EXPECT_EQ(again.blackBoxY, expected.blackBoxY);
    EXPECT_EQ(again.originX, expected.originX);
    EXPECT_EQ(again.originY, expected.originY);
}

TEST(FontSystem, ReadFilesDrawExactlyAsMappedOnesAndSurviveBeingCutShort) {
    REQUIRE_FACE(file, "DejaVu Sans");
    QTemporaryDir dir;
    const QString copy = dir.filePath("copy.ttf");
    ASSERT_TRUE(QFile::copy(file, copy));
    FontSystem mapped, read;
    mapped.setFileAccess(FontSystem::FileAccess::Mapped);
    ASSERT_EQ(mapped.addFontResource(copy), 1);
    ASSERT_EQ(read.addFontResource(copy), 1);
    const QString face = read.faceName(read.faceCount() - 1);
    for (int code : {int('A'), int('g'), 0xE9, 0x80}) {
        Canvas a, b;
        const Font fa = mapped.createFont(face, 71.5), fb = read.createFont(face, 71.5);
        const GlyphMetrics ma = mapped.glyphMetrics(fa, code), mb = read.glyphMetrics(fb, code);
        EXPECT_EQ(ma.blackBoxX, mb.blackBoxX);
        EXPECT_EQ(ma.blackBoxY, mb.blackBoxY);
        mapped.textOut(a, fa, 50, 150, code);
        read.textOut(b, fb, 50, 150, code);
        EXPECT_TRUE(lettrino::testing::samePixels(a.pixels(), b.pixels())) << code;
    }
    // Cut the file while the face is open: the stamp check reopens it, and the reads that fail
    // give no glyph rather than a fault.
    QFile cut(copy);
    ASSERT_TRUE(cut.resize(3000));
    const Font after = read.createFont(face, 40);
    for (int code = 0; code < 256; ++code) read.glyphMetrics(after, code);
    read.removeFontResource(copy);
    mapped.removeFontResource(copy);
}
