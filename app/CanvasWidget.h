#pragma once

#include <QWidget>

#include "canvas/Canvas.h"

namespace lettrino {

// A picture canvas on screen: 201 x 201 pixels, a 2-pixel sunken border around the
// 197 x 197 drawable area, which shows the canvas's screen layer 1:1.
//
// Mouse events are reported with the button state the program's handlers expect
// (1 = left, 2 = right, 4 = middle, combined while several are held) and the pointer
// position in the canvas's pixel coordinates ((0, 0) is the top-left drawable pixel).
class CanvasWidget : public QWidget {
    Q_OBJECT
public:
    explicit CanvasWidget(QWidget* parent = nullptr);

    Canvas& canvas() { return *canvas_; }
    const Canvas& canvas() const { return *canvas_; }
    // Shows another canvas (owned elsewhere, outliving the widget) instead of its own.
    void setCanvas(Canvas* canvas) {
        canvas_ = canvas ? canvas : &own_;
        paintedRevision_ = ~std::uint64_t(0);
        update();
    }

    // Puts a picture into the canvas and emits pictureChanged.
    void setPicture(const QImage& image);
    // Repaints now if the canvas changed since the last paint (cheap when it did not).
    void refresh();
    // Repaints at once, also during a long handler.
    void repaintNow();

    static int buttonState(Qt::MouseButtons buttons);

Q_SIGNALS:
    void pictureChanged();
    void mousePressed(int button, Qt::KeyboardModifiers shift, float x, float y);
    void mouseMoved(int button, Qt::KeyboardModifiers shift, float x, float y);
    void mouseReleased(int button, Qt::KeyboardModifiers shift, float x, float y);
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    Canvas own_;
    Canvas* canvas_ = &own_;
    std::uint64_t paintedRevision_ = ~std::uint64_t(0);
};

}  // namespace lettrino
