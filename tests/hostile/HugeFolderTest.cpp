// A font folder of 20,000 entries (symbolic links to a few real fonts): listed, browsed and
// searched through, with the memory in use staying flat.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <unistd.h>

#include <cstdio>

#include "HostileFiles.h"
#include "canvas/Canvas.h"
#include "canvas/InkBox.h"
#include "fonts/FontList.h"
#include "match/Matcher.h"
#include "render/FontSystem.h"
#include "render/GlyphRenderer.h"

namespace lettrino::hostile {
namespace {

constexpr int kEntries = 20000;

// Resident memory of this process, in bytes.
// AddressSanitizer keeps freed memory in quarantine (256 MB by default), so resident memory
// climbs there even when the program's own use is flat.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kHeapHoldsFreedMemory = true;
#else
constexpr bool kHeapHoldsFreedMemory = false;
#endif

long long residentBytes() {
    long long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%lld %lld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * sysconf(_SC_PAGESIZE);
}

QStringList realFonts() {
    QStringList found;
    for (const char* f : {"/dejavu/DejaVuSans.ttf", "/dejavu/DejaVuSerif.ttf",
                          "/liberation2/LiberationSans-Regular.ttf", "/freefont/FreeSans.ttf"}) {
        const QString path = QStringLiteral(LETTRINO_SYSTEM_FONTS) + QLatin1String(f);
        if (QFile::exists(path)) found << path;
    }
    return found;
}

TEST(HugeFontFolder, TwentyThousandLinksListBrowseAndSearchWithFlatMemory) {
    const QStringList targets = realFonts();
    if (targets.size() < 2 || !targets.first().endsWith(QLatin1String("DejaVuSans.ttf")))
        GTEST_SKIP() << "the fonts that scripts/setup installs are missing";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (int i = 0; i < kEntries; ++i) {
        const QString link = dir.filePath(QStringLiteral("font%1.ttf").arg(i, 5, 10, QLatin1Char('0')));
        ASSERT_TRUE(QFile::link(targets[i % targets.size()], link)) << i;
    }

    // Listing.
    FontList list;
    list.installed = false;
    list.folder = folderTag(dir.path());
    list.entries = fontFilesIn(dir.path());
    ASSERT_EQ(list.count(), kEntries);
    EXPECT_EQ(list.entries.first(), QStringLiteral("font00000.ttf"));
    EXPECT_EQ(list.entries.last(), QStringLiteral("font19999.ttf"));
    EXPECT_TRUE(std::is_sorted(list.entries.begin(), list.entries.end()));

    // The reference: the first entry's "g", as the renderer draws it.
    FontSystem fonts;
    const int initialFontCount = fonts.faceCount();
    Canvas reference, glyph;
    GlyphRenderer renderer(fonts, glyph);
    const RenderOutcome first =
        renderer.displayFont(list.entries[0], list.prefix(), QStringLiteral("g"), InkBox{50, 60, 140, 150});
    ASSERT_TRUE(first.fontDisplayed);
    reference.setPicture(glyph.screenImage());
    const InkBox referenceBox = scanInkBox(reference);

    // Browsing: a spread of entries with the normal renderer; every one registers and draws.
    int cantOpen = 0;
    GlyphRenderer::Hooks hooks;
    hooks.cantOpen = [&](const QString&) { ++cantOpen; };
    for (int i = 0; i < kEntries; i += 997) {
        const RenderOutcome out =
            renderer.displayFont(list.entries[i], list.prefix(), QStringLiteral("g"), referenceBox, hooks);
        EXPECT_TRUE(out.fontDisplayed) << i;
    }
    EXPECT_EQ(cantOpen, 0);

    // The search run: every entry, fast renderer and fast match. The same font as the reference
    // matches perfectly wherever it sits in the list.
    long long warm = 0;
    int perfect = 0, drawn = 0;
    for (int i = 0; i < kEntries; ++i) {
        const RenderOutcome out = renderer.displayFontFast(
            list.entries[i], list.prefix(), QStringLiteral("g"), referenceBox, initialFontCount);
        if (!out.fontDisplayed) continue;
        ++drawn;
        const MatchScore s = matchFast(reference, referenceBox, glyph, out.glyphBox, 1);
        if (s.m == 1.0) {
            ++perfect;
            EXPECT_EQ(i % targets.size(), 0) << i;
        }
        if (i == 2000) warm = residentBytes();
    }
    EXPECT_EQ(drawn, kEntries);
    EXPECT_EQ(perfect, (kEntries + targets.size() - 1) / targets.size());
    EXPECT_EQ(fonts.faceCount(), initialFontCount);
    const long long grown = residentBytes() - warm;
    if (!kHeapHoldsFreedMemory) {
        EXPECT_LT(grown, 24LL * 1024 * 1024)
            << "resident memory grew by " << grown << " bytes over 18,000 fonts";
    }
}

}  // namespace
}  // namespace lettrino::hostile
