// hostile_session BITMAP FONT_FOLDER
// A whole session in the main window, driven from outside as a user would: load the bitmap,
// load the font folder, browse, Find, Match, change both thresholds, prepare a drag of the
// results, close. WritesNothingTest runs it with HOME and the working directory pointed at
// fresh folders and checks that nothing was written anywhere.

#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMimeData>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <memory>

#include "WindowFixture.h"
#include "app/Form1.h"
#include "app/ResultsList.h"

using namespace lettrino;
using lettrino::testing::child;

namespace {

void typeThreshold(QLineEdit* field, QWidget* next, double percent) {
    field->setFocus(Qt::TabFocusReason);
    field->selectAll();
    QTest::keyClicks(field, QLocale().toString(percent, 'f', 1));
    next->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
}

void click(QPushButton* button) {
    if (button->isEnabled()) QTest::mouseClick(button, Qt::LeftButton);
    QApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: hostile_session BITMAP FONT_FOLDER\n");
        return 2;
    }
    const QString bitmap = QString::fromLocal8Bit(argv[1]);
    const QString folder = QString::fromLocal8Bit(argv[2]);

    // Message boxes would wait for a user: answer them.
    QTimer dismiss;
    QObject::connect(&dismiss, &QTimer::timeout, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    });
    dismiss.start(50);

    auto w = std::make_unique<Form1>();
    w->show();
    QApplication::processEvents();

    w->loadBitmap(bitmap, QFileInfo(bitmap).fileName());
    w->loadFontFolder(folder);
    if (w->FontList.count() < 2) {
        std::fprintf(stderr, "hostile_session: the font folder did not load\n");
        return 4;
    }

    // The character the bitmap shows.
    auto* charText = child<QLineEdit>(w.get(), "CharText");
    charText->setFocus(Qt::TabFocusReason);
    charText->selectAll();
    QTest::keyClicks(charText, QStringLiteral("g"));
    QApplication::processEvents();

    auto* slider = child<QSlider>(w.get(), "Slider1");
    slider->setValue(1);
    slider->setValue(0);
    QApplication::processEvents();

    click(child<QPushButton>(w.get(), "ButtonFind"));
    click(child<QPushButton>(w.get(), "Command4"));

    auto* add = child<QLineEdit>(w.get(), "AddThres");
    auto* bold = child<QLineEdit>(w.get(), "BoldThres");
    typeThreshold(bold, add, 30.0);
    typeThreshold(add, bold, 10.0);
    click(child<QPushButton>(w.get(), "ButtonFind"));
    typeThreshold(add, bold, 99.9);

    auto* list = child<ResultsList>(w.get(), "List1");
    list->selectAll();
    std::unique_ptr<QMimeData> drag(list->dragData());

    std::printf("hostile_session: %d fonts, %d results, %d dragged\n", w->FontList.count(), list->rowCount(),
                drag ? int(drag->urls().size()) : 0);
    std::fflush(stdout);
    // Closing the window ends the program at once, as a user's close does.
    w->close();
    QApplication::processEvents();
    return 0;
}
