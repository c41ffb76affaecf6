#pragma once

#include <QImage>
#include <QString>

#include <vector>

#include "prep/PicturePrep.h"
#include "session/Reference.h"
#include "session/Session.h"

namespace lettrino {

// What a picture shows of the text it is said to show, ready to be matched: one character's
// reference, a word's characters each on a canvas of its own, or, when the picture's characters
// cannot be told apart (letters that touch, join in a ligature or fall apart), the text whole as
// each font sets it. When the picture holds more than the text (other lines, neighbouring
// words, a rule), only the part that shows the text is used.
struct TextReference {
    Reference reference;              // the one character, or the word's first
    std::vector<WordCharacter> word;  // the word's characters, when it has more than one
    PreparedLine line;                // the text whole (its own pixels too when under kOwnSizeInk tall);
                                      // a null picture when it is matched otherwise
    QString text;                     // as given, spaces and all
    QRect region;                     // the part of the picture matched: the ink used, in its pixels
    std::vector<QRect> characters;    // each character's box in the picture; none for a text matched whole
    QString note;   // what was left out, and why the text is matched whole; empty when neither
    QString seen;   // what the picture shows: lines, words, characters
    QString error;  // why nothing of the picture can be matched; empty when something can
    bool fringed = false;  // the text shows the colour fringes of subpixel rendering (prep/Fringes.h)

    bool ok() const { return error.isEmpty(); }
    bool whole() const { return !line.grey.isNull(); }
    // Gives a session what to match.
    void applyTo(Session& session) const;
};

// The height a picture's text is brought to when it is matched whole.
constexpr int kLineInkHeight = 64;

// One character (`word` false: the text is one character) or a text of one or more words. The
// aspect-aware ranking enlarges a small character's ink (enlargeSmallInk); the window's keeps it.
TextReference textReferenceOf(const QImage& picture, const QString& text, bool word, bool enlargeSmallInk);

}  // namespace lettrino
