#pragma once

#include <QString>
#include <QStringList>

namespace lettrino {

// The readings the fonts weigh for a lone character read from a picture, which gives the reader
// no line to stand on (a "g" is read as a 9, a Greek "Σ" as an "E", a Cyrillic "Д" as a 4): the
// Latin, Greek and Cyrillic letters, both cases, the digits and the ampersand.
QStringList loneCharacterReadings();

// Whether a reading is written in Latin letters, digits and signs only.
bool isLatin(const QString& reading);

// Whether a reading whose best font scores `score` replaces the best reading so far. A higher
// score wins; on a tie a reading in Latin letters wins over one in look-alike Greek or Cyrillic
// letters: the same glyphs, and the fonts that lack the others still count.
bool readsBetter(double score, const QString& reading, double bestScore, const QString& bestReading);

}  // namespace lettrino
