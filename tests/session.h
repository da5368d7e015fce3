#pragma once

#include "app/frmRecta.h"
#include "toolkit/canvas.h"

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include <algorithm>
#include <vector>

/// The window shown and active, and a pupil's session played into it as a short script.
struct Session
{
    explicit Session(const numtext::NumberLocale &locale = numtext::NumberLocale::fullStop())
        : window(locale)
    {
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QCoreApplication::processEvents();
    }
    QLineEdit *field(const QString &name) { return window.findChild<QLineEdit *>(name); }
    QString equations()
    {
        return window.findChild<QPlainTextEdit *>(QStringLiteral("txtequacio2"))->toPlainText();
    }
    void typeInto(const QString &name, const QString &text)
    {
        QLineEdit *target = field(name);
        QTest::mouseClick(target, Qt::LeftButton);
        QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(target, text);
    }
    // Steps separated by ';': 'A=1,2' types A; 'B=3,6' and 'P=2,4' type B or the test point
    // and press Enter; 'E=y=2x+3' types an equation and presses Enter, 'T=y=5x' only types
    // it; 'nova', 'esborrar'.
    void play(const QString &script)
    {
        for (const QString &step : script.split(u';', Qt::SkipEmptyParts)) {
            if (step == QStringLiteral("nova") || step == QStringLiteral("esborrar")) {
                window
                    .findChild<QAction *>(step == QStringLiteral("nova")
                            ? QStringLiteral("mnurecta")
                            : QStringLiteral("mnuesborrar"))
                    ->trigger();
                continue;
            }
            const QString what = step.section(u'=', 0, 0);
            const QString value = step.section(u'=', 1);
            if (what == QStringLiteral("E") || what == QStringLiteral("T")) {
                typeInto(QStringLiteral("txtequacio"), value);
                if (what == QStringLiteral("E"))
                    QTest::keyClick(field(QStringLiteral("txtequacio")), Qt::Key_Return);
                continue;
            }
            const int row = what == QStringLiteral("A") ? 0 : what == QStringLiteral("B") ? 1 : 2;
            typeInto(QStringLiteral("txtAx(%1)").arg(row), value.section(u',', 0, 0));
            typeInto(QStringLiteral("txtAy(%1)").arg(row), value.section(u',', 1));
            if (row > 0)
                QTest::keyClick(field(QStringLiteral("txtAy(%1)").arg(row)), Qt::Key_Return);
        }
    }
    // Plays the script and records what its last step draws.
    std::vector<DrawCall> lastStepDraws(const QString &script)
    {
        const qsizetype last = script.lastIndexOf(u';');
        play(script.left(std::max<qsizetype>(last, 0)));
        std::vector<DrawCall> calls;
        window.canvas().setRecorder(&calls);
        play(script.mid(last + 1));
        window.canvas().setRecorder(nullptr);
        return calls;
    }
    frmRecta window;
};
