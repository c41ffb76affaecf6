// The main window's controls at start, its layout rules, the status-bar height drag, and
// closing it.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <sys/wait.h>
#include <unistd.h>

#include "WindowFixture.h"
#include "app/ResultsList.h"
#include "app/StatusBar.h"
#include "app/UpDown.h"

using namespace lettrino;
using namespace lettrino::testing;

class MainWindowTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    void inventory_data();
    void inventory();
    void frameLabels_data();
    void frameLabels();
    void startState();
    void keyboardOrderFollowsTabIndex();
    void accessKeysReachTheirFields();

    void layout_data();
    void layout();

    void dragWithLeftButtonChangesHeight();
    void dragRefusesHeightsAtOrBelowMinimum();
    void rightButtonNeverChangesHeight();

    void closingEndsTheProgramDuringASearch();
};

void MainWindowTest::inventory_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<int>("tab");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("text");
    auto row = [](const char* name, int x, int y, int w, int h, int tab, bool enabled,
                  const char* text = "") {
        QTest::newRow(name) << QString::fromLatin1(name) << QRect(x, y, w, h) << tab << enabled
                            << QString::fromUtf8(text);
    };
    // Controls below the results list are checked at the design client height, after layout.
    row("Command2", 8, 8, 201, 25, 0, true, "&Select Bitmap File");
    row("Command1", 232, 8, 97, 25, 1, false, "Fonts &Directory");
    row("Command5", 336, 8, 97, 25, 2, false, "S&ystem Fonts");
    row("Picture1", 8, 40, 201, 201, 41, true);
    row("Slider1", 216, 35, 16, 212, 3, false);
    row("Picture2", 232, 40, 201, 201, 42, true);
    row("Frame3", 0, 32, 233, 217, 50, true);
    row("Frame1", 8, 248, 201, 121, 32, false, "Bitmap Info");
    row("Frame2", 232, 248, 201, 121, 21, false, "Font Info");
    row("Command4", 8, 376, 57, 19, 5, false, "     &Match");
    row("Check1", 11, 379, 13, 13, 4, false);
    row("MatchProg", 72, 379, 97, 13, 44, false);
    row("MatchText", 180, 379, 29, 13, 46, false, "0,00%");
    row("Label1", 232, 379, 25, 13, 6, false, "&Char:");
    row("CharText", 264, 376, 17, 20, 7, false, "A");
    row("CharIndex", 280, 376, 41, 20, 8, false, "65");
    row("UpDown1", 303, 378, 16, 16, 20, false);
    row("Label5", 344, 379, 48, 13, 9, false, "Speed&Up:");
    row("SpeedUp", 400, 376, 33, 20, 10, false, "1");
    row("UpDown4", 416, 378, 16, 16, 19, false);
    row("List1", 8, 400, 425, 135, 11, false);
    row("MainProgressBar", 9, 534, 423, 9, 48, true);
    row("Label3", 8, 557, 22, 13, 12, false, "&Add:");
    row("AddThres", 40, 554, 49, 19, 13, false, "80,0");
    row("UpDown2", 72, 556, 16, 16, 43, false);
    row("Label4", 104, 557, 24, 13, 14, false, "&Bold:");
    row("BoldThres", 136, 554, 49, 19, 15, false, "90,0");
    row("UpDown3", 167, 556, 16, 16, 45, false);
    row("ButtonFind", 216, 551, 65, 25, 16, false, "&Find");
    row("ButtonClear", 288, 551, 65, 25, 17, false, "C&lear");
    row("ButtonAbout", 360, 551, 73, 25, 18, true, "Ab&out");
    row("StatusBar1", 0, 584, 441, 17, 49, true);
}

void MainWindowTest::inventory() {
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(int, tab);
    QFETCH(bool, enabled);
    QFETCH(QString, text);
    auto w = shownWindow();
    QCOMPARE(w->height(), 601);
    auto* control = w->findChild<QWidget*>(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(), geometry);
    QCOMPARE(Form1::tabIndexOf(control), tab);
    QCOMPARE(control->isEnabled(), enabled);
    QString shown;
    if (auto* b = qobject_cast<QAbstractButton*>(control)) shown = b->text();
    if (auto* l = qobject_cast<QLabel*>(control)) shown = l->text();
    if (auto* e = qobject_cast<QLineEdit*>(control)) shown = e->text();
    if (auto* g = qobject_cast<QGroupBox*>(control)) shown = g->title();
    QCOMPARE(shown, text);
}

void MainWindowTest::frameLabels_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QPoint>("position");
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("text");
    auto row = [](const char* name, int x, int y, int tab, const char* text) {
        QTest::newRow(name) << QString::fromLatin1(name) << QPoint(x, y) << tab << QString::fromLatin1(text);
    };
    row("BitmapFilename", 16, 24, 34, "Filename:");
    row("BitmapFilenameText", 80, 24, 33, "none");
    row("BitmapTop", 16, 64, 40, "Top:");
    row("BitmapTopText", 80, 64, 37, "none");
    row("BitmapLeftText", 80, 80, 36, "none");
    row("BitmapSizeText", 80, 96, 35, "none");
    row("FontFilenameText", 80, 24, 26, "none");
    row("FontFontname", 16, 40, 31, "Font:");
    row("FontFontnameText", 80, 40, 25, "none");
    row("FontTopText", 80, 64, 24, "none");
    row("FontLeftText", 80, 80, 23, "none");
    row("FontFSize", 16, 96, 27, "Size:");
    row("FontSizeText", 80, 96, 22, "none");
}

void MainWindowTest::frameLabels() {
    // The frames' labels size themselves to their text: their place is fixed, not their width.
    QFETCH(QString, name);
    QFETCH(QPoint, position);
    QFETCH(int, tab);
    QFETCH(QString, text);
    auto w = shownWindow();
    auto* l = w->findChild<QLabel*>(name);
    QVERIFY(l);
    QCOMPARE(l->pos(), position);
    QCOMPARE(Form1::tabIndexOf(l), tab);
    QCOMPARE(l->text(), text);
    QVERIFY(!l->isEnabled());
    QVERIFY(l->width() >= l->sizeHint().width());
}

void MainWindowTest::startState() {
    auto w = shownWindow();
    QCOMPARE(w->windowTitle(), QStringLiteral("Lettrino v1.03"));
    QCOMPARE(w->InitialFontCount, w->fonts().faceCount());
    QVERIFY(!w->Check1->isChecked());
    QVERIFY(w->Check1->text().isEmpty());
    QCOMPARE(w->CharText->maxLength(), 1);
    QCOMPARE(w->CharIndex->maxLength(), 3);
    QCOMPARE(w->SpeedUp->maxLength(), 2);
    QVERIFY(!w->Timer1->isActive());
    QCOMPARE(w->Timer1->interval(), 837);
    struct Spin {
        UpDown* s;
        int min, max, step, value;
        QLineEdit* buddy;
    };
    for (const Spin& s :
         {Spin{w->UpDown1, 0, 255, 1, 65, w->CharIndex}, Spin{w->UpDown2, 0, 1000, 5, 800, nullptr},
          Spin{w->UpDown3, 800, 1000, 5, 900, nullptr}, Spin{w->UpDown4, 1, 10, 1, 1, w->SpeedUp}}) {
        QCOMPARE(s.s->minimum(), s.min);
        QCOMPARE(s.s->maximum(), s.max);
        QCOMPARE(s.s->step(), s.step);
        QCOMPARE(s.s->value(), s.value);
        QCOMPARE(s.s->buddy(), s.buddy);
    }
    // The spinners lie over the right end of their fields, above them.
    QVERIFY(w->CharIndex->geometry().contains(w->UpDown1->geometry()));
    QVERIFY(w->SpeedUp->geometry().contains(w->UpDown4->geometry()));
    QCOMPARE(w->childAt(w->UpDown1->geometry().center()), w->UpDown1->childAt(8, 4));
    QCOMPARE(w->childAt(QPoint(17, 385)), static_cast<QWidget*>(w->Check1));
    // Statistics mode with the design texts.
    StatusBar* bar = w->StatusBar1;
    QCOMPARE(bar->tag(), QStringLiteral("-1"));
    QCOMPARE(bar->panelText(2), QStringLiteral("Estimated Time: 00:00"));
    QCOMPARE(bar->panelText(3), QStringLiteral("Fonts Matched: 0 "));
    QCOMPARE(bar->panelText(4), QStringLiteral("Fonts/Sec: 0,0 "));
    for (int p = 1; p <= StatusBar::kPanels; ++p) QCOMPARE(bar->panelVisible(p), p >= 2 && p <= 4);
    // Nothing is loaded.
    QCOMPARE(w->BitmapBox, (InkBox{0, 0, 0, 0}));
    QCOMPARE(w->FontListIndex, -1);
    QVERIFY(!w->FindRunning);
}

void MainWindowTest::keyboardOrderFollowsTabIndex() {
    auto w = shownWindow();
    for (QWidget* c : w->findChildren<QWidget*>()) c->setEnabled(true);
    // From each focusable control, Tab goes to the focusable control with the next tab index.
    QList<QWidget*> focusable;
    for (QWidget* c : w->findChildren<QWidget*>())
        if (Form1::tabIndexOf(c) >= 0 && (c->focusPolicy() & Qt::TabFocus)) focusable << c;
    std::sort(focusable.begin(), focusable.end(),
              [](QWidget* a, QWidget* b) { return Form1::tabIndexOf(a) < Form1::tabIndexOf(b); });
    QVERIFY(focusable.size() > 10);
    for (int i = 0; i + 1 < focusable.size(); ++i) {
        QWidget* next = focusable[i]->nextInFocusChain();
        while (next && !focusable.contains(next)) next = next->nextInFocusChain();
        QCOMPARE(next ? next->objectName() : QString(), focusable[i + 1]->objectName());
    }
}

void MainWindowTest::accessKeysReachTheirFields() {
    auto w = shownWindow();
    QCOMPARE(w->Label1->buddy(), static_cast<QWidget*>(w->CharText));
    QCOMPARE(w->Label5->buddy(), static_cast<QWidget*>(w->SpeedUp));
    QCOMPARE(w->Label3->buddy(), static_cast<QWidget*>(w->AddThres));
    QCOMPARE(w->Label4->buddy(), static_cast<QWidget*>(w->BoldThres));
}

void MainWindowTest::layout_data() {
    QTest::addColumn<QSize>("asked");
    QTest::addColumn<int>("height");  // the client height taken; 0: the minimum
    QTest::newRow("design height") << QSize(441, 601) << 601;
    QTest::newRow("150 taller") << QSize(441, 751) << 751;
    QTest::newRow("wider: width is fixed") << QSize(600, 650) << 650;
    QTest::newRow("narrower: width is fixed") << QSize(300, 650) << 650;
    // 8000 twips at 15 twips per pixel: 533 1/3 pixels, so 534 outside, less the frame the
    // platform reports.
    QTest::newRow("below the minimum") << QSize(441, 300) << 0;
}

void MainWindowTest::layout() {
    QFETCH(QSize, asked);
    QFETCH(int, height);
    auto w = shownWindow();
    if (height == 0) height = 534 - (w->frameGeometry().height() - w->height());
    // Nothing above the results list moves.
    QHash<QString, QRect> upper;
    for (QWidget* c : w->findChildren<QWidget*>())
        if (c->parentWidget() == w.get() && c->y() < 400) upper[c->objectName()] = c->geometry();
    w->resize(asked);
    QCOMPARE(w->size(), QSize(441, height));
    const int grown = height - 601;
    QCOMPARE(w->List1->geometry(), QRect(8, 400, 425, 135 + grown));
    const QList<QPair<QWidget*, int>> bottom = {
        {w->Label3, 557},      {w->AddThres, 554},       {w->UpDown2, 556},    {w->Label4, 557},
        {w->BoldThres, 554},   {w->UpDown3, 556},        {w->ButtonFind, 551}, {w->ButtonClear, 551},
        {w->ButtonAbout, 551}, {w->MainProgressBar, 534}};
    for (const auto& [control, top] : bottom) QCOMPARE(control->y(), top + grown);
    QCOMPARE(w->StatusBar1->geometry(), QRect(0, height - 17, 441, 17));
    for (auto it = upper.begin(); it != upper.end(); ++it)
        QCOMPARE(w->findChild<QWidget*>(it.key())->geometry(), it.value());
}

namespace {
// Presses or moves on the status bar with the cursor at a screen row.
void barMouse(StatusBar* bar, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held, int screenY) {
    const QPoint global(bar->mapToGlobal(QPoint(5, 0)).x(), screenY);
    const QPointF local = bar->mapFromGlobal(QPointF(global));
    QMouseEvent e(type, local, QPointF(global), button, held, Qt::NoModifier);
    QApplication::sendEvent(bar, &e);
}
}  // namespace

void MainWindowTest::dragWithLeftButtonChangesHeight() {
    auto w = shownWindow();
    StatusBar* bar = w->StatusBar1;
    w->SetStatus(Form1::tabIndexOf(w->ButtonAbout), QStringLiteral("hint"));
    const int y0 = bar->mapToGlobal(QPoint(0, 8)).y();
    barMouse(bar, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, y0);
    // The press brings the statistics back at once.
    QCOMPARE(bar->tag(), QStringLiteral("-1"));
    barMouse(bar, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, y0 + 150);
    QCOMPARE(w->height(), 751);
    QCOMPARE(w->List1->height(), 285);
    QCOMPARE(w->ButtonFind->y(), 701);
    // The cursor may leave the bar; the bottom edge keeps its distance to it.
    barMouse(bar, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, y0 + 20);
    QCOMPARE(w->height(), 621);
    QCOMPARE(bar->tag(), QStringLiteral("-1"));
}

void MainWindowTest::dragRefusesHeightsAtOrBelowMinimum() {
    auto w = shownWindow();
    StatusBar* bar = w->StatusBar1;
    const int outer = w->frameGeometry().height();
    const int y0 = bar->mapToGlobal(QPoint(0, 8)).y();
    barMouse(bar, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, y0);
    barMouse(bar, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, y0 - (outer - 535));
    QCOMPARE(w->frameGeometry().height(), 535);
    barMouse(bar, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, y0 - (outer - 534));  // 8010 twips: taken
    QCOMPARE(w->frameGeometry().height(), 534);
    barMouse(bar, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton,
             y0 - (outer - 533));  // 7995 twips: refused
    QCOMPARE(w->frameGeometry().height(), 534);
    barMouse(bar, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, y0 - 300);
    QCOMPARE(w->frameGeometry().height(), 534);
    // Back down: the drag goes on.
    barMouse(bar, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, y0);
    QCOMPARE(w->frameGeometry().height(), outer);
}

void MainWindowTest::rightButtonNeverChangesHeight() {
    auto w = shownWindow();
    StatusBar* bar = w->StatusBar1;
    const int y0 = bar->mapToGlobal(QPoint(0, 8)).y();
    barMouse(bar, QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, y0);
    QCOMPARE(bar->tag(), QStringLiteral("-1"));
    barMouse(bar, QEvent::MouseMove, Qt::NoButton, Qt::RightButton, y0 + 100);
    QCOMPARE(w->height(), 601);
    // The move shows the bar's own hint.
    QCOMPARE(bar->tag(), QString::number(Form1::tabIndexOf(bar)));
    QCOMPARE(bar->panelText(5), QStringLiteral("Click and drag to change window size"));
    barMouse(bar, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton | Qt::RightButton, y0 + 100);
    QCOMPARE(w->height(), 601);
}

void MainWindowTest::closingEndsTheProgramDuringASearch() {
    // In a child process: closing the window must end it at once with status 0, so the
    // code after close() never runs.
    const pid_t pid = fork();
    QVERIFY(pid >= 0);
    if (pid == 0) {
        Form1 w;
        w.show();
        w.FindRunning = true;
        w.close();
        std::_Exit(42);
    }
    int status = 0;
    QCOMPARE(waitpid(pid, &status, 0), pid);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
}

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
