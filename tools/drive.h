#pragma once

// Drives the window as a pupil does: the fields by their names, typing and Enter, a session
// played from a short script. The screenshot tool and the tests share it.

#include "frmRecta.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QStringList>
#include <QTest>

namespace drive {

/// The coordinate fields, A, B and the test point, x before y, as Tab goes through them.
inline const QStringList pointFields { "txtAx(0)", "txtAy(0)", "txtAx(1)", "txtAy(1)", "txtAx(2)",
    "txtAy(2)" };
/// Every field a pupil types into.
inline const QStringList entryFields = pointFields + QStringList { "txtequacio" };
/// Every control with text, in the window's tab order.
inline const QStringList tabOrder
    = entryFields + QStringList { "txtresultat", "txtsino", "txtequacio2" };

inline QString pointField(char axis, int row)
{
    return QStringLiteral("txtA%1(%2)").arg(QLatin1Char(axis)).arg(row);
}

inline QLineEdit *field(const QWidget &window, const QString &name)
{
    return window.findChild<QLineEdit *>(name);
}

/// How the pupil comes to a field before typing: the focus alone (typing goes on after what
/// is there), Tab (Qt selects the text, and a screen reader hears of the focus), or a click
/// (the field's click handler runs; Ctrl+A then selects the text).
enum class Reach { Focus, Tab, Click };

/// Types into the field; false, having typed nothing, when it is missing or locked.
inline bool type(QLineEdit *field, const QString &text, Reach reach = Reach::Focus)
{
    if (!field || !field->isEnabled())
        return false;
    if (reach == Reach::Click) {
        QTest::mouseClick(field, Qt::LeftButton);
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    } else {
        field->setFocus(reach == Reach::Tab ? Qt::TabFocusReason : Qt::OtherFocusReason);
    }
    QTest::keyClicks(field, text);
    return true;
}

inline void enter(QLineEdit *field)
{
    if (field)
        QTest::keyClick(field, Qt::Key_Return);
}

/// Plays steps separated by ';': 'A=1,2' types A; 'B=3,6' and 'P=2,4' type B or the test
/// point and press Enter in its y field ('A=0,5/1' keeps the decimal commas of a comma
/// locale); 'E=y=2x+3' types an equation and presses Enter, 'T=y=5x' only types it; 'nova'
/// and 'esborrar' choose the menu command; 'F2', 'F3' and 'S+F3' (with Shift) press their key where
/// the focus is. False from the
/// first step that found its field missing or locked, the rest played all the same.
inline bool play(const QWidget &window, const QString &script, Reach reach = Reach::Focus)
{
    bool all = true;
    for (const QString &part : script.split(u';', Qt::SkipEmptyParts)) {
        const QString step = part.trimmed();
        // A function key where the focus is: 'F2', 'F3', and with Shift 'S+F3'.
        if (const QString key = QString(step).remove(QStringLiteral("S+"));
            key == QLatin1String("F2") || key == QLatin1String("F3")) {
            QTest::keyClick(QApplication::focusWidget(),
                key == QLatin1String("F2") ? Qt::Key_F2 : Qt::Key_F3,
                step.startsWith(QLatin1String("S+")) ? Qt::ShiftModifier : Qt::NoModifier);
            continue;
        }
        if (step == QLatin1String("nova") || step == QLatin1String("esborrar")) {
            window.findChild<QAction *>(step == QLatin1String("nova") ? "mnurecta" : "mnuesborrar")
                ->trigger();
            continue;
        }
        const QString what = step.section(u'=', 0, 0);
        const QString value = step.section(u'=', 1);
        if (what == QLatin1String("E") || what == QLatin1String("T")) {
            QLineEdit *equation = field(window, QStringLiteral("txtequacio"));
            all = type(equation, value, reach) && all;
            if (what == QLatin1String("E"))
                enter(equation);
            continue;
        }
        const int row = what == QLatin1String("A") ? 0 : what == QLatin1String("B") ? 1 : 2;
        const QChar between = value.contains(u'/') ? u'/' : u',';
        all = type(field(window, pointField('x', row)), value.section(between, 0, 0), reach) && all;
        all = type(field(window, pointField('y', row)), value.section(between, 1), reach) && all;
        if (row > 0)
            enter(field(window, pointField('y', row)));
    }
    return all;
}

} // namespace drive
