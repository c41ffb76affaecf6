// Font-file bytes read both by the quick look at a file's character maps and by FreeType:
// whatever the look says the file lacks, no character map FreeType makes of the file gives a
// glyph (the maps FreeType makes from a CFF font's own encodings aside: the font system uses
// them only without a Unicode map, and the look vouches for a CFF font only with one).

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_IDS_H

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "render/CharacterMaps.h"

using namespace lettrino;

namespace {

FT_Library library = nullptr;

[[noreturn]] void fail(const char* what, unsigned long code) {
    std::fprintf(stderr, "cmap_fuzzer: %s (U+%04lX)\n", what, code);
    std::abort();
}

// Codes worth asking for: Latin and its neighbours, a symbol font's range, a few far ones.
std::vector<unsigned long> askedCodes() {
    std::vector<unsigned long> codes;
    for (unsigned long c = 0; c < 0x600; ++c) codes.push_back(c);
    for (unsigned long c = 0xF000; c < 0xF100; ++c) codes.push_back(c);
    for (unsigned long c : {0x4E00ul, 0xFFFFul, 0x1D49Cul, 0x10FFFFul}) codes.push_back(c);
    return codes;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (FT_Init_FreeType(&library) != 0) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CharacterMaps maps;
    const bool read = maps.read(
        [&](std::uint64_t offset, std::size_t count, std::uint8_t* to) {
            if (offset > size || count > size - offset) return false;
            std::memcpy(to, data + offset, count);
            return true;
        },
        size);
    if (!read) return 0;
    FT_Face face = nullptr;
    if (FT_New_Memory_Face(library, data, FT_Long(size), 0, &face) != 0) return 0;
    // A CFF font is vouched for only with a Unicode map, which FreeType then selects.
    if (size >= 4 && std::memcmp(data, "OTTO", 4) == 0 &&
        (!face->charmap || face->charmap->encoding != FT_ENCODING_UNICODE))
        fail("a CFF font read without a Unicode map selected", 0);
    static const std::vector<unsigned long> codes = askedCodes();
    for (int i = 0; i < face->num_charmaps; ++i) {
        FT_CharMap map = face->charmaps[i];
        if (map->platform_id == TT_PLATFORM_ADOBE || FT_Set_Charmap(face, map) != 0) continue;
        for (unsigned long code : codes)
            if (maps.lacks(std::uint32_t(code)) && FT_Get_Char_Index(face, code) != 0)
                fail("a code the look says is lacking has a glyph", code);
    }
    FT_Done_Face(face);
    return 0;
}
