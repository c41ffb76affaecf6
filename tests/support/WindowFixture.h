#pragma once

// The main window under test, driven from outside the way a user drives it: controls and
// dialogs found by object name, dialogs worked through their lists and buttons, message boxes
// answered. Helpers that can fail return the reason, "" when all went well.

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>

#include "app/Form1.h"
#include "session/Session.h"

class QDialog;
class QLineEdit;

namespace lettrino::testing {

// A control, an opened dialog or a dialog's control, by object name. A missing one ends the
// run, naming it: nothing after it could mean anything.
template <typename T = QWidget>
T* child(const QObject* parent, const char* name) {
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    if (!found) qFatal("no control named %s under %s", name, qPrintable(parent->objectName()));
    return found;
}

// The window and the session it works through, as main() makes them; the window goes first.
struct Window {
    Session session;
    Form1 form{session};

    template <typename T = QWidget>
    T* get(const char* name) const {
        return child<T>(&form, name);
    }
};

// The one way the tests make the window: a session, the window over it, shown and active.
std::unique_ptr<Window> openWindow();

// Clicks the window's button and returns the dialog it opens, once shown; nullptr when none.
QDialog* openDialog(Window& w, const char* button, const char* dialog);
// Walks a dialog's folder list (Dir1) to a folder: the root, then each folder down to it.
QString openFolder(QDialog* dialog, const QString& folder);
// Loads a bitmap through the bitmap dialog: its folder, its file, Ok.
QString chooseBitmap(Window& w, const QString& path);
// Loads a folder's font files through the font-folder dialog: its folder, Ok. *listed gets the
// files the dialog listed.
QString chooseFontFolder(Window& w, const QString& folder, QStringList* listed = nullptr);

// Types over a field's text, then leaves it with Tab (unless told not to), as a user does.
void typeInto(QLineEdit* field, const QString& text, bool leave = true);
// The pointer moves over a control without a button held.
void hover(QWidget* control, QPoint at = QPoint(3, 3));
// A canvas as the screen shows it once the paints that are due are done: the 197 x 197
// drawable pixels inside its 2-pixel border.
QImage screenOf(QWidget* canvas);
// The status bar's visible panels, left to right, blank ones left out.
QStringList statusTexts(const Window& w);
// The results list's rows: the five cell texts, then "bold" or "".
QList<QStringList> rows(const Window& w);
// A number of a label such as "20 pixels" or "39 x 59 pixels" (which = 1: the second).
int captionNumber(const Window& w, const char* label, int which = 0);

// Answers every message box that opens while it lives, as a user would, keeping each text.
class MessageCatcher {
public:
    MessageCatcher();
    QStringList shown;

private:
    QTimer timer_;
};

}  // namespace lettrino::testing
