#pragma once

// Helpers the main-window tests share: a shown, active window, its controls by name, and
// the font-list-loaded state of the parameter fields.
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <memory>

#include "app/Form1.h"

namespace lettrino::testing {

template <typename T = QWidget>
T* child(const QObject* parent, const char* name) {
    T* w = parent->findChild<T*>(QString::fromLatin1(name));
    if (!w) qFatal("no control named %s", name);
    return w;
}

inline std::unique_ptr<Form1> shownWindow() {
    auto window = std::make_unique<Form1>();
    window->show();
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window.get())) qWarning("the window did not become active");
    return window;
}

// The state a loaded font list leaves the parameter fields in.
inline void enableParameterFields(Form1& w) {
    for (const char* name : {"Label1", "CharText", "CharIndex", "UpDown1", "Label5", "SpeedUp", "UpDown4",
                             "Label3", "AddThres", "UpDown2", "Label4", "BoldThres", "UpDown3"})
        child(&w, name)->setEnabled(true);
}

// A mouse move without buttons, as the window system delivers it to a control.
inline void hover(QWidget* w, QPoint at = QPoint(2, 2)) {
    QMouseEvent move(QEvent::MouseMove, QPointF(at), QPointF(w->mapToGlobal(at)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

// Leaves a field the way a user does, by giving the focus to another control.
inline void leave(QWidget* field, QWidget* next) {
    QVERIFY(field->hasFocus());
    next->setFocus(Qt::TabFocusReason);
}

// Types over a field's text: focus, select all, type.
inline void typeInto(QLineEdit* field, const QString& text) {
    field->setFocus(Qt::TabFocusReason);
    field->selectAll();
    if (text.isEmpty())
        QTest::keyClick(field, Qt::Key_Delete);
    else
        QTest::keyClicks(field, text);
}

// Answers every message box that opens while it lives, as a user would, keeping
// "title|text" of each.
class MessageCatcher {
public:
    MessageCatcher() {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(top); box && box->isVisible()) {
                    shown << box->windowTitle() + QLatin1Char('|') + box->text();
                    box->accept();
                }
        });
        timer_.start(20);
    }
    QStringList shown;

private:
    QTimer timer_;
};

}  // namespace lettrino::testing
