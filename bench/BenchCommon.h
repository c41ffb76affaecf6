#pragma once

#include <QHash>
#include <QImage>
#include <QString>
#include <QStringList>

#include <optional>

namespace lettrino::bench {

// Reads the options after argv[0] (the subcommand's name), `--name value` or `--name=value`,
// each name one of `names`; the last value of a name given twice wins. Prints "usage: " and
// `usage` and gives nothing for anything else (an unknown option, a missing value, an argument
// that is no option). A `--fonts` value must name a folder.
std::optional<QHash<QString, QString>> readOptions(int argc, char** argv, const QStringList& names,
                                                   const char* usage);

// A reference the engine draws itself: the character in DejaVu Sans (or fontconfig's
// substitute), 150 pixels tall, on a white canvas-sized picture. Null when it cannot be drawn.
QImage drawnReference(const QString& character);

}  // namespace lettrino::bench
