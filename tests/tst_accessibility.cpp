#include "app/accessibility.h"
#include "app/frmRecta.h"
#include "boxcloser.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#ifdef RECTA_QPA_ACCESSIBILITY
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#endif

#include <memory>

using numtext::NumberLocale;

// What a pupil with a screen reader is told: the plane's description after every handler, and
// each result as a description change of the control that has the focus.
class AccessibilityTest : public QObject
{
    Q_OBJECT

    struct Change
    {
        QString object;
        QString description;
    };

    // The description changes that Qt hands to the platform, as a screen reader gets them.
    static inline QList<Change> changes;
    // What the last change of the plane's description said, over the whole session.
    static inline QString planeSaid;
    static void record(QAccessibleEvent *event)
    {
        if (event->type() != QAccessible::DescriptionChanged)
            return;
        QAccessibleInterface *accessible = event->accessibleInterface();
        const Change change { accessible->object()->objectName(),
            accessible->text(QAccessible::Description) };
        changes << change;
        if (change.object == QLatin1String("frmRecta"))
            planeSaid = change.description;
    }

    std::unique_ptr<frmRecta> window;
    QStringList boxes;
    BoxCloser boxCloser { &boxes };

    void type(const QString &name, const QString &text)
    {
        auto *field = window->findChild<QLineEdit *>(name);
        QVERIFY2(field && field->isEnabled(), qPrintable(name));
        field->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(field, text);
    }

    void enter(const QString &name)
    {
        QTest::keyClick(window->findChild<QLineEdit *>(name), Qt::Key_Return);
    }

    // 'A=1,2' types A; 'B=3,6' and 'P=2,4' type and press Enter in the y field; 'E=y=2x+3'
    // types an equation and presses Enter; 'nova' and 'esborrar' choose the menu command.
    void play(const QString &step)
    {
        if (step == QLatin1String("nova") || step == QLatin1String("esborrar")) {
            window->findChild<QAction *>(step == QLatin1String("nova") ? "mnurecta" : "mnuesborrar")
                ->trigger();
            return;
        }
        const QString what = step.section(u'=', 0, 0);
        const QString value = step.section(u'=', 1);
        if (what == QLatin1String("E")) {
            type(QStringLiteral("txtequacio"), value);
            enter(QStringLiteral("txtequacio"));
            return;
        }
        const int row = what == QLatin1String("A") ? 0 : what == QLatin1String("B") ? 1 : 2;
        type(QStringLiteral("txtAx(%1)").arg(row), value.section(u',', 0, 0));
        type(QStringLiteral("txtAy(%1)").arg(row), value.section(u',', 1));
        if (row > 0)
            enter(QStringLiteral("txtAy(%1)").arg(row));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QAccessible::installUpdateHandler(record);
#ifdef RECTA_QPA_ACCESSIBILITY
        // Accessibility is off until a client asks for it; the offscreen platform has none.
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
#endif
        boxCloser.start();
    }

    void cleanup()
    {
        window.reset();
        changes.clear();
        planeSaid.clear();
        boxes.clear();
    }

    void planeDescription_data()
    {
        QTest::addColumn<QStringList>("facts");
        QTest::addColumn<QString>("expected");

        // equation, kept equation, test x, test y, verdict, comparison
        QTest::newRow("nothing on the plane") << QStringList(6) << QString();
        QTest::newRow("the classroom example")
            << QStringList { "y =-1·x + 16", "y = 2·x + 1", "", "", "", "( 5, 11)" }
            << "Recta y =-1·x + 16. Recta guardada y = 2·x + 1. Es tallen al punt ( 5, 11).";
        QTest::newRow("same line") << QStringList { "y = 2·x + 3", "y = 2·x + 3", "", "", "",
            "coincidents" } << "Recta y = 2·x + 3. Recta guardada y = 2·x + 3. Són coincidents.";
        QTest::newRow("same slope") << QStringList { "y = 2·x + 3", "y = 2·x + 1", "", "", "",
            "paral·leles" } << "Recta y = 2·x + 3. Recta guardada y = 2·x + 1. Són paral·leles.";
        QTest::newRow("test point on a vertical line") << QStringList { "x =3", "", " 3", "1 ",
            "està en la recta", "" } << "Recta x =3. Punt de prova (3, 1): està en la recta.";
        QTest::newRow("kept line alone") << QStringList { "", "y = .33·x +-1", "", "", "", "" }
                                         << "Recta guardada y = .33·x +-1.";
    }

    void planeDescription()
    {
        QFETCH(QStringList, facts);
        QFETCH(QString, expected);
        QCOMPARE(::planeDescription({ facts[0], facts[1], facts[2], facts[3], facts[4], facts[5] }),
            expected);
    }

    void session_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("toldAt");
        QTest::addColumn<QString>("told");
        QTest::addColumn<QString>("plane");
        QTest::addColumn<QString>("box");

        QTest::newRow("line through two points") << "A=1,2;B=3,6"
                                                 << "txtAx(2)"
                                                 << "Recta y = 2·x + 0."
                                                 << "Recta y = 2·x + 0." << QString();
        QTest::newRow("test point")
            << "A=1,2;B=3,6;P=2,4"
            << "txtAy(2)"
            << "4 = 2·2+ 0: Està en la recta."
            << "Recta y = 2·x + 0. Punt de prova (2, 4): Està en la recta." << QString();
        QTest::newRow("the same test again is told again")
            << "A=1,2;B=3,6;P=2,5;P="
            << "txtAy(2)"
            << "5 # 2·2+ 0: No està en la recta."
            << "Recta y = 2·x + 0. Punt de prova (2, 5): No està en la recta." << QString();
        QTest::newRow("crossing of an equation with the kept line")
            << "A=0,1;B=1,3;nova;E=y=-x+16"
            << "txtresultat"
            << "Recta y =-1·x + 16. Es tallen al punt ( 5, 11)."
            << "Recta y =-1·x + 16. Recta guardada y = 2·x + 1. Es tallen al punt ( 5, 11)."
            << QString();
        QTest::newRow("coincident by points")
            << "A=1,2;B=3,6;nova;A=0,0;B=1,2"
            << "txtAx(2)"
            << "Recta y = 2·x + 0. Són coincidents."
            << "Recta y = 2·x + 0. Recta guardada y = 2·x + 0. Són coincidents." << QString();
        QTest::newRow("parallel, horizontal equation")
            << "E=y=3;nova;E=y=-2.5"
            << "txtequacio"
            << "Recta y = 0·x +-2.5. Són paral·leles."
            << "Recta y = 0·x +-2.5. Recta guardada y = 0·x + 3. Són paral·leles." << QString();
        QTest::newRow("nova recta tells nothing")
            << "A=1,2;B=3,6;P=2,4;nova" << QString() << QString() << "Recta guardada y = 2·x + 0."
            << QString();
        QTest::newRow("esborrar tells nothing") << "A=1,2;B=3,6;nova;E=y=x;esborrar" << QString()
                                                << QString() << QString() << QString();
        QTest::newRow("falten dades is a message box")
            << "B=3,6" << QString() << QString() << QString() << " falten dades";
    }

    void session()
    {
        QFETCH(QString, steps);
        QFETCH(QString, toldAt);
        QFETCH(QString, told);
        QFETCH(QString, plane);
        QFETCH(QString, box);
        if (!QAccessible::isActive())
            QSKIP("accessibility cannot be switched on without Qt's private headers");

        window = std::make_unique<frmRecta>(NumberLocale::fullStop());
        window->show();
        QApplication::setActiveWindow(window.get());
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QWidget *surface = window->findChild<QWidget *>(QStringLiteral("frmRecta"));
        const QString emptyPlane = surface->accessibleDescription();
        QHash<QString, QString> own;
        for (const QWidget *control : window->findChildren<QWidget *>())
            own.insert(control->objectName(), control->accessibleDescription());

        QStringList played = steps.split(u';');
        const QString last = played.takeLast();
        for (const QString &step : played) {
            play(step);
            QCoreApplication::processEvents();
        }
        changes.clear();
        if (last == QLatin1String("P="))
            enter(QStringLiteral("txtAy(2)"));
        else
            play(last);
        QCoreApplication::processEvents();

        // The result, at the control that has the focus, by an event that carries it.
        QStringList toldNow;
        for (const Change &change : std::as_const(changes)) {
            if (change.object != QLatin1String("frmRecta") && !change.description.isEmpty()
                && change.description != own.value(change.object))
                toldNow << change.object + u':' + change.description;
        }
        QCOMPARE(toldNow, told.isEmpty() ? QStringList() : QStringList { toldAt + u':' + told });
        if (!told.isEmpty()) {
            QCOMPARE(QApplication::focusWidget()->objectName(), toldAt);
            QCOMPARE(QApplication::focusWidget()->accessibleDescription(), told);
        }

        // The plane says what it shows, and said so when it changed.
        const QString expectedPlane = plane.isEmpty() ? emptyPlane : plane;
        QCOMPARE(surface->accessibleDescription(), expectedPlane);
        QCOMPARE(planeSaid.isEmpty() ? emptyPlane : planeSaid, expectedPlane);
        QCOMPARE(boxes, box.isEmpty() ? QStringList() : QStringList { box });
    }
};

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
