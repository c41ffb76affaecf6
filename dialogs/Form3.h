#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace lettrino {

class FolderBrowser;
class Form1;

// The font-folder dialog ("Select Font Directory"): drive, folder and file lists of the
// *.ttf and *.otf files; Ok hands the folder to the main window, which loads its files.
// Made once, then only hidden, so it reopens where it was left.
class Form3 : public QDialog {
    Q_OBJECT
public:
    explicit Form3(Form1* main);

    void showModal();

    FolderBrowser* browser() const { return browser_; }
    // The folder whose files are listed, and the files, as the file list shows them.
    QString folder() const;
    QStringList files() const;

    QLabel* Label1 = nullptr;         // "&Directory:"
    QLabel* Label2 = nullptr;         // "&Font List"
    QPushButton* Command1 = nullptr;  // "&Ok"
    QPushButton* Command2 = nullptr;  // "&Cancel"

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Form1* main_;
    FolderBrowser* browser_ = nullptr;
};

}  // namespace lettrino
