#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <map>

#include "canvas/Canvas.h"
#include "sheet/EvidenceSheet.h"
#include "sheet/SheetLayout.h"

using namespace lettrino;
namespace {
// clang-format off
struct Fill { int x, y, w, h, grey = 0; };
// Grey rectangles on white; a glyph also gets the renderer's not-xor red outline on its box.
struct Drawn {
    Canvas canvas;
    InkBox box;
    Drawn(const std::vector<Fill>& fills, bool outlined) {
        static int argc = 1;  // text on the sheet needs the fonts of an application
        static char name[] = "sheet_tests", *argv[] = {name, nullptr};
        static QGuiApplication app(argc, argv);
        QImage image = canvas.screenImage();
        for (auto f : fills) QPainter(&image).fillRect(f.x, f.y, f.w, f.h, QColor(f.grey, f.grey, f.grey));
        canvas.setPicture(image);
        box = scanInkBox(canvas);
        if (outlined) canvas.drawRect(box.left, box.top, box.right, box.bottom, kRed);
    }
    SheetGlyph glyph() const { return {&canvas, box}; }
};
const std::vector<Fill> kL = {{50, 40, 10, 60}, {50, 90, 20, 10}};                 // box 20 x 60
const std::vector<Fill> kWideFlatGamma = {{100, 100, 20, 30}, {100, 100, 40, 5}};  // box 40 x 30
constexpr QRgb S = kSharedInk, R = kReferenceOnlyInk, G = kGlyphOnlyInk, W = kNoInk;
struct OverlayCase {
    const char* name;
    std::vector<Fill> reference, glyph;
    std::map<QRgb, int> counts;                      // of the colours there are
    std::vector<std::tuple<int, int, QRgb>> probes;  // x, y, colour
};
const OverlayCase kOverlays[] = {
    // (x, y) -> (2x, 2y): column and row 10 sample the glyph's column and row 20 (a box one wider: 19).
    {"GlyphBoxTwiceEachWay", {{50, 40, 11, 11}}, {{100, 100, 1, 1}, {120, 100, 1, 21}, {100, 120, 21, 1}},
     {{S, 22}, {R, 99}}, {{0, 0, S}, {10, 3, S}, {3, 10, S}, {9, 9, R}}},
    // x -> x * 30 / 20: 3 -> 4.5 -> 4 (ink, halves to even), 1 -> 1.5 -> 2; ink columns 0-4 and 30.
    {"HalvesGoToEven", {{50, 40, 21, 10}}, {{100, 100, 5, 10}, {130, 100, 1, 10}}, {{S, 50}, {R, 160}},
     {{3, 5, S}, {4, 5, R}, {20, 0, S}}},
    // Ink: red under halfway to the box's darkest red (160; the outline's green is darker): 190, not 230.
    {"GreyInkPaleFringe", {{50, 40, 20, 60, 160}, {70, 40, 1, 60, 230}},
     {{100, 100, 20, 60, 160}, {120, 100, 1, 60, 190}}, {{S, 1200}, {G, 60}}, {{19, 30, S}, {20, 30, G}}},
    {"GlyphBoxTwiceAsWideHalfAsHigh", kL, kWideFlatGamma, {{S, 600}, {R, 100}, {G, 100}, {W, 400}},
     {{9, 30, S}, {10, 30, W}, {10, 9, G}, {10, 10, W}, {19, 0, G}, {19, 59, R}}},
};
// clang-format on
}  // namespace

class Overlay : public testing::TestWithParam<OverlayCase> {};
TEST_P(Overlay, ColoursFollowTheMatchSampling) {
    const Drawn reference(GetParam().reference, false), glyph(GetParam().glyph, true);
    const QImage image = overlay(reference.glyph(), glyph.glyph());  // (BW + 1) x (BH + 1)
    std::map<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) ++counts[image.pixel(x, y)];
    EXPECT_EQ(counts, GetParam().counts);
    for (const auto& [x, y, c] : GetParam().probes) EXPECT_EQ(image.pixel(x, y), c) << x << "," << y;
}
INSTANTIATE_TEST_SUITE_P(Sheet, Overlay, testing::ValuesIn(kOverlays), [](auto i) { return i.param.name; });

// Where two glyphs differ, the picture sides with one or the other; a missing glyph shows nothing.
TEST(Sheet, NearTwinsShowWhereTheyDiffer) {
    const std::vector<Fill> bar = {{50, 40, 20, 60}};  // the L's box, filled
    const struct {
        std::vector<Fill> glyph, other;
        bool otherDrawn;
        std::map<QRgb, int> counts;
        int differing, asThis;
    } cases[] = {
        {kL, bar, true, {{kBothFontsInk, 700}, {kAsThisFont, 500}}, 500, 500},
        {bar, kL, true, {{kBothFontsInk, 700}, {kAsOtherFont, 500}}, 500, 0},
        {kL, kL, true, {{kBothFontsInk, 700}, {W, 500}}, 0, 0},
        {kL, bar, false, {}, 0, 0},
    };
    const Drawn reference(kL, false);
    for (const auto& t : cases) {
        const Drawn glyph(t.glyph, true), other(t.other, true);
        const TwinDifference d =
            twinDifference(reference.glyph(), glyph.glyph(), t.otherDrawn ? other.glyph() : SheetGlyph{});
        std::map<QRgb, int> counts;
        for (int y = 0; y < d.image.height(); ++y)
            for (int x = 0; x < d.image.width(); ++x) ++counts[d.image.pixel(x, y)];
        EXPECT_EQ(counts, t.counts) << t.differing << " " << t.asThis;
        EXPECT_EQ(d.differing, t.differing);
        EXPECT_EQ(d.asThis, t.asThis);
    }
    EXPECT_EQ(twinLine(1, 529, 111), "vs 1.: 529 px differ, 21 % as this font");
    EXPECT_EQ(twinLine(2, 0, 0), "vs 2.: no pixel differs");
    // Within a hair of the first: the first is set against the second, the others against the first.
    const std::pair<std::vector<double>, std::vector<int>> rankings[] = {
        {{0.9, 0.895, 0.85, 0.8911}, {1, 0, -1, 0}}, {{0.9, 0.85, 0.8911}, {-1, -1, 0}}, {{0.9}, {-1}}};
    for (const auto& [scores, twins] : rankings) {
        std::vector<SheetEntry> entries;
        for (const double score : scores) entries.push_back({int(entries.size()) + 1, {}, {}, score, score, {}});
        for (size_t k = 0; k < scores.size(); ++k) EXPECT_EQ(twinOf(entries, int(k)), twins[k]) << scores[k];
    }
}

TEST(Sheet, EntryLines) {
    EXPECT_EQ(entryLines({3, "DejaVu Serif", "/f/DejaVuSerif.ttf", 0.9712, 0.984, {}}),
              QStringList({"3. DejaVu Serif", "score 97.12 %, match 98.40 %", "DejaVuSerif.ttf"}));
}

// The picture shows the canvas's red as grey over the ink box, the box outlined just outside and centred.
void expectCrop(const QImage& sheet, const SheetLayout::Picture& pic, const Drawn& d) {
    const QPoint to = pic.place.topLeft() - pic.crop.topLeft();
    for (int y = d.box.top; y <= d.box.bottom; ++y)
        for (int x = d.box.left; x <= d.box.right; ++x)
            ASSERT_EQ(sheet.pixel(to + QPoint(x, y)), 0xFF000000u | 0x10101u * d.canvas.red(x, y))
                << x << "," << y;
    EXPECT_EQ(sheet.pixel(to + QPoint(d.box.left - 1, d.box.top - 1)), kInkBoxOutline);
    EXPECT_LE(std::abs(d.box.left - pic.crop.left() - (pic.crop.right() - d.box.right)), 1);  // centred
}

class SheetGrid : public testing::TestWithParam<int> {};
TEST_P(SheetGrid, CellsShowTheirGlyphsAndOverlays) {
    const int n = GetParam();
    const Drawn reference(kL, false), same(kL, true), other(kWideFlatGamma, true);
    std::vector<SheetEntry> entries;
    // Even cells score alike (near-twins, with a difference beside the overlay), odd ones less.
    for (int k = 0; k < n; ++k) entries.push_back({k + 1, {}, {}, k % 2 ? 0.4 : 0.5, 0.5, {(k % 2 ? other : same).glyph()}});
    const SheetReference ref{{reference.glyph()}, "L.bmp \"L\"", {}};
    const QImage sheet = drawSheet(ref, entries);
    const SheetLayout layout = sheetLayout(ref, entries);
    ASSERT_TRUE(sheet.size() == layout.size && int(layout.cells.size()) == n && layout.scale == 1.0);
    EXPECT_LE(sheet.width(), 1600);
    EXPECT_EQ(layout.twinLegend.isNull(), n < 3);
    expectCrop(sheet, layout.reference[0], reference);
    for (int k = 0; k < n; ++k) {  // 4 cells to a row, or all
        const SheetLayout::Cell& cell = layout.cells[k];
        EXPECT_TRUE(sheet.rect().contains(cell.frame)) << k;
        EXPECT_TRUE(k >= 4 || cell.frame.top() == layout.cells[0].frame.top()) << k;
        for (int j = 0; j < k; ++j) EXPECT_FALSE(cell.frame.intersects(layout.cells[j].frame)) << k;
        EXPECT_EQ(sheet.copy(cell.overlays[0]), overlay(reference.glyph(), entries[k].glyphs[0])) << k;
        expectCrop(sheet, cell.glyphs[0], k % 2 ? other : same);
        const int twin = twinOf(entries, k);
        ASSERT_EQ(cell.differences.size(), n < 3 ? 0u : 1u) << k;
        if (twin < 0) continue;
        EXPECT_GT(cell.differences[0].left(), cell.overlays[0].right()) << k;
        EXPECT_EQ(sheet.copy(cell.differences[0]),
                  twinDifference(ref.characters[0], entries[k].glyphs[0], entries[twin].glyphs[0]).image) << k;
    }
}
INSTANTIATE_TEST_SUITE_P(Sheet, SheetGrid, testing::Values(0, 2, 20));

TEST(Sheet, WordsStartAfterSpaces) {
    const std::pair<const char*, std::vector<int>> rows[] = {
        {"quick fox", {5}}, {" a  bc\td ", {1, 3}}, {"abc", {}}, {"", {}}, {"\xce\xbb\xcf\x8c \xce\xb3", {2}}};
    for (const auto& [text, starts] : rows) EXPECT_EQ(wordStartsOf(QString::fromUtf8(text)), starts) << text;
}

TEST(Sheet, WordsStayUnder800AndInputsAreCapped) {
    const Drawn reference(kL, false), glyph(kWideFlatGamma, true);
    const SheetReference ref{std::vector<SheetGlyph>(70, reference.glyph()), "two words", {3}};
    const std::vector<SheetEntry> entries(120, {0, {}, {}, 1, 1, std::vector<SheetGlyph>(70, glyph.glyph())});
    const SheetLayout layout = sheetLayout(ref, entries);
    ASSERT_TRUE(layout.characters == kSheetMaxCharacters && int(layout.cells.size()) == kSheetMaxEntries);
    EXPECT_LE(layout.cells[0].frame.width(), 800);
    const SheetLayout::Cell& cell = layout.cells[5];  // characters apart left to right, overlays under
    const auto gap = [&cell](int i) { return cell.glyphs[i].place.left() - cell.glyphs[i - 1].place.right(); };
    for (int i = 1; i < kSheetMaxCharacters; ++i) {
        EXPECT_GT(gap(i), 1) << i;
        EXPECT_GT(cell.overlays[i].top(), cell.glyphs[i].place.bottom()) << i;
        EXPECT_GT(cell.differences[i].top(), cell.overlays[i].bottom()) << i;  // every entry a near-twin
    }
    // The second word stands apart from the first, in the header as in every cell.
    EXPECT_GT(gap(3), 2 * gap(2));
    EXPECT_EQ(layout.reference[3].place.left() - layout.reference[2].place.right(), gap(3));
    EXPECT_EQ(drawSheet(ref, entries).size(), layout.size);
}

// An existing file is replaced whole (a second name for the old file would show a rewrite in place);
// a refused write says why and leaves nothing behind.
TEST(WritePng, ReplacesWholeOrLeavesNothing) {
    QTemporaryDir dir;
    QString error, out = dir.filePath("sheet.png");
    const QImage old = Drawn(kL, false).canvas.screenImage(), fresh = old.scaled(10, 10);
    ASSERT_TRUE(writePng(old, out, &error) && !link(QFile::encodeName(out), QFile::encodeName(out + ".old")));
    ASSERT_EQ(mkfifo(QFile::encodeName(dir.filePath("pipe.png")).constData(), 0600), 0);
    for (const QString& to :
         {out + "/in-a-file.png", dir.filePath("missing/sheet.png"), out, dir.filePath("pipe.png")}) {
        EXPECT_FALSE(writePng(to == out ? QImage() : fresh, to, &error)) << to.toStdString();
        EXPECT_TRUE(error.startsWith("cannot write " + to + ": ")) << error.toStdString();
    }
    EXPECT_TRUE(writePng(fresh, out, &error) && error.isEmpty()) << error.toStdString();
    EXPECT_TRUE(QImage(out) == fresh && QImage(out + ".old") == old);
    EXPECT_EQ(
        QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot | QDir::Hidden),
        QStringList({"pipe.png", "sheet.png", "sheet.png.old"}));
    // A full disk is named as such (the sheet's bytes go out through writeBytes).
    const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    ASSERT_GE(full, 0) << "no /dev/full";
    EXPECT_EQ(writeBytes(full, QByteArray(100000, 'x')), QStringLiteral("no space left on device"));
    ::close(full);
}
