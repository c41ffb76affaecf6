#include "render/CharacterMaps.h"

#include <algorithm>

namespace lettrino {

namespace {

constexpr std::uint32_t tag(const char (&t)[5]) {
    return std::uint32_t(std::uint8_t(t[0])) << 24 | std::uint32_t(std::uint8_t(t[1])) << 16 |
           std::uint32_t(std::uint8_t(t[2])) << 8 | std::uint32_t(std::uint8_t(t[3]));
}

std::uint32_t be16(const std::uint8_t* p) {
    return std::uint32_t(p[0]) << 8 | p[1];
}
std::uint32_t be32(const std::uint8_t* p) {
    return be16(p) << 16 | be16(p + 2);
}

// The 'cmap' tables of real fonts stay far below this; a bigger one is left to FreeType.
constexpr std::uint32_t kMaxCmapBytes = 4u << 20;

}  // namespace

inline std::uint32_t CharacterMaps::u16(std::size_t at) const {
    return be16(cmap_.data() + at);
}
inline std::uint32_t CharacterMaps::u32(std::size_t at) const {
    return be32(cmap_.data() + at);
}

bool CharacterMaps::read(const ReadAt& readAt, std::uint64_t fileSize) {
    read_ = false;
    tableRead_ = false;
    maps_.clear();
    // The table directory: 12 bytes, then 16 a table.
    const std::uint8_t* head = head_;
    headSize_ = std::size_t(std::min<std::uint64_t>(fileSize, kHeadBytes));
    const std::size_t headSize = headSize_;
    if (headSize < 12 || !readAt(0, headSize, head_)) {
        headSize_ = 0;
        return false;
    }
    const std::uint32_t version = be32(head);
    const bool cffOutlines = version == tag("OTTO");
    if (version != 0x00010000 && version != tag("true") && !cffOutlines) return false;
    const std::uint32_t tables = be16(head + 4);
    if (tables == 0 || 12 + 16 * std::size_t(tables) > headSize) return false;

    std::uint64_t cmapAt = 0, cmapSize = 0, maxpAt = 0;
    bool hasHead = false, hasHhea = false, hasMaxp = false, hasCmap = false, hasGlyf = false, hasLoca = false,
         hasCff = false;
    for (std::uint32_t i = 0; i < tables; ++i) {
        const std::uint8_t* record = head + 12 + 16 * i;
        const std::uint64_t offset = be32(record + 8), length = be32(record + 12);
        if (offset > fileSize || length > fileSize - offset) return false;
        // FreeType reads the first of two tables of a tag (the first that is not empty): a file
        // that has two is left to it.
        for (std::uint32_t j = 0; j < i; ++j)
            if (be32(head + 12 + 16 * j) == be32(record)) return false;
        switch (be32(record)) {
            case tag("head"):
                hasHead = length >= 54;
                break;
            case tag("hhea"):
                hasHhea = length >= 36;
                break;
            case tag("maxp"):
                hasMaxp = length >= 6;
                maxpAt = offset;
                break;
            case tag("cmap"):
                hasCmap = length >= 4 && length <= kMaxCmapBytes;
                cmapAt = offset;
                cmapSize = length;
                break;
            case tag("glyf"):
                hasGlyf = true;
                break;
            case tag("loca"):
                hasLoca = true;
                break;
            case tag("CFF "):
            case tag("CFF2"):
                hasCff = true;
                break;
            default:
                break;
        }
    }
    if (!hasHead || !hasHhea || !hasMaxp || !hasCmap || !((hasGlyf && hasLoca) || hasCff)) return false;
    // A face without glyphs is one FreeType's reading refuses.
    std::uint8_t glyphCount[2];
    if (maxpAt + 6 <= headSize) {
        std::copy_n(head + maxpAt + 4, 2, glyphCount);
    } else if (!readAt(maxpAt + 4, 2, glyphCount)) {
        return false;
    }
    if (be16(glyphCount) == 0) return false;

    cmap_.resize(std::size_t(cmapSize));
    // Small fonts mostly keep their maps within the first bytes, already read.
    if (cmapAt + cmapSize <= headSize) {
        std::copy_n(head + cmapAt, cmap_.size(), cmap_.data());
    } else if (!readAt(cmapAt, cmap_.size(), cmap_.data())) {
        return false;
    }
    tableRead_ = true;
    tableOffset_ = cmapAt;
    if (u16(0) != 0) return false;
    const std::uint32_t count = u16(2);
    if (4 + 8 * std::size_t(count) > cmap_.size()) return false;
    bool unicode = false, windowsUnicode = false;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t record = 4 + 8 * std::size_t(i);
        const std::uint32_t platform = u16(record), encoding = u16(record + 2), at = u32(record + 4);
        if (at == 0 || at > cmap_.size() - 2) return false;  // FreeType ignores either
        Map map;
        map.at = at;
        map.size = std::uint32_t(cmap_.size() - at);
        map.format = std::uint16_t(u16(at));
        if (map.format == 14) continue;  // variation sequences: no glyph of their own
        if (!sound(map)) return false;
        maps_.push_back(map);
        unicode |= (platform == 0 || (platform == 3 && (encoding == 1 || encoding == 10))) &&
                   (map.format == 4 || map.format == 12);
        windowsUnicode |= platform == 3 && encoding == 1 && (map.format == 4 || map.format == 12);
    }
    // Without a Unicode map FreeType may make one of its own from the glyph names (and, for CFF
    // outlines, without a Windows Unicode map), which this does not read.
    if (!unicode || (cffOutlines && !windowsUnicode)) return false;
    read_ = true;
    return true;
}

// At least as strict as FreeType's own check, so that every map kept here is one that FreeType
// keeps too.
bool CharacterMaps::sound(const Map& map) const {
    const std::size_t at = map.at, size = map.size;
    switch (map.format) {
        case 0:
            return size >= 6 + 256 && u16(at + 2) >= 6 + 256 && u16(at + 2) <= size;
        case 4: {
            if (size < 16) return false;
            const std::size_t length = std::min<std::size_t>(u16(at + 2), size);
            const std::size_t segments = u16(at + 6) / 2;
            if (length < 16 || length < 16 + 8 * segments) return false;
            const std::size_t ends = at + 14, starts = ends + 2 + 2 * segments,
                              offsets = starts + 4 * segments;
            const std::size_t glyphIds = offsets + 2 * segments;
            for (std::size_t n = 0; n < segments; ++n) {
                const std::uint32_t end = u16(ends + 2 * n), start = u16(starts + 2 * n);
                const std::uint32_t offset = u16(offsets + 2 * n);
                if (start > end) return false;
                if (offset == 0) continue;
                // A last segment of U+FFFF alone is often written carelessly; it is checked when read.
                if (n == segments - 1 && start == 0xFFFF && end == 0xFFFF) continue;
                if (offset == 0xFFFF) return false;
                // The glyph numbers lie within the map's own length.
                const std::size_t first = offsets + 2 * n + offset;
                if (first < glyphIds || first + 2 * (std::size_t(end - start) + 1) > at + length)
                    return false;
            }
            return true;
        }
        case 6:
            return size >= 10 && 10 + 2 * std::size_t(u16(at + 8)) <= u16(at + 2) && u16(at + 2) <= size;
        case 12:
        case 13: {
            if (size < 16) return false;
            const std::size_t length = u32(at + 4), groups = u32(at + 12);
            if (length < 16 || length > size || groups > (length - 16) / 12) return false;
            std::uint64_t last = 0;
            for (std::size_t n = 0; n < groups; ++n) {
                const std::uint32_t start = u32(at + 16 + 12 * n), end = u32(at + 20 + 12 * n);
                if (start > end || (n > 0 && start <= last)) return false;
                if (std::uint64_t(u32(at + 24 + 12 * n)) + (end - start) > 0xFFFFFFFFu) return false;
                last = end;
            }
            return true;
        }
        default:
            return false;
    }
}

// Whether the map may give `ch` a glyph: true unless it certainly gives none.
bool CharacterMaps::maps(const Map& map, std::uint32_t ch) const {
    const std::size_t at = map.at;
    switch (map.format) {
        case 0:
            return ch < 256 && cmap_[at + 6 + ch] != 0;
        case 4: {
            if (ch > 0xFFFF) return false;
            const std::size_t segments = u16(at + 6) / 2;
            const std::size_t ends = at + 14, starts = ends + 2 + 2 * segments,
                              deltas = starts + 2 * segments;
            const std::size_t offsets = deltas + 2 * segments;
            // Every segment holding the character, not just the first: overlapping segments
            // are read differently by different readers.
            for (std::size_t n = 0; n < segments; ++n) {
                if (ch > u16(ends + 2 * n) || ch < u16(starts + 2 * n)) continue;
                const std::uint32_t offset = u16(offsets + 2 * n);
                if (offset == 0) {
                    if (((ch + u16(deltas + 2 * n)) & 0xFFFF) != 0) return true;
                    continue;
                }
                const std::size_t glyph =
                    offsets + 2 * n + offset + 2 * std::size_t(ch - u16(starts + 2 * n));
                if (offset == 0xFFFF || glyph + 2 > at + map.size || u16(glyph) != 0) return true;
            }
            return false;
        }
        case 6: {
            const std::uint32_t first = u16(at + 6), count = u16(at + 8);
            return ch >= first && ch - first < count && u16(at + 10 + 2 * std::size_t(ch - first)) != 0;
        }
        case 12:
        case 13: {
            // The groups are sorted and apart (checked when read): find the last one starting
            // at or before the character.
            std::size_t low = 0, high = u32(at + 12);
            while (low < high) {
                const std::size_t mid = (low + high) / 2;
                if (u32(at + 16 + 12 * mid) <= ch)
                    low = mid + 1;
                else
                    high = mid;
            }
            if (low == 0) return false;
            const std::size_t group = at + 16 + 12 * (low - 1);
            if (ch > u32(group + 4)) return false;
            const std::uint32_t glyph = u32(group + 8);
            return map.format == 13 ? glyph != 0 : glyph + (ch - u32(group)) != 0;
        }
        default:
            return true;
    }
}

bool CharacterMaps::lacks(std::uint32_t ch) const {
    if (!read_) return false;
    return std::none_of(maps_.begin(), maps_.end(), [&](const Map& map) { return maps(map, ch); });
}

}  // namespace lettrino
