// `lettrino-bench raw`: the same work as `engine` written as a bare FreeType loop (open, trial size,
// rescale, render, compare), as a yardstick for what the engine's layers cost.
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "bench/BenchCommon.h"
#include "fonts/FontList.h"

namespace {

constexpr int kSize = 197;

// Renders a character at a pixel size; returns the bitmap's ink rows, or false.
bool renderAt(FT_Face face, FT_UInt glyph, double pixels, int& inkTop, int& inkBottom) {
    FT_Size_RequestRec req{FT_SIZE_REQUEST_TYPE_NOMINAL, FT_Long(std::lround(pixels * 64)),
                           FT_Long(std::lround(pixels * 64)), 0, 0};
    if (FT_Request_Size(face, &req) || FT_Load_Glyph(face, glyph, FT_LOAD_DEFAULT) ||
        FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL))
        return false;
    const FT_Bitmap& bm = face->glyph->bitmap;
    inkTop = -1;
    inkBottom = -1;
    for (unsigned y = 0; y < bm.rows; ++y) {
        const unsigned char* row = bm.buffer + std::ptrdiff_t(y) * bm.pitch;
        if (std::any_of(row, row + bm.width, [](unsigned char c) { return c != 0; })) {
            if (inkTop < 0) inkTop = int(y);
            inkBottom = int(y);
        }
    }
    return inkTop >= 0;
}

}  // namespace

// The bare loop over `files` on `threads` threads (one FreeType library each): every file opened,
// its 'A' sized to the ink height, rendered again at the final size and compared with a
// reference. Returns the seconds taken; adds a checksum of the scores so that no work is skipped.
double rawSweep(const QStringList& files, int threads, long long* checksumOut) {
    std::vector<unsigned char> reference(kSize * kSize, 255);
    for (int y = 40; y < 160; ++y)
        for (int x = 60; x < 140; ++x) reference[std::size_t(y * kSize + x)] = (x / 10 + y / 10) % 2 ? 0 : 255;
    const int inkHeight = 150;
    std::atomic<int> next{0};
    std::atomic<long long> checksum{0};
    auto work = [&] {
        FT_Library lib;
        if (FT_Init_FreeType(&lib)) return;
        std::vector<unsigned char> glyphCanvas(kSize * kSize);
        long long sum = 0;
        for (int i = next++; i < files.size(); i = next++) {
            FT_Face face;
            if (FT_New_Face(lib, QFile::encodeName(files.at(i)).constData(), 0, &face)) continue;
            const FT_UInt glyph = FT_Get_Char_Index(face, 'A');
            int top, bottom;
            if (glyph && renderAt(face, glyph, inkHeight * 96.0 / 72.0, top, bottom)) {
                const double finalPoints = double(inkHeight) * inkHeight / (bottom - top + 1);
                if (renderAt(face, glyph, finalPoints * 96.0 / 72.0, top, bottom)) {
                    std::fill(glyphCanvas.begin(), glyphCanvas.end(), 255);
                    const FT_Bitmap& bm = face->glyph->bitmap;
                    for (unsigned y = 0; y < bm.rows && y < unsigned(kSize); ++y)
                        for (unsigned x = 0; x < bm.width && x < unsigned(kSize); ++x)
                            glyphCanvas[y * kSize + x] = 255 - bm.buffer[std::ptrdiff_t(y) * bm.pitch + x];
                    for (int p = 0; p < kSize * kSize; ++p)
                        sum += 255 - std::abs(reference[std::size_t(p)] - glyphCanvas[std::size_t(p)]);
                }
            }
            FT_Done_Face(face);
        }
        checksum += sum;
        FT_Done_FreeType(lib);
    };
    QElapsedTimer timer;
    timer.start();
    std::vector<std::thread> pool;
    for (int t = 0; t < std::max(1, threads); ++t) pool.emplace_back(work);
    for (std::thread& t : pool) t.join();
    if (checksumOut) *checksumOut = checksum;
    return double(timer.nsecsElapsed()) / 1e9;
}

int rawBench(int argc, char** argv) {
    const auto options =
        lettrino::bench::readOptions(argc, argv, {"fonts", "passes"}, "lettrino-bench raw --fonts DIR [--passes N]");
    if (!options) return 2;
    const QString folder = options->value(QStringLiteral("fonts"));
    const int passes = std::max(1, options->value(QStringLiteral("passes"), QStringLiteral("2")).toInt());
    const QStringList files = lettrino::fontFilesUnder(folder);
    double seconds = 0;
    long long checksum = 0;
    for (int pass = 0; pass < passes; ++pass) seconds = rawSweep(files, 1, &checksum);  // the first passes warm the cache
    const int n = int(files.size());
    std::printf("raw: %d fonts in %.3f s = %.0f fonts/s (checksum %lld)\n", n, seconds, seconds > 0 ? n / seconds : 0.0,
                checksum);
    return 0;
}
