#pragma once

#include <QByteArray>

#include <cstdint>
#include <memory>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <sys/stat.h>

namespace lettrino {

class CharacterMaps;

// What tells one version of a file from another: a face opened from a file that has been
// rewritten since must not be used again (FreeType reads the file lazily).
struct FileStamp {
    std::int64_t size = -1;
    std::int64_t mtimeNs = 0;
    std::uint64_t inode = 0;
    std::uint64_t device = 0;
    bool operator==(const FileStamp& o) const {
        return size == o.size && mtimeNs == o.mtimeNs && inode == o.inode && device == o.device;
    }
};
FileStamp stampOf(const struct stat& st);
// The stamp of a path; size -1 when it cannot be looked up.
FileStamp stampOf(const QByteArray& path);

// Opens a font file for reading: only plain files that hold something (a pipe named like a font
// file neither blocks nor counts). Its stamp comes from the open file, so that its path is looked
// up once. -1 when it cannot be read.
int openPlainFile(const QByteArray& path, FileStamp& stamp);

// Reads up to n bytes at `at`; how many were read (fewer at the end of the file or on an error).
unsigned long readAt(int fd, unsigned char* to, unsigned long at, unsigned long n);

// A font file whose character maps were read and gave no reason to pass it over: the face opened
// next from the same path takes over its descriptor and the bytes read of it.
struct CheckedFile {
    QByteArray path;
    int fd = -1;
    FileStamp stamp;
    const CharacterMaps* maps = nullptr;  // what was read of it
};

// A font file read with pread through a few windows of its bytes, for a face opened as a stream.
struct FileStream {
    // Small enough that the pieces FreeType reads from one table cost little to copy, large
    // enough that most of them come from one read. FreeType goes back and forth between a few
    // places of a file (the table directory, the character map, the names, the glyph), so a
    // few windows are kept: about 6 reads per face instead of 16 with one window.
    static constexpr unsigned long kWindow = 4 * 1024;
    static constexpr int kWindows = 4;
    // A window starts this far before the piece asked for, at most, so that pieces read
    // backwards from a place (names, a glyph's data) still come from it.
    static constexpr unsigned long kAlign = 1024;
    struct Window {
        unsigned long offset = 0;
        unsigned long size = 0;  // 0: holds nothing
        unsigned long lastUse = 0;
    };
    FT_StreamRec rec;
    int fd = -1;
    std::unique_ptr<unsigned char[]> bytes{new unsigned char[kWindow * kWindows]};
    Window windows[kWindows];
    unsigned long uses = 0;
    // Bytes of the file already read elsewhere, served while the face is being opened.
    const unsigned char* known = nullptr;
    unsigned long knownOffset = 0, knownSize = 0;

    void forget() {
        for (Window& w : windows) w = Window();
        known = nullptr;
        uses = 0;
    }
};

// Opens a face from a file read through a stream of our own; the stream must outlive the face,
// and FT_Done_Face closes its file. A file already open (`checked`) is read from its
// descriptor, which the stream takes over, with the bytes its character maps' check read.
FT_Error openStreamFace(FT_Library lib, const QByteArray& path, FT_Long index, FileStream& file,
                        FileStamp& stamp, FT_Face* face, const CheckedFile* checked = nullptr);

}  // namespace lettrino
