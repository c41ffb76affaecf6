#pragma once

#include <QHash>
#include <QImage>
#include <QString>
#include <QStringList>

#include <optional>

namespace lettrino::bench {

// Reads `--name value` pairs, each name one of `names`. Prints `usage` and gives nothing for
// anything else. A `--fonts` value must name a folder.
std::optional<QHash<QString, QString>> readOptions(int argc, char** argv, const QStringList& names,
                                                   const char* usage);

// A reference the engine draws itself: the character in DejaVu Sans (or fontconfig's
// substitute), 150 pixels tall, on a white canvas-sized picture. Null when it cannot be drawn.
QImage drawnReference(const QString& character);

}  // namespace lettrino::bench
