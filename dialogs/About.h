#pragma once

#include <QDialog>
#include <QUrl>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace lettrino {

// The About box: name and version, a credit line, a short notice, the e-mail line (inactive
// until the project has an address that reaches someone) and a button that opens the
// program's own README as installed, through the desktop's URL handler, never a shell.
class About : public QDialog {
    Q_OBJECT
public:
    explicit About(QWidget* parent = nullptr);

    void showModal();

    // "Lettrino v1.03": the main window's caption.
    static QString programCaption() { return QStringLiteral("Lettrino v1.03"); }
    // The README installed beside the program: <prefix>/share/doc/lettrino/README.md, where
    // the program lives in <prefix>/bin; else that of the source tree the program was built
    // from (run from its build folder); empty when neither is there.
    static QUrl homePage();

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QPlainTextEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QPushButton* Command1 = nullptr;  // "Home Page"
    QPushButton* OKButton = nullptr;  // "Aceptar"
};

}  // namespace lettrino
