// Renders the real window to a PNG, optionally zoomed and after a whole session typed as a user
// would:
//   recta-screenshot [--zoom k] out.png [session]
// where session is a list of steps separated by ';': 'A=1,2' (typed), 'B=3,6' and 'P=2,4'
// (typed, then Enter in the y field; 'A=0,5/1' with decimal commas), 'E=y=2x+3' (an equation and
// Enter), 'nova', 'esborrar'.
#include "app/frmRecta.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QTest>

#include <cstdio>

namespace {

void typeInto(frmRecta &window, const QString &name, const QString &text)
{
    auto *field = window.findChild<QLineEdit *>(name);
    if (!field || !field->isEnabled())
        return;
    field->setFocus();
    QTest::keyClicks(field, text);
}

void enter(frmRecta &window, const QString &name)
{
    if (auto *field = window.findChild<QLineEdit *>(name))
        QTest::keyClick(field, Qt::Key_Return);
}

void play(frmRecta &window, const QString &step)
{
    if (step == QLatin1String("nova") || step == QLatin1String("esborrar")) {
        const QString action = step == QLatin1String("nova") ? QStringLiteral("mnurecta")
                                                             : QStringLiteral("mnuesborrar");
        window.findChild<QAction *>(action)->trigger();
        return;
    }
    const QString what = step.section(u'=', 0, 0);
    const QString value = step.section(u'=', 1);
    if (what == QLatin1String("E")) {
        typeInto(window, QStringLiteral("txtequacio"), value);
        enter(window, QStringLiteral("txtequacio"));
        return;
    }
    const int row = what == QLatin1String("A") ? 0 : what == QLatin1String("B") ? 1 : 2;
    // 'A=0,5/1' keeps the decimal commas of a comma locale.
    const QChar between = value.contains(u'/') ? u'/' : u',';
    typeInto(window, QStringLiteral("txtAx(%1)").arg(row), value.section(between, 0, 0));
    typeInto(window, QStringLiteral("txtAy(%1)").arg(row), value.section(between, 1));
    if (row > 0)
        enter(window, QStringLiteral("txtAy(%1)").arg(row));
}

} // namespace

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
            play(window, step.trimmed());
            QApplication::processEvents();
        }
    }
    QApplication::processEvents();
    return window.grab().save(args[0]) ? 0 : 1;
}
