#pragma once

#include <QImage>
#include <QString>

namespace lettrino {

// Writes `image` as a PNG file at `path` through a temporary file in the same folder that is
// renamed over the path once complete, so that an existing file is only ever replaced whole.
// False, with "cannot write PATH: REASON" in *error (when given), for a null image or a folder
// that cannot be written, a full disk ("no space left on device"), or a path that names
// something other than a plain file (a device, a pipe, a folder: "not a plain file"); nothing is
// left behind then, neither the file nor a temporary one.
bool writePng(const QImage& image, const QString& path, QString* error);

// Writes all of `bytes` to the open file `fd`: "" when done, else the system's reason, lower
// case ("no space left on device").
QString writeBytes(int fd, const QByteArray& bytes);

}  // namespace lettrino
