#include "cli/Options.h"

#include <QLocale>

#include <cmath>
#include <optional>

#include "render/FontSystem.h"

namespace lettrino::cli {

namespace {

constexpr int kMaxJobs = 256;

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

// Splits "--name=value" into its two halves; a bare "--name" gives an empty value.
struct Flag {
    QString name;
    QString value;
    bool hasValue = false;
};

Flag splitFlag(const QString& arg) {
    const int eq = arg.indexOf(QLatin1Char('='));
    if (!arg.startsWith(QLatin1String("--")) || eq < 0) return {arg, {}, false};
    return {arg.left(eq), arg.mid(eq + 1), true};
}

ParsedArguments fail(const QString& message) {
    ParsedArguments p;
    p.action = ParsedArguments::Action::Error;
    p.error = message;
    return p;
}

}  // namespace

QString usageText() {
    return QStringLiteral(
        "Usage: lettrino-match [options] BITMAP\n"
        "Tells which fonts draw the character shown in BITMAP (dark on white), best first.\n"
        "\n"
        "  --fonts DIR        the *.ttf and *.otf files under DIR, recursively (repeatable)\n"
        "  --system           the installed faces (the default when no --fonts is given)\n"
        "  --char C           the character the bitmap shows, one Windows-1252 character (A)\n"
        "  --speedup N        1 compares every pixel, graded; 2-10 every N-th row and column,\n"
        "                     exactly (1)\n"
        "  --top K            print the K best results, 0 for all (20)\n"
        "  --min PERCENT      print only results whose match is at least PERCENT (0)\n"
        "  --jobs N           threads to match on (the number of cores)\n"
        "  --format F         table, tsv or json (table on a terminal, tsv otherwise)\n"
        "  --rank R           aspect: by the score, the match weighed by how much ink the\n"
        "                     glyph shares with the bitmap and how well their width-to-height\n"
        "                     ratios agree (default);\n"
        "                     match: by the match alone, as the window orders them\n"
        "  --help             this text\n"
        "  --version          the version\n"
        "\n"
        "Columns: rank, score and match (percent), face, file, xratio and yratio (the glyph's\n"
        "width and height over the bitmap's). Exit status: 0 when the run completed, 2 on an error.\n");
}

ParsedArguments parseArguments(const QStringList& args, int defaultJobs, bool stdoutIsTerminal) {
    ParsedArguments p;
    MatchOptions& o = p.options;
    o.jobs = qBound(1, defaultJobs, kMaxJobs);
    o.format = stdoutIsTerminal ? OutputFormat::Table : OutputFormat::Tsv;

    QStringList positional;
    bool optionsEnded = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (optionsEnded || !arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")) {
            positional << arg;
            continue;
        }
        if (arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        const Flag flag = splitFlag(arg);
        const QString& name = flag.name;

        if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
            p.action = ParsedArguments::Action::Help;
            return p;
        }
        if (name == QLatin1String("--version")) {
            p.action = ParsedArguments::Action::Version;
            return p;
        }
        if (name == QLatin1String("--system")) {
            if (flag.hasValue) return fail(QStringLiteral("option --system takes no value"));
            o.system = true;
            continue;
        }

        const bool takesValue = name == QLatin1String("--fonts") || name == QLatin1String("--char") ||
                                name == QLatin1String("--speedup") || name == QLatin1String("--top") ||
                                name == QLatin1String("--min") || name == QLatin1String("--jobs") ||
                                name == QLatin1String("--format") || name == QLatin1String("--rank");
        if (!takesValue) return fail(QStringLiteral("unknown option %1").arg(name));
        QString value = flag.value;
        if (!flag.hasValue) {
            if (i + 1 >= args.size()) return fail(QStringLiteral("option %1 needs a value").arg(name));
            value = args.at(++i);
        }

        if (name == QLatin1String("--fonts")) {
            if (value.isEmpty()) return fail(QStringLiteral("option --fonts needs a folder"));
            o.fontDirs << value;
        } else if (name == QLatin1String("--char")) {
            // One character that Windows-1252 has: what the window's character field holds.
            if (value.size() != 1 || FontSystem::codeOf(value.at(0).unicode()) < 0)
                return fail(
                    QStringLiteral("--char needs one character of Windows-1252, not \"%1\"").arg(value));
            o.charText = value;
        } else if (name == QLatin1String("--speedup")) {
            const auto v = readInt(value);
            if (!v || *v < 1 || *v > 10)
                return fail(
                    QStringLiteral("--speedup needs a whole number from 1 to 10, not \"%1\"").arg(value));
            o.speedup = *v;
        } else if (name == QLatin1String("--top")) {
            const auto v = readInt(value);
            if (!v || *v < 0)
                return fail(QStringLiteral("--top needs a whole number, 0 or more, not \"%1\"").arg(value));
            o.top = *v;
        } else if (name == QLatin1String("--min")) {
            const auto v = readDouble(value);
            if (!v || *v < 0 || *v > 100)
                return fail(QStringLiteral("--min needs a percentage from 0 to 100, not \"%1\"").arg(value));
            o.minPercent = *v;
        } else if (name == QLatin1String("--jobs")) {
            const auto v = readInt(value);
            if (!v || *v < 1 || *v > kMaxJobs)
                return fail(QStringLiteral("--jobs needs a whole number from 1 to %1, not \"%2\"")
                                .arg(kMaxJobs)
                                .arg(value));
            o.jobs = *v;
        } else if (name == QLatin1String("--rank")) {
            if (value == QLatin1String("aspect"))
                o.rank = RankBy::Aspect;
            else if (value == QLatin1String("match"))
                o.rank = RankBy::Match;
            else
                return fail(QStringLiteral("--rank needs aspect or match, not \"%1\"").arg(value));
        } else if (name == QLatin1String("--format")) {
            if (value == QLatin1String("table"))
                o.format = OutputFormat::Table;
            else if (value == QLatin1String("tsv"))
                o.format = OutputFormat::Tsv;
            else if (value == QLatin1String("json"))
                o.format = OutputFormat::Json;
            else
                return fail(QStringLiteral("--format needs table, tsv or json, not \"%1\"").arg(value));
        }
    }

    if (positional.isEmpty()) return fail(QStringLiteral("no bitmap given"));
    if (positional.size() > 1)
        return fail(QStringLiteral("one bitmap only, not %1 (\"%2\")")
                        .arg(positional.size())
                        .arg(positional.join(QStringLiteral("\", \""))));
    o.bitmap = positional.first();
    if (o.fontDirs.isEmpty()) o.system = true;
    p.action = ParsedArguments::Action::Run;
    return p;
}

}  // namespace lettrino::cli
