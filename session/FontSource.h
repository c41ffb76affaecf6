#pragma once

#include <QString>
#include <QStringList>

#include <vector>

#include "render/FontRef.h"

namespace lettrino {

class FontSystem;
struct FontList;


// The font files (*.ttf, *.otf, any case) under each folder and its subfolders, and every
// face of the font collections (*.ttc, *.otc) there, each file once, sorted by path.
// A folder that does not exist or is not a folder fills `error` (one line, naming it) and
// gives no fonts.
struct FileJobs {
    std::vector<FontRef> jobs;
    QString error;
};
FileJobs fileJobs(const QStringList& folders);

// Every installed face, as the window's system font list has them.
std::vector<FontRef> installedJobs(const FontSystem& fonts);

// The entries of a window's font list, in its order.
std::vector<FontRef> jobsOf(const FontList& list);

}  // namespace lettrino
