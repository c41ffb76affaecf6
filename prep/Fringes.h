#pragma once

#include <QImage>
#include <QRect>

namespace lettrino {

// Whether the ink within `box` (the whole picture when null) shows the colour fringes of
// subpixel rendering: screen text drawn for an LCD's red, green and blue subpixels has warm
// edges on one side of each stroke and cool ones on the other, where ink of one colour has
// edges of its own hue only.
bool showsColourFringes(const QImage& picture, const QRect& box = QRect());

}  // namespace lettrino
