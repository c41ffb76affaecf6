#include "session/FontSource.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

#include "fonts/FontList.h"
#include "render/FontSystem.h"

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
        for (const QString& path : fontFilesUnder(root, true)) {
            // The paths come clean from under a clean absolute root: split them as text, without
            // asking the file system about each again. Only a second folder can list a file again.
            if (folders.size() > 1) {
                if (seen.contains(path)) continue;
                seen.insert(path);
            }
            // Every face of a collection is a font of its own; a collection whose header cannot
            // be read is still tried (it is then counted as unreadable).
            const int faces = isCollectionFileName(path) ? std::max(1, collectionFaceCount(path)) : 1;
            for (int i = 0; i < faces; ++i) out.jobs.push_back(FontRef::fontFile(path, i));
        }
    }
    const auto byFile = [](const FontRef& a, const FontRef& b) {
        return a.file != b.file ? a.file < b.file : a.faceIndex < b.faceIndex;
    };
    // One folder's files come sorted already.
    if (!std::is_sorted(out.jobs.begin(), out.jobs.end(), byFile))
        std::sort(out.jobs.begin(), out.jobs.end(), byFile);
    return out;
}

std::vector<FontRef> installedJobs(const FontSystem& fonts) {
    std::vector<FontRef> jobs;
    jobs.reserve(fonts.installedFaces().size());
    for (const FaceEntry& face : fonts.installedFaces())
        jobs.push_back(FontRef::installedFace(face.name, face.file, face.index));
    return jobs;
}

std::vector<FontRef> jobsOf(const FontList& list) {
    std::vector<FontRef> jobs;
    jobs.reserve(size_t(list.count()));
    for (int i = 0; i < list.count(); ++i)
        jobs.push_back(list.installed ? FontRef::installedFace(list.entries.at(i)) : FontRef::fontFile(list.pathOf(i)));
    return jobs;
}

}  // namespace lettrino
