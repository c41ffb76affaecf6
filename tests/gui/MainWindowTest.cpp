// The main window itself: the rulers and grid on the two canvases, the status line, the
// layout when resized, and the parameter fields.
#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "Fixtures.h"
#include "WindowFixture.h"

using namespace lettrino;
using namespace lettrino::testing;

namespace {

// The reference's ink box: columns 20 to 120, rows 30 to 150.
const QRect kBlock(20, 30, 101, 121);

// A canvas's screen with guide lines through p drawn over it: rulers (one line each way) or
// the grid (lines 20 pixels apart). The black not-xor pen inverts the pixels it crosses; where
// two lines cross they cancel.
QImage withLines(QImage image, QPoint p, bool grid) {
    const auto on = [grid](int v, int at) { return grid ? ((v - at) % 20 + 20) % 20 == 0 : v == at; };
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (on(x, p.x()) != on(y, p.y())) image.setPixel(x, y, ~image.pixel(x, y) | 0xFF000000u);
    return image;
}

QPoint onWidget(QPoint canvasPoint) {
    return canvasPoint + QPoint(2, 2);
}

bool statistics(const QStringList& texts) {
    return texts.size() == 3 && texts[1].startsWith(QLatin1String("Fonts Matched: "));
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    std::unique_ptr<Window> w_;

    // The reference block and DejaVu Sans loaded: a glyph box apart from the reference's.
    QString load() {
        QString why = chooseBitmap(*w_, dir_.filePath(QStringLiteral("block.bmp")));
        return why.isEmpty() ? chooseFontFolder(*w_, dir_.filePath(QStringLiteral("fonts"))) : why;
    }
    // The glyph canvas's point that corresponds to a point of the reference canvas.
    QPoint corresponding(QPoint p) const {
        return p - kBlock.topLeft() +
               QPoint(captionNumber(*w_, "FontLeftText"), captionNumber(*w_, "FontTopText"));
    }
    QLineEdit* field(const char* name) const { return w_->get<QLineEdit>(name); }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(dir_.isValid() && QDir(dir_.path()).mkdir(QStringLiteral("fonts")));
        QCOMPARE(
            fixtures::saveBitmap(fixtures::blockPicture(kBlock), dir_.filePath(QStringLiteral("block.bmp"))),
            QString());
        QCOMPARE(fixtures::copyFonts(dir_.filePath(QStringLiteral("fonts")), {"dejavu/DejaVuSans.ttf"}),
                 QString());
    }
    void init() { w_ = openWindow(); }
    void cleanup() { w_.reset(); }

    // Holding a button on Picture1 draws guide lines on both canvases at corresponding points
    // (the same offset from each ink box) and reads both points out; the release takes them off.
    void guideLines_data() {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<bool>("grid");
        QTest::newRow("left: rulers") << Qt::LeftButton << false;
        QTest::newRow("right: grid") << Qt::RightButton << true;
    }
    void guideLines() {
        QFETCH(Qt::MouseButton, button);
        QFETCH(bool, grid);
        QCOMPARE(load(), QString());
        QWidget* picture1 = w_->get("Picture1");
        QWidget* picture2 = w_->get("Picture2");
        const QImage before1 = screenOf(picture1), before2 = screenOf(picture2);
        const QPoint p1(60, 80), p2 = corresponding(p1);
        QVERIFY2(p2 != p1, "the two boxes must lie apart");
        QTest::mousePress(picture1, button, {}, onWidget(p1));
        const QImage held1 = screenOf(picture1), held2 = screenOf(picture2);
        const QStringList readout = statusTexts(*w_);
        QTest::mouseRelease(picture1, button, {}, onWidget(p1));  // before any check can end the test
        QCOMPARE(fixtures::firstDifference(held1, withLines(before1, p1, grid)), QString());
        QCOMPARE(fixtures::firstDifference(held2, withLines(before2, p2, grid)), QString());
        QCOMPARE(readout, (QStringList{"X: 60", "Y: 80", "Black: 0", QStringLiteral("X: %1").arg(p2.x()),
                                       QStringLiteral("Y: %1").arg(p2.y()),
                                       QStringLiteral("Black: %1").arg(qRed(before2.pixel(p2)))}));
        QCOMPARE(fixtures::firstDifference(screenOf(picture1), before1), QString());
        QCOMPARE(fixtures::firstDifference(screenOf(picture2), before2), QString());
    }

    // Qt reports a double click as press, release, double click, release: the double click
    // stands in for the second press. While it is held the right button goes down, the left one
    // up, and the pointer moves: the grid shows over the pictures as they were (glyph and
    // outlines kept); the last release restores both canvases, and a match afterwards gives what
    // it gave before.
    void doubleClickEndsWithTheCanvasesRestored() {
        QCOMPARE(load(), QString());
        QTest::mouseClick(w_->get<QPushButton>("Command4"), Qt::LeftButton);
        const QString matched = w_->get<QLabel>("MatchText")->text();
        QWidget* picture1 = w_->get("Picture1");
        QWidget* picture2 = w_->get("Picture2");
        const QImage before1 = screenOf(picture1), before2 = screenOf(picture2);
        const QPoint p1(70, 90), at = onWidget(p1);
        const auto send = [&](QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held) {
            QMouseEvent event(type, at, picture1->mapToGlobal(at), button, held, Qt::NoModifier);
            QApplication::sendEvent(picture1, &event);
        };
        QTest::mousePress(picture1, Qt::LeftButton, {}, at);
        QTest::mouseRelease(picture1, Qt::LeftButton, {}, at);
        send(QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseButtonPress, Qt::RightButton, Qt::LeftButton | Qt::RightButton);
        send(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::RightButton);
        send(QEvent::MouseMove, Qt::NoButton, Qt::RightButton);
        const QImage held1 = screenOf(picture1), held2 = screenOf(picture2);
        send(QEvent::MouseButtonRelease, Qt::RightButton, Qt::NoButton);
        QCOMPARE(fixtures::firstDifference(held1, withLines(before1, p1, true)), QString());
        QCOMPARE(fixtures::firstDifference(held2, withLines(before2, corresponding(p1), true)), QString());
        QCOMPARE(fixtures::firstDifference(screenOf(picture1), before1), QString());
        QCOMPARE(fixtures::firstDifference(screenOf(picture2), before2), QString());
        QTest::mouseClick(w_->get<QPushButton>("Command4"), Qt::LeftButton);
        QCOMPARE(w_->get<QLabel>("MatchText")->text(), matched);
    }

    // A control's hint over it; over the background, and over any disabled control, the
    // statistics come back.
    void statusLine_data() {
        QTest::addColumn<bool>("fonts");
        QTest::addColumn<QString>("control");  // empty: the window's background
        QTest::addColumn<QString>("hint");     // empty: the statistics
        QTest::newRow("enabled button") << true << "ButtonFind"
                                        << "Start matching the bitmap against selected fonts list";
        QTest::newRow("results list")
            << true << "List1"
            << "Matched fonts list. Click and drag to copy font files to another folder";
        QTest::newRow("background") << false << QString() << QString();
        QTest::newRow("disabled button") << false << "ButtonFind" << QString();
        QTest::newRow("disabled field") << false << "CharText" << QString();
    }
    void statusLine() {
        QFETCH(bool, fonts);
        QFETCH(QString, control);
        QFETCH(QString, hint);
        if (fonts) QCOMPARE(load(), QString());
        QVERIFY(statistics(statusTexts(*w_)));
        hover(w_->get("ButtonAbout"));
        QCOMPARE(statusTexts(*w_), QStringList{QStringLiteral("About ") + Form1::caption()});
        if (control.isEmpty()) {
            QPoint background(1, 1);
            while (w_->form.childAt(background)) background += QPoint(1, 1);
            hover(&w_->form, background);
        } else {
            QCOMPARE(w_->get(control.toLatin1().constData())->isEnabled(), !hint.isEmpty());
            QWidget* w = w_->get(control.toLatin1().constData());
            hover(w, QPoint(5, w->height() / 2));
        }
        if (hint.isEmpty())
            QVERIFY2(statistics(statusTexts(*w_)), qPrintable(statusTexts(*w_).join(QLatin1Char('|'))));
        else
            QCOMPARE(statusTexts(*w_), QStringList{hint});
    }

    // The width stays; the results list takes the height added; the controls below it keep their
    // distance to the bottom edge, those above it their place; the height has a floor.
    void layoutFollowsTheHeight() {
        QWidget& form = w_->form;
        QWidget* list = w_->get("List1");
        const int height = form.height(), listHeight = list->height();
        QHash<QWidget*, QRect> placed;
        for (QWidget* c : form.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (c->isVisible() && c != list) placed[c] = c->geometry();
        form.resize(600, height + 150);
        QCOMPARE(form.size(), QSize(441, height + 150));
        QCOMPARE(list->height(), listHeight + 150);
        for (auto it = placed.begin(); it != placed.end(); ++it)
            QCOMPARE(it.key()->geometry(), it.value().translated(0, it.value().y() > list->y() ? 150 : 0));
        form.resize(441, 100);
        const int least = form.height();
        QVERIFY(least > 100);
        form.resize(441, least - 1);
        QCOMPARE(form.height(), least);
        QVERIFY(w_->get("ButtonFind")->geometry().bottom() < w_->get("StatusBar1")->y());
    }

    // Typed parameters: the character ring keeps the character and its code together and draws
    // the new character; a value out of range keeps the focus in its field.
    void typedParameters_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("other");  // the ring's other field, and what it reads then
        QTest::addColumn<QString>("otherText");
        const auto row = [](const char* name, const char* field, const char* text, bool accepted,
                            const char* other = "", const char* otherText = "") {
            QTest::newRow(name) << QString(field) << QString(text) << accepted << QString(other)
                                << QString::fromUtf8(otherText);
        };
        row("character g", "CharText", "g", true, "CharIndex", "103");
        row("code 200", "CharIndex", "200", true, "CharText", "È");
        row("code 128 of Windows-1252", "CharIndex", "128", true, "CharText", "€");
        row("code 300", "CharIndex", "300", false);
        row("speed-up 10", "SpeedUp", "10", true);
        row("speed-up 11", "SpeedUp", "11", false);
        row("speed-up 0", "SpeedUp", "0", false);
    }
    void typedParameters() {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QFETCH(QString, other);
        QFETCH(QString, otherText);
        QCOMPARE(load(), QString());
        const QImage glyph = screenOf(w_->get("Picture2"));
        QLineEdit* typed = this->field(field.toLatin1().constData());
        typeInto(typed, text);
        QCOMPARE(typed->hasFocus(), !accepted);
        if (other.isEmpty()) return;
        QCOMPARE(this->field(other.toLatin1().constData())->text(), otherText);
        QVERIFY2(!fixtures::firstDifference(screenOf(w_->get("Picture2")), glyph).isEmpty(),
                 "the glyph is drawn again");
    }

    // A picture file dropped on Picture1, or a picture pasted, loads as if chosen in the dialog;
    // a dark-mode picture of the wrong size is prepared first: a dark block 60 x 100 on a light
    // one becomes a block whose longer side fills the canvas less its margin, dark on white.
    void picturesDroppedOrPasted() {
        QImage dark(400, 300, QImage::Format_RGB32);
        dark.fill(qRgb(24, 26, 40));
        for (int y = 90; y < 190; ++y)
            for (int x = 200; x < 260; ++x) dark.setPixel(x, y, qRgb(235, 235, 230));
        const QString file = dir_.filePath(QStringLiteral("dark.png"));
        QVERIFY(dark.save(file));
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(file)});
        QWidget* canvas = w_->get("Picture1");
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(canvas, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(canvas, &drop);
        QCOMPARE(w_->get<QLabel>("BitmapFilenameText")->text(), QStringLiteral("dark.png"));
        QCOMPARE(captionNumber(*w_, "BitmapSizeText", 1), 176);
        const QImage shown = screenOf(canvas);
        QCOMPARE(QColor(shown.pixel(98, 98)).value(), 0);
        QCOMPARE(QColor(shown.pixel(5, 5)).value(), 255);

        QGuiApplication::clipboard()->setImage(fixtures::blockPicture(kBlock));
        QTest::keyClick(&w_->form, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(w_->get<QLabel>("BitmapFilenameText")->text(), QStringLiteral("(pasted)"));
        QCOMPARE(captionNumber(*w_, "BitmapSizeText", 1), kBlock.height() - 1);
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
