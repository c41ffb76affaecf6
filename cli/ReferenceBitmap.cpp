#include "cli/ReferenceBitmap.h"

#include <QFileInfo>
#include <QImage>
#include "canvas/BitmapFile.h"

namespace lettrino::cli {

ReferenceBitmap loadReferenceBitmap(const QString& path) {
    ReferenceBitmap ref;
    const QFileInfo info(path);
    if (!info.exists()) {
        ref.error = QStringLiteral("no such file");
        return ref;
    }
    if (info.isDir()) {
        ref.error = QStringLiteral("is a folder");
        return ref;
    }
    if (!info.isReadable()) {
        ref.error = QStringLiteral("permission denied");
        return ref;
    }
    QString why;
    const QImage image = readBitmapFile(path, &why);  // as the window reads it
    if (image.isNull()) {
        ref.error = why.toLower();
        return ref;
    }
    ref.canvas.setPicture(image);
    ref.box = scanInkBox(ref.canvas);
    if (ref.box.bottom < ref.box.top || ref.box.right < ref.box.left)
        ref.error = QStringLiteral("no ink: every pixel is white");
    return ref;
}

}  // namespace lettrino::cli
