#include <gtest/gtest.h>

#include "cli/Options.h"

namespace lettrino::cli {
namespace {

using Action = ParsedArguments::Action;

QStringList split(const char* line) {
    return QString::fromUtf8(line).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

TEST(Options, DefaultsDependOnTheSurroundings) {
    const ParsedArguments onTerminal = parseArguments({QStringLiteral("a.bmp")}, 6, true);
    ASSERT_EQ(onTerminal.action, Action::Run);
    const MatchOptions& o = onTerminal.options;
    EXPECT_EQ(o.bitmap, QStringLiteral("a.bmp"));
    EXPECT_TRUE(o.system);
    EXPECT_TRUE(o.fontDirs.isEmpty());
    EXPECT_EQ(o.charText, QStringLiteral("A"));
    EXPECT_EQ(o.speedup, 1);
    EXPECT_EQ(o.top, 20);
    EXPECT_EQ(o.minPercent, 0.0);
    EXPECT_EQ(o.jobs, 6);
    EXPECT_EQ(o.format, OutputFormat::Table);
    EXPECT_EQ(o.rank, RankBy::Aspect);

    EXPECT_EQ(parseArguments({QStringLiteral("a.bmp")}, 6, false).options.format, OutputFormat::Tsv);
    EXPECT_EQ(parseArguments({QStringLiteral("a.bmp")}, 0, false).options.jobs, 1);
}

TEST(Options, ValuesAreRead) {
    const ParsedArguments p = parseArguments(
        split("--fonts /x --char=g --speedup 3 --top=0 --min 80.5 --jobs 2 --format json --fonts /y b.bmp"),
        4, true);
    ASSERT_EQ(p.action, Action::Run) << p.error.toStdString();
    const MatchOptions& o = p.options;
    EXPECT_EQ(o.fontDirs, QStringList({QStringLiteral("/x"), QStringLiteral("/y")}));
    EXPECT_FALSE(o.system);
    EXPECT_EQ(o.charText, QStringLiteral("g"));
    EXPECT_EQ(o.speedup, 3);
    EXPECT_EQ(o.top, 0);
    EXPECT_DOUBLE_EQ(o.minPercent, 80.5);
    EXPECT_EQ(o.jobs, 2);
    EXPECT_EQ(o.format, OutputFormat::Json);
    EXPECT_EQ(parseArguments(split("--rank match b.bmp"), 1, true).options.rank, RankBy::Match);
    EXPECT_EQ(parseArguments(split("--rank=aspect b.bmp"), 1, true).options.rank, RankBy::Aspect);

    EXPECT_TRUE(parseArguments(split("--fonts /x --system b.bmp"), 1, true).options.system);
    // A Windows-1252 character beyond ASCII, and a bitmap named like an option after "--".
    const ParsedArguments euro = parseArguments(
        {QStringLiteral("--char"), QString(QChar(0x20AC)), QStringLiteral("--"), QStringLiteral("--odd.bmp")},
        1, true);
    ASSERT_EQ(euro.action, Action::Run);
    EXPECT_EQ(euro.options.charText, QString(QChar(0x20AC)));
    EXPECT_EQ(euro.options.bitmap, QStringLiteral("--odd.bmp"));
}

TEST(Options, HelpAndVersionWinOverEverythingElse) {
    EXPECT_EQ(parseArguments(split("--help"), 1, true).action, Action::Help);
    EXPECT_EQ(parseArguments(split("a.bmp --speedup 0 --help"), 1, true).action, Action::Error);
    EXPECT_EQ(parseArguments(split("--help --speedup 0"), 1, true).action, Action::Help);
    EXPECT_EQ(parseArguments(split("--version"), 1, true).action, Action::Version);
}

TEST(Options, BadArgumentsAreRefusedWithAReason) {
    struct Case {
        QStringList args;
        const char* reason;  // a piece of the message
    };
    const Case cases[] = {
        {{}, "no bitmap"},
        {split("a.bmp b.bmp"), "one bitmap only"},
        {split("--frobnicate a.bmp"), "unknown option --frobnicate"},
        {split("a.bmp --speedup"), "--speedup needs a value"},
        {split("--speedup 0 a.bmp"), "from 1 to 10"},
        {split("--speedup 11 a.bmp"), "from 1 to 10"},
        {split("--speedup 2.5 a.bmp"), "from 1 to 10"},
        {split("--top -1 a.bmp"), "--top"},
        {split("--top x a.bmp"), "--top"},
        {split("--min 101 a.bmp"), "--min"},
        {split("--min -3 a.bmp"), "--min"},
        {split("--min nan a.bmp"), "--min"},
        {split("--jobs 0 a.bmp"), "--jobs"},
        {split("--jobs 100000 a.bmp"), "--jobs"},
        {split("--format xml a.bmp"), "table, tsv or json"},
        {split("--rank size a.bmp"), "aspect or match"},
        {split("--char ab a.bmp"), "one character of Windows-1252"},
        {{QStringLiteral("--char"), QString(), QStringLiteral("a.bmp")}, "one character of Windows-1252"},
        {{QStringLiteral("--char"), QString(QChar(0x0416)), QStringLiteral("a.bmp")}, "Windows-1252"},
        {{QStringLiteral("--fonts="), QStringLiteral("a.bmp")}, "--fonts needs a folder"},
        {split("--system=yes a.bmp"), "takes no value"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(QLatin1Char(' ')).toStdString());
        const ParsedArguments p = parseArguments(c.args, 2, false);
        EXPECT_EQ(p.action, Action::Error);
        EXPECT_TRUE(p.error.contains(QLatin1String(c.reason))) << p.error.toStdString();
        EXPECT_FALSE(p.error.contains(QLatin1Char('\n')));
    }
}

}  // namespace
}  // namespace lettrino::cli
