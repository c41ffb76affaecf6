#include "prep/TextLines.h"

#include <algorithm>
#include <cmath>

#include "prep/InkAnalysis.h"
#include "prep/LumaSource.h"
#include "prep/Segments.h"

namespace lettrino {

namespace {

// A rule is this many times longer than it is thick, at least.
constexpr int kRuleAspect = 8;

int verticalOverlap(const QRect& a, const QRect& b) {
    return std::min(a.bottom(), b.bottom()) - std::max(a.top(), b.top()) + 1;
}

QString ordinal(int n) {
    static const char* const names[] = {"first", "second", "third", "fourth", "fifth",
                                        "sixth", "seventh", "eighth", "ninth", "tenth"};
    return n >= 1 && n <= 10 ? QString::fromLatin1(names[n - 1]) : QStringLiteral("%1th").arg(n);
}

QString counted(int n, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

}  // namespace

std::vector<TextLine> prep::textLines(const InkAnalysis& a, int* rules) {
    if (rules) *rules = 0;
    // Lines from the pieces, tallest first, each joining the first line it overlaps by half its
    // own height; then what is left (dots, accents) joins the nearest line above or below.
    struct Piece {
        int index;
        QRect cells;
    };
    std::vector<Piece> pieces;
    for (int i = 0; i < int(a.components.size()); ++i) {
        const InkComponent& c = a.components[std::size_t(i)];
        if (c.speck) continue;
        if (c.cells.width() >= kRuleAspect * c.cells.height() && c.cells.width() > 2) {
            if (rules) ++*rules;
            continue;
        }
        pieces.push_back({i, c.cells});
    }
    std::sort(pieces.begin(), pieces.end(),
              [](const Piece& p, const Piece& q) { return p.cells.height() > q.cells.height(); });
    struct Line {
        QRect band;  // of its pieces that set it: where its letters stand
        QRect box;
        std::vector<int> pieces;
    };
    std::vector<Line> lines;
    std::vector<const Piece*> small;
    const int tallest = pieces.empty() ? 0 : pieces.front().cells.height();
    for (const Piece& p : pieces) {
        Line* joined = nullptr;
        for (Line& l : lines)
            if (verticalOverlap(l.band, p.cells) * 2 >= p.cells.height()) {
                joined = &l;
                break;
            }
        if (joined) {
            joined->box |= p.cells;
            joined->pieces.push_back(p.index);
        } else if (p.cells.height() * 3 >= tallest || lines.empty()) {
            lines.push_back({p.cells, p.cells, {p.index}});
        } else {
            small.push_back(&p);
        }
    }
    // The small pieces that overlap no line stand in lines of their own first (a caption in a
    // small size); such a line of a piece or two is a dot or an accent instead, and joins the
    // nearest line when it is near.
    std::vector<Line> captions;
    for (const Piece* p : small) {
        Line* caption = nullptr;
        for (Line& l : captions)
            if (verticalOverlap(l.band, p->cells) * 2 >= std::min(p->cells.height(), l.band.height())) caption = &l;
        if (caption) {
            caption->band |= p->cells;
            caption->box |= p->cells;
            caption->pieces.push_back(p->index);
        } else {
            captions.push_back({p->cells, p->cells, {p->index}});
        }
    }
    for (auto c = captions.begin(); c != captions.end();) {
        Line* nearest = nullptr;
        int best = 0;
        for (Line& l : lines) {
            const int gap = std::max(l.band.top() - c->box.bottom(), c->box.top() - l.band.bottom());
            if (!nearest || gap < best) nearest = &l, best = gap;
        }
        if (c->pieces.size() <= 2 && nearest && best * 2 <= nearest->band.height() &&
            c->box.left() >= nearest->box.left() - nearest->band.height() &&
            c->box.right() <= nearest->box.right() + nearest->band.height()) {
            nearest->box |= c->box;
            nearest->pieces.insert(nearest->pieces.end(), c->pieces.begin(), c->pieces.end());
            c = captions.erase(c);
        } else {
            ++c;
        }
    }
    lines.insert(lines.end(), captions.begin(), captions.end());
    std::sort(lines.begin(), lines.end(), [](const Line& l, const Line& m) { return l.box.top() < m.box.top(); });

    std::vector<TextLine> out;
    for (const Line& l : lines) {
        // The line's characters, left to right, and the gaps between them.
        std::vector<char> inLine(a.components.size(), 0);
        for (int i : l.pieces) inLine[std::size_t(i)] = 1;
        std::vector<QRect> characters;
        for (const std::vector<int>& group : characterGroups(a, inLine)) {
            QRect box;
            for (int i : group) box |= a.components[std::size_t(i)].cells;
            characters.push_back(box);
        }
        std::vector<int> gaps;
        for (std::size_t i = 1; i < characters.size(); ++i)
            gaps.push_back(characters[i].left() - characters[i - 1].right() - 1);
        std::vector<int> sorted = gaps;
        std::sort(sorted.begin(), sorted.end());
        // The lower median: the gaps between words are the larger ones, so that of "on K" is the
        // letters' gap, not the space.
        const int usual = sorted.empty() ? 0 : std::max(1, sorted[(sorted.size() - 1) / 2]);
        // A word ends at a gap well past the usual one between letters, and past a fifth of the
        // line's height (monospaced letters stand far apart, a space farther).
        const int wordGap = std::max(2 * usual + 1, l.band.height() / 5);
        TextLine line;
        line.box = sourceBox(a, l.box);
        QRect word;
        int inWord = 0;
        for (std::size_t i = 0; i < characters.size(); ++i) {
            if (i > 0 && gaps[i - 1] >= wordGap) {
                line.words.push_back({sourceBox(a, word), inWord});
                word = QRect();
                inWord = 0;
            }
            word |= characters[i];
            ++inWord;
        }
        if (inWord > 0) line.words.push_back({sourceBox(a, word), inWord});
        out.push_back(std::move(line));
    }
    return out;
}


namespace {
// A text line's height in grid cells below which its letters are looked at again on their own.
constexpr int kFocusCells = 24;
}  // namespace

QRect prep::focusOf(const InkAnalysis& a, const std::vector<TextLine>& lines, const QRect& picture) {
    if (a.factor <= 1 || lines.empty()) return QRect();
    QRect ink;
    int tallest = 0;
    for (const TextLine& l : lines) ink |= l.box, tallest = std::max(tallest, l.box.height());
    if (tallest >= kFocusCells * a.factor) return QRect();
    const int margin = std::max(tallest, 4 * a.factor);
    const QRect focus = ink.adjusted(-margin, -margin, margin, margin) & picture;
    // Only a part small enough to be analysed finer.
    return std::max(focus.width(), focus.height()) * 2 <= std::max(picture.width(), picture.height()) ? focus : QRect();
}

TextPlace findText(const QImage& picture, const QString& text) {
    TextPlace place;
    const prep::LumaSource source(picture);
    const prep::InkAnalysis a = prep::analyseInk(source);
    if (!a.error.isEmpty()) return place;
    int rules = 0;
    const std::vector<TextLine> lines = prep::textLines(a, &rules);
    place.focus = prep::focusOf(a, lines, picture.rect());
    const QStringList words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const int wanted = int(words.size());
    const int characters = int(QString(text).remove(QLatin1Char(' ')).toUcs4().size());
    int allWords = 0, allCharacters = 0;
    for (const TextLine& l : lines)
        for (const TextWord& w : l.words) ++allWords, allCharacters += w.characters;
    place.seen = QStringLiteral("%1, %2, %3")
                     .arg(counted(int(lines.size()), "line", "lines"), counted(allWords, "word", "words"),
                          counted(allCharacters, "character", "characters"));
    if (wanted == 0 || (rules == 0 && lines.size() == 1 && (allWords == wanted || allCharacters == characters)))
        return place;

    // The run of `wanted` words nearest the text in characters; the taller line on a tie.
    int bestLine = -1, bestFirst = 0, bestMiss = 0, bestHeight = 0;
    for (int li = 0; li < int(lines.size()); ++li) {
        const TextLine& l = lines[std::size_t(li)];
        for (int first = 0; first + wanted <= int(l.words.size()); ++first) {
            int n = 0;
            for (int k = first; k < first + wanted; ++k) n += l.words[std::size_t(k)].characters;
            const int miss = std::abs(n - characters);
            const int height = l.box.height();
            if (bestLine < 0 || miss < bestMiss || (miss == bestMiss && height > bestHeight))
                bestLine = li, bestFirst = first, bestMiss = miss, bestHeight = height;
        }
    }
    // Too far off to be the text: the whole picture, as it is.
    if (bestLine < 0 || bestMiss * 3 > std::max(3, characters)) return place;
    const TextLine& l = lines[std::size_t(bestLine)];
    if (rules == 0 && lines.size() == 1 && int(l.words.size()) == wanted) return place;
    place.whole = false;
    for (int k = bestFirst; k < bestFirst + wanted; ++k) place.box |= l.words[std::size_t(k)].box;
    QStringList left;
    if (lines.size() == 1 && int(l.words.size()) == wanted)
        left << QStringLiteral("matched the line");
    else if (lines.size() > 1)
        left << QStringLiteral("matched the %1 of %2 lines").arg(ordinal(bestLine + 1)).arg(lines.size());
    else
        left << QStringLiteral("matched %1 of the line").arg(counted(wanted, "word", "words"));
    if (bestFirst > 0) left << QStringLiteral("%1 to the left ignored").arg(counted(bestFirst, "word", "words"));
    const int after = int(l.words.size()) - bestFirst - wanted;
    if (after > 0) left << QStringLiteral("%1 to the right ignored").arg(counted(after, "word", "words"));
    if (rules > 0) left << QStringLiteral("%1 left out").arg(counted(rules, "rule", "rules"));
    place.note = left.join(QStringLiteral("; "));
    return place;
}

}  // namespace lettrino
