// The browsing slider: user moves told from the program's, the drag tip, releases.
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include "FontsFixtures.h"
#include "app/FontSlider.h"

using lettrino::FontSlider;

using fixtures::sendMouse;
using fixtures::thumbCentre;

class FontSliderTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void programMovesAreNotUserMoves();
    void keysMoveTowardsTheirEnd_data();
    void keysMoveTowardsTheirEnd();
    void dragReportsEveryPositionAndOneRelease();
    void autoRepeatIsNotARelease();

private:
    FontSlider* slider_ = nullptr;
};

void FontSliderTest::init() {
    slider_ = new FontSlider;
    slider_->setRange(0, 9);
    slider_->setGeometry(100, 100, 16, 212);
    slider_->show();
    QVERIFY(QTest::qWaitForWindowExposed(slider_));
}

void FontSliderTest::cleanup() {
    delete slider_;
}

void FontSliderTest::programMovesAreNotUserMoves() {
    QSignalSpy moved(slider_, &FontSlider::movedByUser);
    slider_->setValue(5);
    slider_->setRange(0, 3);  // clamps the value
    slider_->setValue(0);
    QCOMPARE(moved.size(), 0);
    // A key at the end of the range moves nothing, and leaves no mark for the next setValue.
    slider_->setFocus();
    QTest::keyClick(slider_, Qt::Key_Home);
    slider_->setValue(2);
    QCOMPARE(moved.size(), 0);
}

void FontSliderTest::keysMoveTowardsTheirEnd_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("expected");
    QTest::newRow("Up") << int(Qt::Key_Up) << 3;
    QTest::newRow("Down") << int(Qt::Key_Down) << 5;
    QTest::newRow("Home") << int(Qt::Key_Home) << 0;
    QTest::newRow("End") << int(Qt::Key_End) << 9;
}

void FontSliderTest::keysMoveTowardsTheirEnd() {
    QFETCH(int, key);
    QFETCH(int, expected);
    slider_->setValue(4);
    slider_->setFocus();
    QSignalSpy moved(slider_, &FontSlider::movedByUser);
    QSignalSpy released(slider_, &FontSlider::keyReleased);
    QTest::keyClick(slider_, Qt::Key(key));
    QCOMPARE(slider_->value(), expected);
    QCOMPARE(moved.size(), 1);
    QCOMPARE(moved[0][0].toInt(), expected);
    QCOMPARE(released.size(), 1);
    QCOMPARE(released[0][0].toInt(), key);
}

void FontSliderTest::dragReportsEveryPositionAndOneRelease() {
    QSignalSpy moved(slider_, &FontSlider::movedByUser);
    QSignalSpy released(slider_, &FontSlider::mouseReleased);
    slider_->setDragTip(QStringLiteral("first.ttf"));
    const QPoint start = thumbCentre(*slider_);
    sendMouse(slider_, QEvent::MouseButtonPress, start, true);
    QVERIFY(slider_->isSliderDown());
    QVERIFY(slider_->dragTipLabel());
    QCOMPARE(slider_->dragTipLabel()->text(), QStringLiteral("first.ttf"));

    QPoint at = start;
    for (int i = 0; i < 40 && slider_->value() < 3; ++i) {
        at += QPoint(0, 2);
        sendMouse(slider_, QEvent::MouseMove, at, true);
    }
    QVERIFY(slider_->value() >= 1);
    QVERIFY(!moved.isEmpty());
    QCOMPARE(moved.last()[0].toInt(), slider_->value());
    slider_->setDragTip(QStringLiteral("third.ttf"));
    QCOMPARE(slider_->dragTipLabel()->text(), QStringLiteral("third.ttf"));
    QCOMPARE(released.size(), 0);

    sendMouse(slider_, QEvent::MouseButtonRelease, at, false);
    QCOMPARE(released.size(), 1);
    QVERIFY(!slider_->dragTipLabel());
}

void FontSliderTest::autoRepeatIsNotARelease() {
    slider_->setFocus();
    QSignalSpy released(slider_, &FontSlider::keyReleased);
    QKeyEvent repeat(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(slider_, &repeat);
    QCOMPARE(released.size(), 0);
}

QTEST_MAIN(FontSliderTest)
#include "FontSliderTest.moc"
