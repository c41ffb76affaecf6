#pragma once

#include <QSlider>

namespace lettrino {

// The vertical browsing slider. Tells user moves apart from the program's (sliderMovedByUser),
// shows a drag tip beside the thumb while dragged, and reports mouse and key releases.
class FontSlider : public QSlider {
    Q_OBJECT
public:
    explicit FontSlider(QWidget* parent = nullptr);

    void setDragTip(const QString& text);
    QString dragTip() const { return dragTip_; }

Q_SIGNALS:
    void movedByUser(int position);
    void mouseReleased();
    void keyReleased(int key);
    void mouseMoved();

private:
    QString dragTip_;
};

}  // namespace lettrino
