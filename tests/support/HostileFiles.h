#pragma once

// Builders for the odd files a user can point the program at: Windows bitmaps written byte
// by byte (every depth, top-down, with alpha, or a header that lies about its size), GIFs, and
// patched copies of installed font files. The hostile-input tests and the fuzzers' seed
// generator (fuzz/MakeSeeds.cpp) both use them.

#include <QByteArray>
#include <QRgb>
#include <QString>

#include <functional>

namespace lettrino::hostile {

struct BmpPlan {
    int width = 1;
    int height = 1;  // negative: rows stored top-down
    // 1, 4 and 8 use a gray palette of 2, 16 or 256 levels (each pixel takes the nearest
    // level); 16 is 5-5-5; 24 is BGR; 32 is BGRX, or BGRA with an alpha mask when alpha is set.
    int bitsPerPixel = 24;
    bool alpha = false;
    // 8 bits only: run-length encoded rows.
    bool rle8 = false;
    // The colour of a pixel, (0, 0) being the top-left pixel; white when not given.
    std::function<QRgb(int x, int y)> pixel;
};

// The bytes of a .bmp file.
QByteArray bmpBytes(const BmpPlan& plan);
// The bytes of a width x height .bmp file of the given depth and pixels (white when not given).
QByteArray bmpBytes(int width, int height, int bitsPerPixel, std::function<QRgb(int x, int y)> pixel = {});

// A bitmap file header and info header claiming width x height at 24 bits per pixel,
// followed by only `pixelBytes` bytes of pixels.
QByteArray bmpClaiming(int width, int height, int pixelBytes = 0);

// The bytes of a width x height .gif file of the given pixels (white when not given) in 128
// greys, each pixel the nearest; its screen as large as the picture.
QByteArray gifBytes(int width, int height, std::function<QRgb(int x, int y)> pixel = {});

// A black square of `side` pixels at (x, y) on white, as a pixel function.
std::function<QRgb(int, int)> blackSquare(int x, int y, int side);

bool writeFile(const QString& path, const QByteArray& bytes);
QByteArray readFile(const QString& path);

// The offset and length of a table of a TrueType/OpenType file, or {-1, 0} when it has none.
struct SfntTable {
    int offset = -1;
    int length = 0;
};
SfntTable findTable(const QByteArray& font, const char tag[4]);

// Sets the units per em in the head table; false when the file has none.
bool patchUnitsPerEm(QByteArray& font, quint16 unitsPerEm);

// Relabels every character map as a Microsoft symbol map (platform 3, encoding 0), the way
// symbol fonts declare theirs; false when the file has no cmap table.
bool makeSymbolCmap(QByteArray& font);

}  // namespace lettrino::hostile
