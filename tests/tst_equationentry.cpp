#include "canvas.h"
#include "frmRecta.h"
#include "palette.h"
#include "pixels.h"
#include "session.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include <cmath>

using numtext::NumberLocale;
using namespace Qt::StringLiterals;

// Typing an equation into the window and pressing Enter: the points written into the table,
// the line drawn through them, B marked on top, and nothing at all for a text that cannot be
// read.
class EquationEntryTest : public QObject
{
    Q_OBJECT

private:
    struct Shown : Session
    {
        explicit Shown(const NumberLocale &locale)
            : Session(locale)
        {
            // The user clicks into the equation field first.
            field(u"txtequacio"_s)->setFocus(Qt::MouseFocusReason);
            QCoreApplication::processEvents();
        }
        void type(const QString &text, Qt::Key key = Qt::Key_Return,
            Qt::KeyboardModifiers modifiers = Qt::NoModifier)
        {
            drive::type(field(u"txtequacio"_s), text);
            QTest::keyClick(field(u"txtequacio"_s), key, modifiers);
        }
    };

    static QStringList coordinates(Shown &shown)
    {
        QStringList texts;
        for (const QString &name : drive::pointFields)
            texts << shown.field(name)->text();
        return texts;
    }

    static QString enabledStates(Shown &shown)
    {
        QString states;
        for (const QString &name : drive::entryFields)
            states += shown.field(name)->isEnabled() ? u'1' : u'0';
        return states;
    }

    // The line seen on the plane, y = a·x + b or, when vertical, x = a, and no other.
    static void checkLine(Canvas &canvas, bool vertical, double a, double b)
    {
        const QLineF line = vertical ? QLineF(a, -30.5, a, 29.5)
                                     : QLineF(-30.5, a * -30.5 + b, 29.5, a * 29.5 + b);
        QVERIFY(drawnAlong(canvas, line, paletteColour(12)));
        QVERIFY(onlyNear(canvas, paletteColour(12), { line }, 1.5));
    }

    // B's marks are seen, drawn again over the frame and the line: its guides meet on top.
    static void checkMarksOfBLast(Canvas &canvas, double xB, double yB)
    {
        if (!pixelOf(canvas, { xB, yB }))
            return; // off the plane, unseen
        QVERIFY(markedAt(canvas, { xB, yB }));
        QCOMPARE(colourAt(canvas, { xB, yB }), paletteColour(8));
    }

private Q_SLOTS:
    void readsTheTable_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("points");
        QTest::addColumn<QString>("equation");
        QTest::addColumn<bool>("staysOpen");
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<double>("a");
        QTest::addColumn<double>("b");

        const auto sloped = [](const char *name, const QString &typed, const QStringList &points,
                                const QString &equation, double m, double n) {
            QTest::newRow(name) << typed << points << equation << false << false << m << n;
        };
        sloped("whole slope", u"y=2x+3"_s, { u"1"_s, u"5"_s, u"-1"_s, u"1"_s }, u"y = 2·x + 3"_s, 2,
            3);
        sloped("upper case", u"Y=2X-3"_s, { u"1"_s, u"-1"_s, u"-1"_s, u"-5"_s }, u"y = 2·x +-3"_s,
            2, -3);
        sloped("bare x", u"y=x"_s, { u"1"_s, u"1"_s, u"-1"_s, u"-1"_s }, u"y = 1·x + 0"_s, 1, 0);
        sloped("bare -x", u"y=-x"_s, { u"1"_s, u"-1"_s, u"-1"_s, u"1"_s }, u"y =-1·x + 0"_s, -1, 0);
        sloped("bare -x, intercept", u"y=-x-2"_s, { u"1"_s, u"-3"_s, u"-1"_s, u"-1"_s },
            u"y =-1·x +-2"_s, -1, -2);
        sloped("no intercept", u"y=2x"_s, { u"1"_s, u"2"_s, u"-1"_s, u"-2"_s }, u"y = 2·x + 0"_s, 2,
            0);
        sloped("intercept +0", u"y=2x+0"_s, { u"1"_s, u"2"_s, u"-1"_s, u"-2"_s }, u"y = 2·x + 0"_s,
            2, 0);
        sloped("half slope", u"y=0.5x+1"_s, { u"2"_s, u"2"_s, u"-2"_s, u"0"_s }, u"y = .5·x + 1"_s,
            0.5, 1);
        sloped("quarter slope", u"y=.25x-1"_s, { u"4"_s, u"0"_s, u"-4"_s, u"-2"_s },
            u"y = .25·x +-1"_s, 0.25, -1);
        sloped("slope 1.5", u"y=1.5x"_s, { u"2"_s, u"3"_s, u"-2"_s, u"-3"_s }, u"y = 1.5·x + 0"_s,
            1.5, 0);
        sloped("no whole ordinate", u"y=0.33x"_s, { u"10"_s, u"3.3"_s, u"-10"_s, u"-3.3"_s },
            u"y = .33·x + 0"_s, 0.33, 0);
        // The intercept as typed, not rounded to a whole number.
        sloped("intercept 1.5", u"y=0.5x+1.5"_s, { u"1"_s, u"2"_s, u"-1"_s, u"1"_s },
            u"y = .5·x + 1.5"_s, 0.5, 1.5);
        sloped("intercept 2.5", u"y=0.5x+2.5"_s, { u"1"_s, u"3"_s, u"-1"_s, u"2"_s },
            u"y = .5·x + 2.5"_s, 0.5, 2.5);
        sloped("intercept -0.5", u"y=x-0.5"_s, { u"10"_s, u"9.5"_s, u"-10"_s, u"-10.5"_s },
            u"y = 1·x +-.5"_s, 1, -0.5);
        sloped("intercept 0.4", u"y=-3x+0.4"_s, { u"10"_s, u"-29.6"_s, u"-10"_s, u"30.4"_s },
            u"y =-3·x + .4"_s, -3, 0.4);
        sloped("+x is slope 1", u"y=+x+1"_s, { u"1"_s, u"2"_s, u"-1"_s, u"0"_s }, u"y = 1·x + 1"_s,
            1, 1);
        sloped("x over 2", u"y=x/2+1"_s, { u"2"_s, u"2"_s, u"-2"_s, u"0"_s }, u"y = .5·x + 1"_s,
            0.5, 1);
        sloped("two thirds of x", u"y=2/3x-1"_s, { u"3"_s, u"1"_s, u"-3"_s, u"-3"_s },
            u"y = .67·x +-1"_s, 2.0 / 3, -1);
        sloped("general form", u"2x+3y=6"_s, { u"3"_s, u"0"_s, u"-3"_s, u"4"_s },
            u"y =-.67·x + 2"_s, -2.0 / 3, 2);
        sloped("times sign", u"y=2*x+1"_s, { u"1"_s, u"3"_s, u"-1"_s, u"-1"_s }, u"y = 2·x + 1"_s,
            2, 1);
        sloped("blank before slope", u"y= 2x+1"_s, { u"1"_s, u"3"_s, u"-1"_s, u"-1"_s },
            u"y = 2·x + 1"_s, 2, 1);
        sloped("blank before =", u"y =2x+1"_s, { u"1"_s, u"3"_s, u"-1"_s, u"-1"_s },
            u"y = 2·x + 1"_s, 2, 1);
        sloped("blank before bare x", u"y= x+1"_s, { u"1"_s, u"2"_s, u"-1"_s, u"0"_s },
            u"y = 1·x + 1"_s, 1, 1);
        sloped("blanks everywhere", u"y = 2x + 1"_s, { u"1"_s, u"3"_s, u"-1"_s, u"-1"_s },
            u"y = 2·x + 1"_s, 2, 1);
        sloped("the shown equation read back", u"y =-2·x + 3"_s,
            { u"1"_s, u"1"_s, u"-1"_s, u"5"_s }, u"y =-2·x + 3"_s, -2, 3);
        sloped("a function", u"f(x)=2x+1"_s, { u"1"_s, u"3"_s, u"-1"_s, u"-1"_s }, u"y = 2·x + 1"_s,
            2, 1);

        const auto other = [](const char *name, const QString &typed, const QStringList &points,
                               const QString &equation, bool vertical, double a, double b) {
            QTest::newRow(name) << typed << points << equation << true << vertical << a << b;
        };
        other("horizontal", u"y=3"_s, { u"1"_s, u"3"_s, u"2"_s, u"3"_s }, u"y = 0·x + 3"_s, false,
            0, 3);
        other("horizontal decimals", u"y=-2.5"_s, { u"1"_s, u"-2.5"_s, u"2"_s, u"-2.5"_s },
            u"y = 0·x +-2.5"_s, false, 0, -2.5);
        other("horizontal blanks", u"y = 3"_s, { u"1"_s, u"3"_s, u"2"_s, u"3"_s }, u"y = 0·x + 3"_s,
            false, 0, 3);
        other("vertical", u"x=3"_s, { u" 3"_s, u"1"_s, u" 3"_s, u"2"_s }, u"x =3"_s, true, 3, 0);
        other("vertical upper case", u"X=-2"_s, { u"-2"_s, u"1"_s, u"-2"_s, u"2"_s }, u"x =-2"_s,
            true, -2, 0);
        other("vertical below 1", u"x=0.5"_s, { u" .5"_s, u"1"_s, u" .5"_s, u"2"_s }, u"x =0.5"_s,
            true, 0.5, 0);
        other("vertical blanks", u"x = 3"_s, { u" 3"_s, u"1"_s, u" 3"_s, u"2"_s }, u"x =3"_s, true,
            3, 0);
    }

    void readsTheTable()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, points);
        QFETCH(QString, equation);
        QFETCH(bool, staysOpen);
        QFETCH(bool, vertical);
        QFETCH(double, a);
        QFETCH(double, b);

        Shown shown(NumberLocale::fullStop());
        shown.type(typed);

        QCOMPARE(coordinates(shown), points + QStringList({ QString(), QString() }));
        QCOMPARE(shown.field(u"txtequacio"_s)->text(), equation);
        // The table is locked, the test point open, the equation field only for another
        // horizontal or vertical line.
        QCOMPARE(enabledStates(shown), staysOpen ? u"0000111"_s : u"0000110"_s);
        QCOMPARE(shown.equations(), QString());

        const DrawnLine *drawn = shown.window.plane().onPlane();
        QVERIFY(drawn);
        QCOMPARE(drawn->line.vertical, vertical);
        if (vertical) {
            QCOMPARE(drawn->line.x, a);
        } else {
            QVERIFY(std::abs(drawn->line.slope - a) < 1e-12);
            QVERIFY(std::abs(drawn->line.intercept - b) < 1e-12);
        }
        checkLine(shown.window.canvas(), vertical, a, b);
        if (QTest::currentTestFailed())
            return;
        checkMarksOfBLast(shown.window.canvas(), points[2].toDouble(), points[3].toDouble());
    }

    void onlyEnterReads_data()
    {
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<bool>("reads");
        QTest::newRow("Return") << Qt::Key_Return << Qt::KeyboardModifiers() << true;
        QTest::newRow("keypad Enter")
            << Qt::Key_Enter << Qt::KeyboardModifiers(Qt::KeypadModifier) << true;
        QTest::newRow("Shift+Return")
            << Qt::Key_Return << Qt::KeyboardModifiers(Qt::ShiftModifier) << true;
        QTest::newRow("Ctrl+Return")
            << Qt::Key_Return << Qt::KeyboardModifiers(Qt::ControlModifier) << true;
        QTest::newRow("Tab") << Qt::Key_Tab << Qt::KeyboardModifiers() << false;
        QTest::newRow("Escape") << Qt::Key_Escape << Qt::KeyboardModifiers() << false;
        QTest::newRow("Ctrl+M") << Qt::Key_M << Qt::KeyboardModifiers(Qt::ControlModifier) << false;
        QTest::newRow("Left") << Qt::Key_Left << Qt::KeyboardModifiers() << false;
    }

    void onlyEnterReads()
    {
        QFETCH(Qt::Key, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(bool, reads);

        Shown shown(NumberLocale::fullStop());
        const QImage before = shown.window.canvas().image().copy();
        shown.type(u"y=2x+3"_s, key, modifiers);

        const QString empty;
        const QStringList read = { u"1"_s, u"5"_s, u"-1"_s, u"1"_s, empty, empty };
        QCOMPARE(coordinates(shown), reads ? read : QStringList(6, empty));
        QCOMPARE(shown.field(u"txtequacio"_s)->text(), reads ? u"y = 2·x + 3"_s : u"y=2x+3"_s);
        QCOMPARE(shown.window.canvas().image() == before, !reads);
    }

    void keysReachTheField()
    {
        Shown shown(NumberLocale::fullStop());
        QLineEdit *equation = shown.field(u"txtequacio"_s);
        QTest::keyClicks(equation, u"y=2x+34"_s);
        QTest::keyClick(equation, Qt::Key_Backspace);
        QTest::keyClick(equation, Qt::Key_Home);
        QTest::keyClick(equation, Qt::Key_Delete);
        QTest::keyClicks(equation, u"Y"_s);
        QCOMPARE(equation->text(), u"Y=2x+3"_s);
        QTest::keyClick(equation, Qt::Key_Return);
        QCOMPARE(coordinates(shown).mid(0, 4), QStringList({ u"1"_s, u"5"_s, u"-1"_s, u"1"_s }));
    }

    void unreadableChangesNothing_data()
    {
        QTest::addColumn<QChar>("decimal");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("afterLine");
        QTest::addColumn<QString>("told");
        QTest::addColumn<int>("cursor");

        const struct
        {
            const char *name;
            QChar decimal;
            QString typed;
            QString told;
            int cursor;
        } rows[] = {
            { "empty", u'.', QString(),
                u"Escriviu l'equació d'una recta, per exemple y igual a 2x més 3."_s, 0 },
            { "x alone", u'.', u"x"_s, u"Falta el signe igual."_s, 1 },
            { "x=", u',', u"x="_s, u"Hi falta un nombre, la x o la y."_s, 2 },
            { "vertical not a number", u'.', u"x=abc"_s,
                u"Només hi poden sortir les lletres x i y, no «a»."_s, 2 },
            { "no equals sign", u'.', u"2x+3"_s, u"Falta el signe igual."_s, 4 },
            { "square", u'.', u"y=x^2+1"_s, u"Només rectes, x al quadrat no hi pot ser."_s, 3 },
            { "one over x", u',', u"y=1/x"_s, u"Només rectes, no es pot dividir per x."_s, 4 },
            { "no sign after x", u'.', u"y=2x3"_s,
                u"El nombre va davant de la x, com a 2x, no x2."_s, 4 },
            { "unclosed", u'.', u"y=2(x-1"_s, u"Falta tancar un parèntesi."_s, 7 },
            { "horizontal too far to draw", u'.', u"y=10000000000000000"_s,
                u"Nombre massa gran per dibuixar-lo."_s, 2 },
        };
        for (const auto &row : rows) {
            QTest::addRow("%s, at start", row.name)
                << row.decimal << row.typed << false << row.told << row.cursor;
            QTest::addRow("%s, after a line", row.name)
                << row.decimal << row.typed << true << row.told << row.cursor;
        }
    }

    void unreadableChangesNothing()
    {
        QFETCH(QChar, decimal);
        QFETCH(QString, typed);
        QFETCH(bool, afterLine);
        QFETCH(QString, told);
        QFETCH(int, cursor);

        QStringList boxes;
        drive::BoxCloser closer(&boxes);
        closer.start();
        Shown shown(NumberLocale { decimal });
        QLineEdit *equation = shown.field(u"txtequacio"_s);
        if (afterLine) {
            // A horizontal line leaves the equation field open for the next one.
            shown.type(u"y=3"_s);
            QTest::keyClick(equation, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(equation, Qt::Key_Delete);
        }
        const QStringList fieldsBefore = coordinates(shown);
        const QString statesBefore = enabledStates(shown);
        const QString modelBefore = ::describe(shown.window.plane());

        const QImage before = shown.window.canvas().image().copy();
        shown.type(typed);

        QCOMPARE(coordinates(shown), fieldsBefore);
        QCOMPARE(enabledStates(shown), statesBefore);
        QCOMPARE(::describe(shown.window.plane()), modelBefore);
        QCOMPARE(equation->text(), typed);
        QCOMPARE(shown.window.canvas().image(), before);
        // The pupil is told why, and finds the cursor where the fault is.
        QCOMPARE(boxes, QStringList { told });
        QCOMPARE(shown.window.focusWidget(), equation);
        QCOMPARE(equation->cursorPosition(), cursor);
    }

    void commaLocaleDrawsTheTypedSlope()
    {
        Shown shown(NumberLocale::comma());
        shown.type(u"y=0.33x"_s);

        QCOMPARE(
            coordinates(shown).mid(0, 4), QStringList({ u"10"_s, u"3.3"_s, u"-10"_s, u"-3.3"_s }));
        QCOMPARE(shown.field(u"txtequacio"_s)->text(), u"y = .33·x + 0"_s);
        const DrawnLine *drawn = shown.window.plane().onPlane();
        QVERIFY(drawn && std::abs(drawn->line.slope - 0.33) < 1e-12);
        checkLine(shown.window.canvas(), false, 0.33, 0);
        if (QTest::currentTestFailed())
            return;
        checkMarksOfBLast(shown.window.canvas(), -10, -3.3);
    }
};

QTEST_MAIN(EquationEntryTest)
#include "tst_equationentry.moc"
