#include "frmRecta.h"
#include "texts.h"
#include "translation.h"
#include "windowicon.h"

#include <QApplication>
#include <QLocale>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // What the accessibility bus gives as the program's language: its texts are Catalan. The
    // decimal separator still comes from the desktop's own locale.
    QLocale::setDefault(QLocale(QLocale::Catalan, QLocale::Spain));
    // Qt's own texts too; without the translation the program runs with them in English.
    loadQtCatalan(app);
    QApplication::setApplicationName(QStringLiteral("recta"));
    QApplication::setApplicationDisplayName(texts::caption);
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(appId);
    frmRecta window;
    window.show();
    return app.exec();
}
