#include "canvas.h"
#include "frmRecta.h"
#include "palette.h"
#include "session.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include <cmath>
#include <vector>

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
            // The user clicks into the equation field first; the first repaints run before
            // anything is recorded.
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

    static QString describe(const DrawCall &c)
    {
        return u"%1 (%2, %3)-(%4, %5) r%6 %7"_s.arg(int(c.kind))
            .arg(c.x1)
            .arg(c.y1)
            .arg(c.x2)
            .arg(c.y2)
            .arg(c.radius)
            .arg(c.colour.name());
    }

    static bool near(float a, double b)
    {
        return std::abs(a - b) <= 1e-4 * std::max(1.0, std::abs(b));
    }

    // The one segment in the colour of lines; vertical = whether it is expected upright at a,
    // else it is expected to be y = a·x + b across the world window.
    static void checkLine(const std::vector<DrawCall> &calls, const WorldWindow &world,
        bool vertical, double a, double b)
    {
        std::vector<DrawCall> lines;
        for (const DrawCall &call : calls)
            if (call.kind == DrawCall::Kind::Segment && call.colour == paletteColour(12))
                lines.push_back(call);
        QCOMPARE(lines.size(), 1u);
        const DrawCall &line = lines.front();
        if (vertical) {
            QVERIFY(near(line.x1, a) && near(line.x2, a));
            QCOMPARE(line.y1, world.yMin);
            QCOMPARE(line.y2, world.yMax);
        } else {
            QCOMPARE(line.x1, world.xMin);
            QCOMPARE(line.x2, world.xMax);
            QVERIFY2(near(line.y1, a * world.xMin + b) && near(line.y2, a * world.xMax + b),
                qPrintable(u"%1 %2"_s.arg(line.y1).arg(line.y2)));
        }
    }

    // B's marks, drawn again over the frame, are the last thing on the surface.
    static void checkMarksOfBLast(const std::vector<DrawCall> &calls, double xB, double yB)
    {
        using Kind = DrawCall::Kind;
        const float x = float(xB), y = float(yB);
        const QColor guide = paletteColour(8);
        const DrawCall marks[] = { { Kind::Circle, 0, y, 0, y, 0.1f, guide, {} },
            { Kind::Segment, 0, y, x, y, 0, guide, {} },
            { Kind::Segment, x, 0, x, y, 0, guide, {} },
            { Kind::Circle, x, y, x, y, 0.2f, paletteColour(13), {} } };
        QStringList expected, drawn;
        for (const DrawCall &mark : marks)
            expected << describe(mark);
        QVERIFY(calls.size() > 4);
        for (std::size_t k = calls.size() - 4; k < calls.size(); ++k)
            drawn << describe(calls[k]);
        QCOMPARE(drawn, expected);
        // The frame lies before them, over the line.
        QCOMPARE(calls[calls.size() - 5].kind, Kind::Text);
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

        std::vector<DrawCall> calls;
        Shown shown(NumberLocale::fullStop());
        shown.window.canvas().setRecorder(&calls);
        shown.type(typed);
        shown.window.canvas().setRecorder(nullptr);

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
        checkLine(calls, shown.window.world(), vertical, a, b);
        if (QTest::currentTestFailed())
            return;
        checkMarksOfBLast(calls, points[2].toDouble(), points[3].toDouble());
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

        std::vector<DrawCall> calls;
        Shown shown(NumberLocale::fullStop());
        shown.window.canvas().setRecorder(&calls);
        shown.type(u"y=2x+3"_s, key, modifiers);
        shown.window.canvas().setRecorder(nullptr);

        const QString empty;
        const QStringList read = { u"1"_s, u"5"_s, u"-1"_s, u"1"_s, empty, empty };
        QCOMPARE(coordinates(shown), reads ? read : QStringList(6, empty));
        QCOMPARE(shown.field(u"txtequacio"_s)->text(), reads ? u"y = 2·x + 3"_s : u"y=2x+3"_s);
        QCOMPARE(calls.empty(), !reads);
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

        std::vector<DrawCall> calls;
        shown.window.canvas().setRecorder(&calls);
        shown.type(typed);
        shown.window.canvas().setRecorder(nullptr);

        QCOMPARE(coordinates(shown), fieldsBefore);
        QCOMPARE(enabledStates(shown), statesBefore);
        QCOMPARE(::describe(shown.window.plane()), modelBefore);
        QCOMPARE(equation->text(), typed);
        QCOMPARE(calls.size(), 0u);
        // The pupil is told why, and finds the cursor where the fault is.
        QCOMPARE(boxes, QStringList { told });
        QCOMPARE(shown.window.focusWidget(), equation);
        QCOMPARE(equation->cursorPosition(), cursor);
    }

    void commaLocaleDrawsTheTypedSlope()
    {
        std::vector<DrawCall> calls;
        Shown shown(NumberLocale::comma());
        shown.window.canvas().setRecorder(&calls);
        shown.type(u"y=0.33x"_s);
        shown.window.canvas().setRecorder(nullptr);

        QCOMPARE(
            coordinates(shown).mid(0, 4), QStringList({ u"10"_s, u"3.3"_s, u"-10"_s, u"-3.3"_s }));
        QCOMPARE(shown.field(u"txtequacio"_s)->text(), u"y = .33·x + 0"_s);
        const DrawnLine *drawn = shown.window.plane().onPlane();
        QVERIFY(drawn && std::abs(drawn->line.slope - 0.33) < 1e-12);
        checkLine(calls, shown.window.world(), false, 0.33, 0);
        if (QTest::currentTestFailed())
            return;
        checkMarksOfBLast(calls, -10, -3.3);
    }
};

QTEST_MAIN(EquationEntryTest)
#include "tst_equationentry.moc"
