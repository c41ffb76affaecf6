// Placeholder until this part of the window lands.
#include "app/Form1.h"

namespace lettrino {
void Form1::connectSearch() {}
void Form1::findClicked() {}
void Form1::timerTick() {}
}  // namespace lettrino
