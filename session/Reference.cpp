#include "session/Reference.h"

#include <QFileInfo>
#include <QImage>

#include <algorithm>

#include "canvas/BitmapFile.h"
#include "prep/PicturePrep.h"
#include "prep/Segments.h"
#include "render/FontSystem.h"
#include "session/Session.h"

namespace lettrino {

void Reference::setPicture(const QImage& picture, const std::function<void(int)>& onRow) {
    canvas.setPicture(picture);
    measure(onRow);
}

void Reference::measure(const std::function<void(int)>& onRow) {
    box = scanInkBox(canvas, onRow);
    error = hasInk() ? QString() : QStringLiteral("no ink: every pixel is white");
}

Picture readPicture(const QString& path) {
    Picture picture;
    const QFileInfo info(path);
    if (!info.exists()) {
        picture.error = QStringLiteral("no such file");
    } else if (info.isDir()) {
        picture.error = QStringLiteral("is a folder");
    } else if (!info.isReadable()) {
        picture.error = QStringLiteral("permission denied");
    } else {
        QString why;
        picture.image = readBitmapFile(path, &why);  // as the window reads it
        if (picture.image.isNull()) picture.error = why.toLower();
    }
    return picture;
}

Reference referenceOf(const QImage& picture, bool enlargeSmallInk, const QRect& region) {
    Reference ref;
    if (!region.isNull()) {
        const PreparedPicture prepared = prepareCharacter(picture, region);
        if (prepared.image.isNull())
            ref.error = prepared.error;
        else
            ref.setPicture(prepared.image);
        ref.source = prepared.sourceInk;
        return ref;
    }
    PrepOptions options;
    options.keepWhatFits = !enlargeSmallInk;  // the window's ranking takes what the window takes
    const PreparedPicture prepared = preparePicture(picture, options);
    if (prepared.image.isNull()) {
        ref.error = prepared.error;
        return ref;
    }
    ref.setPicture(prepared.image);
    ref.source = prepared.sourceInk;
    ref.asIs = prepared.unchanged;
    if (enlargeSmallInk && prepared.unchanged && ref.ok() &&
        std::max(ref.box.width(), ref.box.height()) + 1 < kSmallInk) {
        // The picture as it is would do, but its ink is small: prepared like any other picture.
        ref.setPicture(prepareCharacter(picture, picture.rect()).image);
        ref.asIs = false;
    }
    return ref;
}

int characterCount(const QImage& picture, const QRect& region) {
    const std::vector<QRect> boxes = findCharacters(picture);
    if (region.isNull()) return int(boxes.size());
    return int(std::count_if(boxes.begin(), boxes.end(), [&region](const QRect& b) { return region.contains(b.center()); }));
}

Reference loadReference(const QString& path) {
    const Picture picture = readPicture(path);
    if (!picture.ok()) {
        Reference ref;
        ref.error = picture.error;
        return ref;
    }
    return referenceOf(picture.image);
}

std::vector<WordCharacter> wordOf(const QImage& picture, const QString& text, QString* error,
                                  const QRect& region) {
    const QList<uint> codes = QString(text).remove(QLatin1Char(' ')).toUcs4();
    const std::vector<PreparedPicture> prepared = prepareCharacters(picture, PrepOptions(), region);
    auto fail = [error](const QString& why) {
        if (error) *error = why;
        return std::vector<WordCharacter>();
    };
    if (prepared.empty()) return fail(QStringLiteral("no character found"));
    if (prepared.front().image.isNull()) return fail(prepared.front().error);
    if (prepared.size() != size_t(codes.size()))
        return fail(QStringLiteral("the picture shows %1 characters, \"%2\" has %3")
                        .arg(prepared.size())
                        .arg(text)
                        .arg(codes.size()));
    std::vector<WordCharacter> word;
    for (size_t i = 0; i < prepared.size(); ++i) {
        WordCharacter c;
        c.reference.setPicture(prepared[i].image);
        if (!c.reference.ok()) return fail(QStringLiteral("character %1 has no ink").arg(i + 1));
        c.character = Character::fromCodePoint(codes[int(i)]);
        c.scale = prepared[i].scale;
        c.reference.source = prepared[i].sourceInk;
        word.push_back(std::move(c));
    }
    return word;
}

}  // namespace lettrino
