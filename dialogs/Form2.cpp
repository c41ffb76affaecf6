#include "dialogs/Form2.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>

#include "dialogs/FolderBrowser.h"
#include "dialogs/Twips.h"

namespace lettrino {

Form2::Form2(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form2"));
    if (parent) setFont(parent->font());  // the main window's small dialog font
    setWindowTitle(QStringLiteral("Select Bitmap"));
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(twips(5280), twips(3480));

    browser_ = new FolderBrowser(this, [](const QString& folder) {
        return FolderBrowser::filesMatching(folder, {QStringLiteral("*.bmp"), QStringLiteral("*.png"), QStringLiteral("*.jpg"),
                                                     QStringLiteral("*.jpeg"), QStringLiteral("*.gif")});
    });
    Label2 = new QLabel(QStringLiteral("Selected Bitmap File:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Text2 = new QLineEdit(this);
    Text2->setObjectName(QStringLiteral("Text2"));
    Label1 = new QLabel(QStringLiteral("Active Directory:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    Command1 = new QPushButton(QStringLiteral("Ok"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    Command2 = new QPushButton(QStringLiteral("Cancel"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setAutoDefault(false);

    placeTwips(Label2, 360, 120, 1935, 255);
    placeTwips(Text2, 360, 360, 2175, 285);
    placeTwips(browser_->fileList(), 360, 720, 2175, 2040);
    placeTwips(Label1, 2880, 120, 2055, 255);
    placeTwips(Text1, 2880, 360, 2055, 285);
    placeTwips(browser_->folderList(), 2880, 720, 2055, 2115);
    placeTwips(browser_->driveList(), 2880, 2880, 2055, 315);
    placeTwips(Command1, 360, 2880, 975, 315);
    placeTwips(Command2, 1560, 2880, 975, 315);
    tabOrder({Text2, browser_->fileList(), Text1, browser_->folderList(), browser_->driveList(), Command1,
              Command2});

    connect(browser_, &FolderBrowser::folderChanged, this, &Form2::folderChanged);
    connect(browser_, &FolderBrowser::fileClicked, this,
            [this] { Text2->setText(browser_->selectedFile()); });
    connect(Command1, &QPushButton::clicked, this, &Form2::ok);
    connect(Command2, &QPushButton::clicked, this, &QDialog::reject);

    // First showing: the lists start at the process's current folder; nothing is selected.
    Text1->setText(browser_->path());
    Text2->setText(browser_->selectedFile());
}

void Form2::showModal() {
    show();
    raise();
    activateWindow();
}

void Form2::folderChanged() {
    Text2->clear();
    browser_->refreshFiles();
    Text1->setText(browser_->path());
    if (browser_->fileCount() > 0) {
        Command1->setEnabled(true);
        browser_->selectFile(0);
        Text2->setText(browser_->selectedFile());
    } else {
        Command1->setEnabled(false);
    }
}

void Form2::ok() {
    // The file list's selection is what loads; Text2 is only a display.
    const QString name = browser_->selectedFile();
    if (name.isEmpty()) {
        QMessageBox::information(this, windowTitle(), QStringLiteral("Select a bitmap file first."));
        return;
    }
    hide();
    Q_EMIT bitmapChosen(FolderBrowser::join(browser_->path(), name), name);
}

}  // namespace lettrino
