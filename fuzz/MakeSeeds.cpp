// lettrino-fuzz-seeds BITMAP_FOLDER FONT_FOLDER
// Writes the fuzzers' starting inputs: bitmaps of every depth and orientation and GIFs drawn here,
// and copies, cut-off copies and patched copies of a few small installed font files.
// lettrino-fuzz-seeds --corpus FOLDER
// Writes the corpus kept in the repository (fuzz/corpus) into FOLDER/bitmap, FOLDER/font and
// FOLDER/cmap: only files made here, bitmaps and tiny fonts built table by table, with the
// fonts that once caught a fault of the character-map look in cmap/, named after it.

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QImage>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <map>
#include <utility>
#include <vector>

#include "HostileFiles.h"

using namespace lettrino::hostile;

namespace {

// A dark ring with a gray bar: a little of every gray level the depths can hold.
QRgb ringPixel(int x, int y, int w, int h) {
    const double cx = (w - 1) / 2.0, cy = (h - 1) / 2.0;
    const double r = std::min(w, h) / 2.5;
    const double d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
    if (d2 <= r * r && d2 >= (r * 0.6) * (r * 0.6)) return qRgb(0, 0, 0);
    if (y == h / 2) {
        const int g = w > 1 ? 255 * x / (w - 1) : 128;
        return qRgb(g, g, g);
    }
    return qRgb(255, 255, 255);
}

struct Size {
    int w, h;
};

int writeBitmaps(const QDir& out, std::initializer_list<Size> sizes) {
    int n = 0;
    for (const Size size : sizes) {
        for (int bpp : {1, 4, 8, 16, 24, 32}) {
            for (bool topDown : {false, true}) {
                for (bool alpha : {false, true}) {
                    if (alpha && bpp != 32) continue;
                    BmpPlan s;
                    s.width = size.w;
                    s.height = topDown ? -size.h : size.h;
                    s.bitsPerPixel = bpp;
                    s.alpha = alpha;
                    s.pixel = [size, alpha](int x, int y) {
                        const QRgb c = ringPixel(x, y, size.w, size.h);
                        return alpha && x < size.w / 2 ? qRgba(qRed(c), qGreen(c), qBlue(c), 0) : c;
                    };
                    const QString name = QStringLiteral("%1x%2-%3%4%5.bmp")
                                             .arg(size.w)
                                             .arg(size.h)
                                             .arg(bpp)
                                             .arg(topDown ? QStringLiteral("-topdown") : QString())
                                             .arg(alpha ? QStringLiteral("-alpha") : QString());
                    n += writeFile(out.filePath(name), bmpBytes(s));
                }
            }
        }
        BmpPlan rle;
        rle.width = size.w;
        rle.height = size.h;
        rle.bitsPerPixel = 8;
        rle.rle8 = true;
        rle.pixel = [size](int x, int y) { return ringPixel(x, y, size.w, size.h); };
        n += writeFile(out.filePath(QStringLiteral("%1x%2-rle8.bmp").arg(size.w).arg(size.h)), bmpBytes(rle));
    }
    n += writeFile(out.filePath(QStringLiteral("claims-huge.bmp")), bmpClaiming(100000, 100000, 64));
    // GIFs: whole, cut in their pixel data, and a tiny one whose screen is huge.
    for (const Size size : {Size{1, 1}, Size{40, 30}}) {
        const QByteArray gif =
            gifBytes(size.w, size.h, [size](int x, int y) { return ringPixel(x, y, size.w, size.h); });
        const QString base = QStringLiteral("%1x%2").arg(size.w).arg(size.h);
        n += writeFile(out.filePath(base + QStringLiteral(".gif")), gif);
        n += writeFile(out.filePath(base + QStringLiteral("-cut.gif")), gif.left(gif.size() * 9 / 10));
    }
    n += writeFile(
        out.filePath(QStringLiteral("screen-huge.gif")),
        QByteArray("GIF89a\x10\x27\x10\x27\x80\0\0\0\0\0\xff\xff\xff,\0\0\0\0\1\0\1\0\0\2\2D\1\0;", 35));
    n += writeFile(out.filePath(QStringLiteral("claims-negative.bmp")), bmpClaiming(-5, 3, 64));
    return n;
}

// The smallest font files under the system's font folders, and a few well-known Latin ones.
std::vector<QString> pickFonts() {
    std::vector<QFileInfo> all;
    for (const QString& root :
         {QStringLiteral("/usr/share/fonts"), QStringLiteral("/usr/local/share/fonts")}) {
        QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo info(it.next());
            const QString suffix = info.suffix().toLower();
            if (suffix == QLatin1String("ttf") || suffix == QLatin1String("otf") ||
                suffix == QLatin1String("ttc"))
                all.push_back(info);
        }
    }
    std::sort(all.begin(), all.end(),
              [](const QFileInfo& a, const QFileInfo& b) { return a.size() < b.size(); });
    std::vector<QString> picked;
    for (std::size_t i = 0; i < all.size() && i < 3; ++i) picked.push_back(all[i].filePath());
    for (const char* wanted :
         {"FreeMonoBold.ttf", "DejaVuSansMono-Oblique.ttf", "LiberationSans-Regular.ttf"}) {
        for (const QFileInfo& info : all) {
            if (info.fileName() == QLatin1String(wanted)) {
                picked.push_back(info.filePath());
                break;
            }
        }
    }
    return picked;
}

int writeFonts(const QDir& out) {
    int n = 0;
    for (const QString& file : pickFonts()) {
        const QByteArray font = readFile(file);
        if (font.isEmpty()) continue;
        const QString base = QFileInfo(file).completeBaseName();
        n += writeFile(out.filePath(base + QStringLiteral(".ttf")), font);
        n += writeFile(out.filePath(base + QStringLiteral("-half.ttf")), font.left(font.size() / 2));
        n += writeFile(out.filePath(base + QStringLiteral("-header.ttf")), font.left(12 + 16 * 4));
        QByteArray symbol = font;
        if (makeSymbolCmap(symbol))
            n += writeFile(out.filePath(base + QStringLiteral("-symbol.ttf")), symbol);
        for (quint16 upem : {quint16(1), quint16(16), quint16(0xFFFF)}) {
            QByteArray patched = font;
            if (patchUnitsPerEm(patched, upem))
                n += writeFile(out.filePath(base + QStringLiteral("-upem%1.ttf").arg(upem)), patched);
        }
    }
    return n;
}

// Tiny TrueType fonts built table by table: four glyphs (.notdef and three boxes named A,
// Aring and g in the 'post' table, from which FreeType makes a Unicode map when the file
// has no usable one) and whatever character maps and table directory a case asks for.

void put16(QByteArray& b, quint32 v) {
    b.append(char(v >> 8 & 0xFF)).append(char(v & 0xFF));
}
void put32(QByteArray& b, quint32 v) {
    put16(b, v >> 16);
    put16(b, v & 0xFFFF);
}

constexpr int kGlyphs = 4;
const char* const kGlyphNames[kGlyphs] = {".notdef", "A", "Aring", "g"};
// Glyph 1 draws A, 2 Aring, 3 g.
const std::map<quint32, quint32> kCodes = {{0x41, 1}, {0xC5, 2}, {0x67, 3}};

QByteArray boxGlyph(int k) {
    const int x0 = 50 + 20 * k, x1 = 150 + 100 * k, y1 = 300 + 100 * k;
    QByteArray g;
    put16(g, 1);  // contours
    for (int v : {x0, 0, x1, y1}) put16(g, quint32(v));
    put16(g, 3);                    // the last point
    put16(g, 0);                    // no instructions
    g.append(QByteArray(4, '\1'));  // on the curve, two-byte deltas
    for (int dx : {x0, 0, x1 - x0, 0}) put16(g, quint32(dx));
    for (int dy : {0, y1, 0, -y1}) put16(g, quint32(dy));
    return g;
}

struct SfntPlan {
    std::vector<std::pair<QByteArray, QByteArray>> tables;  // tag, bytes; written in this order
};

SfntPlan tinyFont(const QByteArray& cmap) {
    SfntPlan plan;
    QByteArray head;
    for (quint32 v : {0x00010000u, 0x00010000u, 0u, 0x5F0F3CF5u}) put32(head, v);
    put16(head, 3);                     // flags
    put16(head, 1000);                  // units per em
    head.append(QByteArray(16, '\0'));  // created, modified
    for (int v : {0, 0, 450, 600, 0, 8, 2, 0, 0}) put16(head, quint32(v));
    QByteArray hhea;
    put32(hhea, 0x00010000);
    for (int v : {800, -200, 0, 500, 0, 0, 450, 1, 0, 0, 0, 0, 0, 0, 0, kGlyphs}) put16(hhea, quint32(v));
    QByteArray maxp;
    put32(maxp, 0x00010000);
    for (int v : {kGlyphs, 4, 1, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0}) put16(maxp, quint32(v));
    QByteArray hmtx, loca, glyf;
    for (int k = 0; k < kGlyphs; ++k) {
        put16(hmtx, 500);
        put16(hmtx, k == 0 ? 0 : quint32(50 + 20 * k));
        put16(loca, quint32(glyf.size() / 2));
        if (k > 0) glyf += boxGlyph(k);
    }
    put16(loca, quint32(glyf.size() / 2));
    QByteArray post;
    for (quint32 v : {0x00020000u, 0u, 0xFF9C0032u, 0u, 0u, 0u, 0u, 0u}) put32(post, v);
    put16(post, kGlyphs);
    for (int k = 0; k < kGlyphs; ++k) put16(post, k == 0 ? 0 : quint32(257 + k));
    for (int k = 1; k < kGlyphs; ++k) post.append(char(std::strlen(kGlyphNames[k]))).append(kGlyphNames[k]);
    QByteArray name;
    const QByteArray full = QByteArrayLiteral("\0T\0i\0n\0y");
    for (int v : {0, 2, 6 + 2 * 12}) put16(name, quint32(v));
    for (int id : {1, 4})
        for (int v : {3, 1, 0x409, id, int(full.size()), 0}) put16(name, quint32(v));
    name += full;
    plan.tables = {{"head", head}, {"hhea", hhea}, {"maxp", maxp}, {"cmap", cmap}, {"hmtx", hmtx},
                   {"loca", loca}, {"glyf", glyf}, {"post", post}, {"name", name}};
    return plan;
}

QByteArray sfntBytes(const SfntPlan& plan) {
    QByteArray b;
    put32(b, 0x00010000);
    put16(b, quint32(plan.tables.size()));
    b.append(QByteArray(6, '\0'));  // the binary search fields: FreeType does without
    int at = 12 + 16 * int(plan.tables.size());
    QByteArray data;
    for (const auto& [tag, bytes] : plan.tables) {
        b.append(tag.leftJustified(4, ' ', true));
        put32(b, 0);  // checksum: not checked
        put32(b, quint32(at + data.size()));
        put32(b, quint32(bytes.size()));
        data += bytes;
        while (data.size() % 4) data.append('\0');
    }
    return b + data;
}

// A 'cmap' table of the given maps (platform, encoding, subtable), each subtable after the
// last; `atZero` makes a record point at offset 0 (the table's own header) instead.
struct CmapRecord {
    quint32 platform, encoding;
    QByteArray subtable;
    bool atZero = false;
};
QByteArray cmapTable(const std::vector<CmapRecord>& records) {
    QByteArray b, subtables;
    put16(b, 0);
    put16(b, quint32(records.size()));
    const int first = 4 + 8 * int(records.size());
    for (const CmapRecord& r : records) {
        put16(b, r.platform);
        put16(b, r.encoding);
        put32(b, r.atZero ? 0 : quint32(first + subtables.size()));
        subtables += r.subtable;
    }
    return b + subtables;
}

// Format 0 (one byte a code up to 255); `length` other than 0 overrides the stated length.
QByteArray format0(const std::map<quint32, quint32>& codes, quint32 length = 0) {
    QByteArray b;
    for (quint32 v : {0u, length ? length : 262u, 0u}) put16(b, v);
    for (quint32 c = 0; c < 256; ++c) b.append(char(codes.count(c) ? codes.at(c) : 0));
    return b;
}

// Format 6: glyph numbers for the codes from `first` on; `length` other than 0 overrides the
// stated length.
QByteArray format6(quint32 first, const std::vector<quint32>& glyphs, quint32 length = 0) {
    QByteArray b;
    for (quint32 v :
         {6u, length ? length : quint32(10 + 2 * glyphs.size()), 0u, first, quint32(glyphs.size())})
        put16(b, v);
    for (quint32 g : glyphs) put16(b, g);
    return b;
}

// Format 4 from segments (start, end, delta, range offset); the closing segment of U+FFFF is
// added. A range offset other than 0 points past the map: these maps carry no glyph numbers.
struct Segment {
    quint32 start, end;
    int delta;
    quint32 rangeOffset;
};
QByteArray format4(std::vector<Segment> segments) {
    segments.push_back({0xFFFF, 0xFFFF, 1, 0});
    const quint32 n = quint32(segments.size());
    QByteArray b;
    for (quint32 v : {4u, 16 + 8 * n, 0u, 2 * n, 2u, 0u, 0u}) put16(b, v);
    for (const Segment& s : segments) put16(b, s.end);
    put16(b, 0);
    for (const Segment& s : segments) put16(b, s.start);
    for (const Segment& s : segments) put16(b, quint32(s.delta) & 0xFFFF);
    for (const Segment& s : segments) put16(b, s.rangeOffset);
    return b;
}

// A well-made format 4 map of `codes`, one segment each.
QByteArray format4Map(const std::map<quint32, quint32>& codes) {
    std::vector<Segment> segments;
    for (const auto& [code, glyph] : codes) segments.push_back({code, code, int(glyph) - int(code), 0});
    return format4(segments);
}

// Format 12 groups (first code, last code, first glyph).
QByteArray format12(const std::vector<std::array<quint32, 3>>& groups) {
    QByteArray b;
    put16(b, 12);
    put16(b, 0);
    put32(b, 16 + 12 * quint32(groups.size()));
    put32(b, 0);
    put32(b, quint32(groups.size()));
    for (const auto& g : groups)
        for (quint32 v : g) put32(b, v);
    return b;
}

QByteArray tinyFontBytes(const std::vector<CmapRecord>& maps) {
    return sfntBytes(tinyFont(cmapTable(maps)));
}

// Seeds for the font fuzzers: sound tiny fonts with the usual maps, and the hostile-file
// builders' patched and cut-off versions of them.
int writeTinyFonts(const QDir& out) {
    const QByteArray plain =
        tinyFontBytes({{3, 1, format4Map(kCodes)}, {1, 0, format0({{0x41, 1}, {0x81, 2}, {0x67, 3}})}});
    std::map<QByteArray, QByteArray> files = {
        {"tiny.ttf", plain},
        {"tiny-format12.ttf",
         tinyFontBytes({{3, 10, format12({{0x41, 0x41, 1}, {0x67, 0x67, 3}, {0xC5, 0xC5, 2}})}})},
        {"tiny-half.ttf", plain.left(plain.size() / 2)},
        {"tiny-header.ttf", plain.left(12 + 16 * 4)},
    };
    QByteArray symbol = plain;
    if (makeSymbolCmap(symbol)) files["tiny-symbol.ttf"] = symbol;
    for (quint16 upem : {quint16(1), quint16(16), quint16(0xFFFF)}) {
        QByteArray patched = plain;
        if (patchUnitsPerEm(patched, upem)) files["tiny-upem" + QByteArray::number(upem) + ".ttf"] = patched;
    }
    int n = 0;
    for (const auto& [name, bytes] : files) n += writeFile(out.filePath(QString::fromLatin1(name)), bytes);
    return n;
}

// Fonts that once made the character-map look pass over a character FreeType gives a glyph:
// each has a map FreeType leaves out (or none), so that it makes a Unicode map of its own
// from the glyph names.
int writeCharacterMapFindings(const QDir& out) {
    const std::map<quint32, quint32> latin = {{0x41, 1}, {0x67, 3}};
    QByteArray twoTables;
    {
        SfntPlan plan = tinyFont(cmapTable({{3, 1, format4Map(kCodes)}}));
        plan.tables.push_back({"cmap", cmapTable({{3, 1, format4Map(latin)}})});
        twoTables = sfntBytes(plan);
    }
    const std::map<QByteArray, QByteArray> files = {
        // No Unicode map at all.
        {"mac-roman-map-only.ttf", tinyFontBytes({{1, 0, format0({{0x41, 1}, {0x81, 2}, {0x67, 3}})}})},
        {"no-character-map.ttf", tinyFontBytes({})},
        // FreeType reads the first of two tables of a tag; the look read the last.
        {"two-cmap-tables.ttf", twoTables},
        // Maps FreeType drops as unsound: a record pointing at the table's header, a length
        // shorter than a format-0 map or than a format-6 map's glyph numbers, a range offset of
        // 0xFFFF outside a last segment of U+FFFF.
        {"map-at-offset-zero.ttf", tinyFontBytes({{3, 1, QByteArray(262, '\0'), true}})},
        {"format0-short-length.ttf", tinyFontBytes({{0, 3, format0(latin, 100)}})},
        {"format6-short-length.ttf", tinyFontBytes({{0, 3, format6(0x41, {1}, 8)}})},
        {"format4-range-offset-ffff.ttf",
         tinyFontBytes({{3, 1, format4({{0x41, 0x41, 0, 0xFFFF}, {0x67, 0x67, 3 - 0x67, 0}})}})},
    };
    int n = 0;
    for (const auto& [name, bytes] : files) n += writeFile(out.filePath(QString::fromLatin1(name)), bytes);
    return n;
}

// A PNG of the ring, whole and cut off half-way.
int writePngs(const QDir& out) {
    QImage ring(40, 30, QImage::Format_RGB32);
    for (int y = 0; y < ring.height(); ++y)
        for (int x = 0; x < ring.width(); ++x)
            ring.setPixel(x, y, ringPixel(x, y, ring.width(), ring.height()));
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    if (!ring.save(&png, "PNG")) return 0;
    return writeFile(out.filePath(QStringLiteral("40x30.png")), png.data()) +
           writeFile(out.filePath(QStringLiteral("40x30-cut.png")), png.data().left(png.data().size() / 2));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--corpus") == 0) {
        const QDir corpus(QString::fromLocal8Bit(argv[2]));
        const QDir bitmaps(corpus.filePath(QStringLiteral("bitmap"))),
            fonts(corpus.filePath(QStringLiteral("font"))), findings(corpus.filePath(QStringLiteral("cmap")));
        for (const QDir& d : {bitmaps, fonts, findings})
            if (!QDir().mkpath(d.path())) return 1;
        const int b = writeBitmaps(bitmaps, {Size{40, 30}}) + writePngs(bitmaps);
        const int f = writeTinyFonts(fonts);
        const int c = writeCharacterMapFindings(findings);
        std::printf("lettrino-fuzz-seeds: %d bitmaps, %d fonts, %d character-map findings\n", b, f, c);
        return b > 0 && f > 0 && c > 0 ? 0 : 1;
    }
    if (argc != 3) {
        std::fprintf(stderr, "usage: lettrino-fuzz-seeds BITMAP_FOLDER FONT_FOLDER | --corpus FOLDER\n");
        return 2;
    }
    const QDir bitmaps(QString::fromLocal8Bit(argv[1])), fonts(QString::fromLocal8Bit(argv[2]));
    if (!QDir().mkpath(bitmaps.path()) || !QDir().mkpath(fonts.path())) {
        std::fprintf(stderr, "lettrino-fuzz-seeds: cannot create the seed folders\n");
        return 1;
    }
    const int b = writeBitmaps(bitmaps, {Size{1, 1}, Size{7, 5}, Size{40, 30}});
    const int f = writeFonts(fonts);
    std::printf("lettrino-fuzz-seeds: %d bitmaps, %d fonts\n", b, f);
    return b > 0 && f > 0 ? 0 : 1;
}
