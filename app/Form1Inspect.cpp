// Placeholder until this part of the window lands.
#include "app/Form1.h"

namespace lettrino {
void Form1::connectInspect() {}
}  // namespace lettrino
