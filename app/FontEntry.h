#pragma once

#include <QString>

#include "fonts/FontList.h"
#include "render/FontRef.h"

namespace lettrino {

// The window names a font by two strings, as its routines take them: the font list's entry
// (an installed face's name, or a bare file name) and the folder prefix, which is the
// installed marker "\" alone for installed faces and the folder followed by "/" for files.
// The engine takes a FontRef; the two convert here.
inline const QString kInstalledMarker = QStringLiteral("\\");

// The prefix of a font list's entries.
inline QString prefixOf(const FontList& list) {
    return list.installed ? kInstalledMarker : list.folder + QLatin1Char('/');
}

// The font an entry and its prefix name.
inline FontRef fontRefOf(const QString& entry, const QString& prefix) {
    return prefix == kInstalledMarker ? FontRef::installedFace(entry) : FontRef::fontFile(prefix + entry);
}

// The folder a prefix names, without its trailing "/"; "" for installed faces.
inline QString folderOfPrefix(const QString& prefix) {
    if (prefix == kInstalledMarker) return QString();
    return prefix.endsWith(QLatin1Char('/')) ? prefix.chopped(1) : prefix;
}

}  // namespace lettrino
