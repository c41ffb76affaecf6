#pragma once

#include <QString>

namespace lettrino {

// A font to draw: an installed face, by the name the font system lists it under, or a font
// file and the index of a face in it (a collection holds several; 0 for any other file).
struct FontRef {
    enum class Kind { Installed, File };
    Kind kind = Kind::File;
    QString name;  // an installed face's name; empty for a file
    // The font file: for an installed face the file fontconfig has it in (empty when unknown).
    QString file;
    // The face inside the file. For an installed face, fontconfig's index: the face of a
    // collection in the low 16 bits, a variable font's named instance above them.
    int faceIndex = 0;

    static FontRef installedFace(const QString& name, const QString& file = QString(), int faceIndex = 0) {
        return {Kind::Installed, name, file, faceIndex};
    }
    static FontRef fontFile(const QString& path, int faceIndex = 0) { return {Kind::File, QString(), path, faceIndex}; }

    bool isInstalled() const { return kind == Kind::Installed; }
    // What names the font for a person: an installed face's name, or the file's name without
    // its folder.
    QString label() const { return isInstalled() ? name : file.mid(file.lastIndexOf(QLatin1Char('/')) + 1); }
};

}  // namespace lettrino
