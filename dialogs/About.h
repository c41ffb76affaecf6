#pragma once

#include <QDialog>
#include <QUrl>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace lettrino {

// The About box: name and version, a credit line, a short notice, the author's e-mail
// address (a click writes to it) and a button that opens the home page. Both addresses
// are handed to the desktop's URL handler, never to a shell.
class About : public QDialog {
    Q_OBJECT
public:
    explicit About(QWidget* parent = nullptr);

    void showModal();

    static QUrl homePage() { return QUrl(QStringLiteral("https://lettrino.example.org")); }
    static QString email() { return QStringLiteral("dev@example.org"); }

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QPlainTextEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QPushButton* Command1 = nullptr;  // "Home Page"
    QPushButton* OKButton = nullptr;  // "Aceptar"

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace lettrino
