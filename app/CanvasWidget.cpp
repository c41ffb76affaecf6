#include "app/CanvasWidget.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>

namespace lettrino {

namespace {
// The sunken border around the drawable area, in pixels.
constexpr int kBorder = (Canvas::kOuterSize - Canvas::kSize) / 2;
}  // namespace

CanvasWidget::CanvasWidget(QWidget* parent) : QWidget(parent) {
    setFixedSize(Canvas::kOuterSize, Canvas::kOuterSize);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void CanvasWidget::setPicture(const QImage& image) {
    canvas_->setPicture(image);
    update();
    Q_EMIT pictureChanged();
    refresh();
}

void CanvasWidget::refresh() {
    if (canvas_->revision() != paintedRevision_) update();
}

void CanvasWidget::repaintNow() {
    repaint();
}

int CanvasWidget::buttonState(Qt::MouseButtons buttons) {
    int state = 0;
    if (buttons & Qt::LeftButton) state |= 1;
    if (buttons & Qt::RightButton) state |= 2;
    if (buttons & Qt::MiddleButton) state |= 4;
    return state;
}

void CanvasWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect outer = rect();
    // Two-pixel sunken border: dark grey and black above and left, light and white below
    // and right.
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(outer.left(), outer.top(), outer.right() - 1, outer.top());
    painter.drawLine(outer.left(), outer.top(), outer.left(), outer.bottom() - 1);
    painter.setPen(palette().color(QPalette::Shadow));
    painter.drawLine(outer.left() + 1, outer.top() + 1, outer.right() - 2, outer.top() + 1);
    painter.drawLine(outer.left() + 1, outer.top() + 1, outer.left() + 1, outer.bottom() - 2);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(outer.left(), outer.bottom(), outer.right(), outer.bottom());
    painter.drawLine(outer.right(), outer.top(), outer.right(), outer.bottom());
    painter.setPen(palette().color(QPalette::Midlight));
    painter.drawLine(outer.left() + 1, outer.bottom() - 1, outer.right() - 1, outer.bottom() - 1);
    painter.drawLine(outer.right() - 1, outer.top() + 1, outer.right() - 1, outer.bottom() - 1);
    // The area between the drawable pixels and the border (the outer size is odd).
    painter.fillRect(QRect(kBorder, kBorder, outer.width() - 2 * kBorder, outer.height() - 2 * kBorder),
                     Qt::white);
    painter.drawImage(kBorder, kBorder, canvas_->screenImage());
    paintedRevision_ = canvas_->revision();
}

void CanvasWidget::mousePressEvent(QMouseEvent* event) {
    const QPointF p = event->position() - QPointF(kBorder, kBorder);
    Q_EMIT mousePressed(buttonState(event->button()), event->modifiers(), float(p.x()), float(p.y()));
}

void CanvasWidget::mouseMoveEvent(QMouseEvent* event) {
    const QPointF p = event->position() - QPointF(kBorder, kBorder);
    Q_EMIT mouseMoved(buttonState(event->buttons()), event->modifiers(), float(p.x()), float(p.y()));
}

void CanvasWidget::mouseReleaseEvent(QMouseEvent* event) {
    const QPointF p = event->position() - QPointF(kBorder, kBorder);
    Q_EMIT mouseReleased(buttonState(event->button()), event->modifiers(), float(p.x()), float(p.y()));
}

void CanvasWidget::mouseDoubleClickEvent(QMouseEvent*) {
    Q_EMIT doubleClicked();
}

}  // namespace lettrino
