#pragma once

#include <QHash>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "render/Character.h"
#include "render/FontFileStream.h"

typedef struct hb_font_t hb_font_t;

namespace lettrino {

// How font files are opened. Read (the default) goes through pread and a few small windows of
// the file's bytes: a file cut short, or on a drive that goes away, while its face is open fails
// a read (no glyph) instead of faulting the program, and font systems on several threads do not
// queue on mapping and unmapping a file per font. Mapped lets FreeType map the file; on one
// thread the two draw equally fast.
enum class FileAccess { Mapped, Read };

// A face opened by FreeType, kept for the next time it is drawn.
struct OpenFace {
    FT_Face ft = nullptr;
    // The file the face reads from with pread (FileAccess::Read); null for a mapped file.
    std::unique_ptr<FileStream> stream;
    QString key;  // file#index
    FileStamp stamp;
    std::uint64_t generation = 0;  // tells this face from another opened in the same slot since
    CharMap charmap = CharMap::None;
    FT_F26Dot6 ppem26 = -1;     // the size last requested on the face
    // HarfBuzz's font over the face, made when a text is first laid out with it (render/TextLayout.h)
    // and told of each new size; closed with the face.
    hb_font_t* shaper = nullptr;
    FT_F26Dot6 shaperPpem26 = -1;
    std::uint64_t lastUse = 0;  // 0: empty, or not used since the face was dropped
};

// The glyph a face draws a character with, as Character's lookupCodes says to look it up in the
// face's character map; 0 when it has none.
unsigned glyphIndexOf(const OpenFace& face, Character ch);

// The faces opened last, a few dozen, in slots: the least recently used one makes room for
// another. A face is drawn from again while its file is unchanged (size, time, inode); a file
// that changed or went is opened afresh. Not thread-safe: one per font system.
class FaceCache {
public:
    explicit FaceCache(FT_Library library) : library_(library) {}
    ~FaceCache();
    FaceCache(const FaceCache&) = delete;
    FaceCache& operator=(const FaceCache&) = delete;

    // The slot of a file's face, opened now if it is not open; -1 when it cannot be opened, has
    // no glyphs, or is neither scalable nor has a fixed size. A file that `checked` holds open
    // is read from that descriptor, which the face then owns.
    int slotFor(const QString& file, int index, CheckedFile& checked);
    // The face in a slot (empty when closed since); null for a slot out of range.
    OpenFace* face(int slot) {
        return slot >= 0 && std::size_t(slot) < faces_.size() ? faces_[std::size_t(slot)].get() : nullptr;
    }
    // Marks a slot as just used.
    void touch(int slot) { faces_[std::size_t(slot)]->lastUse = ++uses_; }
    // The file a slot's face was opened from.
    QString fileOf(int slot) const { return faces_[std::size_t(slot)]->key.section(QLatin1Char('#'), 0, -2); }

    // Applies to files opened from then on.
    void setFileAccess(FileAccess access) { access_ = access; }

    static constexpr std::size_t kCachedFaces = 24;

private:
    // Closes the face in a slot (if any) and leaves the slot empty, the first to be reused.
    void closeSlot(int slot);

    FT_Library library_;
    std::vector<std::unique_ptr<OpenFace>> faces_;
    std::uint64_t uses_ = 0;
    QHash<QString, int> slotByKey_;
    // Streams of faces closed since, kept for the next faces opened (a face is opened per font).
    std::vector<std::unique_ptr<FileStream>> spareStreams_;
    FileAccess access_ = FileAccess::Read;
};

}  // namespace lettrino
