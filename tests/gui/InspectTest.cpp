// Rulers, grid and readout on the two canvases, driven with real mouse events.
#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QTest>

#include <memory>

#include "FontsFixtures.h"
#include "WindowFixture.h"
#include "app/CanvasWidget.h"
#include "app/Form1.h"
#include "app/StatusBar.h"
#include "canvas/Canvas.h"

using namespace lettrino;

namespace {

// The canvas widget's position of a canvas pixel: inside the 2-pixel border.
QPoint at(int x, int y) {
    return QPoint(x + 2, y + 2);
}

bool isBlack(const Canvas& c, int x, int y) {
    return c.screenPixels()[y * Canvas::kSize + x] == 0;
}

// Pixels of the screen layer that are black, as "x,y" strings, for a small picture of a canvas.
std::vector<QPoint> blackPixels(const Canvas& c) {
    std::vector<QPoint> points;
    for (int y = 0; y < Canvas::kSize; ++y)
        for (int x = 0; x < Canvas::kSize; ++x)
            if (isBlack(c, x, y)) points.emplace_back(x, y);
    return points;
}

// Sends one mouse event straight to a widget, as the window system would deliver it.
void send(QWidget* w, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held, QPoint pos) {
    QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

}  // namespace

class InspectTest : public QObject {
    Q_OBJECT
    std::unique_ptr<Form1> w_;

private Q_SLOTS:
    void init() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        w_ = testing::shownWindow();
        // White canvases, the reference box's corner at (50, 40) and the glyph box's at (80, 70).
        w_->BitmapBox = InkBox{40, 50, 120, 150};
        w_->FontBox = InkBox{70, 80, 150, 180};
    }
    void cleanup() { w_.reset(); }

    void rulersAtCorrespondingPoints() {
        QTest::mousePress(w_->Picture1, Qt::LeftButton, {}, at(60, 45));
        const Canvas& c1 = w_->Picture1->canvas();
        const Canvas& c2 = w_->Picture2->canvas();
        for (int x : {0, 30, 59, 61, 196}) QVERIFY2(isBlack(c1, x, 45), qPrintable(QString::number(x)));
        for (int y : {0, 44, 46, 196}) QVERIFY(isBlack(c1, 60, y));
        QVERIFY2(!isBlack(c1, 60, 45), "the two rulers cross there and cancel");
        QVERIFY(!isBlack(c1, 61, 46));
        for (int x : {0, 89, 91, 196}) QVERIFY(isBlack(c2, x, 75));
        for (int y : {0, 74, 76, 196}) QVERIFY(isBlack(c2, 90, y));
        QCOMPARE(int(blackPixels(c1).size()), 2 * 197 - 2);

        StatusBar* bar = w_->StatusBar1;
        QCOMPARE(bar->tag(), QString("-2"));
        QCOMPARE(bar->panelText(6), QString("X: 60"));
        QCOMPARE(bar->panelText(7), QString("Y: 45"));
        QCOMPARE(bar->panelText(8), QString("Black: 255"));
        QCOMPARE(bar->panelText(10), QString("X: 90"));
        QCOMPARE(bar->panelText(11), QString("Y: 75"));
        QCOMPARE(bar->panelText(12), QString("Black: 255"));
        QVERIFY(!bar->panelVisible(2));
        QVERIFY(bar->panelVisible(6));

        // The rulers follow the pointer; nothing of the previous ones stays.
        QTest::mouseMove(w_->Picture1, at(70, 50));
        QVERIFY(!isBlack(c1, 30, 45));
        QVERIFY(isBlack(c1, 30, 50));
        QVERIFY(isBlack(c2, 100, 10));
        QCOMPARE(bar->panelText(6), QString("X: 70"));
    }

    void gridWithTheRightButton() {
        QTest::mousePress(w_->Picture1, Qt::RightButton, {}, at(60, 45));
        const Canvas& c1 = w_->Picture1->canvas();
        const Canvas& c2 = w_->Picture2->canvas();
        // Picture1: vertical lines at 0, 20, ..., horizontal ones at 5, 25, ...
        for (int x = 0; x < 197; x += 20) QVERIFY2(isBlack(c1, x, 3), qPrintable(QString::number(x)));
        for (int y = 5; y < 197; y += 20) QVERIFY2(isBlack(c1, 3, y), qPrintable(QString::number(y)));
        QVERIFY(!isBlack(c1, 10, 3));
        // Picture2: vertical lines at 10, 30, ..., horizontal ones at 15, 35, ...
        for (int x = 10; x < 197; x += 20) QVERIFY(isBlack(c2, x, 3));
        for (int y = 15; y < 197; y += 20) QVERIFY(isBlack(c2, 3, y));
        QVERIFY(!isBlack(c2, 0, 3));
        QCOMPARE(w_->StatusBar1->panelText(10), QString("X: 90"));
    }

    void lastReleaseRestoresBothCanvasesExactly() {
        const QImage picture = fixtures::blockPicture();
        w_->Picture1->setPicture(picture);
        Canvas& c1 = w_->Picture1->canvas();
        Canvas& c2 = w_->Picture2->canvas();
        c1.drawRect(50, 50, 59, 59, kRed);
        const auto before1 = fixtures::pixelsOf(c1, false);
        const auto before2 = fixtures::pixelsOf(c2, false);

        QTest::mousePress(w_->Picture2, Qt::LeftButton, {}, at(100, 100));
        QVERIFY(!c1.autoRedraw());
        QCOMPARE(w_->PressCount, 1);
        QTest::mouseMove(w_->Picture2, at(120, 90));
        QVERIFY(fixtures::pixelsOf(c2, false) != before2);
        QVERIFY2(fixtures::pixelsOf(c1, true) == before1, "guide lines never reach the persistent image");
        QTest::mouseRelease(w_->Picture2, Qt::LeftButton, {}, at(120, 90));
        QCOMPARE(w_->PressCount, 0);
        QVERIFY(c1.autoRedraw() && c2.autoRedraw());
        QVERIFY(fixtures::pixelsOf(c1, false) == before1);
        QVERIFY(fixtures::pixelsOf(c2, false) == before2);
    }

    void doubleClickSequenceEndsWithTheCanvasesRestored() {
        const auto before = fixtures::pixelsOf(w_->Picture1->canvas(), false);
        // Qt reports a double click as press, release, press, double click, release
        QWidget* p = w_->Picture1;
        send(p, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, at(20, 20));
        send(p, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, at(20, 20));
        send(p, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, at(20, 20));
        send(p, QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton, at(20, 20));
        QCOMPARE(w_->PressCount, 1);
        QVERIFY(!w_->Picture1->canvas().autoRedraw());
        send(p, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, at(20, 20));
        QCOMPARE(w_->PressCount, 0);
        QVERIFY(w_->Picture1->canvas().autoRedraw());
        QVERIFY(fixtures::pixelsOf(w_->Picture1->canvas(), false) == before);
    }

    void hintWithoutAButtonAndNothingDuringARun() {
        send(w_->Picture2, QEvent::MouseMove, Qt::NoButton, Qt::NoButton, at(100, 100));
        QCOMPARE(w_->StatusBar1->panelText(5),
                 QString("Loaded font. Press left mouse button to show rulers; right button to show grid"));
        QVERIFY(blackPixels(w_->Picture2->canvas()).empty());

        w_->FindRunning = true;
        QTest::mousePress(w_->Picture1, Qt::LeftButton, {}, at(60, 45));
        QCOMPARE(w_->PressCount, 0);
        QVERIFY(blackPixels(w_->Picture1->canvas()).empty());
        QTest::mouseRelease(w_->Picture1, Qt::LeftButton, {}, at(60, 45));
        QCOMPARE(w_->PressCount, 0);
        w_->FindRunning = false;
    }

    void pointOffTheCanvasReadsMinusOne() {
        // Glyph box corner near the top-left: the corresponding point lies above the canvas.
        w_->FontBox = InkBox{2, 3, 150, 180};
        QTest::mousePress(w_->Picture1, Qt::RightButton, {}, at(52, 30));
        QCOMPARE(w_->StatusBar1->panelText(10), QString("X: 5"));
        QCOMPARE(w_->StatusBar1->panelText(11), QString("Y: -8"));
        QCOMPARE(w_->StatusBar1->panelText(12), QString("Black: -1"));
    }
};

QTEST_MAIN(InspectTest)
#include "InspectTest.moc"
