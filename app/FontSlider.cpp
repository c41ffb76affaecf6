#include "app/FontSlider.h"

namespace lettrino {
FontSlider::FontSlider(QWidget* parent) : QSlider(Qt::Vertical, parent) {}
void FontSlider::setDragTip(const QString& text) { dragTip_ = text; }
}  // namespace lettrino
