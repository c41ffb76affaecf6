// Rulers, grid and pixel readout: while a mouse button is held on either canvas, guide lines
// are drawn on both canvases at corresponding points (the same offset from each ink box's
// top-left corner) and the status line shows both points with their gray levels.
// The lines go to the screen only (persistent drawing off), so a clear takes them away.
#include <cmath>

#include "app/CanvasWidget.h"
#include "app/Form1.h"
#include "session/Session.h"

namespace lettrino {

namespace {

constexpr int kGridSpacing = 20;
constexpr int kGridLines = 11;

// A single-precision coordinate to a whole pixel: nearest, halves to even.
int clng(float v) { return int(std::nearbyint(v)); }

// The red component of a pixel, -1 outside the canvas.
int grayAt(const Canvas& c, float x, float y) {
    const std::int32_t px = c.getPixel(clng(x), clng(y));
    return px % 256;
}

void drawGrid(Canvas& c, float px, float py) {
    const int gx = clng(px) % kGridSpacing, gy = clng(py) % kGridSpacing;
    const int far = Canvas::kOuterSize;
    for (int i = 0; i < kGridLines; ++i) {
        c.drawLine(kGridSpacing * i + gx, 0, kGridSpacing * i + gx, far, kBlack);
        c.drawLine(0, kGridSpacing * i + gy, far, kGridSpacing * i + gy, kBlack);
    }
}

void drawRulers(Canvas& c, float px, float py) {
    const int far = Canvas::kOuterSize;
    c.drawLine(0, clng(py), far, clng(py), kBlack);
    c.drawLine(clng(px), 0, clng(px), far, kBlack);
}

}  // namespace

void Form1::connectInspect() {
    const auto wire = [this](CanvasWidget* widget, int canvas) {
        connect(widget, &CanvasWidget::mouseMoved, this,
                [this, canvas](int b, Qt::KeyboardModifiers, float x, float y) { canvasMouseMove(canvas, b, x, y); });
        connect(widget, &CanvasWidget::mousePressed, this,
                [this, canvas](int b, Qt::KeyboardModifiers, float x, float y) { canvasMousePress(canvas, b, x, y); });
        connect(widget, &CanvasWidget::mouseReleased, this, [this, canvas](int b, Qt::KeyboardModifiers, float x, float y) {
            canvasMouseRelease(canvas, b, x, y);
        });
        connect(widget, &CanvasWidget::doubleClicked, this, [this] { canvasDoubleClick(); });
    };
    wire(Picture1, 1);
    wire(Picture2, 2);
}

void Form1::canvasMouseMove(int canvas, int button, float x, float y) {
    if (FindRunning) return;
    const InkBox& BitmapBox = session_.reference().box;
    const InkBox& FontBox = session_.glyphBox();
    const InkBox& own = canvas == 1 ? BitmapBox : FontBox;
    const float dx = x - float(own.left), dy = y - float(own.top);
    if (button <= 0) {
        hoverHint(canvas == 1 ? static_cast<QWidget*>(Picture1) : Picture2);  // the canvas's own hint
        return;
    }
    Canvas& c1 = Picture1->canvas();
    Canvas& c2 = Picture2->canvas();
    c1.clear();
    c2.clear();
    const float x1 = float(BitmapBox.left) + dx, y1 = float(BitmapBox.top) + dy;
    const float x2 = float(FontBox.left) + dx, y2 = float(FontBox.top) + dy;
    const int rgb1 = grayAt(c1, x1, y1);
    const int rgb2 = grayAt(c2, x2, y2);
    if (button > 1 || PressCount == 2) {
        drawGrid(c1, x1, y1);
        drawGrid(c2, x2, y2);
    } else {
        drawRulers(c1, x1, y1);
        drawRulers(c2, x2, y2);
    }
    Picture1->refresh();
    Picture2->refresh();
    SetStatus(StatusMode::Readout, -1, QStringLiteral("None"), x1, y1, rgb1, x2, y2, rgb2);
}

void Form1::canvasMousePress(int canvas, int button, float x, float y) {
    if (FindRunning) return;
    Picture1->canvas().setAutoRedraw(false);
    Picture2->canvas().setAutoRedraw(false);
    ++PressCount;
    canvasMouseMove(canvas, button, x, y);
}

void Form1::canvasMouseRelease(int canvas, int button, float x, float y) {
    if (!FindRunning && PressCount <= 1) {
        PressCount = 0;
        Picture1->canvas().clear();
        Picture2->canvas().clear();
        Picture1->canvas().setAutoRedraw(true);
        Picture2->canvas().setAutoRedraw(true);
        Picture1->refresh();
        Picture2->refresh();
        return;
    }
    // Presses that came during a search run were not counted: never count below zero.
    if (PressCount > 0) --PressCount;
    canvasMouseMove(canvas, 3 - button, x, y);
}

void Form1::canvasDoubleClick() {
    // Qt reports a double click as press, release, double click, release: no press arrives for
    // the second click, so the double click stands in for it and the last release finds one
    // press to match. Also during a search run.
    Picture1->canvas().setAutoRedraw(false);
    Picture2->canvas().setAutoRedraw(false);
    ++PressCount;
}

}  // namespace lettrino
