#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace lettrino {

class FolderBrowser;

// The bitmap dialog ("Select Bitmap"): drive, folder and file lists of picture files (*.bmp,
// *.png, *.jpg, *.jpeg, *.gif); Ok reports the selected file by bitmapChosen. Made once, then only hidden,
// so it reopens where it was left.
class Form2 : public QDialog {
    Q_OBJECT
public:
    explicit Form2(QWidget* parent = nullptr);

    // Shows the dialog modally (the main window takes no input until it is hidden).
    void showModal();

    FolderBrowser* browser() const { return browser_; }

    QLabel* Label1 = nullptr;  // "Active Directory:"
    QLabel* Label2 = nullptr;  // "Selected Bitmap File:"
    QLineEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QPushButton* Command1 = nullptr;  // "Ok"
    QPushButton* Command2 = nullptr;  // "Cancel"

Q_SIGNALS:
    // Ok with a file selected: its full path and its name.
    void bitmapChosen(const QString& path, const QString& fileName);

private:
    void folderChanged();
    void ok();

    FolderBrowser* browser_ = nullptr;
};

}  // namespace lettrino
