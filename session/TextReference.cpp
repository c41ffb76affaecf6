#include "session/TextReference.h"

#include <QStringList>

#include "prep/Fringes.h"
#include "prep/TextLines.h"

namespace lettrino {

void TextReference::applyTo(Session& session) const {
    session.setReference(reference);
    session.setWord(word.size() > 1 ? word : std::vector<WordCharacter>());
    session.setLine(line.grey, text.simplified(), line.own);
    session.setColourFringes(fringed);
}

namespace {

// What the picture shows of the text at `place` (findText's).
TextReference textReferenceAt(const QImage& picture, const TextPlace& place, const QString& text, bool word,
                              bool enlargeSmallInk) {
    TextReference out;
    out.text = text;
    out.seen = place.seen;
    const QRect region = place.whole ? QRect() : place.box;
    QStringList notes;
    if (!place.whole) notes << place.note;
    QString why;  // why the characters cannot be matched one by one
    if (!word) {
        out.reference = referenceOf(picture, enlargeSmallInk, region);
        if (!out.reference.ok()) {
            out.error = out.reference.error;
            return out;
        }
        const int shown = characterCount(picture, region);
        if (shown > 1) why = QStringLiteral("the picture shows %1 pieces, not one character").arg(shown);
    } else {
        out.word = wordOf(picture, text, &why, region);
        if (!out.word.empty()) out.reference = out.word.front().reference;
    }
    if (!why.isEmpty()) {
        out.word.clear();
        out.line = prepareLine(picture, kLineInkHeight, region, kOwnSizeInk);
        if (!out.line.error.isEmpty()) {
            out.error = why;
            return out;
        }
        notes << why + QStringLiteral(": matching the text as each font sets it");
    }
    out.note = notes.join(QStringLiteral("; "));
    if (out.whole()) {
        out.region = out.line.sourceInk;
    } else if (out.word.size() > 1) {
        for (const WordCharacter& c : out.word) out.characters.push_back(c.reference.source), out.region |= c.reference.source;
    } else {
        out.characters.push_back(out.reference.source);
        out.region = out.reference.source;
    }
    return out;
}

// Whether small text shows the colour fringes of subpixel rendering (only small text is drawn
// again as its renderer drew it; text any taller is not looked at, however large the picture).
bool fringed(const QImage& picture, const QRect& region) {
    return region.height() <= 4 * kSmallInk && showsColourFringes(picture, region.adjusted(-2, -2, 2, 2));
}

}  // namespace

TextReference textReferenceOf(const QImage& picture, const QString& text, bool word, bool enlargeSmallInk) {
    const TextPlace place = findText(picture, text);
    if (!place.focus.isNull()) {
        // Small text in a large picture: looked at again on the part that holds it, at its own
        // pixels; what was found there is told in the picture's coordinates.
        const QImage part = picture.copy(place.focus);
        TextReference near = textReferenceAt(part, findText(part, text), text, word, enlargeSmallInk);
        if (near.ok()) {
            const QPoint at = place.focus.topLeft();
            const auto move = [&at](QRect& r) {
                if (!r.isNull()) r.translate(at);
            };
            move(near.region);
            for (QRect& r : near.characters) move(r);
            move(near.reference.source);
            for (WordCharacter& c : near.word) move(c.reference.source);
            move(near.line.sourceInk);
            near.fringed = fringed(picture, near.region);
            return near;
        }
    }
    TextReference out = textReferenceAt(picture, place, text, word, enlargeSmallInk);
    out.fringed = out.ok() && fringed(picture, out.region);
    return out;
}

}  // namespace lettrino
