#pragma once

#include <QImage>
#include <QString>

namespace lettrino {

// Reads a picture file for the reference canvas: the format is decided by the content, not
// by the name. A BMP whose pixel data is cut short is refused (image readers fill the rows it
// lacks, which would measure as ink). Returns a null image, with a short reason in *error,
// for a file that cannot be used.
QImage readBitmapFile(const QString& path, QString* error = nullptr);

}  // namespace lettrino
