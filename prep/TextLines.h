#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>

#include <vector>

namespace lettrino {

namespace prep {
struct InkAnalysis;
}

// The text a picture shows, as lines of words of characters, in source-picture coordinates.
// Pieces of ink that lie side by side at one height make a line (a dot or an accent joins the
// line it sits on); a gap much wider than the line's usual gap between characters ends a
// word; a long thin piece (a rule under a heading, a line between paragraphs) belongs to no
// line.
struct TextWord {
    QRect box;
    int characters = 0;  // the character groups of prep::characterGroups inside it
};
struct TextLine {
    QRect box;
    std::vector<TextWord> words;  // left to right
};
namespace prep {
// *rules, when asked for, gets how many pieces were left out as rules.
std::vector<TextLine> textLines(const InkAnalysis& analysis, int* rules = nullptr);
// TextPlace::focus below, for a picture of this size whose analysis found these lines.
QRect focusOf(const InkAnalysis& analysis, const std::vector<TextLine>& lines, const QRect& picture);
}

// Where in a picture a text is shown, when the picture holds more than the text.
struct TextPlace {
    bool whole = true;  // the text is all the picture shows: use the picture as it is
    QRect box;          // otherwise: the part that shows it (source coordinates)
    QString note;       // what was left out, e.g. "matched the second of 2 lines; 1 word to the right ignored"
    QString seen;       // what the picture shows, e.g. "2 lines, 3 words, 14 characters"
    // A large picture is analysed on a grid coarser than its pixels (prep/InkAnalysis.h), where
    // small text is a few cells tall and its letters run together or fall apart. When all its
    // text lies within a small part of it: that part, with a margin, to be looked at again on
    // its own (source coordinates); null otherwise.
    QRect focus;
};

// Finds the part of a picture that shows `text` (words separated by spaces): the run of as
// many words on one line whose characters come nearest the text's in number (exactly, when
// one does; the taller line when two do). The whole picture when it shows one line of that many
// words (or characters) and nothing else, or when no run comes near.
TextPlace findText(const QImage& picture, const QString& text);

}  // namespace lettrino
