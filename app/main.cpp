#include "app/frmRecta.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("recta"));
    QApplication::setApplicationDisplayName(QStringLiteral("Recta"));
    frmRecta window;
    window.show();
    return app.exec();
}
