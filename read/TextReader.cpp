#include "read/TextReader.h"

#include <tesseract/baseapi.h>
#include <tesseract/resultiterator.h>

#include <algorithm>

#include "prep/PicturePrep.h"
#include "prep/InkAnalysis.h"
#include "prep/LumaSource.h"
#include "prep/TextLines.h"

namespace lettrino {

namespace {

// The languages read, and the Debian package that brings each one's data.
const char* const kLanguages = "eng+ell+rus";
struct LanguageData {
    const char* code;
    const char* package;
};
const LanguageData kLanguageData[] = {
    {"eng", "tesseract-ocr-eng"},
    {"ell", "tesseract-ocr-ell"},
    {"rus", "tesseract-ocr-rus"},
};

// The height a line's ink is brought to before Tesseract sees it (an x-height of about 20
// pixels), and a lone character's. Measured with lettrino-bench read: the identification set's
// words are all read at 40 pixels, all but one at 48, 64 and 96; a lone character is read
// right more often at 96 than at 64 or 48 (336, 332 and 331 of 400 pictures of the set).
constexpr int kInkHeight = 40;
constexpr int kCharacterHeight = 96;
// Lines at least this share of the tallest line's height are read with it.
constexpr double kOtherLineShare = 0.8;

// Letters whose two cases share their shape, differing only in size: Latin, Greek, Cyrillic.
const char16_t kSameShapeLower[] = u"cosuvwxzοсожзиклмнпшщъыьэюяхвгт";
const char16_t kSameShapeUpper[] = u"COSUVWXZΟСОЖЗИКЛМНПШЩЪЫЬЭЮЯХВГТ";

// The other case of a letter whose cases share their shape; a null character for any other.
QChar otherCaseOfSameShape(QChar c) {
    const std::u16string_view lower(kSameShapeLower), upper(kSameShapeUpper);
    if (const size_t i = lower.find(c.unicode()); i != lower.npos) return QChar(upper[i]);
    if (const size_t i = upper.find(c.unicode()); i != upper.npos) return QChar(lower[i]);
    return QChar();
}

// Letters drawn alike in Latin, Cyrillic and Greek (a space where a script has none). Tesseract
// reads all three at once and often names a lone "e" or "X" in the wrong one.
struct Lookalike {
    char16_t latin, cyrillic, greek;
};
constexpr Lookalike kLookalikes[] = {
    {u'A', u'А', u'Α'}, {u'B', u'В', u'Β'}, {u'C', u'С', u' '}, {u'E', u'Е', u'Ε'}, {u'H', u'Н', u'Η'},
    {u'I', u' ', u'Ι'}, {u'K', u'К', u'Κ'}, {u'M', u'М', u'Μ'}, {u'N', u' ', u'Ν'}, {u'O', u'О', u'Ο'},
    {u'P', u'Р', u'Ρ'}, {u'T', u'Т', u'Τ'}, {u'X', u'Х', u'Χ'}, {u'Y', u' ', u'Υ'}, {u'Z', u' ', u'Ζ'},
    {u'a', u'а', u' '}, {u'c', u'с', u' '}, {u'e', u'е', u' '}, {u'o', u'о', u'ο'}, {u'p', u'р', u'ρ'},
    {u'x', u'х', u' '}, {u'y', u'у', u' '}, {u'v', u' ', u'ν'}, {u' ', u'Ф', u'Φ'}, {u' ', u'П', u'Π'},
    {u' ', u'Г', u'Γ'}, {u' ', u'ф', u'φ'},
};
enum Script { Latin, Cyrillic, Greek, kScripts };
char16_t inScript(const Lookalike& l, int script) {
    return script == Latin ? l.latin : script == Cyrillic ? l.cyrillic : l.greek;
}
const Lookalike* lookalikeOf(QChar c) {
    for (const Lookalike& l : kLookalikes)
        if (c != QLatin1Char(' ') && (c == QChar(l.latin) || c == QChar(l.cyrillic) || c == QChar(l.greek)))
            return &l;
    return nullptr;
}
// A text with its look-alike letters written in one script; empty when one has no equivalent
// there, or, with `all`, when any letter is no look-alike (a word half in one script, half in
// another, is no reading).
QString inScript(const QString& text, int script, bool all = false) {
    QString out;
    for (const QChar c : text) {
        const Lookalike* l = lookalikeOf(c);
        if (!l && all && c.isLetter()) return QString();
        const char16_t to = l ? inScript(*l, script) : c.unicode();
        if (to == u' ') return QString();
        out += QChar(to);
    }
    return out;
}
// The script of the letters in a text that only one script has: Latin when there are none.
int scriptOf(const QString& text) {
    int counts[kScripts] = {};
    for (const QChar c : text) {
        if (!c.isLetter() || lookalikeOf(c)) continue;
        const QChar::Script s = c.script();
        ++counts[s == QChar::Script_Cyrillic ? Cyrillic : s == QChar::Script_Greek ? Greek : Latin];
    }
    return counts[Cyrillic] > counts[Latin] && counts[Cyrillic] >= counts[Greek] ? Cyrillic
           : counts[Greek] > counts[Latin]                                       ? Greek
                                                                                 : Latin;
}

// A symbol's text with everything but letters, digits and the marks on them taken out; with
// `signs`, punctuation and symbols are kept too (a picture of one character may show an
// ampersand). The n-ary sum and product signs, which Tesseract reads for a capital sigma and
// pi, count as those letters.
QString lettersOnly(const QString& s, bool signs) {
    QString out;
    for (QChar c : s.normalized(QString::NormalizationForm_C)) {
        if (c == QChar(0x2211)) c = QChar(0x03A3);
        if (c == QChar(0x220F)) c = QChar(0x03A0);
        if (c.isLetterOrNumber() || (c.isMark() && !out.isEmpty()) || (signs && (c.isPunct() || c.isSymbol())))
            out += c;
    }
    return out;
}

QString utf8(const char* s) { return s ? QString::fromUtf8(s) : QString(); }

// One character as read: the best choice and the engine's others, each with its confidence
// (0 to 100).
struct Choice {
    QString text;
    float confidence = 0;
};
using Word = std::vector<std::vector<Choice>>;  // per symbol, the best choice first

// Writes each word's look-alike letters in the word's own script, for all its choices.
void unifyScripts(std::vector<Word>* words) {
    for (Word& w : *words) {
        QString best;
        for (const std::vector<Choice>& choices : w) best += choices.front().text;
        const int script = scriptOf(best);
        for (std::vector<Choice>& choices : w)
            for (Choice& c : choices)
                if (const QString s = inScript(c.text, script); !s.isEmpty()) c.text = s;
    }
}

// A change to the best reading: one symbol replaced (symbol >= 0) or a whole word (symbol -1).
struct Change {
    int word = 0, symbol = -1;
    QString text;
    double cost = 0;  // how much less likely than the best reading; 0 for a case twin
};

QString spell(const std::vector<Word>& words, const std::vector<const Change*>& changes) {
    QStringList out;
    for (int w = 0; w < int(words.size()); ++w) {
        QString word;
        const Change* whole = nullptr;
        for (const Change* c : changes)
            if (c->word == w && c->symbol < 0) whole = c;
        if (whole) {
            out << whole->text;
            continue;
        }
        for (int s = 0; s < int(words[w].size()); ++s) {
            QString symbol = words[w][s].front().text;
            for (const Change* c : changes)
                if (c->word == w && c->symbol == s) symbol = c->text;
            word += symbol;
        }
        out << word;
    }
    return out.join(QLatin1Char(' '));
}

// The best reading, then the readings with one or two changes, least costly first.
std::vector<QString> candidatesOf(const std::vector<Word>& words) {
    std::vector<Change> changes;
    for (int w = 0; w < int(words.size()); ++w) {
        QString word, swapped;
        bool allSameShape = true;
        for (int s = 0; s < int(words[w].size()); ++s) {
            const std::vector<Choice>& choices = words[w][s];
            word += choices.front().text;
            for (size_t k = 1; k < choices.size(); ++k)
                changes.push_back({w, s, choices[k].text,
                                   std::max(0.0, double(choices.front().confidence - choices[k].confidence)) / 100 + 0.01});
            for (const QChar c : choices.front().text) {
                const QChar other = otherCaseOfSameShape(c);
                allSameShape = allSameShape && !other.isNull();
                swapped += other.isNull() ? c : other;
            }
        }
        // A word of same-shape letters only looks the same in either case, or with a capital.
        if (allSameShape && !word.isEmpty()) {
            changes.push_back({w, -1, swapped, 0});
            const QString capital = word.left(1).toUpper() + word.mid(1).toLower();
            if (capital != word && capital != swapped) changes.push_back({w, -1, capital, 0.005});
        }
        // The same word in another script, when all its letters are drawn alike there.
        for (int script = 0; script < kScripts; ++script)
            if (const QString s = inScript(word, script, true); !s.isEmpty() && s != word)
                changes.push_back({w, -1, s, 0.3});
    }
    std::stable_sort(changes.begin(), changes.end(), [](const Change& a, const Change& b) { return a.cost < b.cost; });
    // Bounded: the few cheapest changes, alone and in pairs that touch different places.
    constexpr size_t kCombined = 6;
    if (changes.size() > 3 * kCombined) changes.resize(3 * kCombined);
    std::vector<std::pair<double, QString>> readings{{-1.0, spell(words, {})}};
    for (size_t i = 0; i < changes.size(); ++i) {
        readings.push_back({changes[i].cost, spell(words, {&changes[i]})});
        for (size_t j = i + 1; j < std::min(changes.size(), kCombined); ++j) {
            const Change &a = changes[i], &b = changes[j];
            if (a.word == b.word && (a.symbol == b.symbol || a.symbol < 0 || b.symbol < 0)) continue;
            readings.push_back({a.cost + b.cost, spell(words, {&a, &b})});
        }
    }
    std::stable_sort(readings.begin(), readings.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<QString> out;
    for (const auto& r : readings) {
        if (r.second.isEmpty() || std::find(out.begin(), out.end(), r.second) != out.end()) continue;
        out.push_back(r.second);
        if (int(out.size()) == kMaxCandidates) break;
    }
    return out;
}

// Reads one line of prepared ink (dark on white) in the given mode and appends its words, keeping
// punctuation and symbols with `signs` (lettersOnly). The ink gets a white margin half its height:
// Tesseract finds no text that touches the edge.
void readLine(tesseract::TessBaseAPI& api, const QImage& grey, tesseract::PageSegMode mode, bool signs,
              std::vector<Word>* words) {
    const int margin = grey.height() / 2;
    QImage page(grey.width() + 2 * margin, grey.height() + 2 * margin, QImage::Format_Grayscale8);
    page.fill(255);
    for (int y = 0; y < grey.height(); ++y)
        std::copy_n(grey.constScanLine(y), grey.width(), page.scanLine(y + margin) + margin);
    api.SetPageSegMode(mode);
    api.SetImage(page.constBits(), page.width(), page.height(), 1, int(page.bytesPerLine()));
    api.SetSourceResolution(300);
    if (api.Recognize(nullptr) != 0) return;
    std::unique_ptr<tesseract::ResultIterator> it(api.GetIterator());
    if (!it || it->Empty(tesseract::RIL_SYMBOL)) return;
    words->emplace_back();
    do {
        if (it->IsAtBeginningOf(tesseract::RIL_WORD) && !words->back().empty()) words->emplace_back();
        std::unique_ptr<char[]> best(it->GetUTF8Text(tesseract::RIL_SYMBOL));
        std::vector<Choice> choices{{lettersOnly(utf8(best.get()), signs), it->Confidence(tesseract::RIL_SYMBOL)}};
        tesseract::ChoiceIterator choice(*it);
        do {
            const QString text = lettersOnly(utf8(choice.GetUTF8Text()), signs);
            if (text.isEmpty()) continue;
            const auto same =
                std::find_if(choices.begin(), choices.end(), [&](const Choice& c) { return c.text == text; });
            if (same == choices.end()) choices.push_back({text, choice.Confidence()});
        } while (choice.Next());
        if (choices.front().text.isEmpty()) continue;  // punctuation, a stray mark
        std::stable_sort(choices.begin() + 1, choices.end(),
                         [](const Choice& a, const Choice& b) { return a.confidence > b.confidence; });
        words->back().push_back(std::move(choices));
    } while (it->Next(tesseract::RIL_SYMBOL));
    if (words->back().empty()) words->pop_back();
}

// The choices for a lone character from a reading of it: Tesseract sometimes reads one
// character as two or three (a serif X as "xX"); the surest of them is taken, the others
// become its alternatives.
std::vector<Choice> oneSymbol(const std::vector<Word>& words) {
    std::vector<Choice> out, others;
    for (const Word& w : words)
        for (const std::vector<Choice>& symbol : w) {
            if (out.empty() || symbol.front().confidence > out.front().confidence) {
                if (!out.empty()) others.push_back(out.front());
                out = symbol;
            } else {
                others.push_back(symbol.front());
            }
        }
    for (const Choice& c : others)
        if (std::none_of(out.begin(), out.end(), [&](const Choice& d) { return d.text == c.text; })) out.push_back(c);
    return out;
}

}  // namespace

TextReader::TextReader() : api_(std::make_unique<tesseract::TessBaseAPI>()) {
    // Tesseract reports through its debug file (warnings about resolution, missing data, ...).
    api_->SetVariable("debug_file", "/dev/null");
    const bool loaded = api_->Init(nullptr, kLanguages, tesseract::OEM_LSTM_ONLY) == 0;
    std::vector<std::string> have;
    if (loaded) api_->GetLoadedLanguagesAsVector(&have);
    QStringList missing;
    for (const LanguageData& l : kLanguageData)
        if (std::find(have.begin(), have.end(), l.code) == have.end()) missing << QLatin1String(l.package);
    if (!missing.isEmpty()) {
        error_ = QStringLiteral("cannot load Tesseract's language data (install %1)").arg(missing.join(QStringLiteral(", ")));
        api_.reset();
        return;
    }
    api_->SetVariable("debug_file", "/dev/null");
    // The engine's other choices for each character, as the choice iterator gives them.
    api_->SetVariable("lstm_choice_mode", "2");
}

TextReader::~TextReader() = default;

Reading TextReader::read(const QImage& picture) {
    Reading reading;
    if (!ok()) {
        reading.error = error_;
        return reading;
    }
    const prep::LumaSource source(picture);
    const prep::InkAnalysis analysis = prep::analyseInk(source);
    const std::vector<TextLine> lines =
        analysis.error.isEmpty() ? prep::textLines(analysis) : std::vector<TextLine>();
    if (lines.empty()) {
        reading.error = QStringLiteral("no text could be read: ") +
                        (analysis.error.isEmpty() ? QStringLiteral("no line of text") : analysis.error);
        return reading;
    }
    // Small text in a large picture is read on the part that holds it, at its own pixels.
    const QRect focus = prep::focusOf(analysis, lines, picture.rect());
    if (!focus.isNull()) return read(picture.copy(focus));
    // The text is the tallest line's, and any line nearly as tall; smaller print around it (a
    // caption, a note) is left out.
    int tallest = 0;
    for (const TextLine& l : lines) tallest = std::max(tallest, l.box.height());
    std::vector<Word> words;
    for (const TextLine& l : lines) {
        if (l.box.height() < kOtherLineShare * tallest) continue;
        int characters = 0;
        for (const TextWord& w : l.words) characters += w.characters;
        const bool one = characters == 1 && lines.size() == 1;
        const PreparedLine line =
            prepareLine(picture, one ? kCharacterHeight : kInkHeight, lines.size() == 1 ? QRect() : l.box);
        if (line.grey.isNull()) continue;
        if (!one) {
            readLine(*api_, line.grey, tesseract::PSM_SINGLE_LINE, false, &words);
            continue;
        }
        // A lone character is read best as a word; read as a line, it gets the engine's other
        // choices, which are added to the word's.
        std::vector<Word> asWord, asLine;
        readLine(*api_, line.grey, tesseract::PSM_SINGLE_WORD, true, &asWord);
        readLine(*api_, line.grey, tesseract::PSM_SINGLE_LINE, true, &asLine);
        std::vector<Choice> choices = oneSymbol(asWord);
        for (const Choice& c : oneSymbol(asLine))
            if (std::none_of(choices.begin(), choices.end(), [&](const Choice& d) { return d.text == c.text; }))
                choices.push_back(c);
        if (!choices.empty()) words.push_back({choices});
    }
    if (words.empty()) {
        reading.error = QStringLiteral("no text could be read");
        return reading;
    }
    unifyScripts(&words);
    reading.candidates = candidatesOf(words);
    reading.text = reading.candidates.front();
    return reading;
}

}  // namespace lettrino
