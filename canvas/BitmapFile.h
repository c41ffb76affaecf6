#pragma once

#include <QImage>
#include <QString>

namespace lettrino {

// Reads a picture file for the reference canvas: any format Qt's image readers know (BMP, PNG,
// JPEG, GIF, and TIFF or WebP when their plugins are installed), colour or grey, the format
// decided by the content, not by the name; a photo's orientation tag is applied; 16-bit
// channels come back as 8-bit ones. Refused, with
// a null image and a short reason in *error:
//  - a picture of more than 100 megapixels, told from its header before anything is decoded
//    ("too large: 20000 x 20000 pixels, at most 100 megapixels"; a GIF by its screen's size);
//  - a picture that would take more than 256 MB once decoded (a byte a pixel for 8-bit grey
//    or palette pictures, at least four for the others, eight at 16 bits a channel: "too
//    large: 10000 x 10000 pixels take 762 megabytes once decoded, at most 256 megabytes"),
//    except a JPEG, which is then decoded at a half, a quarter, ... of its size to fit;
//  - a BMP whose pixel data is cut short, a PNG without its IEND chunk, a JPEG without its
//    end marker, a GIF whose blocks do not reach its trailer ("the file is cut short": image
//    readers fill in what is missing, which would measure as ink);
//  - anything the readers cannot decode (their reason, or "not an image"), a file that
//    cannot be opened (the system's reason), a folder ("is a folder"), and anything else that
//    is not a plain file, such as a pipe or a device ("not a plain file"), which is never
//    waited for.
QImage readBitmapFile(const QString& path, QString* error = nullptr);

}  // namespace lettrino
