#pragma once

#include <QSlider>

class QLabel;

namespace lettrino {

// The vertical browsing slider, its minimum at the top. Tells user moves apart from the
// program's: movedByUser is emitted for moves by the mouse, the wheel or the keyboard, never
// for setValue or a range change. While the thumb is dragged a tip beside it shows the text
// last given to setDragTip. Reports mouse releases, key releases (not auto-repeats) and mouse
// moves over it.
class FontSlider : public QSlider {
    Q_OBJECT
public:
    explicit FontSlider(QWidget* parent = nullptr);
    ~FontSlider() override;

    void setDragTip(const QString& text);
    QString dragTip() const { return dragTip_; }
    // The tip's label while it is shown, nullptr otherwise.
    QLabel* dragTipLabel() const;

Q_SIGNALS:
    void movedByUser(int position);
    void mouseReleased();
    void keyReleased(int key);
    void mouseMoved();

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void onAction(int action);
    void onValueChanged(int value);
    void showTip();
    void hideTip();

    QString dragTip_;
    QLabel* tip_ = nullptr;
    bool userMovePending_ = false;
};

}  // namespace lettrino
