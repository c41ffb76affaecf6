// The font-system layer (black boxes, character codes, symbol fonts, registered files) and
// the glyph renderer's sizing and centring.

#include <algorithm>

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "HostileFiles.h"
#include "Printing.h"
#include "canvas/Canvas.h"
#include "render/FontSystem.h"
#include "render/GlyphRenderer.h"

namespace lettrino {
namespace {

using fixtures::firstDifference;
// A character by its code point.
Character ch(char32_t codePoint) { return Character::fromCodePoint(codePoint); }
const QString kSans = QStringLiteral("DejaVu Sans");

FontSystem& fonts() {
    static FontSystem system;
    return system;
}

// One character drawn with its reference point at (50, 150).
QImage drawn(FontSystem& system, const QString& face, double points, char32_t code) {
    Canvas c;
    system.textOut(c, system.createFont(face, points), 50, 150, ch(code));
    return c.screenImage();
}

quint32 be(const QByteArray& b, int at, int bytes = 2) {
    quint32 v = 0;
    for (int i = 0; i < bytes; ++i) v = v << 8 | uchar(b[at + i]);
    return v;
}
void put16(QByteArray& b, int at, quint32 v) {
    b[at] = char(v >> 8);
    b[at + 1] = char(v);
}

// A font file with its 'cmap' table replaced: the new one is appended to the file and the table
// directory points at it instead.
QByteArray withCharacterMap(QByteArray font, const QByteArray& cmap) {
    while (font.size() % 4) font.append('\0');
    const int tables = int(be(font, 4)), at = int(font.size());
    for (int rec = 12; rec < 12 + 16 * tables; rec += 16)
        if (font.mid(rec, 4) == "cmap") {
            const quint32 record[] = {quint32(at) >> 16, quint32(at) & 0xFFFF, 0, quint32(cmap.size())};
            for (int i = 0; i < 4; ++i) put16(font, rec + 8 + 2 * i, record[i]);
        }
    return font + cmap;
}

QByteArray words(std::initializer_list<quint32> values) {
    QByteArray b(int(values.size()) * 2, '\0');
    int at = 0;
    for (quint32 v : values) put16(b, (at++) * 2, v);
    return b;
}

// A format-4 map holding only A-Z, as glyphs 36-61 (DejaVu Sans' A-Z), at `first` on; the first
// segment's range offset is `rangeOffset`.
QByteArray capitalsMap(quint32 first, quint32 rangeOffset = 0) {
    // 32 bytes, two segments: the capitals and the end.
    // clang-format off
    return words({4, 32, 0, 4, 4, 1, 0, first + 25, 0xFFFF, 0, first, 0xFFFF, (36 - first) & 0xFFFF, 1,
                  rangeOffset, 0});
    // clang-format on
}

// DejaVu Sans with that map alone, as Microsoft's (3, encoding). Encoding 0 and 0xF041 make a
// symbol font: symbol fonts put their characters at 0xF000 + code.
QByteArray capitalsFont(const QByteArray& font, quint32 encoding, quint32 first, quint32 rangeOffset = 0) {
    return withCharacterMap(font, words({0, 1, 3, encoding, 0, 12}) + capitalsMap(first, rangeOffset));
}
QByteArray symbolFont(const QByteArray& font) {
    return capitalsFont(font, 0, 0xF041);
}

// DejaVu Sans with a Macintosh Roman map, format 0, holding "a" (glyph 68) and code 0x80 (glyph
// 36), and, when `unicode`, a Unicode map of A-Z alone. Without a Unicode map, FreeType makes one
// from the glyph names, and the face draws every letter.
QByteArray macRomanFont(const QByteArray& font, bool unicode) {
    QByteArray mac = words({0, 262, 0}) + QByteArray(256, '\0');
    mac[6 + 'a'] = char(68);
    mac[6 + 0x80] = char(36);
    if (!unicode) return withCharacterMap(font, words({0, 1, 1, 0, 0, 12}) + mac);
    return withCharacterMap(font, words({0, 2, 1, 0, 0, 20, 3, 1, 0, 20 + 262}) + mac + capitalsMap('A'));
}

TEST(FontSystem, BlackBoxIsExactlyTheInkThatDrawingProduces) {
    for (const char* face : {"DejaVu Sans", "DejaVu Serif Bold Italic", "Liberation Mono"}) {
        QString file;
        ASSERT_EQ(fixtures::installedFontFile(QString::fromLatin1(face), &file), QString());
        for (double points : {9.0, 40.0, 113.25})
            for (char32_t code : {U'H', U'g', U'j', U'.', U'\u00C5', U'\u20AC', U'\u03B1'}) {
                SCOPED_TRACE(testing::Message() << face << " " << points << " pt, code " << std::hex << code);
                const Font font = fonts().createFont(QString::fromLatin1(face), points);
                const GlyphMetrics m = fonts().glyphMetrics(font, ch(code));
                ASSERT_GT(m.blackBoxY, 0u);
                Canvas c;
                fonts().textOut(c, font, 30 - m.originX, 20 + m.originY, ch(code));
                EXPECT_EQ(scanInkBox(c), (InkBox{20, 30, 29 + int(m.blackBoxX), 19 + int(m.blackBoxY)}));
                if (code == 'H') {
                    EXPECT_EQ(m.originY, int(m.blackBoxY)) << "H stands on the baseline";
                }
            }
    }
}

// Hinting moves small glyphs onto the pixel grid: a 9-point "g" drawn with the font's own
// instructions, fitted vertically only, and as its outline are three different pictures, and
// the black box is the ink whichever way it was drawn.
TEST(FontSystem, EachHintingDrawsItsOwnGlyphAndBoxesItsInk) {
    FontSystem system;
    QImage pictures[4];
    const Hinting modes[] = {Hinting::Full, Hinting::Light, Hinting::None, Hinting::Full};
    for (int i = 0; i < 4; ++i) {
        system.setHinting(modes[i]);
        const Font font = system.createFont(kSans, 9);
        const GlyphMetrics m = system.glyphMetrics(font, ch('g'));
        Canvas c;
        system.textOut(c, font, 30 - m.originX, 20 + m.originY, ch('g'));
        EXPECT_EQ(scanInkBox(c), (InkBox{20, 30, 29 + int(m.blackBoxX), 19 + int(m.blackBoxY)})) << i;
        pictures[i] = c.screenImage();
    }
    EXPECT_NE(firstDifference(pictures[0], pictures[1]), "");
    EXPECT_NE(firstDifference(pictures[0], pictures[2]), "");
    EXPECT_NE(firstDifference(pictures[1], pictures[2]), "");
    EXPECT_EQ(firstDifference(pictures[3], pictures[0]), "") << "the same glyph again when hinted again";
}

TEST(FontSystem, ATextIsSetWithItsLigaturesWithoutThemOrAtItsAdvances) {
    FontSystem system;
    system.setHinting(Hinting::None);
    const Font font = system.createFont(kSans, 48);
    const struct {
        const char* text;
        int ligatures, none, advances;  // glyphs set
    } cases[] = {{"fi", 1, 2, 2}, {"Hamburg", 7, 7, 7}};
    for (const auto& t : cases) {
        SCOPED_TRACE(t.text);
        TextRaster set[3];
        const Setting settings[] = {Setting::Ligatures, Setting::NoLigatures, Setting::Advances};
        for (int k = 0; k < 3; ++k) system.drawText(font, QString::fromUtf8(t.text), settings[k], set[k]);
        EXPECT_EQ(set[0].glyphs, t.ligatures);
        EXPECT_EQ(set[1].glyphs, t.none);
        EXPECT_EQ(set[2].glyphs, t.advances);
        // At their advances the glyphs stand where the layout puts them, kerning aside.
        EXPECT_EQ(set[2].height, set[1].height);
        EXPECT_NEAR(set[2].width, set[1].width, 2);
    }
}

TEST(FontSystem, ATextsGlyphsStandOnWholePixelsOrBetweenThem) {
    // DejaVu Sans's "l" advances 3.61 px at 13 ppem: placed exactly, its three copies fall
    // differently on the pixels; on whole pixels, they are drawn alike.
    FontSystem system;
    const struct {
        Hinting hinting;
        Positions positions;
        bool alike;
    } cases[] = {{Hinting::Full, Positions::Whole, true},
                 {Hinting::Light, Positions::Whole, true},
                 {Hinting::None, Positions::Whole, true},
                 {Hinting::Light, Positions::Exact, false},
                 {Hinting::None, Positions::Exact, false}};
    for (const auto& t : cases) {
        SCOPED_TRACE(testing::Message() << int(t.hinting) << " " << int(t.positions));
        system.setHinting(t.hinting);
        system.setPositions(t.positions);
        TextRaster set;
        system.drawText(system.createFont(kSans, 13 * 72.0 / 96.0), QStringLiteral("lll"),
                        Setting::NoLigatures, set);
        ASSERT_FALSE(set.empty());
        // Each copy's columns, left to right, as runs of columns with ink.
        std::vector<std::vector<std::uint8_t>> copies;
        bool inside = false;
        for (int x = 0; x < set.width; ++x) {
            std::vector<std::uint8_t> column(size_t(set.height));
            for (int y = 0; y < set.height; ++y) column[size_t(y)] = set.coverage[size_t(y * set.width + x)];
            const bool ink = std::any_of(column.begin(), column.end(), [](std::uint8_t c) { return c > 0; });
            if (ink && !inside) copies.emplace_back();
            if (ink) copies.back().insert(copies.back().end(), column.begin(), column.end());
            inside = ink;
        }
        ASSERT_EQ(copies.size(), 3u);
        EXPECT_EQ(copies[0] == copies[1] && copies[1] == copies[2], t.alike);
    }
}

TEST(FontSystem, CharactersAreCodePointsWithTheirWindows1252Code) {
    const struct {
        const char* text;  // UTF-8
        char32_t codePoint;
        int byteCode;  // -1: beyond the code page
    } cases[] = {{"A", U'A', 'A'},           {"€", 0x20AC, 0x80},    {"È", 0xC8, 200},       {"Ÿ", 0x178, 0x9F},
                 {"™", 0x2122, 0x99},        {"α", 0x3B1, -1},       {"Ж", 0x416, -1},       {"ā", 0x101, -1},
                 {"\u0081", 0x81, 0x81},     {"\u0080", 0x80, 0x80}, {"𝒜", 0x1D49C, -1},     {"AB", U'A', 'A'}};
    for (const auto& t : cases) {
        const Character c = Character::fromText(QString::fromUtf8(t.text));
        EXPECT_EQ(c.codePoint(), t.codePoint) << t.text;
        EXPECT_EQ(c.byteCode(), t.byteCode) << t.text;
        if (t.byteCode >= 0 && t.codePoint != 0x80) {
            EXPECT_EQ(Character::fromByteCode(t.byteCode).text(), QString::fromUtf8(t.text).left(1)) << t.text;
        }
    }
    for (const Character none : {Character::fromText(QString()), Character::fromCodePoint(0xD800),
                                 Character::fromCodePoint(0x110000), Character::fromByteCode(256)}) {
        EXPECT_FALSE(none.isValid());
        EXPECT_EQ(none.byteCode(), -1);
        EXPECT_EQ(none.text(), QString());
    }

    // A code point below 256 stands for the code page's character of that code, as the code
    // page's conversion leaves it.
    QString file;
    ASSERT_EQ(fixtures::installedFontFile(kSans, &file), QString());
    for (const auto& [code, unicode] :
         {std::pair{0x80, 0x20AC}, {0x8A, 0x160}, {0x99, 0x2122}, {0x9F, 0x178}, {0xC8, 0xC8}}) {
        ASSERT_GT(fonts().glyphMetrics(fonts().createFont(kSans, 60), ch(unicode)).blackBoxY, 0u) << code;
        EXPECT_EQ(firstDifference(drawn(fonts(), kSans, 60, code), drawn(fonts(), kSans, 60, unicode)),
                  "")
            << code;
    }
}

// The quick look at a file's character maps never passes over a face that draws the
// character: checked against drawing, over every installed face and characters of many scripts.
TEST(FontSystem, FileLacksACharacterOnlyWhenItsFaceDrawsNone) {
    const char32_t codes[] = {'a',         'Q',         '0',         0x80,         0xC5,
                         0x81,        0x3B8,  0x433,  0x627,   0x5D0,
                         0x4E00, 0xE001, 0x2603, 0x1D49C, 0xFFFF};
    FontSystem system;
    int lacking = 0, undrawn = 0;
    for (const FaceEntry& face : system.installedFaces()) {
        if (face.index != 0) continue;
        for (char32_t code : codes) {
            const bool lacks = system.fileLacksAnyOf(face.file, 0, {ch(code)});
            const bool draws = system.glyphMetrics(system.createFont(face.name, 20), ch(code)).blackBoxY > 0;
            EXPECT_FALSE(lacks && draws) << face.file.toStdString() << " draws " << std::hex << code;
            lacking += lacks;
            undrawn += !draws;
        }
    }
    // It tells most of the fonts without a character (not only the one case it must not miss).
    EXPECT_GT(lacking, undrawn * 9 / 10);

    QString sans, arabic;
    ASSERT_EQ(fixtures::systemFont(QStringLiteral("dejavu/DejaVuSans.ttf"), &sans), QString());
    ASSERT_EQ(fixtures::systemFont(QStringLiteral("noto/NotoSansArabic-Regular.ttf"), &arabic), QString());
    QTemporaryDir dir;
    const QByteArray bytes = hostile::readFile(sans);
    // DejaVu Sans' first character map (format 4) made format 2, a multi-byte map not read here,
    // and with a segment that ends before it starts.
    const int cmap = hostile::findTable(bytes, "cmap").offset, firstMap = cmap + int(be(bytes, cmap + 8, 4));
    ASSERT_EQ(be(bytes, firstMap), 4u);
    QByteArray otherFormat = bytes, backwards = bytes, collection = bytes;
    put16(otherFormat, firstMap, 2);
    const int segments = int(be(bytes, firstMap + 6)) / 2;
    put16(backwards, firstMap + 16 + 2 * segments, be(bytes, firstMap + 14) + 1);
    collection.replace(0, 4, "ttcf");
    const struct {
        const char* name;
        QByteArray bytes;
        std::vector<char32_t> codes;
        bool lacks;
    } cases[] = {{"sans.ttf", bytes, {'a'}, false},
                 {"sans.ttf", bytes, {0xE001}, true},
                 {"sans.ttf", bytes, {'a', 0xE001, 'b'}, true},
                 {"arabic.ttf", hostile::readFile(arabic), {'a'}, true},
                 {"arabic.ttf", hostile::readFile(arabic), {0x627}, false},
                 {"symbol.ttf", symbolFont(bytes), {'A'}, false},
                 {"symbol.ttf", symbolFont(bytes), {'a'}, false},
                 {"half.ttf", bytes.left(bytes.size() / 2), {0xE001}, false},
                 {"mac.ttf", macRomanFont(bytes, true), {'a'}, false},
                 {"mac.ttf", macRomanFont(bytes, true), {'b'}, true},
                 {"mac.ttf", macRomanFont(bytes, true), {0x80}, false},
                 {"mac-alone.ttf", macRomanFont(bytes, false), {'b'}, false},
                 {"capitals.ttf", capitalsFont(bytes, 1, 'A'), {'b'}, true},
                 // A range offset of 0xFFFF but in the last segment makes FreeType drop the map.
                 {"careless.ttf", capitalsFont(bytes, 1, 'A', 0xFFFF), {'b'}, false},
                 {"format2.ttf", otherFormat, {0xE001}, false},
                 {"backwards.ttf", backwards, {0xE001}, false},
                 {"collection.ttc", collection, {0xE001}, false},
                 {"text.ttf", QByteArray("not a font\n"), {'a'}, false}};
    for (const auto& t : cases) {
        const QString path = dir.filePath(QString::fromLatin1(t.name));
        ASSERT_TRUE(hostile::writeFile(path, t.bytes));
        std::vector<Character> characters;
        for (char32_t code : t.codes) characters.push_back(ch(code));
        EXPECT_EQ(system.fileLacksAnyOf(path, 0, characters), t.lacks) << t.name << " " << std::hex << t.codes[0];
        if (!t.lacks) continue;
        // What it passes over does not draw one of the codes.
        const int before = system.faceCount();
        ASSERT_EQ(system.addFontResource(path), 1) << t.name;
        const Font font = system.createFont(system.faceName(before), 40);
        EXPECT_TRUE(std::any_of(characters.begin(), characters.end(), [&](Character c) {
            return system.glyphMetrics(font, c).blackBoxY == 0;
        })) << t.name;
        system.removeFontResource(path);
    }
    EXPECT_FALSE(system.fileLacksAnyOf(dir.filePath(QStringLiteral("sans.ttf")), 1, {ch(0xE001)}));
    EXPECT_FALSE(system.fileLacksAnyOf(dir.filePath(QStringLiteral("missing.ttf")), 0, {ch('a')}));
}

TEST(FontSystem, RegisteredFileIsListedLastWinsOverTheInstalledFaceAndGoesAgain) {
    QString installed;
    ASSERT_EQ(fixtures::installedFontFile(kSans, &installed), QString());
    QTemporaryDir dir;
    const QString symbol = dir.filePath(QStringLiteral("symbol.ttf"));
    ASSERT_TRUE(hostile::writeFile(symbol, symbolFont(hostile::readFile(installed))));
    FontSystem system;
    const int before = system.faceCount();
    ASSERT_EQ(system.addFontResource(symbol), 1);
    EXPECT_EQ(system.faceCount(), before + 1);
    EXPECT_EQ(system.faceName(before), kSans);
    EXPECT_EQ(system.faceFile(kSans), symbol);
    // The registered symbol font is the one drawn: A-Z at 0xF000 + code, nothing else.
    EXPECT_EQ(firstDifference(drawn(system, kSans, 50, 'A'), drawn(fonts(), kSans, 50, 'A')), "");
    EXPECT_EQ(system.glyphMetrics(system.createFont(kSans, 50), ch('a')).blackBoxY, 0u);

    EXPECT_TRUE(system.removeFontResource(symbol));
    EXPECT_FALSE(system.removeFontResource(symbol));
    EXPECT_EQ(system.faceCount(), before);
    EXPECT_EQ(system.faceFile(kSans), installed);
    EXPECT_GT(system.glyphMetrics(system.createFont(kSans, 50), ch('a')).blackBoxY, 0u);

    // Files that are not fonts register nothing.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.ttf")));
    for (const auto& [name, bytes] : {std::pair{"picture.ttf", hostile::bmpBytes(4, 4, 24)},
                                      {"text.ttf", QByteArray("not a font\n")},
                                      {"empty.ttf", QByteArray()}})
        ASSERT_TRUE(hostile::writeFile(dir.filePath(QString::fromLatin1(name)), bytes));
    for (const char* name : {"picture.ttf", "text.ttf", "empty.ttf", "folder.ttf", "missing.ttf"}) {
        EXPECT_EQ(system.addFontResource(dir.filePath(QString::fromLatin1(name))), 0) << name;
        EXPECT_EQ(system.faceCount(), before) << name;
    }
}

TEST(GlyphRenderer, SizingAndCentringArithmetic) {
    for (const auto& [s1, inkHeight, blackBox, s2] : {std::tuple{57.0, 57, 50, 64.98},
                                                      {100.0, 100, 70, 142.8571},
                                                      {2.0, 1, 3, 0.6667},
                                                      {157.0, 157, 113, 218.1327},
                                                      {57.0, 57, 0, 0.0}})
        EXPECT_EQ(finalSize(s1, inkHeight, blackBox), s2) << s1 << " " << blackBox;
    for (const auto& [asked, held] : {std::pair{12.345678, 12.3457}, {64.98, 64.98}, {0.00004, 0.0}})
        EXPECT_EQ(fonts().createFont(kSans, asked).points, held) << asked;
    for (const auto& [bx, by, box] : {std::tuple{40, 60, InkBox{70, 80, 119, 129}},
                                      {41, 1, InkBox{100, 80, 120, 100}},
                                      {1, 2, InkBox{99, 100, 100, 100}}})
        EXPECT_EQ(centredBlackBox(bx, by), box) << bx << " x " << by;
}

TEST(GlyphRenderer, GlyphIsAsTallAsTheReferenceCentredAndItsBoxIsItsInk) {
    const QString face = QStringLiteral("Liberation Serif");
    QString file;
    ASSERT_EQ(fixtures::installedFontFile(face, &file), QString());
    Canvas c;
    GlyphRenderer renderer(fonts(), c);
    for (const char* text : {"A", "g", "H", "i", "€", "Я"}) {
        SCOPED_TRACE(text);
        const Character code = Character::fromText(QString::fromUtf8(text));
        const RenderOutcome out = renderer.displayFont(FontRef::installedFace(face), code, InkBox{20, 30, 150, 176});
        ASSERT_TRUE(out.fontDisplayed);
        EXPECT_EQ(out.trialPoints, 157);  // the reference's ink height
        // The final size is 157 x 157 / the trial glyph's height, to four decimals.
        const int trialBox = int(fonts().glyphMetrics(fonts().createFont(face, 157), code).blackBoxY);
        EXPECT_NEAR(out.finalPoints, 157.0 * 157.0 / trialBox, 0.00005);
        EXPECT_EQ(std::round(out.finalPoints * 10000) / 10000, out.finalPoints);
        const GlyphMetrics m = fonts().glyphMetrics(fonts().createFont(face, out.finalPoints), code);
        // The box is the glyph's black box with its halves on either side of (100, 100).
        const InkBox& b = out.glyphBox;
        EXPECT_EQ(b.right - b.left + 1, int(m.blackBoxX));
        EXPECT_EQ(b.bottom - b.top + 1, int(m.blackBoxY));
        EXPECT_EQ(b.left, 100 - int(m.blackBoxX) / 2);
        EXPECT_EQ(b.top, 100 - int(m.blackBoxY) / 2);
        c.drawRect(b.left, b.top, b.right, b.bottom, kRed);  // takes the outline off again
        EXPECT_EQ(scanInkBox(c), b);

        // Sized from the outline and drawn unhinted once: the outline is 157 pixels tall, its
        // ink within the pixel the outline's ends fall in.
        fonts().setHinting(Hinting::None);
        const RenderOutcome small = renderer.displayFontFast(FontRef::installedFace(face), code,
                                                             InkBox{20, 30, 150, 176}, 0, Sizing::Outline);
        fonts().setHinting(Hinting::Full);
        ASSERT_TRUE(small.fontDisplayed);
        EXPECT_NEAR(small.glyphBox.bottom - small.glyphBox.top + 1, 157, 1.0);
        EXPECT_EQ(std::round(small.finalPoints * 10000) / 10000, small.finalPoints);
    }
}

}  // namespace
}  // namespace lettrino
