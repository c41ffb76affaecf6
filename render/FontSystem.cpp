#include "render/FontSystem.h"

#include <QFile>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <mutex>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SFNT_NAMES_H
#include FT_TRUETYPE_IDS_H

#include "canvas/Canvas.h"
#include "render/CharacterMaps.h"

namespace lettrino {

namespace {

// fontconfig's own caches are shared by the whole process; every call into it goes through here.
std::mutex& fontconfigMutex() {
    static std::mutex m;
    return m;
}

constexpr std::size_t kCachedFaces = 24;
constexpr int kMaxFacesPerFile = 64;

// Windows-1252 at 0x80-0x9F; 0 where the code page has no character.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

enum class CharMap { Unicode, Symbol, Other, None };

// The character codes a face's map is asked for, in turn, to draw a code (0-255 Windows-1252,
// or FontSystem::kUnicodeCode | ch); how many (at most two).
int lookupCodes(int code, CharMap map, FT_ULong codes[2]) {
    if (map == CharMap::Symbol) {
        // Symbol fonts put their characters at 0xF000 + code, some at the code itself.
        if (code < 0x20 || code > 0xFF) return 0;
        codes[0] = FT_ULong(0xF000 + code);
        codes[1] = FT_ULong(code);
        return 2;
    }
    if (code < 0) return 0;
    if (code & FontSystem::kUnicodeCode) {
        codes[0] = FT_ULong(code & ~FontSystem::kUnicodeCode);
        return map == CharMap::Unicode ? 1 : 0;
    }
    const char32_t ch = FontSystem::unicodeOf(code);
    if (!ch) return 0;
    codes[0] = map == CharMap::Unicode ? FT_ULong(ch) : FT_ULong(code);
    return 1;
}

QString fcString(FcPattern* p, const char* object, int n = 0) {
    FcChar8* s = nullptr;
    if (FcPatternGetString(p, object, n, &s) != FcResultMatch || !s) return {};
    return QString::fromUtf8(reinterpret_cast<const char*>(s));
}

// The English value of a string property that fontconfig keeps per language (family, style,
// full name), else its first value.
QString fcEnglish(FcPattern* p, const char* object, const char* langObject) {
    for (int n = 0;; ++n) {
        const QString value = fcString(p, object, n);
        if (value.isEmpty()) break;
        if (fcString(p, langObject, n).startsWith(QLatin1String("en"))) return value;
    }
    return fcString(p, object, 0);
}

bool isPlainStyle(const QString& style) {
    return style.isEmpty() || style.compare(QLatin1String("Regular"), Qt::CaseInsensitive) == 0 ||
           style.compare(QLatin1String("Normal"), Qt::CaseInsensitive) == 0 ||
           style.compare(QLatin1String("Book"), Qt::CaseInsensitive) == 0 ||
           style.compare(QLatin1String("Roman"), Qt::CaseInsensitive) == 0;
}

QString decodeSfntName(const FT_SfntName& name) {
    if (name.platform_id == TT_PLATFORM_MICROSOFT || name.platform_id == TT_PLATFORM_APPLE_UNICODE) {
        QString s;
        s.reserve(int(name.string_len / 2));
        for (FT_UInt i = 0; i + 1 < name.string_len; i += 2)
            s.append(QChar(char16_t(name.string[i] << 8 | name.string[i + 1])));
        return s;
    }
    return QString::fromLatin1(reinterpret_cast<const char*>(name.string), int(name.string_len));
}

// The full name a face file gives itself (name table entry 4, English preferred), else its
// family and style.
QString fullNameOf(FT_Face face) {
    QString best;
    int bestRank = 100;
    const FT_UInt count = FT_Get_Sfnt_Name_Count(face);
    for (FT_UInt i = 0; i < count; ++i) {
        FT_SfntName name;
        if (FT_Get_Sfnt_Name(face, i, &name) != 0 || name.name_id != TT_NAME_ID_FULL_NAME) continue;
        int rank = 50;
        if (name.platform_id == TT_PLATFORM_MICROSOFT)
            rank = name.language_id == 0x409 ? 0 : (name.language_id & 0x3FF) == 0x09 ? 1 : 4;
        else if (name.platform_id == TT_PLATFORM_MACINTOSH)
            rank = name.language_id == 0 ? 2 : 5;
        else if (name.platform_id == TT_PLATFORM_APPLE_UNICODE)
            rank = 3;
        if (rank >= bestRank) continue;
        const QString decoded = decodeSfntName(name).trimmed();
        if (decoded.isEmpty()) continue;
        best = decoded;
        bestRank = rank;
    }
    if (!best.isEmpty()) return best;
    QString family = face->family_name ? QString::fromLatin1(face->family_name) : QString();
    const QString style = face->style_name ? QString::fromLatin1(face->style_name) : QString();
    if (!isPlainStyle(style)) family += (family.isEmpty() ? QString() : QStringLiteral(" ")) + style;
    return family;
}

}  // namespace

namespace {
// What tells one version of a file from another: a face opened from a file that has been
// rewritten since must not be used again (FreeType reads the file lazily, through a mapping).
struct FileStamp {
    std::int64_t size = -1;
    std::int64_t mtimeNs = 0;
    std::uint64_t inode = 0;
    std::uint64_t device = 0;
    bool operator==(const FileStamp& o) const {
        return size == o.size && mtimeNs == o.mtimeNs && inode == o.inode && device == o.device;
    }
};
FileStamp stampOf(const struct stat& st) {
    return {std::int64_t(st.st_size), std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
            std::uint64_t(st.st_ino), std::uint64_t(st.st_dev)};
}
FileStamp stampOf(const QByteArray& path) {
    struct stat st;
    if (::stat(path.constData(), &st) != 0) return {};
    return stampOf(st);
}
}  // namespace

struct FileStream;

// A font file whose character maps were read and gave no reason to pass it over: the face opened
// next from the same path takes over its descriptor and the bytes read of it.
struct CheckedFile {
    QByteArray path;
    int fd = -1;
    FileStamp stamp;
    const CharacterMaps* maps = nullptr;  // what was read of it
};

struct FontSystem::Face {
    FT_Face ft = nullptr;
    // The file the face reads from with pread (FileAccess::Read); null for a mapped file.
    std::unique_ptr<FileStream> stream;
    QString key;
    FileStamp stamp;
    std::uint64_t generation = 0;
    CharMap charmap = CharMap::None;
    FT_F26Dot6 ppem26 = -1;  // the size last requested on the face
    std::uint64_t lastUse = 0;  // 0: empty, or not used since the face was dropped
};

struct FontSystem::RenderedGlyph {
    int slot = -1;
    std::uint64_t generation = 0;
    FT_F26Dot6 ppem26 = 0;
    int code = -1;
    GlyphMetrics metrics;
    std::vector<std::uint8_t> coverage;  // trimmed to the black box, blackBoxX per row
    std::vector<std::uint64_t> columnCoverage;  // while measuring the box: the bitmap's rows ORed
};

namespace {
std::uint64_t nextGeneration() {
    static std::atomic<std::uint64_t> counter{0};
    return ++counter;
}
QString faceKey(const QString& file, int index) { return file + QLatin1Char('#') + QString::number(index); }
}  // namespace

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

namespace {

unsigned long readAt(int fd, unsigned char* to, unsigned long at, unsigned long n) {
    unsigned long got = 0;
    while (got < n) {
        const ssize_t r = ::pread(fd, to + got, n - got, off_t(at + got));
        if (r <= 0) break;
        got += (unsigned long)r;
    }
    return got;
}

unsigned long streamRead(FT_Stream stream, unsigned long offset, unsigned char* buffer, unsigned long count) {
    auto* file = static_cast<FileStream*>(stream->pathname.pointer);
    if (count == 0) return offset <= stream->size ? 0 : 1;  // a seek: non-zero fails it
    if (file->known && offset >= file->knownOffset && offset - file->knownOffset <= file->knownSize &&
        count <= file->knownSize - (offset - file->knownOffset)) {
        std::memcpy(buffer, file->known + (offset - file->knownOffset), count);
        return count;
    }
    // FreeType reads a face in many small pieces, mostly near each other: serve them from
    // windows of the file, each read once, rather than with a call each.
    if (count > FileStream::kWindow - FileStream::kAlign) return readAt(file->fd, buffer, offset, count);
    ++file->uses;
    int chosen = 0;
    for (int i = 0; i < FileStream::kWindows; ++i) {
        FileStream::Window& w = file->windows[i];
        if (w.size > 0 && offset >= w.offset && offset + count <= w.offset + w.size) {
            w.lastUse = file->uses;
            std::memcpy(buffer, file->bytes.get() + i * FileStream::kWindow + (offset - w.offset), count);
            return count;
        }
        if (w.lastUse < file->windows[chosen].lastUse) chosen = i;
    }
    // The least recently used window is read again, starting at the piece's kilobyte.
    FileStream::Window& w = file->windows[chosen];
    unsigned char* bytes = file->bytes.get() + chosen * FileStream::kWindow;
    w.offset = offset / FileStream::kAlign * FileStream::kAlign;
    w.size = readAt(file->fd, bytes, w.offset,
                    std::min(FileStream::kWindow, stream->size - std::min(stream->size, w.offset)));
    w.lastUse = file->uses;
    const unsigned long end = w.offset + w.size;
    if (offset + count > end) count = end > offset ? end - offset : 0;
    std::memcpy(buffer, bytes + (offset - w.offset), count);
    return count;
}

void streamClose(FT_Stream stream) {
    auto* file = static_cast<FileStream*>(stream->pathname.pointer);
    if (file->fd >= 0) ::close(file->fd);
    file->fd = -1;
}

// Opens a font file for reading: only plain files that hold something (a pipe named like a font
// file neither blocks nor counts). Its stamp comes from the open file, so that its path is looked
// up once. -1 when it cannot be read.
int openPlainFile(const QByteArray& path, FileStamp& stamp) {
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return -1;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0) {
        ::close(fd);
        return -1;
    }
    stamp = stampOf(st);
    return fd;
}

// Opens a face from a file read through a stream of our own; the stream must outlive the face.
// A file already open (`checked`) is read from its descriptor, which the stream takes over, with
// the bytes its character maps' check read.
FT_Error openStreamFace(FT_Library lib, const QByteArray& path, FT_Long index, FileStream& file,
                        FileStamp& stamp, FT_Face* face, const CheckedFile* checked = nullptr) {
    if (checked) {
        file.fd = checked->fd;
        stamp = checked->stamp;
    } else if ((file.fd = openPlainFile(path, stamp)) < 0) {
        return FT_Err_Cannot_Open_Resource;
    }
    const std::int64_t size = stamp.size;
    file.forget();
    if (checked) {
        const CharacterMaps& maps = *checked->maps;
        if (maps.headSize() > 0) {
            std::memcpy(file.bytes.get(), maps.head(), maps.headSize());
            file.windows[0] = {0, maps.headSize(), ++file.uses};
        }
        if (maps.tableSize() > 0) {
            file.known = maps.table();
            file.knownOffset = maps.tableOffset();
            file.knownSize = maps.tableSize();
        }
    }
    FT_StreamRec& stream = file.rec;
    stream = FT_StreamRec();
    stream.size = (unsigned long)size;
    stream.pathname.pointer = &file;
    stream.read = streamRead;
    stream.close = streamClose;
    FT_Open_Args args{};
    args.flags = FT_OPEN_STREAM;
    args.stream = &stream;
    // On failure FreeType has already closed the stream.
    const FT_Error error = FT_Open_Face(lib, &args, index, face);
    file.known = nullptr;  // the next file checked reuses those bytes
    return error;
}

}  // namespace

FontSystem::FontSystem() : FontSystem(std::vector<FaceEntry>()) {
    loadInstalled();
}

FontSystem::FontSystem(std::vector<FaceEntry> installed)
    : lastGlyph_(std::make_unique<RenderedGlyph>()),
      characterMaps_(std::make_unique<CharacterMaps>()),
      checked_(std::make_unique<CheckedFile>()) {
    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib) == 0) library_ = lib;
    setInstalled(std::move(installed));
}

FontSystem::~FontSystem() {
    closeChecked();
    for (auto& face : faces_)
        if (face && face->ft) FT_Done_Face(face->ft);
    if (library_) FT_Done_FreeType(static_cast<FT_Library>(library_));
}

void FontSystem::closeChecked() {
    if (checked_->fd >= 0) ::close(checked_->fd);
    checked_->fd = -1;
    checked_->path.clear();
}

void FontSystem::touch(int slot) { faces_[std::size_t(slot)]->lastUse = ++uses_; }

void FontSystem::closeSlot(int slot) {
    Face* f = faces_[std::size_t(slot)].get();
    if (!f->key.isEmpty()) slotByKey_.remove(f->key);
    if (f->ft) FT_Done_Face(f->ft);  // closes the stream's file too
    if (f->stream) spareStreams_.push_back(std::move(f->stream));
    *f = Face();
    if (lastGlyph_->slot == slot) lastGlyph_->slot = -1;
}

void FontSystem::loadInstalled() {
    std::vector<FaceEntry> all;
    {
        std::lock_guard<std::mutex> lock(fontconfigMutex());
        if (!FcInit()) return;
        FcPattern* pattern = FcPatternCreate();
        FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
        FcObjectSet* objects = FcObjectSetBuild(FC_FULLNAME, FC_FULLNAMELANG, FC_FAMILY, FC_FAMILYLANG, FC_STYLE,
                                                FC_STYLELANG, FC_FILE, FC_INDEX, FC_VARIABLE, nullptr);
        FcFontSet* set = FcFontList(nullptr, pattern, objects);
        if (set) {
            for (int i = 0; i < set->nfont; ++i) {
                FcPattern* p = set->fonts[i];
                FcBool variable = FcFalse;
                // A variable font is listed once as a whole and once per named instance: keep the instances.
                if (FcPatternGetBool(p, FC_VARIABLE, 0, &variable) == FcResultMatch && variable) continue;
                FaceEntry e;
                e.file = fcString(p, FC_FILE);
                FcPatternGetInteger(p, FC_INDEX, 0, &e.index);
                e.name = fcEnglish(p, FC_FULLNAME, FC_FULLNAMELANG);
                if (e.name.isEmpty()) {
                    e.name = fcEnglish(p, FC_FAMILY, FC_FAMILYLANG);
                    const QString style = fcEnglish(p, FC_STYLE, FC_STYLELANG);
                    if (!isPlainStyle(style)) e.name += QLatin1Char(' ') + style;
                }
                if (!e.name.isEmpty() && !e.file.isEmpty()) all.push_back(std::move(e));
            }
            FcFontSetDestroy(set);
        }
        FcObjectSetDestroy(objects);
        FcPatternDestroy(pattern);
    }
    setInstalled(std::move(all));
}

void FontSystem::setInstalled(std::vector<FaceEntry> all) {
    std::sort(all.begin(), all.end(), [](const FaceEntry& a, const FaceEntry& b) {
        const int c = a.name.compare(b.name, Qt::CaseInsensitive);
        if (c != 0) return c < 0;
        if (a.name != b.name) return a.name < b.name;
        if (a.file != b.file) return a.file < b.file;
        return a.index < b.index;
    });
    installed_.clear();
    installedByName_.clear();
    for (FaceEntry& e : all) {
        const QString folded = e.name.toCaseFolded();
        if (installedByName_.contains(folded)) continue;
        installedByName_.insert(folded, int(installed_.size()));
        installed_.push_back(std::move(e));
    }
}

int FontSystem::faceCount() const { return int(installed_.size() + registered_.size()); }

QString FontSystem::faceName(int index) const {
    if (index < 0) return {};
    const std::size_t i = std::size_t(index);
    if (i < installed_.size()) return installed_[i].name;
    if (i - installed_.size() < registered_.size()) return registered_[i - installed_.size()].entry.name;
    return {};
}

FontSystem::Face* FontSystem::face(int slot) {
    return slot >= 0 && std::size_t(slot) < faces_.size() ? faces_[std::size_t(slot)].get() : nullptr;
}

int FontSystem::slotFor(const QString& file, int index) {
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
    FT_Library lib = static_cast<FT_Library>(library_);
    if (access_ == FileAccess::Read) {
        if (spareStreams_.empty()) {
            stream = std::make_unique<FileStream>();
        } else {
            stream = std::move(spareStreams_.back());
            spareStreams_.pop_back();
        }
        const bool checked = checked_->fd >= 0 && checked_->path == encoded;
        const FT_Error error =
            openStreamFace(lib, encoded, index, *stream, stamp, &ft, checked ? checked_.get() : nullptr);
        if (checked) {
            checked_->fd = -1;  // the stream has it now
            checked_->path.clear();
        }
        if (error != 0) {
            spareStreams_.push_back(std::move(stream));  // already closed
            return -1;
        }
    } else {
        stamp = stampOf(encoded);
        if (stamp.size <= 0 || FT_New_Face(lib, encoded.constData(), index, &ft) != 0) return -1;
    }
    if (ft->num_glyphs <= 0 || !(FT_IS_SCALABLE(ft) || ft->num_fixed_sizes > 0)) {
        FT_Done_Face(ft);
        if (stream) spareStreams_.push_back(std::move(stream));
        return -1;
    }
    int slot;
    if (faces_.size() < kCachedFaces) {
        slot = int(faces_.size());
        faces_.push_back(std::make_unique<Face>());
    } else {
        slot = 0;
        for (std::size_t i = 1; i < faces_.size(); ++i)
            if (faces_[i]->lastUse < faces_[std::size_t(slot)]->lastUse) slot = int(i);
        closeSlot(slot);
    }
    Face* f = faces_[std::size_t(slot)].get();
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

int FontSystem::resolve(const QString& name) {
    for (auto it = registered_.rbegin(); it != registered_.rend(); ++it) {
        // The name drawn is mostly the very name registered: that needs no case folding.
        if (it->entry.name != name && it->entry.name.compare(name, Qt::CaseInsensitive) != 0) continue;
        // A registered file is read as it was when registered: its face, while still open, is
        // used without checking the file again (a font is registered, drawn and removed in one go).
        const Face* f = face(it->slot);
        if (f && f->ft && f->generation == it->generation) {
            touch(it->slot);
            return it->slot;
        }
        return slotFor(it->entry.file, it->entry.index);
    }
    const auto installed = installedByName_.constFind(name.toCaseFolded());
    if (installed != installedByName_.constEnd()) {
        const FaceEntry& e = installed_[std::size_t(installed.value())];
        return slotFor(e.file, e.index);
    }
    auto sub = substitutes_.constFind(name);
    if (sub == substitutes_.constEnd()) {
        FaceEntry e;
        std::lock_guard<std::mutex> lock(fontconfigMutex());
        FcPattern* pattern = FcPatternCreate();
        const QByteArray utf8 = name.toUtf8();
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(utf8.constData()));
        FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
            e.file = fcString(match, FC_FILE);
            FcPatternGetInteger(match, FC_INDEX, 0, &e.index);
            e.name = fcEnglish(match, FC_FULLNAME, FC_FULLNAMELANG);
            FcPatternDestroy(match);
        }
        FcPatternDestroy(pattern);
        sub = substitutes_.insert(name, e);
    }
    return slotFor(sub->file, sub->index);
}

QString FontSystem::faceFile(const QString& name) {
    for (auto it = registered_.rbegin(); it != registered_.rend(); ++it)
        if (it->entry.name.compare(name, Qt::CaseInsensitive) == 0) return it->entry.file;
    const auto installed = installedByName_.constFind(name.toCaseFolded());
    if (installed != installedByName_.constEnd()) return installed_[std::size_t(installed.value())].file;
    const int slot = resolve(name);
    return slot >= 0 ? faces_[std::size_t(slot)]->key.section(QLatin1Char('#'), 0, -2) : QString();
}

int FontSystem::addFontResource(const QString& path) {
    const int first = slotFor(path, 0);
    if (first < 0) return 0;
    const int faces = int(std::min<FT_Long>(faces_[std::size_t(first)]->ft->num_faces, kMaxFacesPerFile));
    int added = 0;
    for (int i = 0; i < faces; ++i) {
        const int slot = i == 0 ? first : slotFor(path, i);
        if (slot < 0) continue;
        FaceEntry e;
        e.file = path;
        e.index = i;
        e.name = fullNameOf(faces_[std::size_t(slot)]->ft);
        if (e.name.isEmpty()) e.name = path.section(QLatin1Char('/'), -1);
        registered_.push_back({path, std::move(e), slot, faces_[std::size_t(slot)]->generation});
        ++added;
    }
    return added;
}

bool FontSystem::removeFontResource(const QString& path) {
    const auto before = registered_.size();
    registered_.erase(std::remove_if(registered_.begin(), registered_.end(),
                                     [&](const Registration& r) { return r.path == path; }),
                      registered_.end());
    return registered_.size() != before;
}

Font FontSystem::createFont(const QString& faceName, double points) {
    Font font;
    font.face = faceName;
    font.points = std::isfinite(points) ? std::nearbyint(points * 10000.0) / 10000.0 : 0.0;
    font.slot = resolve(faceName);
    if (Face* f = face(font.slot)) font.generation = f->generation;
    return font;
}

char32_t FontSystem::unicodeOf(int code) {
    if (code < 0x20 || code > 0xFF || code == 0x7F) return 0;
    if (code >= 0x80 && code < 0xA0) return kCp1252High[code - 0x80];
    return char32_t(code);
}

int FontSystem::codeOf(char32_t ch) {
    if (ch < 0x80) return unicodeOf(int(ch)) ? int(ch) : -1;
    if (ch >= 0xA0 && ch <= 0xFF) return int(ch);
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] != 0 && kCp1252High[i] == ch) return 0x80 + i;
    return -1;
}

int FontSystem::codeOfCharacter(char32_t ch) {
    if (ch > 0x10FFFF || (ch >= 0xD800 && ch < 0xE000)) return -1;
    const int code = codeOf(ch);
    if (code >= 0) return code;
    return ch < 256 ? int(ch) : int(kUnicodeCode | ch);
}

char32_t FontSystem::characterOfCode(int code) {
    if (code & kUnicodeCode) return char32_t(code & ~kUnicodeCode);
    return unicodeOf(code);
}

bool FontSystem::fileLacksAnyOf(const QString& file, int faceIndex, const std::vector<int>& codes) {
    closeChecked();
    if (faceIndex != 0) return false;
    const QByteArray path = QFile::encodeName(file);
    FileStamp stamp;
    const int fd = openPlainFile(path, stamp);
    if (fd < 0) return false;
    CharacterMaps& maps = *characterMaps_;
    const bool read = maps.read(
        [fd](std::uint64_t offset, std::size_t size, std::uint8_t* to) {
            return readAt(fd, to, (unsigned long)offset, (unsigned long)size) == size;
        },
        std::uint64_t(stamp.size));
    // Every character code that render() may look a code up as, whichever map the face uses.
    const bool lacks = read && std::any_of(codes.begin(), codes.end(), [&maps](int code) {
                           for (CharMap map : {CharMap::Unicode, CharMap::Symbol, CharMap::Other}) {
                               FT_ULong lookups[2];
                               const int n = lookupCodes(code, map, lookups);
                               for (int i = 0; i < n; ++i)
                                   if (!maps.lacks(std::uint32_t(lookups[i]))) return false;
                           }
                           return true;
                       });
    if (lacks) {
        ::close(fd);
        return true;
    }
    // Kept open for the face about to be opened from it.
    static_assert(CharacterMaps::kHeadBytes == FileStream::kWindow, "the first bytes fill one window");
    *checked_ = {path, fd, stamp, &maps};
    return false;
}

const FontSystem::RenderedGlyph* FontSystem::render(const Font& font, int code) {
    int slot = font.slot;
    Face* f = face(slot);
    if (!f || f->generation != font.generation) {
        // The face was dropped from the cache since the description was made: open it again.
        slot = resolve(font.face);
        f = face(slot);
    }
    RenderedGlyph& g = *lastGlyph_;
    const double ppem = font.points * 96.0 / 72.0;
    const FT_F26Dot6 ppem26 = std::isfinite(ppem) ? FT_F26Dot6(std::llround(std::min(ppem, 60000.0) * 64.0)) : 0;
    if (f && g.slot == slot && g.generation == f->generation && g.ppem26 == ppem26 && g.code == code) return &g;

    g.slot = -1;
    g.metrics = GlyphMetrics();
    g.coverage.clear();
    if (!f || ppem26 <= 0) return &g;

    FT_UInt index = 0;
    FT_ULong lookups[2];
    const int lookupCount = lookupCodes(code, f->charmap, lookups);
    for (int i = 0; i < lookupCount && index == 0; ++i) index = FT_Get_Char_Index(f->ft, lookups[i]);
    g.slot = slot;
    g.generation = f->generation;
    g.ppem26 = ppem26;
    g.code = code;
    if (index == 0) return &g;

    if (f->ppem26 != ppem26) {
        FT_Size_RequestRec request{FT_SIZE_REQUEST_TYPE_NOMINAL, ppem26, ppem26, 0, 0};
        if (FT_IS_SCALABLE(f->ft)) {
            if (FT_Request_Size(f->ft, &request) != 0) {
                f->ppem26 = -1;
                return &g;
            }
        } else if (FT_Select_Size(f->ft, 0) != 0) {
            f->ppem26 = -1;
            return &g;
        }
        f->ppem26 = ppem26;
    }
    if (FT_Load_Glyph(f->ft, index, FT_LOAD_DEFAULT) != 0) return &g;
    FT_GlyphSlot glyph = f->ft->glyph;
    if (glyph->format == FT_GLYPH_FORMAT_OUTLINE) {
        // Refuse glyphs whose bitmap would be absurdly large (a broken font, a huge size).
        FT_BBox box;
        FT_Outline_Get_CBox(&glyph->outline, &box);
        const std::int64_t w = (std::int64_t(box.xMax) - box.xMin) / 64 + 2;
        const std::int64_t h = (std::int64_t(box.yMax) - box.yMin) / 64 + 2;
        if (w <= 0 || h <= 0 || w * h > kMaxGlyphPixels) return &g;
    }
    if (glyph->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(glyph, FT_RENDER_MODE_NORMAL) != 0) return &g;

    const FT_Bitmap& bm = glyph->bitmap;
    const int width = int(bm.width), height = int(bm.rows);
    if (width <= 0 || height <= 0 || std::int64_t(width) * height > kMaxGlyphPixels) return &g;
    // Coverage of one bitmap pixel, whatever the bitmap's pixel mode.
    auto coverageAt = [&bm](int x, int y) -> std::uint8_t {
        const unsigned char* row = bm.buffer + std::ptrdiff_t(y) * bm.pitch;
        switch (bm.pixel_mode) {
            case FT_PIXEL_MODE_GRAY:
                return bm.num_grays == 256 ? row[x] : std::uint8_t(row[x] * 255 / std::max(1, bm.num_grays - 1));
            case FT_PIXEL_MODE_MONO: return (row[x >> 3] & (0x80 >> (x & 7))) ? 255 : 0;
            case FT_PIXEL_MODE_GRAY2: return std::uint8_t((row[x >> 2] >> (6 - 2 * (x & 3)) & 3) * 85);
            case FT_PIXEL_MODE_GRAY4: return std::uint8_t((row[x >> 1] >> (4 - 4 * (x & 1)) & 15) * 17);
            case FT_PIXEL_MODE_BGRA: return row[x * 4 + 3];
            default: return 0;
        }
    };
    const bool plainGray = bm.pixel_mode == FT_PIXEL_MODE_GRAY && bm.num_grays == 256 && bm.pitch > 0;

    // The black box: the rows and columns that hold any coverage.
    int top = height, bottom = -1, left = width, right = -1;
    if (plainGray) {
        // Every row ORed into one, eight pixels at a time: the rows with any coverage give the
        // top and the bottom, the first and the last non-zero byte of the ORed row the left
        // and the right.
        std::vector<std::uint64_t>& columns = g.columnCoverage;
        columns.assign(std::size_t(width + 7) / 8, 0);
        for (int y = 0; y < height; ++y) {
            const unsigned char* r = bm.buffer + std::ptrdiff_t(y) * bm.pitch;
            std::uint64_t any = 0;
            int x = 0;
            for (; x + 8 <= width; x += 8) {
                std::uint64_t eight;
                std::memcpy(&eight, r + x, 8);
                columns[std::size_t(x / 8)] |= eight;
                any |= eight;
            }
            if (x < width) {
                std::uint64_t rest = 0;
                std::memcpy(&rest, r + x, std::size_t(width - x));
                columns[std::size_t(x / 8)] |= rest;
                any |= rest;
            }
            if (!any) continue;
            top = std::min(top, y);
            bottom = y;
        }
        const auto* ored = reinterpret_cast<const unsigned char*>(columns.data());
        if (bottom >= 0) {
            left = 0;
            while (!ored[left]) ++left;
            right = width - 1;
            while (!ored[right]) --right;
        }
    } else {
        for (int y = 0; y < height; ++y) {
            int first = -1, last = -1;
            for (int x = 0; x < width; ++x)
                if (coverageAt(x, y)) {
                    if (first < 0) first = x;
                    last = x;
                }
            if (first < 0) continue;
            top = std::min(top, y);
            bottom = y;
            left = std::min(left, first);
            right = std::max(right, last);
        }
    }
    if (bottom < 0) return &g;

    const int bw = right - left + 1, bh = bottom - top + 1;
    g.coverage.resize(std::size_t(bw) * std::size_t(bh));
    for (int y = 0; y < bh; ++y) {
        std::uint8_t* out = g.coverage.data() + std::size_t(y) * std::size_t(bw);
        if (plainGray) {
            std::copy_n(bm.buffer + std::ptrdiff_t(top + y) * bm.pitch + left, bw, out);
        } else {
            for (int x = 0; x < bw; ++x) out[x] = coverageAt(left + x, top + y);
        }
    }
    g.metrics.blackBoxX = std::uint32_t(bw);
    g.metrics.blackBoxY = std::uint32_t(bh);
    g.metrics.originX = glyph->bitmap_left + left;
    g.metrics.originY = glyph->bitmap_top - top;
    g.metrics.cellIncX = std::int16_t(std::clamp<FT_Pos>((glyph->advance.x + 32) >> 6, -32768, 32767));
    g.metrics.cellIncY = std::int16_t(std::clamp<FT_Pos>((glyph->advance.y + 32) >> 6, -32768, 32767));
    return &g;
}

GlyphMetrics FontSystem::glyphMetrics(const Font& font, int code) { return render(font, code)->metrics; }

void FontSystem::textOut(Canvas& canvas, const Font& font, int x, int y, int code) {
    const RenderedGlyph* g = render(font, code);
    if (g->coverage.empty()) return;
    const int w = int(g->metrics.blackBoxX), h = int(g->metrics.blackBoxY);
    canvas.blendBlack(x + g->metrics.originX, y - g->metrics.originY, g->coverage.data(), w, h, w);
}

}  // namespace lettrino
