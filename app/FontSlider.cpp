#include "app/FontSlider.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>

namespace lettrino {

FontSlider::FontSlider(QWidget* parent) : QSlider(Qt::Vertical, parent) {
    // Position 0 at the top; Up and Page Up move towards it.
    setInvertedAppearance(true);
    setInvertedControls(true);
    setTracking(true);
    setMouseTracking(true);
    connect(this, &QAbstractSlider::actionTriggered, this, &FontSlider::onAction);
    connect(this, &QAbstractSlider::valueChanged, this, &FontSlider::onValueChanged);
    connect(this, &QAbstractSlider::sliderPressed, this, &FontSlider::showTip);
    connect(this, &QAbstractSlider::sliderReleased, this, &FontSlider::hideTip);
}

FontSlider::~FontSlider() {
    delete tip_;
}

// A user action has already placed the slider position when actionTriggered is emitted; the
// value follows right after. Only an action that will change the value marks a user move,
// so that a stale mark can never turn a later setValue into one.
void FontSlider::onAction(int action) {
    if (action == QAbstractSlider::SliderNoAction) return;
    userMovePending_ = sliderPosition() != value();
}

void FontSlider::onValueChanged(int value) {
    if (!userMovePending_) return;
    userMovePending_ = false;
    Q_EMIT movedByUser(value);
}

void FontSlider::setDragTip(const QString& text) {
    dragTip_ = text;
    if (tip_ && tip_->isVisible()) showTip();
}

QLabel* FontSlider::dragTipLabel() const {
    return tip_ && tip_->isVisible() ? tip_ : nullptr;
}

void FontSlider::showTip() {
    if (!tip_) {
        tip_ = new QLabel(nullptr, Qt::ToolTip | Qt::FramelessWindowHint);
        tip_->setObjectName(QStringLiteral("Slider1DragTip"));
        tip_->setForegroundRole(QPalette::ToolTipText);
        tip_->setBackgroundRole(QPalette::ToolTipBase);
        tip_->setAutoFillBackground(true);
        tip_->setFrameStyle(QFrame::Box | QFrame::Plain);
        tip_->setMargin(2);
    }
    tip_->setText(dragTip_);
    tip_->adjustSize();
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    const QRect thumb = style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
    const QPoint at = mapToGlobal(QPoint(width() + 2, thumb.center().y() - tip_->height() / 2));
    tip_->move(at);
    tip_->show();
}

void FontSlider::hideTip() {
    if (tip_) tip_->hide();
}

void FontSlider::mouseMoveEvent(QMouseEvent* event) {
    Q_EMIT mouseMoved();
    QSlider::mouseMoveEvent(event);
    if (isSliderDown()) showTip();
}

void FontSlider::mouseReleaseEvent(QMouseEvent* event) {
    QSlider::mouseReleaseEvent(event);
    hideTip();
    Q_EMIT mouseReleased();
}

void FontSlider::keyReleaseEvent(QKeyEvent* event) {
    QSlider::keyReleaseEvent(event);
    if (!event->isAutoRepeat()) Q_EMIT keyReleased(event->key());
}

void FontSlider::hideEvent(QHideEvent* event) {
    hideTip();
    QSlider::hideEvent(event);
}

}  // namespace lettrino
