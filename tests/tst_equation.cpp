#include "compare/equation.h"

#include <QTest>

using Form = EquationPoints::Form;
using numtext::NumberLocale;
using namespace Qt::StringLiterals;

class TestEquation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsPoints_data();
    void readsPoints();
    void refusesUnreadable_data();
    void refusesUnreadable();
};

namespace {

const QChar fullStop = u'.';
const QChar comma = u',';

void addPoints(const char *name, QChar decimal, const QString &typed, Form form, const QString &ax,
    const QString &ay, const QString &bx, const QString &by)
{
    QTest::newRow(name) << decimal << typed << form << ax << ay << bx << by;
}

void addSloped(const char *name, const QString &typed, const QString &ax, const QString &ay,
    const QString &bx, const QString &by)
{
    addPoints(name, fullStop, typed, Form::SlopeIntercept, ax, ay, bx, by);
}

} // namespace

void TestEquation::readsPoints_data()
{
    QTest::addColumn<QChar>("decimal");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<Form>("form");
    QTest::addColumn<QString>("ax");
    QTest::addColumn<QString>("ay");
    QTest::addColumn<QString>("bx");
    QTest::addColumn<QString>("by");

    // The first whole ordinate from x = 1 and from x = -1 on.
    addSloped("whole slope", u"y=2x+3"_s, u"1"_s, u"5"_s, u"-1"_s, u"1"_s);
    addSloped("upper case", u"Y=2X-3"_s, u"1"_s, u"-1"_s, u"-1"_s, u"-5"_s);
    addSloped("bare x", u"y=x"_s, u"1"_s, u"1"_s, u"-1"_s, u"-1"_s);
    addSloped("bare -x", u"y=-x"_s, u"1"_s, u"-1"_s, u"-1"_s, u"1"_s);
    addSloped("bare -x with intercept", u"y=-x-2"_s, u"1"_s, u"-3"_s, u"-1"_s, u"-1"_s);
    addSloped("no intercept", u"y=2x"_s, u"1"_s, u"2"_s, u"-1"_s, u"-2"_s);
    addSloped("half slope searches to 2", u"y=0.5x+1"_s, u"2"_s, u"2"_s, u"-2"_s, u"0"_s);
    addSloped("quarter slope searches to 4", u"y=.25x-1"_s, u"4"_s, u"0"_s, u"-4"_s, u"-2"_s);
    addSloped("slope 1.5", u"y=1.5x"_s, u"2"_s, u"3"_s, u"-2"_s, u"-3"_s);
    addSloped(
        "no whole ordinate stops at 10", u"y=0.33x"_s, u"10"_s, u"3.3"_s, u"-10"_s, u"-3.3"_s);
    addPoints("tenth ordinate keeps the full stop under a comma", comma, u"y=0.33x"_s,
        Form::SlopeIntercept, u"10"_s, u"3.3"_s, u"-10"_s, u"-3.3"_s);

    // The intercept becomes a whole number, halves to the even one; the slope keeps its decimals.
    addSloped("intercept 1.5 rounds to 2", u"y=0.5x+1.5"_s, u"2"_s, u"3"_s, u"-2"_s, u"1"_s);
    addSloped("intercept 2.5 rounds to 2", u"y=0.5x+2.5"_s, u"2"_s, u"3"_s, u"-2"_s, u"1"_s);
    addSloped("intercept -0.5 rounds to 0", u"y=x-0.5"_s, u"1"_s, u"1"_s, u"-1"_s, u"-1"_s);
    addSloped("intercept 0.4 rounds to 0", u"y=-3x+0.4"_s, u"1"_s, u"-3"_s, u"-1"_s, u"3"_s);
    addSloped("ordinate at the top of the range", u"y=x+32766"_s, u"1"_s, u"32767"_s, u"-1"_s,
        u"32765"_s);

    // Positional reading of texts that are not quite equations.
    addSloped("x followed by other text", u"y=x/2+1"_s, u"1"_s, u"2"_s, u"-1"_s, u"0"_s);
    addSloped("slope text ends before x", u"y=2*x+1"_s, u"1"_s, u"3"_s, u"-1"_s, u"-1"_s);
    addSloped("first two characters not examined", u"f=2x+1"_s, u"1"_s, u"3"_s, u"-1"_s, u"-1"_s);
    addSloped("slope before the last x, intercept after the first", u"y=2x3x"_s, u"1"_s, u"2"_s,
        u"-1"_s, u"-2"_s);
    addSloped("trailing sign reads as intercept 0", u"y=2x+"_s, u"1"_s, u"2"_s, u"-1"_s, u"-2"_s);
    addSloped("+x is the slope 1", u"y=+x+1"_s, u"1"_s, u"2"_s, u"-1"_s, u"0"_s);
    addSloped("100000 x", u"y="_s + QString(100000, u'x'), u"1"_s, u"1"_s, u"-1"_s, u"-1"_s);

    // Blanks and tabs anywhere do not move the positions.
    addSloped("blank before the slope", u"y= 2x+1"_s, u"1"_s, u"3"_s, u"-1"_s, u"-1"_s);
    addSloped("blank before the equals sign", u"y =2x+1"_s, u"1"_s, u"3"_s, u"-1"_s, u"-1"_s);
    addSloped("blank before a bare x", u"y= x+1"_s, u"1"_s, u"2"_s, u"-1"_s, u"0"_s);
    addSloped("blanks everywhere", u"y = 2x + 1"_s, u"1"_s, u"3"_s, u"-1"_s, u"-1"_s);
    addSloped("tabs", u"y\t=\t2x\t+\t1"_s, u"1"_s, u"3"_s, u"-1"_s, u"-1"_s);

    // The horizontal form copies the text after 'y=' as it stands.
    for (const QChar decimal : { fullStop, comma }) {
        const bool isComma = decimal == comma;
        addPoints(isComma ? "horizontal, comma" : "horizontal", decimal, u"y=3"_s, Form::Horizontal,
            u"1"_s, u"3"_s, u"2"_s, u"3"_s);
        addPoints(isComma ? "horizontal with blanks, comma" : "horizontal with blanks", decimal,
            u"y = 3"_s, Form::Horizontal, u"1"_s, u"3"_s, u"2"_s, u"3"_s);
    }
    addPoints("horizontal decimals", fullStop, u"y=-2.5"_s, Form::Horizontal, u"1"_s, u"-2.5"_s,
        u"2"_s, u"-2.5"_s);
    addPoints("horizontal comma kept as typed", comma, u"y=-2,5"_s, Form::Horizontal, u"1"_s,
        u"-2,5"_s, u"2"_s, u"-2,5"_s);
    addPoints("horizontal not a number", fullStop, u"y=abc"_s, Form::Horizontal, u"1"_s, u"abc"_s,
        u"2"_s, u"abc"_s);
    addPoints("horizontal nothing after y=", fullStop, u"y="_s, Form::Horizontal, u"1"_s, QString(),
        u"2"_s, QString());

    // The vertical form reads its number by the locale and writes it with a sign position.
    addPoints("vertical", fullStop, u"x=3"_s, Form::Vertical, u" 3"_s, u"1"_s, u" 3"_s, u"2"_s);
    addPoints("vertical with blanks", fullStop, u"x = 3"_s, Form::Vertical, u" 3"_s, u"1"_s,
        u" 3"_s, u"2"_s);
    addPoints("vertical upper case negative", fullStop, u"X=-2"_s, Form::Vertical, u"-2"_s, u"1"_s,
        u"-2"_s, u"2"_s);
    addPoints("vertical below 1", fullStop, u"x=0.5"_s, Form::Vertical, u" .5"_s, u"1"_s, u" .5"_s,
        u"2"_s);
    addPoints("vertical below 1, comma", comma, u"x=0,5"_s, Form::Vertical, u" .5"_s, u"1"_s,
        u" .5"_s, u"2"_s);
    addPoints("vertical negative decimals, comma", comma, u"x=-2,5"_s, Form::Vertical, u"-2.5"_s,
        u"1"_s, u"-2.5"_s, u"2"_s);
    addPoints("vertical full stop, comma", comma, u"x=0.5"_s, Form::Vertical, u" .5"_s, u"1"_s,
        u" .5"_s, u"2"_s);
    // Under a comma locale the comma is a decimal separator in the slope and the intercept too;
    // under a full-stop locale it ends the number.
    addPoints("slope with a comma, comma", comma, u"y=0,5x+1"_s, Form::SlopeIntercept, u"2"_s,
        u"2"_s, u"-2"_s, u"0"_s);
    addPoints("slope with a comma, full stop", fullStop, u"y=0,5x+1"_s, Form::SlopeIntercept,
        u"1"_s, u"1"_s, u"-1"_s, u"1"_s);
    addPoints("intercept with a comma, comma", comma, u"y=x+2,6"_s, Form::SlopeIntercept, u"1"_s,
        u"4"_s, u"-1"_s, u"2"_s);
    addPoints("intercept with a comma, full stop", fullStop, u"y=x+2,6"_s, Form::SlopeIntercept,
        u"1"_s, u"3"_s, u"-1"_s, u"1"_s);
    // An ordinate just past -32768 still rounds to a 16-bit integer, so the search goes on.
    addPoints("ordinate rounding into the 16-bit range", fullStop, u"yX776.833:33333333-25000x"_s,
        Form::SlopeIntercept, u"10"_s, u"-17231.67"_s, u"-10"_s, u"-32768.33"_s);
}

void TestEquation::readsPoints()
{
    QFETCH(QChar, decimal);
    QFETCH(QString, typed);
    QFETCH(Form, form);
    QFETCH(QString, ax);
    QFETCH(QString, ay);
    QFETCH(QString, bx);
    QFETCH(QString, by);

    const std::optional<EquationPoints> points = readEquation(typed, NumberLocale { decimal });
    QVERIFY(points);
    QCOMPARE(points->form, form);
    QCOMPARE(points->ax, ax);
    QCOMPARE(points->ay, ay);
    QCOMPARE(points->bx, bx);
    QCOMPARE(points->by, by);
}

void TestEquation::refusesUnreadable_data()
{
    QTest::addColumn<QChar>("decimal");
    QTest::addColumn<QString>("typed");

    QTest::newRow("empty") << fullStop << QString();
    QTest::newRow("one character") << fullStop << u"y"_s;
    QTest::newRow("blanks around one character") << fullStop << u" 3 \t"_s;
    QTest::newRow("x alone") << fullStop << u"x"_s;
    QTest::newRow("nothing after x=") << fullStop << u"x="_s;
    QTest::newRow("vertical not a number") << fullStop << u"x=abc"_s;
    QTest::newRow("vertical with an x after it") << fullStop << u"x=3x"_s;
    QTest::newRow("vertical comma under a full stop") << fullStop << u"x=0,5"_s;
    QTest::newRow("x only in the first two characters") << fullStop << u"2x+3"_s;
    QTest::newRow("-x alone") << fullStop << u"-x"_s;
    QTest::newRow("no sign after x") << fullStop << u"y=2x3"_s;
    QTest::newRow("intercept beyond 16 bits") << fullStop << u"y=2x+40000"_s;
    QTest::newRow("intercept infinite") << fullStop << u"y=2x+1e999"_s;
    QTest::newRow("first ordinate beyond 16 bits") << fullStop << u"y=40000x"_s;
    QTest::newRow("ordinate just beyond 16 bits") << fullStop << u"y=x+32767"_s;
    QTest::newRow("tenth ordinate beyond 16 bits") << fullStop << u"y=3276.77x"_s;
    QTest::newRow("only B's ordinate beyond 16 bits") << fullStop << u"y=-20000x+20000"_s;
    QTest::newRow("slope infinite") << fullStop << u"y=1e999x"_s;
    QTest::newRow("slope of 100000 digits") << fullStop << u"y="_s + QString(100000, u'9') + u"x"_s;
}

void TestEquation::refusesUnreadable()
{
    QFETCH(QChar, decimal);
    QFETCH(QString, typed);

    QCOMPARE(readEquation(typed, NumberLocale { decimal }).has_value(), false);
}

QTEST_GUILESS_MAIN(TestEquation)
#include "tst_equation.moc"
