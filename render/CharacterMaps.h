#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace lettrino {

// A font file's character maps, read from its bytes without FreeType, to answer one question
// cheaply: does no character map of the file give a character a glyph? Most fonts of a big
// library lack a Greek or a symbol character, and opening each with FreeType only to learn that
// costs more than this look at the table directory and the 'cmap' table.
//
// The answer is only ever "it certainly lacks" or "ask FreeType". It vouches only for a single
// face (TrueType or CFF outlines) whose table directory is sound, whose 'cmap' table lies within
// the file, and whose character maps are all in formats read here (0, 4, 6, 12, 13; 14 only
// selects variants and gives no glyph of its own), at least as sound as FreeType requires, and
// include a Unicode map in format 4 or 12 (without one, FreeType makes a map of its own from
// the glyph names).
// A character is lacking when no map, whatever its platform or encoding, gives it a glyph other
// than 0: whichever map FreeType selects, it then finds none either.
class CharacterMaps {
public:
    // Reads `size` bytes at `offset` into `to`; false when they cannot all be read.
    using ReadAt = std::function<bool(std::uint64_t offset, std::size_t size, std::uint8_t* to)>;

    // Reads the maps of a file of `fileSize` bytes; false (and nothing lacking) when the file is
    // not one this can vouch for.
    bool read(const ReadAt& readAt, std::uint64_t fileSize);
    // The file's first bytes as read (up to kHeadBytes): the table directory, and often more.
    static constexpr std::size_t kHeadBytes = 4096;
    const std::uint8_t* head() const { return head_; }
    std::size_t headSize() const { return headSize_; }
    // The 'cmap' table's bytes as read, and where they lie in the file; empty when not read.
    const std::uint8_t* table() const { return cmap_.data(); }
    std::size_t tableSize() const { return tableRead_ ? cmap_.size() : 0; }
    std::uint64_t tableOffset() const { return tableOffset_; }

    // True when the maps were read and none gives `ch` a glyph.
    bool lacks(std::uint32_t ch) const;

private:
    struct Map {
        std::uint32_t at = 0;    // offset of the subtable inside cmap_
        std::uint32_t size = 0;  // bytes of it that lie inside the table
        std::uint16_t format = 0;
    };
    bool maps(const Map& map, std::uint32_t ch) const;
    bool sound(const Map& map) const;
    // Big-endian numbers at an offset of the 'cmap' table.
    std::uint32_t u16(std::size_t at) const;
    std::uint32_t u32(std::size_t at) const;

    bool read_ = false;
    std::uint8_t head_[kHeadBytes];
    std::size_t headSize_ = 0;
    bool tableRead_ = false;
    std::uint64_t tableOffset_ = 0;
    std::vector<std::uint8_t> cmap_;
    std::vector<Map> maps_;
};

}  // namespace lettrino
