#include <QDir>
#include <QDirIterator>
#include <QGuiApplication>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <unistd.h>

#include <map>

#include "canvas/Canvas.h"
#include "sheet/EvidenceSheet.h"
#include "sheet/SheetLayout.h"

using namespace lettrino;

namespace {
void ensureApp() {  // text on the sheet needs fonts
    static int argc = 1;
    static char name[] = "sheet_tests", *argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
}
// clang-format off
struct Fill { int x, y, w, h, grey = 0; };
// Grey rectangles on white; a glyph also gets the renderer's not-xor red outline on its box.
struct Drawn {
    Canvas canvas;
    InkBox box;
    Drawn(const std::vector<Fill>& fills, bool outlined) {
        QImage image(Canvas::kSize, Canvas::kSize, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        for (const Fill& f : fills) p.fillRect(f.x, f.y, f.w, f.h, QColor(f.grey, f.grey, f.grey));
        p.end();
        canvas.setPicture(image);
        box = scanInkBox(canvas);
        if (outlined) canvas.drawRect(box.left, box.top, box.right, box.bottom, kRed);
    }
    SheetGlyph glyph() const { return {&canvas, box}; }
};
const std::vector<Fill> kL = {{50, 40, 10, 60}, {50, 90, 20, 10}};                 // box 20 x 60
const std::vector<Fill> kWideFlatGamma = {{100, 100, 20, 30}, {100, 100, 40, 5}};  // box 40 x 30
constexpr QRgb S = kSharedInk, R = kReferenceOnlyInk, G = kGlyphOnlyInk, W = kNoInk;
struct Probe { int x, y; QRgb colour; };
struct OverlayCase {
    const char* name;
    std::vector<Fill> reference, glyph;
    int shared, referenceOnly, glyphOnly;
    std::vector<Probe> probes;
};
const OverlayCase kOverlays[] = {
    {"SameBarElsewhere", {{50, 40, 20, 60}}, {{80, 70, 20, 60}}, 1200, 0, 0, {{0, 0, S}, {19, 59, S}}},
    {"LAgainstGammaSameBox", kL, {{100, 100, 10, 60}, {100, 100, 20, 10}}, 600, 100, 100,
     {{9, 30, S}, {10, 55, R}, {10, 5, G}, {10, 30, W}}},
    // x -> round(x * 39 / 19): 9 -> 18 (bar), 10 -> 21; y -> round(y * 29 / 59): 9 -> 4 (stub), 10 -> 5.
    {"GlyphBoxTwiceAsWideHalfAsHigh", kL, kWideFlatGamma, 600, 100, 100,
     {{9, 30, S}, {10, 30, W}, {10, 9, G}, {10, 10, W}, {19, 0, G}, {19, 59, R}}},
    // x -> x * 30 / 20: 3 -> 4.5 -> 4 (ink, halves to even), 1 -> 1.5 -> 2; ink columns 0-4 and 30.
    {"HalvesGoToEven", {{50, 40, 21, 10}}, {{100, 100, 5, 10}, {130, 100, 1, 10}}, 50, 160, 0,
     {{3, 5, S}, {4, 5, R}, {20, 0, S}}},
    // Ink is darker than halfway to the box's darkest pixel: grey 160 is ink, a 230 fringe is not.
    {"GreyInkPaleFringe", {{50, 40, 20, 60, 160}, {70, 40, 1, 60, 230}},
     {{100, 100, 20, 60}, {120, 100, 1, 60, 230}}, 1200, 0, 0, {{0, 0, S}, {20, 30, W}}},
};
// clang-format on
void PrintTo(const OverlayCase& c, std::ostream* os) {
    *os << c.name;
}
}  // namespace

class Overlay : public testing::TestWithParam<OverlayCase> {};
TEST_P(Overlay, ColoursFollowTheMatchSampling) {
    const OverlayCase& c = GetParam();
    const Drawn reference(c.reference, false), glyph(c.glyph, true);
    const QImage image = overlay(reference.glyph(), glyph.glyph());
    ASSERT_EQ(image.size(), QSize(reference.box.width() + 1, reference.box.height() + 1));
    std::map<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) ++counts[image.pixel(x, y)];
    EXPECT_EQ(counts[S], c.shared);
    EXPECT_EQ(counts[R], c.referenceOnly);
    EXPECT_EQ(counts[G], c.glyphOnly);
    EXPECT_EQ(counts[W], image.width() * image.height() - c.shared - c.referenceOnly - c.glyphOnly);
    for (const Probe& p : c.probes) EXPECT_EQ(image.pixel(p.x, p.y), p.colour) << p.x << "," << p.y;
}
INSTANTIATE_TEST_SUITE_P(Sheet, Overlay, testing::ValuesIn(kOverlays),
                         [](const auto& i) { return i.param.name; });

TEST(Sheet, EntryLines) {
    EXPECT_EQ(entryLines({3, "DejaVu Serif", "/f/DejaVuSerif.ttf", 0.9712, 0.984, {}}),
              QStringList({"3. DejaVu Serif", "score 97.12 %, match 98.40 %", "DejaVuSerif.ttf"}));
}

// The picture at `place` shows the canvas's red as grey over the ink box, outlined just outside it,
// the box centred in the region shown.
void expectCrop(const QImage& sheet, const SheetLayout::Picture& pic, const Drawn& d) {
    const QPoint to = pic.place.topLeft() - pic.crop.topLeft();
    for (int y = d.box.top; y <= d.box.bottom; ++y)
        for (int x = d.box.left; x <= d.box.right; ++x) {
            const int r = d.canvas.red(x, y);
            ASSERT_EQ(sheet.pixel(to + QPoint(x, y)), qRgb(r, r, r)) << x << "," << y;
        }
    EXPECT_EQ(sheet.pixel(to + QPoint(d.box.left - 1, d.box.top - 1)), kInkBoxOutline);
    EXPECT_LE(std::abs(d.box.left - pic.crop.left() - (pic.crop.right() - d.box.right)), 1);  // centred
}

class SheetGrid : public testing::TestWithParam<int> {};
TEST_P(SheetGrid, CellsShowTheirGlyphsAndOverlays) {
    ensureApp();
    const Drawn reference(kL, false), same({{80, 70, 10, 60}, {80, 120, 20, 10}}, true),
        other(kWideFlatGamma, true);
    std::vector<SheetEntry> entries;
    for (int k = 0; k < GetParam(); ++k)
        entries.push_back({k + 1, "Face", "face.ttf", 0.5, 0.5, {(k % 2 ? other : same).glyph()}});
    const SheetReference ref{{reference.glyph()}, "L.bmp \"L\""};
    const QImage sheet = drawSheet(ref, entries);
    const SheetLayout layout = sheetLayout(ref, entries);
    ASSERT_EQ(sheet.size(), layout.size);
    ASSERT_EQ(int(layout.cells.size()), GetParam());
    ASSERT_EQ(layout.scale, 1.0);
    EXPECT_LE(sheet.width(), 1600);
    expectCrop(sheet, layout.reference[0], reference);
    if (GetParam() >= 2) {  // 2 cells share a row, and at least 4 of 20 do
        EXPECT_EQ(layout.cells[std::min(GetParam(), 4) - 1].frame.top(), layout.cells[0].frame.top());
    }
    for (int k = 0; k < GetParam(); ++k) {
        const SheetLayout::Cell& cell = layout.cells[k];
        EXPECT_TRUE(sheet.rect().contains(cell.frame)) << k;
        for (int j = 0; j < k; ++j) EXPECT_FALSE(cell.frame.intersects(layout.cells[j].frame)) << k;
        EXPECT_EQ(sheet.copy(cell.overlays[0]), overlay(reference.glyph(), entries[k].glyphs[0])) << k;
        expectCrop(sheet, cell.glyphs[0], k % 2 ? other : same);
    }
}
INSTANTIATE_TEST_SUITE_P(Sheet, SheetGrid, testing::Values(0, 2, 20));

TEST(Sheet, WordsStayUnder800AndInputsAreCapped) {
    ensureApp();
    const Drawn reference(kL, false), glyph(kWideFlatGamma, true);
    const SheetReference ref{std::vector<SheetGlyph>(70, reference.glyph()), "word"};
    const std::vector<SheetEntry> entries(
        120, {1, "Face", "face.ttf", 1, 1, std::vector<SheetGlyph>(70, glyph.glyph())});
    const SheetLayout layout = sheetLayout(ref, entries);
    EXPECT_EQ(layout.characters, kSheetMaxCharacters);
    ASSERT_EQ(int(layout.cells.size()), kSheetMaxEntries);
    EXPECT_LE(layout.cells[0].frame.width(), 800);
    const SheetLayout::Cell& cell = layout.cells[5];  // characters left to right, overlays under them
    for (int i = 1; i < kSheetMaxCharacters; ++i)
        EXPECT_TRUE(cell.glyphs[i].place.left() > cell.glyphs[i - 1].place.right() &&
                    cell.overlays[i].top() > cell.glyphs[i].place.bottom())
            << i;
    EXPECT_EQ(drawSheet(ref, entries).size(), layout.size);
}

// Every name under a folder, relative to it, sorted.
QStringList listing(const QString& folder) {
    QStringList names;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) names << QDir(folder).relativeFilePath(it.next());
    return names.sort(), names;
}

TEST(WritePng, RefusedWritesLeaveNothingBehind) {
    QTemporaryDir dir;
    QFile(dir.filePath("file.txt")).open(QIODevice::WriteOnly);
    QDir(dir.path()).mkdir("locked");
    QFile::setPermissions(dir.filePath("locked"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const QImage image(8, 8, QImage::Format_RGB32);
    std::vector<std::pair<QString, QImage>> refused = {{dir.filePath("file.txt/sheet.png"), image},
                                                       {dir.filePath("missing/sheet.png"), image},
                                                       {dir.filePath("null.png"), QImage()}};
    if (geteuid() != 0) refused.push_back({dir.filePath("locked/sheet.png"), image});  // root writes anyway
    for (const auto& [path, picture] : refused) {
        QString error;
        EXPECT_FALSE(writePng(picture, path, &error)) << path.toStdString();
        const QRegularExpression message("^cannot write " + QRegularExpression::escape(path) + ": \\S");
        EXPECT_TRUE(message.match(error).hasMatch()) << error.toStdString();
        EXPECT_EQ(listing(dir.path()), QStringList({"file.txt", "locked"})) << path.toStdString();
    }
}

TEST(WritePng, ReplacesAnExistingFileWhole) {
    QTemporaryDir dir;
    const QString path = dir.filePath("sheet.png");
    QImage before(40, 30, QImage::Format_RGB32), after(10, 10, QImage::Format_RGB32);
    before.fill(Qt::red);
    after.fill(Qt::blue);
    QString error;
    ASSERT_TRUE(writePng(before, path, &error)) << error.toStdString();
    // A second name for the old file: a rewrite in place would show through it, a rename does not.
    ASSERT_EQ(link(QFile::encodeName(path).constData(), QFile::encodeName(path + ".old").constData()), 0);
    ASSERT_TRUE(writePng(after, path, &error)) << error.toStdString();
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(QImage(path).convertToFormat(QImage::Format_RGB32), after);
    EXPECT_EQ(QImage(path + ".old").convertToFormat(QImage::Format_RGB32), before);
    EXPECT_EQ(listing(dir.path()), QStringList({"sheet.png", "sheet.png.old"}));
}
