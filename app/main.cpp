#include <QApplication>

#include "app/Form1.h"
#include "session/Session.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lettrino"));
    QApplication::setApplicationVersion(QStringLiteral(LETTRINO_VERSION));
    // The engine's session, handed to the window that shows it.
    lettrino::Session session;
    lettrino::Form1 window(session);
    window.show();
    window.openArguments(QApplication::arguments());
    return app.exec();
}
