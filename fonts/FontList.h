#pragma once

#include <QString>
#include <QStringList>

namespace lettrino {

class FontSystem;

// The list of fonts a search runs over: installed face names, or the bare file names of
// one folder's font files. All entries are of one kind.
struct FontList {
    QStringList entries;
    // The folder of a file list, without a trailing "/" (the root folder is held as "").
    QString folder;
    bool installed = true;

    int count() const { return int(entries.size()); }
    // The full path of a file entry; empty for an installed face.
    QString pathOf(int index) const;
};

// The installed face names, in the font system's order.
QStringList installedFaceNames(const FontSystem& fonts);

// True for a file name the font-folder list offers: *.ttf or *.otf, in any case.
bool isFontFileName(const QString& name);
// The font files of one folder (not its subfolders), sorted by name; empty when the folder
// cannot be read.
QStringList fontFilesIn(const QString& folder);
// True for a font collection's file name: *.ttc or *.otc, in any case.
bool isCollectionFileName(const QString& name);
// The font files under a folder and all its subfolders, as full paths, sorted; with
// collections, the font collections' files too.
QStringList fontFilesUnder(const QString& folder, bool collections = false);
// The number of faces a font collection's file holds (its header's count), 1 for any other
// file; 0 for a collection whose header cannot be read.
int collectionFaceCount(const QString& path);
// How a folder path is held in a FontList: without its trailing "/", the root as "".
QString folderTag(const QString& path);

}  // namespace lettrino
