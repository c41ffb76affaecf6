#include "WindowFixture.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTreeWidget>

#include "app/StatusBar.h"

namespace lettrino::testing {

namespace {

// Makes the window the active one again once a dialog has gone, as the desktop does.
QString backToTheWindow(Window& w, QDialog* dialog, const char* what) {
    if (dialog->isVisible()) return QStringLiteral("Ok left the %1 dialog open").arg(QLatin1String(what));
    QCoreApplication::processEvents();
    w.form.activateWindow();
    return QTest::qWaitFor([&w] { return QApplication::activeWindow() == &w.form; })
               ? QString()
               : QStringLiteral("the window is not active again");
}

// Clicks (or double-clicks) the last entry of a list whose text, blanks trimmed, is `text`.
QString clickItem(QListWidget* list, const QString& text, bool doubleClick = false) {
    QListWidgetItem* item = nullptr;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->text().trimmed() == text) item = list->item(i);
    if (!item) return QStringLiteral("%1 lists no %2").arg(list->objectName(), text);
    list->scrollToItem(item);
    const QPoint at = list->visualItemRect(item).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    if (doubleClick) {
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
    }
    return {};
}

}  // namespace

std::unique_ptr<Window> openWindow() {
    auto w = std::make_unique<Window>();
    w->form.show();
    w->form.activateWindow();
    if (!QTest::qWaitForWindowActive(&w->form)) qWarning("the window did not become active");
    return w;
}

QDialog* openDialog(Window& w, const char* button, const char* dialog) {
    QTest::mouseClick(w.get<QPushButton>(button), Qt::LeftButton);
    auto* d = w.form.findChild<QDialog*>(QString::fromLatin1(dialog));
    if (d && !QTest::qWaitForWindowExposed(d)) return nullptr;
    return d && d->isVisible() ? d : nullptr;
}

QString openFolder(QDialog* dialog, const QString& folder) {
    auto* folders = child<QListWidget>(dialog, "Dir1");
    QStringList steps =
        QDir::cleanPath(QFileInfo(folder).absoluteFilePath()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    steps.prepend(QStringLiteral("/"));
    for (const QString& step : steps)
        if (QString why = clickItem(folders, step, true); !why.isEmpty()) return why;
    return {};
}

QString chooseBitmap(Window& w, const QString& path) {
    QDialog* d = openDialog(w, "Command2", "Form2");
    if (!d) return QStringLiteral("the bitmap dialog did not open");
    const QFileInfo file(path);
    QString why = openFolder(d, file.absolutePath());
    if (why.isEmpty()) why = clickItem(child<QListWidget>(d, "File1"), file.fileName());
    if (!why.isEmpty()) {
        d->reject();
        return why;
    }
    QTest::mouseClick(child<QPushButton>(d, "Command1"), Qt::LeftButton);
    return backToTheWindow(w, d, "bitmap");
}

QString chooseFontFolder(Window& w, const QString& folder, QStringList* listed) {
    QDialog* d = openDialog(w, "Command1", "Form3");
    if (!d) return QStringLiteral("the font-folder dialog did not open");
    QString why = openFolder(d, folder);
    auto* ok = child<QPushButton>(d, "Command1");
    if (why.isEmpty() && !ok->isEnabled()) why = QStringLiteral("Ok is disabled for ") + folder;
    if (listed) {
        listed->clear();
        const auto* files = child<QListWidget>(d, "File1");
        for (int i = 0; i < files->count(); ++i) *listed << files->item(i)->text();
    }
    if (!why.isEmpty()) {
        d->reject();
        return why;
    }
    QTest::mouseClick(ok, Qt::LeftButton);
    return backToTheWindow(w, d, "font-folder");
}

void typeInto(QLineEdit* field, const QString& text, bool leave) {
    field->setFocus(Qt::TabFocusReason);
    field->selectAll();
    QTest::keyClicks(field, text);
    if (leave) QTest::keyClick(field, Qt::Key_Tab);
}

void hover(QWidget* control, QPoint at) {
    QTest::mouseMove(control, at);
}

QImage screenOf(QWidget* canvas) {
    QCoreApplication::processEvents();  // the paints that are due
    const QPoint at = canvas->mapTo(canvas->window(), QPoint(2, 2));
    return canvas->screen()
        ->grabWindow(canvas->window()->winId(), at.x(), at.y(), 197, 197)
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

QStringList statusTexts(const Window& w) {
    const auto* bar = w.get<StatusBar>("StatusBar1");
    QStringList texts;
    for (int p = 1; p <= StatusBar::kPanels; ++p)
        if (bar->panelVisible(p) && !bar->panelText(p).isEmpty()) texts << bar->panelText(p);
    return texts;
}

QList<QStringList> rows(const Window& w) {
    const auto* list = w.get<QTreeWidget>("List1");
    QList<QStringList> out;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = list->topLevelItem(i);
        QStringList cells;
        for (int c = 0; c < 5; ++c) cells << row->text(c);
        out << (cells << (row->font(0).bold() ? QStringLiteral("bold") : QString()));
    }
    return out;
}

int captionNumber(const Window& w, const char* label, int which) {
    return w.get<QLabel>(label)->text().split(QLatin1Char(' ')).value(which * 2).toInt();
}

MessageCatcher::MessageCatcher() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        for (QWidget* top : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(top); box && box->isVisible()) {
                shown << box->text();
                box->accept();
            }
    });
    timer_.start(20);
}

}  // namespace lettrino::testing
