#pragma once

#include <QHash>
#include <QString>

#include <mutex>
#include <vector>

struct FT_FaceRec_;

namespace lettrino {

// One installed or registered face: a name and where it lives.
struct FaceEntry {
    QString name;
    QString file;
    int index = 0;  // face index inside the file (collections, named instances)
};

// fontconfig's own caches are shared by the whole process: every call into it holds this.
std::mutex& fontconfigMutex();

// Every installed outline face fontconfig lists, each named by its English full name (else its
// family and a style other than the plain one); a variable font by its named instances only.
// Unsorted, duplicates kept. Empty when fontconfig cannot be set up.
std::vector<FaceEntry> listInstalledFaces();

// The face fontconfig substitutes for a name it does not list (its best match for the name
// as a family). An empty entry when nothing matches.
FaceEntry fontconfigSubstitute(const QString& name);

// The full name a face file gives itself (name table entry 4, English preferred), else its
// family and style; empty when it has none.
QString faceFullName(FT_FaceRec_* face);

// The installed faces as the font system lists them: sorted case-insensitively, each name
// once, found by name in any case.
class InstalledFaces {
public:
    InstalledFaces() = default;
    explicit InstalledFaces(std::vector<FaceEntry> all);

    const std::vector<FaceEntry>& list() const { return faces_; }
    std::size_t size() const { return faces_.size(); }
    // The face of that name, in any case; null when none is installed.
    const FaceEntry* find(const QString& name) const;

private:
    std::vector<FaceEntry> faces_;
    QHash<QString, int> byName_;  // case-folded name -> index
};

}  // namespace lettrino
