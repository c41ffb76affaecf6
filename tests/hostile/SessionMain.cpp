// hostile_session BITMAP FONT_FOLDER
// A whole session in the main window, driven from outside as a user drives it: the bitmap and
// the font folder chosen in their dialogs, the character typed, the fonts browsed, Find, Match,
// both thresholds typed, Find again, then the window closed. WritesNothingTest runs it with
// HOME, TMPDIR and the working folder pointed at fresh folders and checks that nothing changed.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <cstdio>

#include "WindowFixture.h"

using namespace lettrino::testing;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: hostile_session BITMAP FONT_FOLDER\n");
        return 2;
    }
    MessageCatcher messages;
    auto w = openWindow();
    QString why = chooseBitmap(*w, QString::fromLocal8Bit(argv[1]));
    if (why.isEmpty()) why = chooseFontFolder(*w, QString::fromLocal8Bit(argv[2]));
    if (!why.isEmpty()) {
        std::fprintf(stderr, "hostile_session: %s\n", qPrintable(why));
        return 4;
    }
    const auto click = [&w](const char* name) {
        QTest::mouseClick(w->get<QPushButton>(name), Qt::LeftButton);
    };
    typeInto(w->get<QLineEdit>("CharText"), QStringLiteral("g"));
    auto* slider = w->get<QSlider>("Slider1");
    slider->setFocus(Qt::TabFocusReason);
    QTest::keyClick(slider, Qt::Key_Down);
    QTest::keyClick(slider, Qt::Key_Up);
    click("ButtonFind");
    click("Command4");
    typeInto(w->get<QLineEdit>("AddThres"), QLocale().toString(10.0, 'f', 1));
    typeInto(w->get<QLineEdit>("BoldThres"), QLocale().toString(30.0, 'f', 1));
    click("ButtonFind");
    typeInto(w->get<QLineEdit>("AddThres"), QLocale().toString(99.9, 'f', 1));
    std::printf("hostile_session: %d results, %d messages\n", int(rows(*w).size()),
                int(messages.shown.size()));
    std::fflush(stdout);
    // Closing the window ends the program at once, as a user's close does.
    w->form.close();
    return 0;
}
