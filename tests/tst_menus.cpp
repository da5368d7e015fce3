#include "canvas.h"
#include "frmRecta.h"
#include "palette.h"
#include "pixels.h"
#include "session.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include <optional>

using numtext::NumberLocale;
using numtext::ValueCell;
using namespace Qt::StringLiterals;

// The two menu commands, and whole sessions of a pupil that go through both ways of entering a
// line and end with the two lines compared on the plane.
class MenusTest : public QObject
{
    Q_OBJECT

private:
    static QString state(Session &session)
    {
        QString texts;
        for (const QString &name : drive::entryFields + QStringList { "txtsino" }) {
            QLineEdit *field = session.field(name);
            texts += field->text() + (field->isEnabled() ? u"|"_s : u"#"_s);
        }
        return texts + session.window.findChild<QPlainTextEdit *>(u"txtresultat"_s)->toPlainText();
    }

    // The plane as a fresh window shows it: the frame alone.
    static QImage frame()
    {
        Session fresh;
        return fresh.window.canvas().image().copy();
    }

    // The plane shows the frame and, in the colour of lines, the line and nothing else.
    static void checkPlaneShows(Session &session, const std::optional<QLineF> &line)
    {
        Canvas &canvas = session.window.canvas();
        const QImage shown = canvas.image().copy();
        QVERIFY(sameBut(shown, frame(), paletteColour(12)));
        // A line along an axis lies under it, unseen.
        const bool seen = line && !(line->y1() == 0 && line->dy() == 0)
            && !(line->x1() == 0 && line->dx() == 0);
        QCOMPARE(onlyNear(canvas, paletteColour(12), {}, 0), !seen);
        if (seen) {
            QVERIFY(drawnAlong(canvas, *line, paletteColour(12)));
            QVERIFY(onlyNear(canvas, paletteColour(12), { *line }, 1.5));
        }
    }

    enum class Kept { None, Sloped, Vertical };

private Q_SLOTS:
    void novaRecta_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<Kept>("kept");
        QTest::addColumn<double>("a");
        QTest::addColumn<double>("b");
        QTest::addColumn<QString>("equations");

        QTest::newRow("after points")
            << u"A=1,2;B=3,6"_s << Kept::Sloped << 2.0 << 0.0 << u"y = 2·x + 0"_s;
        QTest::newRow("after a point test")
            << u"A=1,2;B=3,6;P=2,5"_s << Kept::Sloped << 2.0 << 0.0 << u"y = 2·x + 0"_s;
        QTest::newRow("after an equation")
            << u"E=y=0.5x+1"_s << Kept::Sloped << 0.5 << 1.0 << u"y = .5·x + 1"_s;
        QTest::newRow("vertical points")
            << u"A=2,1;B=2,5"_s << Kept::Vertical << 2.0 << 0.0 << u"x =2"_s;
        QTest::newRow("vertical after a sloped line")
            << u"E=y=3;E=x=-2.5"_s << Kept::Vertical << -2.5 << 0.0 << u"x =-2.5"_s;
        QTest::newRow("intercept no single holds")
            << u"A=0,0.1;B=1,0.1"_s << Kept::Sloped << 0.0 << 0.1 << u"y = 0·x + .1"_s;
        QTest::newRow("the x axis")
            << u"A=1,0;B=2,0"_s << Kept::Sloped << 0.0 << 0.0 << u"y = 0·x + 0"_s;
        QTest::newRow("before any line") << QString() << Kept::None << 0.0 << 0.0 << QString();
        QTest::newRow("after esborrar")
            << u"A=1,2;B=3,6;esborrar"_s << Kept::None << 0.0 << 0.0 << QString();
        QTest::newRow("equation typed, not entered")
            << u"E=y=3;T=y=5x"_s << Kept::Sloped << 0.0 << 3.0 << u"y = 0·x + 3"_s;
        QTest::newRow("twice") << u"E=y=2x+3;nova"_s << Kept::Sloped << 2.0 << 3.0
                               << u"y = 2·x + 3"_s;
        QTest::newRow("twice, vertical")
            << u"A=2,1;B=2,5;nova"_s << Kept::Vertical << 2.0 << 0.0 << u"x =2"_s;
        QTest::newRow("after a second line")
            << u"E=y=3;nova;E=y=-x"_s << Kept::Sloped << -1.0 << 0.0 << u"y =-1·x + 0"_s;
    }

    void novaRecta()
    {
        QFETCH(QString, script);
        QFETCH(Kept, kept);
        QFETCH(double, a);
        QFETCH(double, b);
        QFETCH(QString, equations);

        Session session;
        session.play(script);
        const Plane before = session.window.plane();
        session.play(u"nova"_s);
        const Plane &m = session.window.plane();

        QCOMPARE(state(session), u"||||##||"_s);
        QCOMPARE(session.equations(), equations);

        // The line drawn is kept exactly, so that the kept line compared with itself is the same
        // line; none is on the plane until the next is drawn.
        QCOMPARE(
            describe(Plane { before.current, false, before.current, {}, {}, {} }), describe(m));
        QCOMPARE(m.kept && m.kept->line.vertical, kept == Kept::Vertical);
        QCOMPARE(bool(m.kept), kept != Kept::None);

        // The plane cleared but for the kept line.
        if (kept == Kept::None)
            checkPlaneShows(session, std::nullopt);
        else if (kept == Kept::Vertical)
            checkPlaneShows(session, QLineF(a, -30.5, a, 29.5));
        else
            checkPlaneShows(session, QLineF(-30.5, a * -30.5 + b, 29.5, a * 29.5 + b));
    }

    void esborrar_data()
    {
        QTest::addColumn<QString>("script");
        QTest::newRow("at start") << QString();
        QTest::newRow("after a point test") << u"A=1,2;B=3,6;P=2,5"_s;
        QTest::newRow("after an equation") << u"E=y=2x+3"_s;
        QTest::newRow("after a vertical line") << u"E=x=3"_s;
        QTest::newRow("with a kept line") << u"A=1,2;B=3,6;nova;E=y=-x"_s;
        QTest::newRow("after nova recta") << u"E=x=1;nova"_s;
        QTest::newRow("typed, not entered") << u"A=1,2;E=y=3;A=5,6"_s;
    }

    void esborrar()
    {
        QFETCH(QString, script);

        Session session;
        session.play(script);
        session.play(u"esborrar"_s);

        QCOMPARE(state(session), u"||||##||"_s);
        QCOMPARE(session.equations(), QString());

        QCOMPARE(describe(session.window.plane()), describe(Plane {}));

        QCOMPARE(session.window.canvas().image(), frame());
    }

    void commandsLeaveTheKeyboardInA_data()
    {
        QTest::addColumn<QString>("script");
        for (const QString &command : { u"nova"_s, u"esborrar"_s }) {
            const QByteArray name = command.toLatin1();
            QTest::addRow("%s, from A's y", name.data()) << u"A=1,2;"_s + command;
            QTest::addRow("%s, from the equation", name.data()) << u"E=y=3;"_s + command;
            QTest::addRow("%s, from where the equation left it", name.data())
                << u"E=y=2x;"_s + command;
            // The test point is closed: the focus leaves it for A, and the point is not marked.
            QTest::addRow("%s, from the tested point", name.data())
                << u"A=1,2;B=3,6;P=2,5;"_s + command;
            QTest::addRow("%s, from where Enter in B left it", name.data())
                << u"A=1,2;B=3,6;"_s + command;
        }
    }

    void commandsLeaveTheKeyboardInA()
    {
        QFETCH(QString, script);

        Session session;
        session.play(script);
        const QWidget *after = QApplication::focusWidget();
        const bool onField
            = qobject_cast<const QLineEdit *>(after) || qobject_cast<const QPlainTextEdit *>(after);
        QCOMPARE(onField ? after->objectName() : QString(), u"txtAx(0)"_s);
        // No field was left and marked its point again: the plane shows the frame and at most
        // the kept line.
        QVERIFY(sameBut(session.window.canvas().image().copy(), frame(), paletteColour(12)));
    }

    void sessions_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("verdict");
        QTest::addColumn<QPointF>("at");
        QTest::addColumn<QString>("equations");

        QTest::newRow("points, then vertical") << u"A=0,3;B=1,5;nova;E=x=3"_s << u"( 3, 9)"_s
                                               << QPointF(3, 9) << u"y = 2·x + 3\nx =3"_s;
        QTest::newRow("two vertical lines")
            << u"E=x=3;nova;E=x=-2"_s << u"paral·leles"_s << QPointF(-2, 2) << u"x =3\nx =-2"_s;
        QTest::newRow("the x axis kept") << u"A=1,0;B=2,0;nova;E=y=x"_s << u"( 0, 0)"_s
                                         << QPointF(0, 0) << u"y = 0·x + 0\ny = 1·x + 0"_s;
        QTest::newRow("same equation twice") << u"E=y=2x+3;nova;E=y=2x+3"_s << u"coincidents"_s
                                             << QPointF(-1, 1) << u"y = 2·x + 3\ny = 2·x + 3"_s;
        QTest::newRow("same points twice") << u"A=1,2;B=3,6;nova;A=2,4;B=4,8"_s << u"coincidents"_s
                                           << QPointF(4, 8) << u"y = 2·x + 0\ny = 2·x + 0"_s;
        QTest::newRow("same points twice, intercept 0.1")
            << u"A=0,0.1;B=1,0.1;nova;A=0,0.1;B=1,0.1"_s << u"coincidents"_s << QPointF(1, 0.1)
            << u"y = 0·x + .1\ny = 0·x + .1"_s;
        QTest::newRow("equation, then crossing points")
            << u"E=y=2x+1;nova;A=0,4;B=3,1"_s << u"( 1, 3)"_s << QPointF(1, 3)
            << u"y = 2·x + 1\ny =-1·x + 4"_s;
        QTest::newRow("parallel by points") << u"E=y=2x+3;nova;A=0,-1;B=1,1"_s << u"paral·leles"_s
                                            << QPointF(1, 1) << u"y = 2·x + 3\ny = 2·x +-1"_s;
        QTest::newRow("vertical kept, sloped typed")
            << u"A=2,1;B=2,5;nova;E=y=-x+1"_s << u"( 2,-1)"_s << QPointF(2, -1)
            << u"x =2\ny =-1·x + 1"_s;
        QTest::newRow("crossing in halves") << u"E=y=x;nova;E=y=-x+1"_s << u"( .5, .5)"_s
                                            << QPointF(0.5, 0.5) << u"y = 1·x + 0\ny =-1·x + 1"_s;
        QTest::newRow("after nova recta twice") << u"E=y=2x+3;nova;nova;E=x=3"_s << u"( 3, 9)"_s
                                                << QPointF(3, 9) << u"y = 2·x + 3\nx =3"_s;
        QTest::newRow("nothing kept") << u"E=y=3;E=x=3"_s << QString() << QPointF() << QString();
        QTest::newRow("nova before any line")
            << u"nova;E=y=2x+3"_s << QString() << QPointF() << QString();
        QTest::newRow("esborrar forgets the kept line")
            << u"E=y=2x+3;nova;esborrar;E=y=x"_s << QString() << QPointF() << QString();
    }

    void sessions()
    {
        QFETCH(QString, script);
        QFETCH(QString, verdict);
        QFETCH(QPointF, at);
        QFETCH(QString, equations);

        Session session;
        session.play(script);
        QCOMPARE(session.equations(), equations);
        Canvas &canvas = session.window.canvas();
        if (verdict.isEmpty()) {
            QVERIFY(onlyWhere(canvas.image().copy(), frame(), paletteColour(1)));
            return;
        }
        QVERIFY(textAt(canvas, at, verdict, paletteColour(1)));

        // And back to the start: the window as a fresh one.
        session.play(u"esborrar"_s);
        Session fresh;
        QCOMPARE(state(session), state(fresh));
        QCOMPARE(session.equations(), QString());
        QCOMPARE(describe(session.window.plane()), describe(fresh.window.plane()));
    }
};

QTEST_MAIN(MenusTest)
#include "tst_menus.moc"
