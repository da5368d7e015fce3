// Renders the real window to a PNG, optionally zoomed and after a whole session typed as a user
// would:
//   recta-screenshot [--zoom k] out.png [session]
// where session is a list of steps separated by ';': 'A=1,2' (typed), 'B=3,6' and 'P=2,4'
// (typed, then Enter in the y field; 'A=0,5/1' with decimal commas), 'E=y=2x+3' (an equation and
// Enter), 'nova', 'esborrar'.
#include "drive.h"
#include "frmRecta.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QStringList args = QApplication::arguments().mid(1);
    double zoom = 1.0;
    if (args.size() > 1 && args[0] == QLatin1String("--zoom")) {
        bool ok = false;
        zoom = args[1].toDouble(&ok);
        if (!ok || zoom < 0.25 || zoom > 8)
            args.clear();
        args = args.mid(2);
    }
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: recta-screenshot [--zoom k] out.png [session]\n");
        return 2;
    }
    frmRecta window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    if (zoom != 1.0) {
        window.setZoom(zoom);
        QApplication::processEvents();
    }
    if (args.size() > 1) {
        const QStringList steps = args[1].split(u';', Qt::SkipEmptyParts);
        for (const QString &step : steps) {
            drive::play(window, step);
            QApplication::processEvents();
        }
    }
    QApplication::processEvents();
    return window.grab().save(args[0]) ? 0 : 1;
}
