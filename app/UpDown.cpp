#include "app/UpDown.h"

#include <QEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QToolButton>

namespace lettrino {

UpDown::UpDown(QWidget* parent) : QWidget(parent) {
    up_ = new QToolButton(this);
    down_ = new QToolButton(this);
    up_->setObjectName(QStringLiteral("up"));
    down_->setObjectName(QStringLiteral("down"));
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {up_, down_}) {
        // The arrows never take the focus: the field keeps it, as its handlers expect.
        b->setFocusPolicy(Qt::NoFocus);
        b->setMouseTracking(true);
        b->installEventFilter(this);
    }
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
}

bool UpDown::setValue(int value) {
    if (value < min_ || value > max_) return false;
    if (value == value_) return true;
    value_ = value;
    if (buddy_) buddy_->setText(QString::number(value_));
    Q_EMIT valueChanged(value_);
    return true;
}

void UpDown::setRange(int minimum, int maximum) {
    min_ = minimum;
    max_ = maximum;
    // A value the new range leaves out is pulled in, with the usual change notification.
    if (value_ < min_)
        setValue(min_);
    else if (value_ > max_)
        setValue(max_);
}

void UpDown::stepBy(int direction) {
    if (direction > 0)
        setValue(value_ + step_ <= max_ ? value_ + step_ : max_);
    else if (direction < 0)
        setValue(value_ - step_ >= min_ ? value_ - step_ : min_);
}

bool UpDown::eventFilter(QObject* watched, QEvent* event) {
    if (watched != up_ && watched != down_) return QWidget::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
                // The press is reported before the step, so a handler can first set the
                // value the step starts from.
                Q_EMIT mousePressed();
                stepBy(watched == up_ ? 1 : -1);
            }
            break;
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) Q_EMIT mouseReleased();
            break;
        case QEvent::MouseMove:
            Q_EMIT mouseMoved();
            break;
        default:
            break;
    }
    return false;
}

void UpDown::resizeEvent(QResizeEvent*) {
    const int half = height() / 2;
    up_->setGeometry(0, 0, width(), half);
    down_->setGeometry(0, half, width(), height() - half);
}

}  // namespace lettrino
