#include "fonts/FontList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <vector>

#include "render/FontSystem.h"

namespace lettrino {

QString FontList::pathOf(int index) const {
    if (installed || index < 0 || index >= count()) return {};
    return folder + QLatin1Char('/') + entries.at(index);
}

QStringList installedFaceNames(const FontSystem& fonts) {
    QStringList names;
    names.reserve(int(fonts.installedFaces().size()));
    for (const FaceEntry& face : fonts.installedFaces()) names.append(face.name);
    return names;
}

bool isFontFileName(const QString& name) {
    return name.endsWith(QLatin1String(".ttf"), Qt::CaseInsensitive) ||
           name.endsWith(QLatin1String(".otf"), Qt::CaseInsensitive);
}

QStringList fontFilesIn(const QString& folder) {
    QDir dir(folder.isEmpty() ? QStringLiteral("/") : folder);
    QStringList files;
    const QFileInfoList infos = dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
    for (const QFileInfo& info : infos)
        if (isFontFileName(info.fileName())) files.append(info.fileName());
    std::sort(files.begin(), files.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return files;
}

bool isCollectionFileName(const QString& name) {
    return name.endsWith(QLatin1String(".ttc"), Qt::CaseInsensitive) ||
           name.endsWith(QLatin1String(".otc"), Qt::CaseInsensitive);
}

namespace {
// The name ends with one of the suffixes, in any case (the suffixes are lower-case ASCII).
bool endsWithAnyCase(const char* name, std::size_t length, const char* suffix) {
    const std::size_t n = std::strlen(suffix);
    if (length < n) return false;
    for (std::size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(name[length - n + i])) != suffix[i]) return false;
    return true;
}
}  // namespace

QStringList fontFilesUnder(const QString& folder, bool collections) {
    // Read with readdir, whose entries carry their type: a library of 20,000 files is listed
    // without a call per file. Links are taken by their names and not followed (into a folder
    // or not): one that leads to no file fails to open later, and is counted then.
    QStringList files;
    std::vector<QByteArray> folders{QFile::encodeName(folder)};
    while (!folders.empty()) {
        QByteArray dirPath = std::move(folders.back());
        folders.pop_back();
        DIR* dir = ::opendir(dirPath.isEmpty() ? "/" : dirPath.constData());
        if (!dir) continue;
        if (!dirPath.endsWith('/')) dirPath += '/';
        while (const dirent* entry = ::readdir(dir)) {
            const char* name = entry->d_name;
            if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) continue;
            const QByteArray path = dirPath + name;
            unsigned char type = entry->d_type;
            if (type == DT_UNKNOWN) {  // a file system that does not say: ask it
                struct stat st;
                if (::lstat(path.constData(), &st) != 0) continue;
                type = S_ISDIR(st.st_mode)   ? DT_DIR
                       : S_ISREG(st.st_mode) ? DT_REG
                       : S_ISLNK(st.st_mode) ? DT_LNK
                                             : 0;
            }
            if (type == DT_DIR) {
                folders.push_back(path);
                continue;
            }
            if (type != DT_REG && type != DT_LNK) continue;
            const std::size_t length = std::strlen(name);
            if (endsWithAnyCase(name, length, ".ttf") || endsWithAnyCase(name, length, ".otf") ||
                (collections &&
                 (endsWithAnyCase(name, length, ".ttc") || endsWithAnyCase(name, length, ".otc"))))
                files.append(QFile::decodeName(path));
        }
        ::closedir(dir);
    }
    std::sort(files.begin(), files.end());
    return files;
}

int collectionFaceCount(const QString& path) {
    // Only a plain file is read: a pipe named like a collection must not block the listing.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return 0;
    struct stat st {};
    QFile file;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return 0;
    }
    // "ttcf", a version, then the number of fonts, big-endian.
    const QByteArray head = file.read(12);
    if (!head.startsWith("ttcf")) return isCollectionFileName(path) ? 0 : 1;
    if (head.size() < 12) return 0;
    const auto byte = [&head](int i) { return quint32(quint8(head[i])); };
    const quint32 count = byte(8) << 24 | byte(9) << 16 | byte(10) << 8 | byte(11);
    // FontSystem registers at most this many faces of one file.
    constexpr quint32 kMaxFaces = 64;
    return int(std::min(count, kMaxFaces));
}

QString folderTag(const QString& path) {
    QString tag = QDir::cleanPath(path);
    while (tag.endsWith(QLatin1Char('/'))) tag.chop(1);
    return tag;  // the root "/" becomes ""
}

}  // namespace lettrino
