#include "dialogs/About.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>

#include <QCoreApplication>
#include <QDir>
#include "dialogs/Twips.h"


namespace lettrino {

About::About(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("About"));
    if (parent) setFont(parent->font());  // the main window's small dialog font
    setWindowTitle(QStringLiteral("About ") + programCaption());
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(twips(4335), twips(3015));

    Label1 = new QLabel(programCaption(), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    QFont title = Label1->font();
    title.setPointSizeF(9.75);
    title.setBold(true);
    Label1->setFont(title);

    Label2 = new QLabel(QStringLiteral("Written by the Lettrino project"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setAlignment(Qt::AlignCenter);

    Text1 = new QPlainTextEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setReadOnly(true);
    Text1->setFocusPolicy(Qt::NoFocus);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setFrameShape(QFrame::NoFrame);
    // One line per paragraph line, so that the last one, which names the address, lies
    // under the e-mail field.
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text1->setPlainText(
        QStringLiteral("Lettrino is free. I wrote it for my own use\n"
                       "and give it away at no charge: use it\n"
                       "as you like.\n"
                       "\n"
                       "Comments, suggestions and problem reports\n"
                       "are welcome. Write to me at"));

    // No address yet: the line stays inactive rather than point at one that reaches nobody.
    Text2 = new QLineEdit(this);
    Text2->setObjectName(QStringLiteral("Text2"));
    Text2->setPlaceholderText(QStringLiteral("(no address yet)"));
    Text2->setReadOnly(true);
    Text2->setEnabled(false);
    Text2->setFocusPolicy(Qt::NoFocus);
    Text2->setFrame(false);
    Text2->setTextMargins(0, 0, 0, 0);

    // The two text fields read as text on the dialog: the menu colour behind them.
    for (QWidget* w : {static_cast<QWidget*>(Text1), static_cast<QWidget*>(Text2)}) {
        QPalette p = w->palette();
        p.setColor(QPalette::Base, palette().color(QPalette::Window));
        p.setColor(QPalette::Text, palette().color(QPalette::WindowText));
        w->setPalette(p);
    }

    OKButton = new QPushButton(QStringLiteral("Aceptar"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    Command1 = new QPushButton(QStringLiteral("Home Page"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setAutoDefault(false);

    placeTwips(Label1, 120, 240, 4095, 255);
    placeTwips(Label2, 120, 480, 4095, 255);
    placeTwips(Text1, 120, 960, 4095, 1935);
    placeTwips(Text2, 2280, 1935, 1215, 285);
    placeTwips(OKButton, 600, 2400, 1215, 375);
    placeTwips(Command1, 2400, 2400, 1215, 375);
    // The e-mail field and the buttons lie over the notice.
    Text2->raise();
    OKButton->raise();
    Command1->raise();
    setTabOrder(OKButton, Command1);

    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(Command1, &QPushButton::clicked, this, [this] {
        const QUrl page = homePage();
        if (page.isEmpty())
            QMessageBox::information(this, programCaption(),
                                     QStringLiteral("No README of Lettrino is installed."));
        else
            QDesktopServices::openUrl(page);
    });
}

void About::showModal() {
    show();
    raise();
    activateWindow();
    OKButton->setFocus();
}

QUrl About::homePage() {
    const QString installed = QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                              QStringLiteral("/../share/doc/lettrino/README.md"));
    for (const QString& readme : {installed, QStringLiteral(LETTRINO_SOURCE_README)})
        if (QFileInfo(readme).isFile()) return QUrl::fromLocalFile(readme);
    return {};
}

}  // namespace lettrino
