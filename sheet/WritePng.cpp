#include "sheet/WritePng.h"

#include <QBuffer>
#include <QFile>
#include <QSaveFile>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace lettrino {

QString writeBytes(int fd, const QByteArray& bytes) {
    const char* at = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, at, size_t(left));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const QString reason =
                n < 0 ? QString::fromLocal8Bit(std::strerror(errno)) : QStringLiteral("nothing written");
            return reason.left(1).toLower() + reason.mid(1);
        }
        at += n;
        left -= n;
    }
    return {};
}

bool writePng(const QImage& image, const QString& path, QString* error) {
    const auto fail = [&](const QString& reason) {
        if (error) *error = QStringLiteral("cannot write %1: %2").arg(path, reason);
        return false;
    };
    if (image.isNull()) return fail(QStringLiteral("empty picture"));
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0 && !S_ISREG(st.st_mode))
        return fail(QStringLiteral("not a plain file"));
    // Encoded in memory first: the file is then written by this program, which can tell why
    // the writing failed (a full disk, say) in the system's words.
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        return fail(QStringLiteral("PNG encoding failed"));
    QSaveFile file(path);
    // Never fall back to writing the file in place when the folder refuses a temporary file.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly)) return fail(file.errorString());
    if (const QString why = writeBytes(file.handle(), png); !why.isEmpty()) {
        file.cancelWriting();  // the temporary file goes when `file` does
        return fail(why);
    }
    if (!file.commit()) return fail(file.errorString());
    if (error) error->clear();
    return true;
}

}  // namespace lettrino
