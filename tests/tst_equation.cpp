#include "equation.h"

#include <QTest>

using Form = EquationPoints::Form;
using Reason = numtext::EquationFault::Reason;
using numtext::NumberLocale;
using namespace Qt::StringLiterals;

// The equation a pupil types, read into the line it means and two points of it; and every text
// that is no line refused with its reason, its place and the words the pupil is told.
class TestEquation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsPoints_data();
    void readsPoints();
    void refuses_data();
    void refuses();
};

namespace {

struct Row
{
    const char *name;
    QString typed;
    Form form;
    QStringList points; // A's x and y, B's x and y, as the fields get them
    double slope; // the line typed: y = slope·x + intercept, or x = intercept when vertical
    double intercept;
};

} // namespace

void TestEquation::readsPoints_data()
{
    QTest::addColumn<QChar>("decimal");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<Form>("form");
    QTest::addColumn<QStringList>("points");
    QTest::addColumn<double>("slope");
    QTest::addColumn<double>("intercept");

    const Form sloped = Form::SlopeIntercept;
    const Form level = Form::Horizontal;
    const Form upright = Form::Vertical;
    const Row rows[] = {
        // A at the first x from 1 with a whole ordinate, B from -1 on, else at 10 and -10.
        { "slope-intercept", u"y=2x+3"_s, sloped, { "1", "5", "-1", "1" }, 2, 3 },
        { "upper case", u"Y=2X-3"_s, sloped, { "1", "-1", "-1", "-5" }, 2, -3 },
        { "bare x", u"y=x"_s, sloped, { "1", "1", "-1", "-1" }, 1, 0 },
        { "bare -x with intercept", u"y=-x-2"_s, sloped, { "1", "-3", "-1", "-1" }, -1, -2 },
        { "+x", u"y=+x+1"_s, sloped, { "1", "2", "-1", "0" }, 1, 1 },
        { "half slope searches to 2", u"y=0.5x+1"_s, sloped, { "2", "2", "-2", "0" }, 0.5, 1 },
        { "quarter slope", u"y=.25x-1"_s, sloped, { "4", "0", "-4", "-2" }, 0.25, -1 },
        { "no whole ordinate stops at 10", u"y=0.33x"_s, sloped, { "10", "3.3", "-10", "-3.3" },
            0.33, 0 },
        { "intercept 1.5 is not rounded", u"y=0.5x+1.5"_s, sloped, { "1", "2", "-1", "1" }, 0.5,
            1.5 },
        { "intercept 3.5", u"y=2x+3.5"_s, sloped, { "10", "23.5", "-10", "-16.5" }, 2, 3.5 },
        { "intercept 0.4", u"y=-3x+0.4"_s, sloped, { "10", "-29.6", "-10", "30.4" }, -3, 0.4 },
        { "slope first", u"y=3-2x"_s, sloped, { "1", "1", "-1", "5" }, -2, 3 },
        // The textbook's forms, which the first reading drew as other lines or not at all.
        { "x over 2", u"y=x/2+1"_s, sloped, { "2", "2", "-2", "0" }, 0.5, 1 },
        { "fraction before x", u"y=1/2x+3"_s, sloped, { "2", "4", "-2", "2" }, 0.5, 3 },
        { "two thirds of x", u"y=2/3x-1"_s, sloped, { "3", "1", "-3", "-3" }, 2.0 / 3, -1 },
        { "fraction in parentheses", u"y=(1/2)x"_s, sloped, { "2", "1", "-2", "-1" }, 0.5, 0 },
        { "point-slope", u"y-3=2(x-1)"_s, sloped, { "1", "3", "-1", "-1" }, 2, 1 },
        { "general form", u"2x+3y=6"_s, sloped, { "3", "0", "-3", "4" }, -2.0 / 3, 2 },
        { "general form equal to 0", u"3x-y+2=0"_s, sloped, { "1", "5", "-1", "-1" }, 3, 2 },
        { "minus x over 3", u"y=-x/3"_s, sloped, { "3", "-1", "-3", "1" }, -1.0 / 3, 0 },
        { "y times 2", u"2y=4x+6"_s, sloped, { "1", "5", "-1", "1" }, 2, 3 },
        { "products written out", u"y=2*x+1"_s, sloped, { "1", "3", "-1", "-1" }, 2, 1 },
        { "blanks everywhere", u"y = 2 x + 1"_s, sloped, { "1", "3", "-1", "-1" }, 2, 1 },
        { "tabs", u"y\t=\t2x\t+\t1"_s, sloped, { "1", "3", "-1", "-1" }, 2, 1 },
        { "a function", u"f(x)=2x+1"_s, sloped, { "1", "3", "-1", "-1" }, 2, 1 },
        { "a function's name", u"f = 2x+1"_s, sloped, { "1", "3", "-1", "-1" }, 2, 1 },
        { "a textbook's minus sign", u"y=\u2212x+4"_s, sloped, { "1", "3", "-1", "5" }, -1, 4 },
        { "superscripts in a row", u"y=2³²x"_s, sloped, { "1", "64", "-1", "-64" }, 64, 0 },
        { "powers of numbers", u"y=2^3^2x-3²"_s, sloped, { "1", "503", "-1", "-521" }, 512, -9 },
        { "beyond 16 bits", u"y=40000x+2"_s, sloped, { "1", "40002", "-1", "-39998" }, 40000, 2 },
        // The program's own equations read back.
        { "shown slope below 1", u"y =-.67·x + 2"_s, sloped, { "10", "-4.7", "-10", "8.7" }, -0.67,
            2 },
        { "shown negative intercept", u"y = 2·x +-1"_s, sloped, { "1", "1", "-1", "-3" }, 2, -1 },
        { "shown vertical", u"x =2"_s, upright, { " 2", "1", " 2", "2" }, 0, 2 },
        // Horizontal and vertical lines, however written.
        { "horizontal", u"y=3"_s, level, { "1", "3", "2", "3" }, 0, 3 },
        { "horizontal decimals", u"y=-2.5"_s, level, { "1", "-2.5", "2", "-2.5" }, 0, -2.5 },
        { "horizontal, no x left", u"y=0.1x+0.2x-0.3x+1"_s, level, { "1", "1", "2", "1" }, 0, 1 },
        { "vertical", u"x=3"_s, upright, { " 3", "1", " 3", "2" }, 0, 3 },
        { "vertical upper case", u"X=-2"_s, upright, { "-2", "1", "-2", "2" }, 0, -2 },
        { "vertical below 1", u"x=0.5"_s, upright, { " .5", "1", " .5", "2" }, 0, 0.5 },
        { "vertical times 2", u"2x=6"_s, upright, { " 3", "1", " 3", "2" }, 0, 3 },
        { "vertical equal to 0", u"x-3=0"_s, upright, { " 3", "1", " 3", "2" }, 0, 3 },
        { "x on both sides", u"x=3x"_s, upright, { " 0", "1", " 0", "2" }, 0, 0 },
    };
    // In an equation a comma can only be a decimal separator, under either locale; only the
    // horizontal form writes its ordinate with the locale's separator.
    for (const QChar decimal : { u'.', u',' }) {
        for (const Row &row : rows) {
            const bool comma = decimal == u',';
            QStringList points = row.points;
            if (comma && row.form == level)
                points.replaceInStrings(u"."_s, u","_s);
            QString typed = row.typed;
            if (comma)
                typed.replace(u'.', u',');
            QTest::addRow("%s%s", row.name, comma ? ", comma" : "")
                << decimal << typed << row.form << points << row.slope << row.intercept;
        }
    }
}

void TestEquation::readsPoints()
{
    QFETCH(QChar, decimal);
    QFETCH(QString, typed);
    QFETCH(Form, form);
    QFETCH(QStringList, points);
    QFETCH(double, slope);
    QFETCH(double, intercept);

    const auto read = readEquation(typed, NumberLocale { decimal });
    const auto *p = std::get_if<EquationPoints>(&read);
    if (!p)
        QFAIL(qPrintable(faultText(std::get<numtext::EquationFault>(read))));
    QCOMPARE(p->form, form);
    QCOMPARE((QStringList { p->ax, p->ay, p->bx, p->by }), points);
    // The line is the one typed, not the one its rounded points give back.
    QCOMPARE(p->line.vertical, form == Form::Vertical);
    QCOMPARE(p->line.vertical ? p->line.x : p->line.intercept, intercept);
    QCOMPARE(p->line.slope, slope);
}

void TestEquation::refuses_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<Reason>("reason");
    QTest::addColumn<int>("position");
    QTest::addColumn<QString>("told");

    const auto row
        = [](const char *name, const QString &typed, Reason reason, int position,
              const QString &told) { QTest::newRow(name) << typed << reason << position << told; };
    row("empty", QString(), Reason::Empty, 0,
        u"Escriviu l'equació d'una recta, per exemple y igual a 2x més 3."_s);
    row("blanks only", u" \t "_s, Reason::Empty, 0,
        u"Escriviu l'equació d'una recta, per exemple y igual a 2x més 3."_s);
    row("no equals sign", u"2x+3"_s, Reason::NoEquals, 4, u"Falta el signe igual."_s);
    row("one letter", u"y"_s, Reason::NoEquals, 1, u"Falta el signe igual."_s);
    row("two equals signs", u"y=2x=3"_s, Reason::ManyEquals, 4, u"Hi ha més d'un signe igual."_s);
    row("nothing after =", u"x="_s, Reason::Missing, 2, u"Hi falta un nombre, la x o la y."_s);
    row("nothing before =", u"=3"_s, Reason::Missing, 0, u"Hi falta un nombre, la x o la y."_s);
    row("trailing sign", u"y=2x+"_s, Reason::Missing, 5, u"Hi falta un nombre, la x o la y."_s);
    row("square", u"y=x^2"_s, Reason::Power, 3, u"Només rectes, x al quadrat no hi pot ser."_s);
    row("square sign", u"y=x²"_s, Reason::Power, 3, u"Només rectes, x al quadrat no hi pot ser."_s);
    row("cube of y", u"y^3=x"_s, Reason::Power, 1, u"Només rectes, y al cub no hi pot ser."_s);
    row("x to a variable", u"y=2^x"_s, Reason::Power, 3,
        u"Només rectes, 2 elevat a x no hi pot ser."_s);
    row("x times y", u"xy=1"_s, Reason::Product, 1, u"Només rectes, x per y no hi pot ser."_s);
    row("x times x", u"y=x*x"_s, Reason::Product, 3,
        u"Només rectes, x al quadrat no hi pot ser."_s);
    row("a hundred thousand x", u"y="_s + QString(100000, u'x'), Reason::Product, 3,
        u"Només rectes, x al quadrat no hi pot ser."_s);
    row("one over x", u"y=1/x"_s, Reason::DivisionByVariable, 4,
        u"Només rectes, no es pot dividir per x."_s);
    row("division by zero", u"y=x/0"_s, Reason::DivisionByZero, 4, u"Divisió per zero."_s);
    row("division by a zero sum", u"y=x/(2-2)"_s, Reason::DivisionByZero, 4,
        u"Divisió per zero."_s);
    row("no variable", u"0=0"_s, Reason::NoVariable, 3,
        u"No és una recta, no hi queda ni la x ni la y."_s);
    row("no solution", u"2=3"_s, Reason::NoVariable, 3,
        u"No és una recta, no hi queda ni la x ni la y."_s);
    row("variables cancel", u"x=x+1"_s, Reason::NoVariable, 5,
        u"No és una recta, no hi queda ni la x ni la y."_s);
    row("unclosed parenthesis", u"y=2(x-1"_s, Reason::Unclosed, 7, u"Falta tancar un parèntesi."_s);
    row("unopened parenthesis", u"y=x+1)"_s, Reason::Unopened, 5, u"Sobra un parèntesi tancat."_s);
    row("other letter", u"y=2a+1"_s, Reason::OtherLetter, 3,
        u"Només hi poden sortir les lletres x i y, no «a»."_s);
    row("a name and more", u"fx=2x+1"_s, Reason::OtherLetter, 0,
        u"Només hi poden sortir les lletres x i y, no «f»."_s);
    row("exponent letter", u"y=1e999x"_s, Reason::OtherLetter, 3,
        u"Només hi poden sortir les lletres x i y, no «e»."_s);
    row("unknown sign", u"y=2x%3"_s, Reason::UnknownSign, 4, u"No s'entén el signe «%»."_s);
    row("a NUL inside", u"y=x"_s + QChar(u'\0') + u"+1"_s, Reason::UnknownSign, 3,
        u"No s'entén el signe «"_s + QChar(u'\0') + u"»."_s);
    row("two numbers", u"y=2 3x"_s, Reason::NumberAfterNumber, 4,
        u"Falta un signe entre dos nombres."_s);
    row("two separators", u"y=1,5,2x"_s, Reason::NumberAfterNumber, 5,
        u"Falta un signe entre dos nombres."_s);
    row("number after x", u"y=2x3"_s, Reason::NumberAfterVariable, 4,
        u"El nombre va davant de la x, com a 2x, no x2."_s);
    row("number too large", u"y=1000000000000000x"_s, Reason::TooLarge, 2,
        u"Nombre massa gran per dibuixar-lo."_s);
    row("slope of 100000 digits", u"y="_s + QString(100000, u'9') + u"x"_s, Reason::TooLarge, 2,
        u"Nombre massa gran per dibuixar-lo."_s);
    row("ordinate too large", u"y=900000000000000x+900000000000000"_s, Reason::TooLarge, 34,
        u"Nombre massa gran per dibuixar-lo."_s);
    row("fourteen digits cancelling", u"y=100000000000.001x-100000000000x"_s, Reason::TooLarge, 19,
        u"Nombre massa gran per dibuixar-lo."_s);
    row("nested too deep", u"y="_s + QString(100000, u'(') + u"x"_s, Reason::TooDeep, 66,
        u"Massa parèntesis un dins de l'altre."_s);
}

void TestEquation::refuses()
{
    QFETCH(QString, typed);
    QFETCH(Reason, reason);
    QFETCH(int, position);
    QFETCH(QString, told);

    for (const QChar decimal : { u'.', u',' }) {
        const auto read = readEquation(typed, NumberLocale { decimal });
        const auto *fault = std::get_if<numtext::EquationFault>(&read);
        QVERIFY(fault);
        QCOMPARE(fault->reason, reason);
        QCOMPARE(fault->position, position);
        QCOMPARE(faultText(*fault), told);
    }
}

QTEST_GUILESS_MAIN(TestEquation)
#include "tst_equation.moc"
