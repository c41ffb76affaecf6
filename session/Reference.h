#pragma once

#include <QRect>
#include <QString>

#include <functional>
#include <vector>

#include "canvas/Canvas.h"
#include "canvas/InkBox.h"

#include <QImage>

namespace lettrino {

// The picture a search compares against: a canvas holding it and the box of its ink, one value.
// A reference without ink has the inverted box (top and left past the bottom and right).
struct Reference {
    Canvas canvas;
    InkBox box{Canvas::kOuterSize, Canvas::kOuterSize, 0, 0};
    // Why the picture cannot be matched against; empty when it can.
    QString error;
    // Where the ink lies in the picture it was prepared from; null when not known.
    QRect source;
    // The picture was taken as it is, unprepared (clean, and its ink not small).
    bool asIs = false;

    bool ok() const { return error.isEmpty(); }
    bool hasInk() const { return box.bottom >= box.top && box.right >= box.left; }

    // Puts a picture into the canvas, top-left aligned, and measures its ink; onRow is called
    // after each scanned row (the window's progress bar). Sets error when there is no ink.
    void setPicture(const QImage& picture, const std::function<void(int)>& onRow = {});
    // Measures the ink of what the canvas holds now.
    void measure(const std::function<void(int)>& onRow = {});
};

// A picture file, read (any format Qt reads; refused when too large or cut short).
struct Picture {
    QImage image;
    QString error;  // why the file cannot be used: no such file, a folder, not a picture, ...
    bool ok() const { return error.isEmpty(); }
};
Picture readPicture(const QString& path);

// Ink whose longer side is below this many pixels (screen text, small print) is told apart
// better enlarged than as it is: drawn that small, a glyph is mostly the hinting's pixel grid.
// On the identification set's screen-sized letters (ink 13 to 31 pixels) the aspect-aware
// ranking names 84 of 96 right enlarged, 70 as they are.
constexpr int kSmallInk = 40;

// The reference of a picture of one character: prepared (prep/PicturePrep.h: background,
// polarity, size; a picture the window can use as it is stays as it is, by the window's rule
// (PrepOptions::keepWhatFits) unless enlargeSmallInk, when it must also be clean and its ink
// at least kSmallInk), put into the canvas and measured.
// Sets error when the picture shows no character.
// With a region (source coordinates, prep/TextLines.h findText), only the pieces whose centres
// lie inside it are prepared.
Reference referenceOf(const QImage& picture, bool enlargeSmallInk = false, const QRect& region = QRect());

// How many characters a picture shows (prep/Segments.h), counting only pieces of ink of a
// character's size: a speck, a dot or an accent beside a letter does not count.
int characterCount(const QImage& picture, const QRect& region = QRect());

// Loads a picture file of one character: readPicture, then referenceOf.
Reference loadReference(const QString& path);

struct WordCharacter;
// The characters of a picture of a word, left to right, each prepared on a canvas of its own,
// with the codes of `text`'s characters (spaces taken out). Empty, with the reason in *error,
// when the picture shows no character or another number of characters than the text has.
std::vector<WordCharacter> wordOf(const QImage& picture, const QString& text, QString* error,
                                  const QRect& region = QRect());

}  // namespace lettrino
