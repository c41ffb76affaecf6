#pragma once

#include <QString>
#include <QStringList>

#include "match/Ranking.h"

namespace lettrino::cli {

enum class OutputFormat { Table, Tsv, Json };

// What one run of lettrino-match was asked to do.
struct MatchOptions {
    QString bitmap;
    QStringList fontDirs;  // --fonts, in the order given
    bool system = false;   // --system, or no --fonts at all
    // --char: one Unicode character, one code point (a surrogate pair when beyond U+FFFF), never a
    // control character.
    // Empty when not given: with no --text either, the picture's text is read.
    QString charText;
    // --text: the characters the picture shows, left to right, as given (spaces included; they
    // are skipped when matching); 1 to 64 characters besides spaces. Empty when not given; never
    // given together with --char.
    QString text;
    int speedup = 1;
    int top = 20;           // 0: every result; 1 to 100 when there is a sheet
    double minPercent = 0;  // results whose match, in percent, is at least this
    int jobs = 1;
    OutputFormat format = OutputFormat::Table;
    RankBy rank = RankBy::Aspect;
    QString sheet;  // --sheet: the evidence sheet's file, ending in .png (any case); empty: none
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
//
// --help (or -h) and --version win over every error. Otherwise the first of these is the error:
// an unknown option or a missing or unexpected value; the first bad value in the order given;
// options that exclude each other; no bitmap, or more than one.
ParsedArguments parseArguments(const QStringList& args, int defaultJobs, bool stdoutIsTerminal);

// The --help text: every option with its default, the columns and the exit status.
QString usageText();

}  // namespace lettrino::cli
