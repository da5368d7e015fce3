#include "app/frmRecta.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("recta"));
    QApplication::setApplicationDisplayName(QStringLiteral("Recta"));
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("cat.recta.Recta"));
    frmRecta window;
    window.show();
    return app.exec();
}
