#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <vector>

#include "canvas/Canvas.h"
#include "canvas/InkBox.h"

class QWidget;

namespace lettrino {
class Form1;
class FontSlider;
}  // namespace lettrino

namespace fixtures {

// A font file that scripts/setup installs, e.g. "dejavu/DejaVuSans.ttf"; empty when missing.
QString systemFont(const QString& relative);
// Copies installed font files (relative names as above) into folder; false when one is missing.
bool copyFonts(const QString& folder, const QStringList& relatives);

// A reference bitmap of one character drawn from a font file by the program's own renderer,
// without its box outline. The ink height is settled so that rendering the same font against
// this bitmap draws exactly the same glyph. Null on failure.
QImage referenceGlyph(const QString& fontFile, const QString& character);
// Saves image as a .bmp in folder and loads it into the window's reference canvas.
bool loadReference(lettrino::Form1& w, const QImage& image, const QString& folder);

// A white 197 x 197 picture with a black square block of side 10 at (50, 50).
QImage blockPicture();

// Mouse events sent straight to a widget (press, move, release with the left button).
void sendMouse(QWidget* w, int type, const QPoint& at, bool leftHeld);
QPoint thumbCentre(lettrino::FontSlider& s);

// A canvas's screen layer, or its persistent image.
std::vector<lettrino::Colour> pixelsOf(const lettrino::Canvas& c, bool persistent = false);
// Whether two canvases' pixels agree; names the first difference otherwise.
QString firstDifference(const quint32* a, const quint32* b);

}  // namespace fixtures
