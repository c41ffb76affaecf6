#include "session/FontSource.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

#include "fonts/FontList.h"
#include "render/FontSystem.h"
#include "render/GlyphRenderer.h"

namespace lettrino {

FileJobs fileJobs(const QStringList& folders) {
    FileJobs out;
    QSet<QString> seen;
    for (const QString& folder : folders) {
        const QFileInfo info(folder);
        if (!info.exists()) {
            out.error = QStringLiteral("no such folder: %1").arg(folder);
            out.jobs.clear();
            return out;
        }
        if (!info.isDir()) {
            out.error = QStringLiteral("not a folder: %1").arg(folder);
            out.jobs.clear();
            return out;
        }
        const QString root = QDir::cleanPath(info.absoluteFilePath());
        QString prefix;
        for (const QString& path : fontFilesUnder(root, true)) {
            // The paths come clean from under a clean absolute root: split them as text, without
            // asking the file system about each again. Only a second folder can list a file again.
            if (folders.size() > 1) {
                if (seen.contains(path)) continue;
                seen.insert(path);
            }
            const int slash = int(path.lastIndexOf(QLatin1Char('/')));
            // The files of a folder come together and share one prefix.
            if (QStringView(path).left(slash + 1) != prefix) prefix = path.left(slash + 1);
            const QString name = path.mid(slash + 1);
            // Every face of a collection is a font of its own; a collection whose header cannot
            // be read is still tried (it is then counted as unreadable).
            const int faces = isCollectionFileName(name) ? std::max(1, collectionFaceCount(path)) : 1;
            for (int i = 0; i < faces; ++i) out.jobs.push_back({name, prefix, path, i});
        }
    }
    const auto byFile = [](const FontJob& a, const FontJob& b) {
        return a.file != b.file ? a.file < b.file : a.faceIndex < b.faceIndex;
    };
    // One folder's files come sorted already.
    if (!std::is_sorted(out.jobs.begin(), out.jobs.end(), byFile))
        std::sort(out.jobs.begin(), out.jobs.end(), byFile);
    return out;
}

std::vector<FontJob> installedJobs(const FontSystem& fonts) {
    std::vector<FontJob> jobs;
    jobs.reserve(fonts.installedFaces().size());
    for (const FaceEntry& face : fonts.installedFaces())
        jobs.push_back({face.name, kInstalledMarker, face.file});
    return jobs;
}

std::vector<FontJob> jobsOf(const FontList& list) {
    std::vector<FontJob> jobs;
    jobs.reserve(size_t(list.count()));
    const QString prefix = list.prefix();
    for (int i = 0; i < list.count(); ++i) jobs.push_back({list.entries.at(i), prefix, list.pathOf(i)});
    return jobs;
}

}  // namespace lettrino
