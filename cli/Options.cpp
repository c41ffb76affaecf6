#include "cli/Options.h"

#include <QCommandLineParser>
#include <QHash>
#include <QLocale>

#include <cmath>
#include <optional>
#include <vector>

#include "sheet/EvidenceSheet.h"

namespace lettrino::cli {

namespace {

constexpr int kMaxJobs = 256;
constexpr int kDefaultTop = 20;                          // with a sheet too
constexpr int kSheetMaxTop = kSheetMaxEntries;           // what one evidence sheet shows
constexpr int kMaxTextCharacters = kSheetMaxCharacters;  // the sheet shows each one
constexpr int kSheetMostGlyphs = 1000;                   // results times characters, on one sheet

// One option of lettrino-match: its name, the name of its value (empty for a switch), and its
// help, lines after the first indented under it. The parser and the --help text both come
// from this table, so that the help lists every option the parser takes.
struct OptionSpec {
    const char* name;
    const char* valueName;
    const char* help;
};

const OptionSpec kOptions[] = {
    {"fonts", "DIR", "the *.ttf and *.otf files under DIR, recursively (repeatable)"},
    {"system", "", "the installed faces (the default when no --fonts is given)"},
    {"char", "C",
     "the character the bitmap shows, one Unicode character with ink\n"
     "(read from the bitmap when neither --char nor --text is given)"},
    {"text", "TEXT",
     "the characters the bitmap shows, left to right, instead of --char;\n"
     "spaces are ignored, 1 to 64 others (none)"},
    {"speedup", "N", "1 compares every pixel, graded; 2-10 every N-th row and column,\nexactly (1)"},
    {"top", "K",
     "print the K best results, 0 for all (20); 1 to 100 with --sheet,\n"
     "and at most 1000 glyphs on it (K times the characters of --text)"},
    {"min", "PERCENT", "print only results whose match is at least PERCENT (0)"},
    {"jobs", "N", "threads to match on (the number of cores)"},
    {"format", "F", "table, tsv or json (table on a terminal, tsv otherwise)"},
    {"rank", "R",
     "aspect: by the score, the match weighed by how much ink the\n"
     "glyph shares with the bitmap and how well their width-to-height\n"
     "ratios agree (default);\n"
     "match: by the match alone, as the window orders them"},
    {"sheet", "FILE.png",
     "also write an evidence sheet into FILE.png: the bitmap, and each of the\n"
     "--top results' glyphs and their overlay on it (none)"},
    {"help", "", "this text"},
    {"version", "", "the version"},
};

std::optional<int> readInt(const QString& text) {
    bool ok = false;
    const int v = QLocale::c().toInt(text.trimmed(), &ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

std::optional<double> readDouble(const QString& text) {
    bool ok = false;
    double v = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok) v = QLocale().toDouble(text.trimmed(), &ok);  // the user's own decimal comma
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

// The characters of `text` as code points, a surrogate pair as one. Nothing when the text
// holds a lone surrogate or a control character.
std::optional<std::vector<char32_t>> printableCharacters(const QString& text) {
    std::vector<char32_t> out;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        char32_t u = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            u = QChar::surrogateToUcs4(c, text.at(++i));
        else if (c.isSurrogate())
            return std::nullopt;
        if (QChar::category(u) == QChar::Other_Control) return std::nullopt;
        out.push_back(u);
    }
    return out;
}

// Whether a character draws no ink of its own: white space, an invisible format character, a
// code point no character is assigned to.
bool drawsNothing(char32_t u) {
    switch (QChar::category(u)) {
        case QChar::Separator_Space:
        case QChar::Separator_Line:
        case QChar::Separator_Paragraph:
        case QChar::Other_Format:
        case QChar::Other_NotAssigned:
            return true;
        default:
            return QChar::isSpace(u);
    }
}

// U+FFFD: what bytes that are no UTF-8 become on the command line.
constexpr char32_t kReplacement = 0xFFFD;

// A value as an error message quotes it: control characters written as \xNN, so that the
// message stays on one line.
QString shown(const QString& value) {
    QString out;
    for (const QChar c : value) {
        if (c.category() == QChar::Other_Control)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

ParsedArguments fail(const QString& message) {
    ParsedArguments p;
    p.action = ParsedArguments::Action::Error;
    p.error = message;
    return p;
}

// The parser's own complaint in this program's words. Qt names an unknown option without its
// dashes, and quotes the option whose value is missing ("--top" last) or unexpected
// ("--system=yes"): a switch never misses one.
QString parseError(const QCommandLineParser& parser, const QStringList& args) {
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty()) {
        const QString longForm = QStringLiteral("--") + unknown.first();
        QString dashes = QStringLiteral("-");
        for (const QString& arg : args) {
            if (arg == QLatin1String("--")) break;
            if (arg == longForm || arg.startsWith(longForm + QLatin1Char('='))) {
                dashes = QStringLiteral("--");
                break;
            }
        }
        return QStringLiteral("unknown option %1%2").arg(dashes, unknown.first());
    }
    const QString text = parser.errorText();
    const int open = text.indexOf(QLatin1Char('\''));
    const int close = text.lastIndexOf(QLatin1Char('\''));
    if (open < 0 || close <= open) return text;
    const QString option = text.mid(open + 1, close - open - 1);
    for (const OptionSpec& s : kOptions) {
        if (option != QLatin1String("--") + QLatin1String(s.name)) continue;
        if (*s.valueName) return QStringLiteral("option %1 needs a value").arg(option);
        return QStringLiteral("option %1 takes no value").arg(option);
    }
    return text;
}

// Reads one option's value into `o`; the error message when the value is bad, else empty.
QString readValue(const QString& name, const QString& value, MatchOptions& o) {
    const QString v = shown(value);
    if (name == QLatin1String("fonts")) {
        if (value.isEmpty()) return QStringLiteral("option --fonts needs a folder");
        o.fontDirs << value;
    } else if (name == QLatin1String("char")) {
        const auto chars = printableCharacters(value);
        if (!chars || chars->size() != 1)
            return QStringLiteral("--char needs one character, not \"%1\"").arg(v);
        if (chars->front() == kReplacement) return QStringLiteral("--char needs UTF-8 text");
        if (drawsNothing(chars->front()))
            return QStringLiteral("--char needs a character with ink, not \"%1\"").arg(v);
        o.charText = value;
    } else if (name == QLatin1String("text")) {
        const auto chars = printableCharacters(value);
        if (!chars) return QStringLiteral("--text needs printable characters, not \"%1\"").arg(v);
        int count = 0;
        for (const char32_t c : *chars) {
            if (c == kReplacement) return QStringLiteral("--text needs UTF-8 text");
            if (c != U' ' && drawsNothing(c))
                return QStringLiteral("--text needs characters with ink and spaces, not \"%1\"").arg(v);
            count += c == U' ' ? 0 : 1;
        }
        if (count < 1 || count > kMaxTextCharacters)
            return QStringLiteral("--text needs 1 to %1 characters besides spaces, not \"%2\"")
                .arg(kMaxTextCharacters)
                .arg(v);
        o.text = value;
    } else if (name == QLatin1String("speedup")) {
        const auto n = readInt(value);
        if (!n || *n < 1 || *n > 10)
            return QStringLiteral("--speedup needs a whole number from 1 to 10, not \"%1\"").arg(v);
        o.speedup = *n;
    } else if (name == QLatin1String("top")) {
        const auto n = readInt(value);
        if (!n || *n < 0) return QStringLiteral("--top needs a whole number, 0 or more, not \"%1\"").arg(v);
        o.top = *n;
    } else if (name == QLatin1String("min")) {
        const auto d = readDouble(value);
        if (!d || *d < 0 || *d > 100)
            return QStringLiteral("--min needs a percentage from 0 to 100, not \"%1\"").arg(v);
        o.minPercent = *d;
    } else if (name == QLatin1String("jobs")) {
        const auto n = readInt(value);
        if (!n || *n < 1 || *n > kMaxJobs)
            return QStringLiteral("--jobs needs a whole number from 1 to %1, not \"%2\"")
                .arg(kMaxJobs)
                .arg(v);
        o.jobs = *n;
    } else if (name == QLatin1String("rank")) {
        if (value == QLatin1String("aspect"))
            o.rank = RankBy::Aspect;
        else if (value == QLatin1String("match"))
            o.rank = RankBy::Match;
        else
            return QStringLiteral("--rank needs aspect or match, not \"%1\"").arg(v);
    } else if (name == QLatin1String("format")) {
        if (value == QLatin1String("table"))
            o.format = OutputFormat::Table;
        else if (value == QLatin1String("tsv"))
            o.format = OutputFormat::Tsv;
        else if (value == QLatin1String("json"))
            o.format = OutputFormat::Json;
        else
            return QStringLiteral("--format needs table, tsv or json, not \"%1\"").arg(v);
    } else if (name == QLatin1String("sheet")) {
        if (!value.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
            return QStringLiteral("--sheet needs a file name ending in .png, not \"%1\"").arg(v);
        o.sheet = value;
    }
    return {};
}

}  // namespace

QString usageText() {
    QString text = QStringLiteral(
        "Usage: lettrino-match [options] BITMAP\n"
        "Tells which fonts draw the character (or the text) shown in BITMAP (dark on white),\n"
        "best first.\n"
        "\n");
    const QString indent(21, QLatin1Char(' '));
    for (const OptionSpec& s : kOptions) {
        QString head = QStringLiteral("--") + QLatin1String(s.name);
        if (*s.valueName) head += QLatin1Char(' ') + QLatin1String(s.valueName);
        const QStringList lines = QString::fromUtf8(s.help).split(QLatin1Char('\n'));
        text += QStringLiteral("  ") + head.leftJustified(18) + QLatin1Char(' ') + lines.first() +
                QLatin1Char('\n');
        for (int i = 1; i < lines.size(); ++i) text += indent + lines.at(i) + QLatin1Char('\n');
    }
    text += QStringLiteral(
        "\n"
        "Columns: rank, score and match (percent), face, file, xratio and yratio (the glyph's\n"
        "width and height over the bitmap's). The score is what the rows are ordered by: the\n"
        "aspect-aware score, or with --rank match the match again. Fonts within 1 % of the\n"
        "first's aspect-aware score go first when the bitmap takes after their glyphs over the\n"
        "first's where the two differ in build (not by an edge a pixel over). A face or file\n"
        "name holding control characters is shown quoted as $'...' (\\t, \\n, \\xNN) in table\n"
        "and tsv.\n"
        "\n"
        "Exit status: 0 when the run completed; 1 when it completed but no font matches the\n"
        "picture (the best match is under 60 %, as for a bar or a texture: stderr says so,\n"
        "and json's \"meaningful\" is false); 2 on an error, such as a bitmap that is not a\n"
        "plain file, is cut short or too large, or a --sheet that names the bitmap or\n"
        "something other than a plain file.\n");
    return text;
}

ParsedArguments parseArguments(const QStringList& args, int defaultJobs, bool stdoutIsTerminal) {
    QCommandLineParser parser;
    for (const OptionSpec& s : kOptions) {
        QStringList names{QLatin1String(s.name)};
        if (names.first() == QLatin1String("help")) names.prepend(QStringLiteral("h"));
        parser.addOption(QCommandLineOption(names, QString::fromUtf8(s.help), QLatin1String(s.valueName)));
    }
    // parse() skips the first argument as the program's name.
    const bool wellFormed = parser.parse(QStringList(QStringLiteral("lettrino-match")) + args);

    ParsedArguments p;
    if (parser.isSet(QStringLiteral("help"))) {
        p.action = ParsedArguments::Action::Help;
        return p;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        p.action = ParsedArguments::Action::Version;
        return p;
    }
    if (!wellFormed) return fail(parseError(parser, args));

    MatchOptions& o = p.options;
    o.jobs = qBound(1, defaultJobs, kMaxJobs);
    o.format = stdoutIsTerminal ? OutputFormat::Table : OutputFormat::Tsv;
    o.top = kDefaultTop;

    // The options in the order given, each occurrence with its own value.
    QHash<QString, int> seen;
    for (const QString& name : parser.optionNames()) {
        if (name == QLatin1String("system")) {
            o.system = true;
            continue;
        }
        const QString value = parser.values(name).value(seen[name]++);
        const QString error = readValue(name, value, o);
        if (!error.isEmpty()) return fail(error);
    }

    if (parser.isSet(QStringLiteral("char")) && parser.isSet(QStringLiteral("text")))
        return fail(QStringLiteral("--char and --text exclude each other"));
    if (!o.sheet.isEmpty() && (o.top == 0 || o.top > kSheetMaxTop))
        return fail(QStringLiteral("--sheet shows at most %1 results").arg(kSheetMaxTop));
    // Every glyph of the sheet is held while it is drawn.
    const int characters =
        o.text.isEmpty() ? 1 : int(QString(o.text).remove(QLatin1Char(' ')).toUcs4().size());
    if (!o.sheet.isEmpty() && qint64(o.top) * characters > kSheetMostGlyphs)
        return fail(QStringLiteral("--sheet shows at most %1 glyphs, not %2 (--top %3 of %4 characters)")
                        .arg(kSheetMostGlyphs)
                        .arg(qint64(o.top) * characters)
                        .arg(o.top)
                        .arg(characters));

    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) return fail(QStringLiteral("no bitmap given"));
    if (positional.size() > 1)
        return fail(QStringLiteral("one bitmap only, not %1 (\"%2\")")
                        .arg(positional.size())
                        .arg(shown(positional.join(QStringLiteral("\", \"")))));
    o.bitmap = positional.first();
    if (o.fontDirs.isEmpty()) o.system = true;
    p.action = ParsedArguments::Action::Run;
    return p;
}

}  // namespace lettrino::cli
