#include <QApplication>

#include "app/Form1.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lettrino"));
    QApplication::setApplicationVersion(QStringLiteral(LETTRINO_VERSION));
    lettrino::Form1 window;
    window.show();
    return app.exec();
}
