#include "dialogs/Form3.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "dialogs/FolderBrowser.h"
#include "dialogs/Twips.h"
#include "fonts/FontList.h"

namespace lettrino {

Form3::Form3(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form3"));
    if (parent) setFont(parent->font());  // the main window's small dialog font
    setWindowTitle(QStringLiteral("Select Font Directory"));
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(twips(4905), twips(3315));

    // The same files the font-folder loader takes: *.ttf and *.otf, any case, by name.
    browser_ = new FolderBrowser(this, [](const QString& folder) { return fontFilesIn(folder); });
    Label2 = new QLabel(QStringLiteral("&Font List"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setBuddy(browser_->fileList());
    Label1 = new QLabel(QStringLiteral("&Directory:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setBuddy(browser_->folderList());
    Command1 = new QPushButton(QStringLiteral("&Ok"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setAutoDefault(false);
    Command1->setEnabled(false);  // usable after the first change that finds a file
    Command2 = new QPushButton(QStringLiteral("&Cancel"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setAutoDefault(false);

    placeTwips(Label2, 120, 120, 1935, 255);
    placeTwips(browser_->fileList(), 120, 360, 2175, 2235);
    placeTwips(Label1, 2640, 120, 2055, 255);
    placeTwips(browser_->folderList(), 2640, 360, 2055, 2340);
    placeTwips(browser_->driveList(), 2640, 2880, 2055, 315);
    placeTwips(Command1, 120, 2880, 975, 315);
    placeTwips(Command2, 1320, 2880, 975, 315);
    tabOrder({browser_->fileList(), browser_->folderList(), browser_->driveList(), Command1, Command2});

    connect(browser_, &FolderBrowser::folderChanged, this, [this] {
        browser_->refreshFiles();
        Command1->setEnabled(browser_->fileCount() > 0);
    });
    connect(browser_, &FolderBrowser::driveChanged, this, [this](bool ok) {
        if (!ok) return;  // a drive that cannot be read changes nothing
        browser_->refreshFiles();
        if (browser_->fileCount() > 0) Command1->setEnabled(true);
    });
    browser_->folderList()->installEventFilter(this);

    connect(Command1, &QPushButton::clicked, this, [this] {
        const QString chosen = folder();
        Q_EMIT folderChosen(chosen);
        hide();
    });
    connect(Command2, &QPushButton::clicked, this, &QDialog::reject);
}

void Form3::showModal() {
    show();
    raise();
    activateWindow();
}

QString Form3::folder() const {
    return browser_->path();
}

QStringList Form3::files() const {
    return browser_->fileNames();
}

bool Form3::eventFilter(QObject* watched, QEvent* event) {
    if (watched == browser_->folderList() && event->type() == QEvent::KeyPress) {
        // Backspace opens the parent folder, Enter the highlighted one; the key goes on.
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Backspace)
            browser_->setPath(browser_->parentPath());
        else if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !browser_->highlightedFolder().isEmpty())
            browser_->setPath(browser_->highlightedFolder());
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace lettrino
