#include "accessibility.h"
#include "frmRecta.h"
#include "linemath.h"
#include "session.h"
#include "texts.h"

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
using namespace Qt::StringLiterals;

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
        QAccessibleInterface *accessible = event->accessibleInterface();
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
        if (event->type() == QAccessible::Announcement) {
            changes << Change { accessible->object()->objectName(),
                static_cast<QAccessibleAnnouncementEvent *>(event)->message() };
            return;
        }
#endif
        // The message box's description is its own text, which the box test below watches.
        if (event->type() != QAccessible::DescriptionChanged
            || qobject_cast<QMessageBox *>(accessible->object()))
            return;
        const Change change { accessible->object()->objectName(),
            accessible->text(QAccessible::Description) };
        changes << change;
        if (change.object == QLatin1String("frmRecta"))
            planeSaid = change.description;
    }

    std::unique_ptr<frmRecta> window;
    QStringList boxes;
    drive::BoxCloser boxCloser { &boxes };

    // A window of its own, shown and active, as a pupil finds it.
    bool openWindow()
    {
        window = std::make_unique<frmRecta>(NumberLocale::fullStop());
        window->show();
        QApplication::setActiveWindow(window.get());
        return QTest::qWaitForWindowActive(window.get());
    }

    // The fields are reached by Tab, which a screen reader hears of.
    void play(const QString &step)
    {
        QVERIFY2(drive::play(*window, step, drive::Reach::Tab), qPrintable(step));
    }

private Q_SLOTS:
    void initTestCase()
    {
        // A sound server that is not there: the machine has no sound to play, unless the test
        // runs on one of its own (windowPlaysTheLine).
        if (qEnvironmentVariableIsEmpty("RECTA_SOUND_SERVER"))
            qputenv("PULSE_SERVER", "unix:/nonexistent/recta-no-sound");
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
            << "Recta y és igual a menys 1 per x més 16. Recta guardada y és igual a 2 per x més "
               "1. Es "
               "tallen al punt x 5, y 11.";
        QTest::newRow("same line")
            << QStringList { "y = 2·x + 3", "y = 2·x + 3", "", "", "", "coincidents" }
            << "Recta y és igual a 2 per x més 3. Recta guardada y és igual a 2 per x més 3. Són "
               "coincidents.";
        QTest::newRow("same slope")
            << QStringList { "y = 2·x + 3", "y = 2·x + 1", "", "", "", "paral·leles" }
            << "Recta y és igual a 2 per x més 3. Recta guardada y és igual a 2 per x més 1. Són "
               "paraŀleles.";
        QTest::newRow("test point on a vertical line")
            << QStringList { "x =3", "", " 3", "1 ", "està en la recta", "" }
            << "Recta x és igual a 3. Punt de prova x 3, y 1. està en la recta.";
        QTest::newRow("kept line alone") << QStringList { "", "y = .33·x +-1", "", "", "", "" }
                                         << "Recta guardada y és igual a 0,33 per x menys 1.";
        QTest::newRow("crossing at two decimals")
            << QStringList { "y = 2·x + 0", "y =-1·x + 4", "", "", "", "( 1.33, 2.67)" }
            << "Recta y és igual a 2 per x més 0. Recta guardada y és igual a menys 1 per x més 4. "
               "Es tallen al punt x 1,33, y 2,67.";
        QTest::newRow("crossing at negatives")
            << QStringList { "", "x =-2", "", "", "", "(-2,-1)" }
            << "Recta guardada x és igual a menys 2. Es tallen al punt x menys 2, y menys 1.";
    }

    void planeDescription()
    {
        QFETCH(QStringList, facts);
        QFETCH(QString, expected);
        // The meeting as the plane writes it: a word, or the crossing point.
        std::optional<Relation> meeting;
        if (facts[5] == texts::coincident || facts[5] == texts::parallel) {
            meeting = Relation { facts[5] == texts::coincident ? Relation::Kind::Coincident
                                                               : Relation::Kind::Parallel };
        } else if (!facts[5].isEmpty()) {
            const QString point = QString(facts[5]).remove(u'(').remove(u')');
            meeting = Relation { Relation::Kind::Crossing, point.section(u',', 0, 0).toDouble(),
                point.section(u',', 1).toDouble() };
        }
        QCOMPARE(::planeDescription({ facts[0], facts[1], facts[2], facts[3], facts[4], meeting }),
            expected);
    }

    // The shown texts come from the functions that make them, so that a change of their form
    // that the voice would misread is caught here.
    void spokenText_data()
    {
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<QList<double>>("points"); // A, B and the test point
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("worked");

        QTest::newRow("sloped, off the line")
            << QChar(u'.') << QList<double> { 1, 2, 3, 6, 2, 5 } << "y és igual a 2 per x més 0"
            << "5 no és igual a 2 per 2 més 0";
        QTest::newRow("negative slope and intercept")
            << QChar(u'.') << QList<double> { 0, -1, 1, -3, 1, -3 }
            << "y és igual a menys 2 per x menys 1"
            << "menys 3 és igual a menys 2 per 1 menys 1";
        QTest::newRow("decimal slope, full stop")
            << QChar(u'.') << QList<double> { 0, 1, 2, 2, 5, 5 } << "y és igual a 0,5 per x més 1"
            << "5 no és igual a 0,5 per 5 més 1";
        QTest::newRow("decimal slope, comma")
            << QChar(u',') << QList<double> { 0, 1, 2, 2, 2.5, 2.25 }
            << "y és igual a 0,5 per x més 1"
            << "2,25 és igual a 0,5 per 2,5 més 1";
        QTest::newRow("horizontal")
            << QChar(u'.') << QList<double> { 0, 3, 1, 3, -4, 3 } << "y és igual a 0 per x més 3"
            << "3 és igual a 0 per menys 4 més 3";
        QTest::newRow("vertical, comma, on it")
            << QChar(u',') << QList<double> { -1.5, 0, -1.5, 1, -1.5, 7 }
            << "x és igual a menys 1,5"
            << "x és igual a menys 1,5";
        QTest::newRow("vertical, off it")
            << QChar(u'.') << QList<double> { 2, 0, 2, 1, 0.25, 0 } << "x és igual a 2"
            << "x no és igual a 2";
        QTest::newRow("exponent form")
            << QChar(u'.') << QList<double> { 0, 1e8, 1, 1e8 + 1, 0, 1e-7 }
            << "y és igual a 1 per x més 1 per 10 elevat a 8"
            << "1 per 10 elevat a menys 7 no és igual a 1 per 0 més 1 per 10 elevat a 8";
    }

    void spokenText()
    {
        QFETCH(QChar, separator);
        QFETCH(QList<double>, points);
        QFETCH(QString, line);
        QFETCH(QString, worked);
        const NumberLocale locale { separator };
        const auto sloped = slopedLine(points[0], points[1], points[2], points[3], locale);
        const QString equation
            = sloped ? sloped->equation : verticalLine(points[2], locale).equation;
        PointVerdict test = testVertical(points[2], points[4], locale);
        if (sloped)
            test = testSloped(*sloped, points[4], points[5], locale);
        QCOMPARE(::spokenText(equation), line);
        QCOMPARE(::spokenText(test.worked), worked);
    }

    // Qt's AT-SPI bridge delivers each key event once more after the screen reader has seen it:
    // the copy of the Alt press of the command's chord, and its release, must not leave the
    // keyboard in the menu bar.
    void menuChord_data()
    {
        QTest::addColumn<int>("letter");
        QTest::newRow("Alt+N, delivered again") << int(Qt::Key_N);
        QTest::newRow("Alt+E, delivered again") << int(Qt::Key_E);
    }

    void menuChord()
    {
        QFETCH(int, letter);
        QVERIFY(openWindow());
        play(QStringLiteral("A=1,2"));
        QWidget *field = QApplication::focusWidget();
        QTest::keyPress(field, Qt::Key_Alt, Qt::AltModifier);
        QTest::keyClick(field, Qt::Key(letter), Qt::AltModifier);
        QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Alt);
        QCOMPARE(QApplication::focusWidget()->objectName(), u"txtAx(0)"_s);
        for (const QEvent::Type type : { QEvent::KeyPress, QEvent::KeyRelease }) {
            QKeyEvent copy(
                type, Qt::Key_Alt, type == QEvent::KeyPress ? Qt::AltModifier : Qt::NoModifier);
            QCoreApplication::sendEvent(QApplication::focusWidget(), &copy);
        }
        QCoreApplication::processEvents();
        QCOMPARE(QApplication::focusWidget()->objectName(), u"txtAx(0)"_s);
    }

    void session_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("toldAt");
        QTest::addColumn<QString>("told");
        QTest::addColumn<QString>("plane");
        QTest::addColumn<QString>("box");

        const QString line = QStringLiteral("Recta y és igual a 2 per x més 0.");
        QTest::newRow("line through two points") << "A=1,2;B=3,6"
                                                 << "txtAx(2)" << line << line << QString();
        QTest::newRow("test point")
            << "A=1,2;B=3,6;P=2,4"
            << "txtAy(2)"
            << "4 és igual a 2 per 2 més 0. Està en la recta."
            << line + " Punt de prova x 2, y 4. Està en la recta." << QString();
        QTest::newRow("the same test again is told again")
            << "A=1,2;B=3,6;P=2,5;P="
            << "txtAy(2)"
            << "5 no és igual a 2 per 2 més 0. No està en la recta."
            << line + " Punt de prova x 2, y 5. No està en la recta." << QString();
        QTest::newRow("crossing of an equation with the kept line")
            << "A=0,1;B=1,3;nova;E=y=-x+16"
            << "txtresultat"
            << "Recta y és igual a menys 1 per x més 16. Es tallen al punt x 5, y 11."
            << "Recta y és igual a menys 1 per x més 16. Recta guardada y és igual a 2 per x més "
               "1. "
               "Es tallen al punt x 5, y 11."
            << QString();
        QTest::newRow("coincident by points")
            << "A=1,2;B=3,6;nova;A=0,0;B=1,2"
            << "txtAx(2)" << line + " Són coincidents."
            << line + " Recta guardada y és igual a 2 per x més 0. Són coincidents." << QString();
        QTest::newRow("parallel, horizontal equation")
            << "E=y=3;nova;E=y=-2.5"
            << "txtequacio"
            << "Recta y és igual a 0 per x menys 2,5. Són paraŀleles."
            << "Recta y és igual a 0 per x menys 2,5. Recta guardada y és igual a 0 per x més 3. "
               "Són paraŀleles."
            << QString();
        QTest::newRow("F2 tells the plane where the pupil is")
            << "A=1,2;B=3,6;P=2,4;F2"
            << "txtAy(2)" << line + " Punt de prova x 2, y 4. Està en la recta."
            << line + " Punt de prova x 2, y 4. Està en la recta." << QString();
        QTest::newRow("F2 on the empty plane")
            << "F2"
            << "txtAx(0)"
            << "Els eixos amb una quadrícula de punts de menys 20 a 20, encara sense cap recta. "
               "Premeu F2 per sentir què hi ha al pla, F3 per escoltar-hi la recta, i F4 per "
               "moure-us "
               "pel pla amb les fletxes i posar-hi un punt amb Retorn."
            << QString() << QString();
        QTest::newRow("Shift+F3 says where the line crosses the axes and which way it goes")
            << "A=1,1;B=3,5;S+F3"
            << "txtAx(2)"
            << "Talla l'eix de les y a menys 1 i l'eix de les x a 0,5. Puja d'esquerra a dreta, 2 "
               "unitats per cada unitat de x."
            << "Recta y és igual a 2 per x menys 1." << QString();
        QTest::newRow("Shift+F3 with a kept line says how they meet")
            << "E=y=3;nova;E=x=-2;S+F3"
            << "txtequacio"
            << "Talla l'eix de les x a menys 2 i no talla l'eix de les y. És vertical. Es tallen "
               "al "
               "punt x menys 2, y 3."
            << "Recta x és igual a menys 2. Recta guardada y és igual a 0 per x més 3. Es tallen "
               "al punt x menys 2, y 3."
            << QString();
        QTest::newRow("F3 where there is no sound: said so, and the landmarks at once")
            << "A=1,1;B=3,5;F3"
            << "txtAx(2)"
            << "No hi ha so en aquest ordinador. Només se sent la descripció. Talla l'eix de les y "
               "a menys 1 i l'eix de les x a 0,5. Puja d'esquerra a dreta, 2 unitats per cada "
               "unitat de x."
            << "Recta y és igual a 2 per x menys 1." << QString();
        QTest::newRow("F3 again where there is no sound: the landmarks alone")
            << "A=1,1;B=3,5;F3;F3"
            << "txtAx(2)"
            << "Talla l'eix de les y a menys 1 i l'eix de les x a 0,5. Puja d'esquerra a dreta, 2 "
               "unitats per cada unitat de x."
            << "Recta y és igual a 2 per x menys 1." << QString();
        QTest::newRow("F3 with no line on the plane")
            << "A=1,2;F3"
            << "txtAy(0)"
            << "Encara no hi ha cap recta per escoltar." << QString() << QString();
        QTest::newRow("nova recta from the test point tells the kept line in A's x")
            << "A=1,2;B=3,6;P=2,4;nova"
            << "txtAx(0)"
            << "Recta guardada y és igual a 2 per x més 0. Escriviu la x del punt A."
            << "Recta guardada y és igual a 2 per x més 0." << QString();
        QTest::newRow("nova recta with no line")
            << "A=1,2;nova"
            << "txtAx(0)"
            << "Cap recta guardada. Escriviu la x del punt A." << QString() << QString();
        QTest::newRow("esborrar from the equation tells the plane cleared in A's x")
            << "A=1,2;B=3,6;nova;E=y=x;esborrar"
            << "txtAx(0)"
            << "Pla esborrat. Escriviu la x del punt A." << QString() << QString();
        QTest::newRow("falten dades is a message box")
            << "B=3,6" << QString() << QString() << QString() << " falten dades";
    }

    // F3 on a real sound server: the landmarks are told once, after the sweep, and a sweep
    // stopped by F3 again is followed by nothing. tests/desktop/sound_session.sh runs this on a
    // server of its own, with RECTA_SOUND_SERVER set, and fails on a skip.
    void windowPlaysTheLine()
    {
        if (qEnvironmentVariableIsEmpty("RECTA_SOUND_SERVER"))
            QSKIP("needs a sound server of its own: tests/desktop/sound_session.sh runs it");
        if (!QAccessible::isActive())
            QSKIP("accessibility cannot be switched on without Qt's private headers");
        QVERIFY(openWindow());
        play(u"A=1,1;B=3,5"_s);
        const auto told = [] {
            QStringList texts;
            // What reaches the focus, as a screen reader hears it; the plane keeps its own.
            for (const Change &change : changes) {
                if (change.object != QLatin1String("frmRecta") && !change.description.isEmpty())
                    texts << change.description;
            }
            return texts;
        };
        const QString landmarks = u"Talla l'eix de les y a menys 1 i l'eix de les x a 0,5. Puja "
                                  u"d'esquerra a dreta, 2 unitats per cada unitat de x."_s;
        changes.clear();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F3);
        QTest::qWait(1000);
        QCOMPARE(told(), QStringList());
        QTRY_COMPARE_WITH_TIMEOUT(told(), QStringList { landmarks }, 8000);

        changes.clear();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F3);
        QTest::qWait(500);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F3);
        QTest::qWait(5000);
        QCOMPARE(told(), QStringList());
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

        QVERIFY(openWindow());
        QWidget *surface = window->findChild<QWidget *>(QStringLiteral("frmRecta"));
        const QString emptyPlane = surface->accessibleDescription();
        planeSaid.clear();
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
            drive::enter(drive::field(*window, QStringLiteral("txtAy(2)")));
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
#if QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
            QCOMPARE(QApplication::focusWidget()->accessibleDescription(), told);
#endif
        }

        // The plane says what it shows when asked, without telling its every change: it holds
        // the fields, and a screen reader speaks the changes of the focus's ancestors.
        const QString expectedPlane = plane.isEmpty() ? emptyPlane : plane;
        QCOMPARE(QAccessible::queryAccessibleInterface(surface)->text(QAccessible::Description),
            expectedPlane);
        QCOMPARE(planeSaid, QString());
        QCOMPARE(boxes, box.isEmpty() ? QStringList() : QStringList { box });
    }
};

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
