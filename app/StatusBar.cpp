#include "app/StatusBar.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

#include "app/CanvasWidget.h"

namespace lettrino {

namespace {
constexpr int kWidths[StatusBar::kPanels + 1] = {0, 147, 147, 147, 147, 499, 69, 69, 69, 22, 69, 69, 69};
}

StatusBar::StatusBar(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QString StatusBar::panelText(int panel) const {
    return panel >= 1 && panel <= kPanels ? panels_[panel].text : QString();
}

void StatusBar::setPanelText(int panel, const QString& text) {
    if (panel < 1 || panel > kPanels || panels_[panel].text == text) return;
    panels_[panel].text = text;
    if (panels_[panel].visible) update(panelRect(panel));
}

bool StatusBar::panelVisible(int panel) const {
    return panel >= 1 && panel <= kPanels && panels_[panel].visible;
}

void StatusBar::setPanelVisible(int panel, bool visible) {
    if (panel < 1 || panel > kPanels || panels_[panel].visible == visible) return;
    panels_[panel].visible = visible;
    update();
}

int StatusBar::panelWidth(int panel) {
    return panel >= 1 && panel <= kPanels ? kWidths[panel] : 0;
}

QRect StatusBar::panelRect(int panel) const {
    if (!panelVisible(panel)) return {};
    int left = 0;
    for (int p = 1; p < panel; ++p)
        if (panels_[p].visible) left += kWidths[p];
    return QRect(left, 0, kWidths[panel], height());
}

void StatusBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    for (int p = 1; p <= kPanels; ++p) {
        const QRect r = panelRect(p);
        if (r.isEmpty()) continue;
        // A sunken panel with a one-pixel gap to its neighbour, the text clipped to it.
        const QRect box = r.adjusted(0, 1, -2, 0);
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawLine(box.topLeft(), box.topRight());
        painter.drawLine(box.topLeft(), box.bottomLeft());
        painter.setPen(palette().color(QPalette::Light));
        painter.drawLine(box.bottomLeft(), box.bottomRight());
        painter.drawLine(box.topRight(), box.bottomRight());
        painter.setPen(palette().color(QPalette::WindowText));
        const QRect textBox = box.adjusted(3, 0, -2, 0);
        painter.setClipRect(textBox);
        painter.drawText(textBox, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, panels_[p].text);
        painter.setClipping(false);
    }
}

void StatusBar::mousePressEvent(QMouseEvent* event) {
    cursorScreenPos_ = event->globalPosition().toPoint();
    Q_EMIT mousePressed(CanvasWidget::buttonState(event->button()), event->modifiers(),
                        float(event->position().x()), float(event->position().y()));
}

void StatusBar::mouseMoveEvent(QMouseEvent* event) {
    // Qt keeps sending moves here while a button is held, also outside the bar.
    cursorScreenPos_ = event->globalPosition().toPoint();
    Q_EMIT mouseMoved(CanvasWidget::buttonState(event->buttons()), event->modifiers(),
                      float(event->position().x()), float(event->position().y()));
}

}  // namespace lettrino
