#include "fonts/FontList.h"

#include <QDir>
#include <QFile>
#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>

#include "render/FontSystem.h"
#include "render/GlyphRenderer.h"

namespace lettrino {

QString FontList::prefix() const { return installed ? kInstalledMarker : folder + QLatin1Char('/'); }

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

QStringList fontFilesUnder(const QString& folder, bool collections) {
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (isFontFileName(it.fileName()) || (collections && isCollectionFileName(it.fileName())))
            files.append(path);
    }
    std::sort(files.begin(), files.end());
    return files;
}

int collectionFaceCount(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return 0;
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
