#include "render/FontFileStream.h"

#include <algorithm>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

#include "render/CharacterMaps.h"

namespace lettrino {

static_assert(CharacterMaps::kHeadBytes == FileStream::kWindow, "a checked file's first bytes fill one window");

FileStamp stampOf(const struct stat& st) {
    return {std::int64_t(st.st_size), std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
            std::uint64_t(st.st_ino), std::uint64_t(st.st_dev)};
}

FileStamp stampOf(const QByteArray& path) {
    struct stat st;
    if (::stat(path.constData(), &st) != 0) return {};
    return stampOf(st);
}

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

unsigned long readAt(int fd, unsigned char* to, unsigned long at, unsigned long n) {
    unsigned long got = 0;
    while (got < n) {
        const ssize_t r = ::pread(fd, to + got, n - got, off_t(at + got));
        if (r <= 0) break;
        got += (unsigned long)r;
    }
    return got;
}

namespace {

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

}  // namespace

FT_Error openStreamFace(FT_Library lib, const QByteArray& path, FT_Long index, FileStream& file,
                        FileStamp& stamp, FT_Face* face, const CheckedFile* checked) {
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

}  // namespace lettrino
