// Placeholder until this part of the window lands.
#include "app/Form1.h"

namespace lettrino {
void Form1::connectFonts() {}
void Form1::loadSystemFonts() {}
void Form1::loadFontFolder(const QString&) {}
void Form1::enableFontListControls() {}
}  // namespace lettrino
