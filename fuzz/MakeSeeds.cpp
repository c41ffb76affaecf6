// lettrino-fuzz-seeds BITMAP_FOLDER FONT_FOLDER
// Writes the fuzzers' starting inputs: bitmaps of every depth and orientation and GIFs drawn here,
// and copies, cut-off copies and patched copies of a few small installed font files.

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
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

int writeBitmaps(const QDir& out) {
    int n = 0;
    struct Size {
        int w, h;
    };
    for (const Size size : {Size{1, 1}, Size{7, 5}, Size{40, 30}}) {
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

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: lettrino-fuzz-seeds BITMAP_FOLDER FONT_FOLDER\n");
        return 2;
    }
    const QDir bitmaps(QString::fromLocal8Bit(argv[1])), fonts(QString::fromLocal8Bit(argv[2]));
    if (!QDir().mkpath(bitmaps.path()) || !QDir().mkpath(fonts.path())) {
        std::fprintf(stderr, "lettrino-fuzz-seeds: cannot create the seed folders\n");
        return 1;
    }
    const int b = writeBitmaps(bitmaps);
    const int f = writeFonts(fonts);
    std::printf("lettrino-fuzz-seeds: %d bitmaps, %d fonts\n", b, f);
    return b > 0 && f > 0 ? 0 : 1;
}
