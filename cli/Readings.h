#pragma once

#include <QString>
#include <QStringList>

namespace lettrino {

// The readings the fonts weigh for a lone character read from a picture, which gives the reader
// no line to stand on (a "g" is read as a 9): the Latin letters, both cases, the digits and the
// ampersand; and the letters of the character's own script when it is Greek or Cyrillic (a
// reader takes a Latin letter for one of those too).
QStringList lettersLike(const QString& character);

// Whether a reading is written in Latin letters, digits and signs only.
bool isLatin(const QString& reading);

// Whether a reading whose best font scores `score` replaces the best reading so far. A higher
// score wins; on a tie a reading in Latin letters wins over one in look-alike Greek or Cyrillic
// letters: the same glyphs, and the fonts that lack the others still count.
bool readsBetter(double score, const QString& reading, double bestScore, const QString& bestReading);

}  // namespace lettrino
