#include "sheet/WritePng.h"

#include <QSaveFile>

namespace lettrino {

bool writePng(const QImage& image, const QString& path, QString* error) {
    const auto fail = [&](const QString& reason) {
        if (error) *error = QStringLiteral("cannot write %1: %2").arg(path, reason);
        return false;
    };
    if (image.isNull()) return fail(QStringLiteral("empty picture"));
    QSaveFile file(path);
    // Never fall back to writing the file in place when the folder refuses a temporary file.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) return fail(file.errorString());
    if (!image.save(&file, "PNG")) {
        const QString reason =
            file.error() != QFileDevice::NoError ? file.errorString() : QStringLiteral("PNG encoding failed");
        file.cancelWriting();  // the temporary file goes when `file` does
        return fail(reason);
    }
    if (!file.commit()) return fail(file.errorString());
    if (error) error->clear();
    return true;
}

}  // namespace lettrino
