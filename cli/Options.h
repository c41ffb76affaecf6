#pragma once

#include <QString>
#include <QStringList>

namespace lettrino::cli {

enum class OutputFormat { Table, Tsv, Json };
// The order of the results: by the aspect-aware score (shared ink and proportions), or by the
// match alone, as the window lists them.
enum class RankBy { Aspect, Match };

// What one run of lettrino-match was asked to do.
struct MatchOptions {
    QString bitmap;
    QStringList fontDirs;  // --fonts, in the order given
    bool system = false;   // --system, or no --fonts at all
    QString charText = QStringLiteral("A");
    int speedup = 1;
    int top = 20;           // 0: every result
    double minPercent = 0;  // results whose match, in percent, is at least this
    int jobs = 1;
    OutputFormat format = OutputFormat::Table;
    RankBy rank = RankBy::Aspect;
};

// The outcome of reading the command line: options to run with, or a request for the help
// or version text, or a one-line error (without the program-name prefix).
struct ParsedArguments {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Error;
    MatchOptions options;
    QString error;
};

// Reads the arguments (without the program name). The defaults that depend on the
// surroundings come in as parameters: the number of jobs, and whether stdout is a terminal
// (table) or not (tsv).
ParsedArguments parseArguments(const QStringList& args, int defaultJobs, bool stdoutIsTerminal);

// The --help text.
QString usageText();

}  // namespace lettrino::cli
