#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/Options.h"

namespace lettrino::cli {
namespace {

struct Case {
    std::vector<const char*> args;  // UTF-8, without the program name
    std::string want;               // describe()'s line, "(help)", "(version)" or the error
    int defaultJobs = 3;
    bool terminal = false;
};

// Every option, so that a failing case shows which came out wrong (format 0 table, 2 json; rank 1 match).
std::string describe(const MatchOptions& o) {
    const auto n = [](double v) { return QString::number(v); };
    const QStringList fields{o.bitmap,  o.fontDirs.join(','), n(o.system),    o.charText,
                             o.text,    n(o.speedup),         n(o.top),       n(o.minPercent),
                             n(o.jobs), n(int(o.format)),     n(int(o.rank)), o.sheet};
    return fields.join('|').toStdString();
}

void check(const Case& c) {
    QStringList args;
    for (const char* a : c.args) args << QString::fromUtf8(a);
    const ParsedArguments p = parseArguments(args, c.defaultJobs, c.terminal);
    std::string got = p.action == ParsedArguments::Action::Help ? "(help)" : "(version)";
    if (p.action == ParsedArguments::Action::Run) got = describe(p.options);
    if (p.action == ParsedArguments::Action::Error) got = p.error.toStdString();
    EXPECT_EQ(got, c.want) << args.join(' ').toStdString();
}

const std::string kSixtyFour = std::string(63, 'x') + " x ";  // 64 characters besides the spaces
const std::string kSixtyFive = std::string(65, 'x') + " ";

TEST(Options, ValidArgumentsGiveTheirOptions) {
    const Case cases[] = {
        // clang-format off
        {{"a.bmp"}, "a.bmp||1|||1|20|0|3|1|0|"},
        {{"a.bmp"}, "a.bmp||1|||1|20|0|1|0|0|", 0, true},
        {{"a.bmp"}, "a.bmp||1|||1|20|0|256|1|0|", 1000},
        {{"--fonts", "/x", "--char=g", "--speedup", "10", "--top=0", "--min", "80.5", "--jobs", "256",
          "--format", "json", "--rank", "match", "--fonts", "/y", "b.bmp"},
         "b.bmp|/x,/y|0|g||10|0|80.5|256|2|1|"},
        {{"--fonts", "/x", "--system", "--min=100", "--jobs", "1", "--format", "table", "--rank=aspect",
          "a.bmp"}, "a.bmp|/x|1|||1|20|100|1|0|0|"},
        {{"--format", "tsv", "--speedup", "1", "--", "--odd.bmp"}, "--odd.bmp||1|||1|20|0|3|1|0|"},
        {{"--char", "é", "a.bmp"}, "a.bmp||1|é||1|20|0|3|1|0|"}, {{"--char", "Ж", "a.bmp"}, "a.bmp||1|Ж||1|20|0|3|1|0|"},
        {{"--char=Ω", "a.bmp"}, "a.bmp||1|Ω||1|20|0|3|1|0|"}, {{"--char", "😀", "a.bmp"}, "a.bmp||1|😀||1|20|0|3|1|0|"},
        {{"--text", "Hi Jo", "a.bmp"}, "a.bmp||1||Hi Jo|1|20|0|3|1|0|"},
        {{"--text", kSixtyFour.c_str(), "a.bmp"}, "a.bmp||1||" + kSixtyFour + "|1|20|0|3|1|0|"},
        {{"--sheet", "s.PNG", "a.bmp"}, "a.bmp||1|||1|20|0|3|1|0|s.PNG"},
        {{"--top", "100", "--sheet=s.png", "a.bmp"}, "a.bmp||1|||1|100|0|3|1|0|s.png"},
    };  // clang-format on
    for (const Case& c : cases) check(c);
}

TEST(Options, OtherArgumentsGiveHelpVersionOrTheirOneLineError) {
    const Case cases[] = {
        // clang-format off
        {{"--frob", "-h"}, "(help)"}, {{"a.bmp", "--speedup", "0", "--help"}, "(help)"},
        {{"--version", "--top"}, "(version)"}, {{}, "no bitmap given"},
        {{"a.bmp", "b.bmp"}, "one bitmap only, not 2 (\"a.bmp\", \"b.bmp\")"},
        {{"--x", "a.bmp"}, "unknown option --x"}, {{"-x", "a.bmp"}, "unknown option -x"},
        {{"a.bmp", "--fonts"}, "option --fonts needs a value"},
        {{"--system=yes", "a.bmp"}, "option --system takes no value"},
        {{"--fonts=", "a.bmp"}, "option --fonts needs a folder"},
        {{"--speedup", "0", "--top", "-1", "a.bmp"},  // the first bad value
         "--speedup needs a whole number from 1 to 10, not \"0\""},
        {{"--speedup", "11", "a.bmp"}, "--speedup needs a whole number from 1 to 10, not \"11\""},
        {{"--top", "x", "a.bmp"}, "--top needs a whole number, 0 or more, not \"x\""},
        {{"--min", "100.5", "a.bmp"}, "--min needs a percentage from 0 to 100, not \"100.5\""},
        {{"--min", "nan", "a.bmp"}, "--min needs a percentage from 0 to 100, not \"nan\""},
        {{"--jobs", "257", "a.bmp"}, "--jobs needs a whole number from 1 to 256, not \"257\""},
        {{"--jobs", "0", "a.bmp"}, "--jobs needs a whole number from 1 to 256, not \"0\""},
        {{"--format", "xml", "a.bmp"}, "--format needs table, tsv or json, not \"xml\""},
        {{"--rank", "size", "a.bmp"}, "--rank needs aspect or match, not \"size\""},
        {{"--char", "ab", "a.bmp"}, "--char needs one character, not \"ab\""},
        {{"--char", "", "a.bmp"}, "--char needs one character, not \"\""},
        {{"--char", "\n", "a.bmp"}, "--char needs one character, not \"\\x0a\""},
        {{"--text", "  ", "a.bmp"}, "--text needs 1 to 64 characters besides spaces, not \"  \""},
        {{"--text", kSixtyFive.c_str()},
         "--text needs 1 to 64 characters besides spaces, not \"" + kSixtyFive + "\""},
        {{"--text", "a\tb", "a.bmp"}, "--text needs printable characters, not \"a\\x09b\""},
        {{"--char", "g", "--text", "ab", "a.bmp"}, "--char and --text exclude each other"},
        {{"--sheet", "s.png.jpg", "a.bmp"}, "--sheet needs a file name ending in .png, not \"s.png.jpg\""},
        {{"--sheet", "s.png", "--top", "101", "a.bmp"}, "--sheet shows at most 100 results"},
        {{"--top=0", "--sheet", "s.png", "a.bmp"}, "--sheet shows at most 100 results"},
    };  // clang-format on
    for (const Case& c : cases) check(c);
}

}  // namespace
}  // namespace lettrino::cli
