#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace lettrino {

class FontSystem;
struct FontList;


// One font to match, in the two strings the renderers take, plus the file it lives in.
struct FontJob {
    QString entry;   // the bare file name, or the installed face's name
    QString prefix;  // the file's folder followed by "/", or the installed marker
    QString file;    // the font file's full path (for an installed face, as fontconfig has it)
    int faceIndex = 0;  // which face of a font collection's file
};

// The font files (*.ttf, *.otf, any case) under each folder and its subfolders, and every
// face of the font collections (*.ttc, *.otc) there, as jobs, each file once, sorted by path.
// A folder that does not exist or is not a folder fills `error` (one line, naming it) and
// gives no jobs.
struct FileJobs {
    std::vector<FontJob> jobs;
    QString error;
};
FileJobs fileJobs(const QStringList& folders);

// Every installed face, as the window's system font list has them.
std::vector<FontJob> installedJobs(const FontSystem& fonts);

// The entries of a window's font list, in its order.
std::vector<FontJob> jobsOf(const FontList& list);

}  // namespace lettrino
