#pragma once

#include <QString>
#include <QStringList>

namespace lettrino::cli::test {

// A font the setup installs, by its path under the system font folder; empty when missing.
QString systemFont(const QString& relativePath);

// DejaVu fonts the fixtures use, relative to the system font folder.
QStringList dejavuFonts();

// Copies the fonts into `folder`; false when one is missing (the test then skips).
bool copyFonts(const QStringList& relativePaths, const QString& folder);

// Writes a reference bitmap of `charText` drawn from the font file, ink `height` pixels tall.
// False when it cannot be drawn.
bool writeSample(const QString& fontFile, const QString& charText, int height, const QString& out);

// A font file that is not a font, and an empty one.
void writeBrokenFonts(const QString& folder);

}  // namespace lettrino::cli::test
