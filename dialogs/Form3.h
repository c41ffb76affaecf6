#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace lettrino {

class FolderBrowser;

// The font-folder dialog ("Select Font Directory"): drive, folder and file lists of the
// *.ttf and *.otf files; Ok reports the folder by folderChosen.
// Made once, then only hidden, so it reopens where it was left.
class Form3 : public QDialog {
    Q_OBJECT
public:
    explicit Form3(QWidget* parent = nullptr);

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

Q_SIGNALS:
    // Ok: the folder whose font files are to be the font list.
    void folderChosen(const QString& folder);

private:
    FolderBrowser* browser_ = nullptr;
};

}  // namespace lettrino
