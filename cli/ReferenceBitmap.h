#pragma once

#include <QString>

#include "canvas/Canvas.h"
#include "canvas/InkBox.h"

namespace lettrino::cli {

// The reference picture, loaded the way the window loads it: into a canvas, measured by
// the ink-box scan.
struct ReferenceBitmap {
    Canvas canvas;
    InkBox box;
    // Why the file could not be used; empty when it loaded.
    QString error;
    bool ok() const { return error.isEmpty(); }
};

// Loads a bitmap file. Fails, with a short reason, for a file that does not exist, cannot
// be read or is not an image, and for a picture without any ink (nothing but white in the
// part a canvas holds), which no font could be matched against.
ReferenceBitmap loadReferenceBitmap(const QString& path);

}  // namespace lettrino::cli
