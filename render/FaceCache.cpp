#include "render/FaceCache.h"

#include <QFile>

#include <atomic>

#include <hb.h>

namespace lettrino {

namespace {
std::uint64_t nextGeneration() {
    static std::atomic<std::uint64_t> counter{0};
    return ++counter;
}
QString faceKey(const QString& file, int index) { return file + QLatin1Char('#') + QString::number(index); }

void closeFace(OpenFace& f) {
    // The shaper holds a reference to the face: it goes first.
    if (f.shaper) hb_font_destroy(f.shaper);
    f.shaper = nullptr;
    if (f.ft) FT_Done_Face(f.ft);  // closes the stream's file too
    f.ft = nullptr;
}
}  // namespace

unsigned glyphIndexOf(const OpenFace& face, Character ch) {
    FT_UInt index = 0;
    std::uint32_t lookups[2];
    const int lookupCount = lookupCodes(ch, face.charmap, lookups);
    for (int i = 0; i < lookupCount && index == 0; ++i) index = FT_Get_Char_Index(face.ft, lookups[i]);
    return index;
}

FaceCache::~FaceCache() {
    for (auto& face : faces_)
        if (face) closeFace(*face);
}

void FaceCache::closeSlot(int slot) {
    OpenFace* f = faces_[std::size_t(slot)].get();
    if (!f->key.isEmpty()) slotByKey_.remove(f->key);
    closeFace(*f);
    if (f->stream) spareStreams_.push_back(std::move(f->stream));
    *f = OpenFace();
}

int FaceCache::slotFor(const QString& file, int index, CheckedFile& checkedFile) {
    if (!library_ || file.isEmpty()) return -1;
    const QString key = faceKey(file, index);
    const QByteArray encoded = QFile::encodeName(file);
    const auto found = slotByKey_.constFind(key);
    if (found != slotByKey_.constEnd()) {
        const int slot = found.value();
        if (faces_[std::size_t(slot)]->stamp == stampOf(encoded)) {
            touch(slot);
            return slot;
        }
        // The file changed (or went) since it was opened: forget that face, open the file afresh.
        closeSlot(slot);
    }
    FileStamp stamp;
    FT_Face ft = nullptr;
    std::unique_ptr<FileStream> stream;
    if (access_ == FileAccess::Read) {
        if (spareStreams_.empty()) {
            stream = std::make_unique<FileStream>();
        } else {
            stream = std::move(spareStreams_.back());
            spareStreams_.pop_back();
        }
        const bool checked = checkedFile.fd >= 0 && checkedFile.path == encoded;
        const FT_Error error =
            openStreamFace(library_, encoded, index, *stream, stamp, &ft, checked ? &checkedFile : nullptr);
        if (checked) {
            checkedFile.fd = -1;  // the stream has it now
            checkedFile.path.clear();
        }
        if (error != 0) {
            spareStreams_.push_back(std::move(stream));  // already closed
            return -1;
        }
    } else {
        stamp = stampOf(encoded);
        if (stamp.size <= 0 || FT_New_Face(library_, encoded.constData(), index, &ft) != 0) return -1;
    }
    if (ft->num_glyphs <= 0 || !(FT_IS_SCALABLE(ft) || ft->num_fixed_sizes > 0)) {
        FT_Done_Face(ft);
        if (stream) spareStreams_.push_back(std::move(stream));
        return -1;
    }
    int slot;
    if (faces_.size() < kCachedFaces) {
        slot = int(faces_.size());
        faces_.push_back(std::make_unique<OpenFace>());
    } else {
        slot = 0;
        for (std::size_t i = 1; i < faces_.size(); ++i)
            if (faces_[i]->lastUse < faces_[std::size_t(slot)]->lastUse) slot = int(i);
        closeSlot(slot);
    }
    OpenFace* f = faces_[std::size_t(slot)].get();
    f->ft = ft;
    f->stream = std::move(stream);
    f->key = key;
    f->stamp = stamp;
    f->generation = nextGeneration();
    if (ft->charmap && ft->charmap->encoding == FT_ENCODING_UNICODE) {
        f->charmap = CharMap::Unicode;
    } else if (FT_Select_Charmap(ft, FT_ENCODING_MS_SYMBOL) == 0) {
        f->charmap = CharMap::Symbol;
    } else if (ft->num_charmaps > 0 && FT_Set_Charmap(ft, ft->charmaps[0]) == 0) {
        f->charmap = CharMap::Other;
    }
    slotByKey_.insert(key, slot);
    touch(slot);
    return slot;
}

}  // namespace lettrino
