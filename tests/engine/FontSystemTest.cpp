// The font-system layer (black boxes, character codes, symbol fonts, registered files) and
// the glyph renderer's sizing and centring.

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
constexpr int kU = FontSystem::kUnicodeCode;
const QString kSans = QStringLiteral("DejaVu Sans");

FontSystem& fonts() {
    static FontSystem system;
    return system;
}

// One character drawn with its reference point at (50, 150).
QImage drawn(FontSystem& system, const QString& face, double points, int code) {
    Canvas c;
    system.textOut(c, system.createFont(face, points), 50, 150, code);
    return c.screenImage();
}

// DejaVu Sans turned into a symbol font: one Microsoft symbol character map holding only A-Z at
// 0xF041-0xF05A, where symbol fonts put their characters (glyphs 36-61 are DejaVu's A-Z). The
// map is appended to the file and the table directory points at it instead of the font's own.
QByteArray symbolFont(QByteArray font) {
    auto put16 = [](QByteArray& b, int at, quint32 v) {
        b[at] = char(v >> 8);
        b[at + 1] = char(v);
    };
    // Version 0, one map (3, 0) at 12; format 4, 32 bytes, two segments: F041-F05A and the end.
    const quint32 cmap[] = {
        0, 1, 3, 0, 0, 12, 4, 32, 0, 4, 4, 1, 0, 0xF05A, 0xFFFF, 0, 0xF041, 0xFFFF, (36 - 0xF041) & 0xFFFF,
        1, 0, 0};
    while (font.size() % 4) font.append('\0');
    const int tables = (uchar(font[4]) << 8) | uchar(font[5]), at = int(font.size());
    for (int rec = 12; rec < 12 + 16 * tables; rec += 16) {
        const quint32 record[] = {quint32(at) >> 16, quint32(at) & 0xFFFF, 0, 44};  // offset, length
        if (font.mid(rec, 4) == "cmap")
            for (int i = 0; i < 4; ++i) put16(font, rec + 8 + 2 * i, record[i]);
    }
    font.append(44, '\0');
    for (int i = 0; i < 22; ++i) put16(font, at + 2 * i, cmap[i]);
    return font;
}

TEST(FontSystem, BlackBoxIsExactlyTheInkThatDrawingProduces) {
    for (const char* face : {"DejaVu Sans", "DejaVu Serif Bold Italic", "Liberation Mono"}) {
        QString file;
        ASSERT_EQ(fixtures::installedFontFile(QString::fromLatin1(face), &file), QString());
        for (double points : {9.0, 40.0, 113.25})
            for (int code : {int('H'), int('g'), int('j'), int('.'), 0xC5, 0x80, kU | 0x3B1}) {
                SCOPED_TRACE(testing::Message() << face << " " << points << " pt, code " << std::hex << code);
                const Font font = fonts().createFont(QString::fromLatin1(face), points);
                const GlyphMetrics m = fonts().glyphMetrics(font, code);
                ASSERT_GT(m.blackBoxY, 0u);
                Canvas c;
                fonts().textOut(c, font, 30 - m.originX, 20 + m.originY, code);
                EXPECT_EQ(scanInkBox(c), (InkBox{20, 30, 29 + int(m.blackBoxX), 19 + int(m.blackBoxY)}));
                if (code == 'H') {
                    EXPECT_EQ(m.originY, int(m.blackBoxY)) << "H stands on the baseline";
                }
            }
    }
}

TEST(FontSystem, CharacterCodesAreWindows1252OrUnicode) {
    const struct {
        const char* text;  // UTF-8
        int code;
    } cases[] = {{"A", 'A'},       {"€", 0x80},        {"È", 200},        {"Ÿ", 0x9F},
                 {"™", 0x99},      {"α", kU | 0x3B1},  {"Ж", kU | 0x416}, {"ā", kU | 0x101},
                 {"\u0081", 0x81}, {"𝒜", kU | 0x1D49C}};
    for (const auto& t : cases) {
        EXPECT_EQ(charCodeOf(QString::fromUtf8(t.text)), t.code) << t.text;
        EXPECT_EQ(textOfCharCode(t.code), QString::fromUtf8(t.text)) << t.text;
    }
    EXPECT_EQ(charCodeOf(QStringLiteral("AB")), 'A');
    EXPECT_EQ(charCodeOf(QString()), -1);

    // A code of the code page draws exactly its Unicode character.
    QString file;
    ASSERT_EQ(fixtures::installedFontFile(kSans, &file), QString());
    for (const auto& [code, unicode] :
         {std::pair{0x80, 0x20AC}, {0x8A, 0x160}, {0x99, 0x2122}, {0x9F, 0x178}, {0xC8, 0xC8}}) {
        ASSERT_GT(fonts().glyphMetrics(fonts().createFont(kSans, 60), code).blackBoxY, 0u) << code;
        EXPECT_EQ(firstDifference(drawn(fonts(), kSans, 60, code), drawn(fonts(), kSans, 60, kU | unicode)),
                  "")
            << code;
    }
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
    EXPECT_EQ(system.glyphMetrics(system.createFont(kSans, 50), 'a').blackBoxY, 0u);

    EXPECT_TRUE(system.removeFontResource(symbol));
    EXPECT_FALSE(system.removeFontResource(symbol));
    EXPECT_EQ(system.faceCount(), before);
    EXPECT_EQ(system.faceFile(kSans), installed);
    EXPECT_GT(system.glyphMetrics(system.createFont(kSans, 50), 'a').blackBoxY, 0u);

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
    for (const char* ch : {"A", "g", "H", "i", "€", "Я"}) {
        SCOPED_TRACE(ch);
        const int code = charCodeOf(QString::fromUtf8(ch));
        const RenderOutcome out =
            renderer.displayFont(face, kInstalledMarker, code, InkBox{20, 30, 150, 176});
        ASSERT_TRUE(out.fontDisplayed);
        EXPECT_EQ(out.trialPoints, 157);  // the reference's ink height
        const int trialBox = int(fonts().glyphMetrics(fonts().createFont(face, 157), code).blackBoxY);
        EXPECT_EQ(out.finalPoints, finalSize(157, 157, trialBox));
        const GlyphMetrics m = fonts().glyphMetrics(fonts().createFont(face, out.finalPoints), code);
        const InkBox& b = out.glyphBox;
        EXPECT_EQ(b, centredBlackBox(int(m.blackBoxX), int(m.blackBoxY)));
        c.drawRect(b.left, b.top, b.right, b.bottom, kRed);  // takes the outline off again
        EXPECT_EQ(scanInkBox(c), b);
    }
}

}  // namespace
}  // namespace lettrino
