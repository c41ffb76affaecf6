#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace lettrino {

class FolderBrowser;
class Form1;

// The bitmap dialog ("Select Bitmap"): drive, folder and file lists of *.bmp files; Ok loads
// the selected file into the main window's reference canvas. Made once, then only hidden,
// so it reopens where it was left.
class Form2 : public QDialog {
    Q_OBJECT
public:
    explicit Form2(Form1* main);

    // Shows the dialog modally (the main window takes no input until it is hidden).
    void showModal();

    FolderBrowser* browser() const { return browser_; }

    QLabel* Label1 = nullptr;  // "Active Directory:"
    QLabel* Label2 = nullptr;  // "Selected Bitmap File:"
    QLineEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QPushButton* Command1 = nullptr;  // "Ok"
    QPushButton* Command2 = nullptr;  // "Cancel"

private:
    void folderChanged();
    void ok();

    Form1* main_;
    FolderBrowser* browser_ = nullptr;
};

}  // namespace lettrino
