#include "canvas/InkBox.h"

#include "canvas/Canvas.h"

namespace lettrino {

QString InkBox::topText() const { return QString::number(top) + QStringLiteral(" pixels"); }
QString InkBox::leftText() const { return QString::number(left) + QStringLiteral(" pixels"); }
QString InkBox::sizeText() const {
    if (right < left || bottom < top) return QStringLiteral("no ink");  // the box of a white canvas
    return QString::number(width()) + QStringLiteral(" x ") + QString::number(height()) +
           QStringLiteral(" pixels");
}

InkBox scanInkBox(const Canvas& canvas, const std::function<void(int)>& onRow) {
    InkBox box{Canvas::kOuterSize, Canvas::kOuterSize, 0, 0};
    const Colour* px = canvas.pixels();
    for (int y = 0; y < Canvas::kSize; ++y) {
        const Colour* row = px + y * Canvas::kSize;
        for (int x = 0; x < Canvas::kSize; ++x) {
            if ((row[x] & 0xFFFFFF) == kWhite) continue;
            if (y < box.top) box.top = y;
            if (x < box.left) box.left = x;
            if (x > box.right) box.right = x;
            if (y > box.bottom) box.bottom = y;
        }
        if (onRow) onRow(y);
    }
    return box;
}

}  // namespace lettrino
