// Placeholder until this part of the window lands.
#include "app/Form1.h"

namespace lettrino {
void Form1::DisplayFont(const QString&, const QString&) {}
void Form1::DisplayFontFAST(const QString&, const QString&) {}
void Form1::MatchCalc() {}
}  // namespace lettrino
