#include "linemath.h"
#include "relation.h"

#include <QTest>

#include <cmath>
#include <limits>

using numtext::NumberLocale;
using numtext::ValueCell;

Q_DECLARE_METATYPE(LineDesc)
Q_DECLARE_METATYPE(Relation::Kind)

namespace {

LineDesc sloped(double slope, double intercept)
{
    return { false, 0, slope, intercept };
}

LineDesc upright(double x)
{
    return { true, x, 0, 0 };
}

} // namespace

// The line through two points, the point test and how two lines meet, as values. Doubles are
// compared with ==, since QCOMPARE on them is fuzzy.
class LineMathTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lineThroughAB_data()
    {
        QTest::addColumn<QPointF>("a");
        QTest::addColumn<QPointF>("b");
        QTest::addColumn<bool>("comma");
        QTest::addColumn<double>("slope");
        QTest::addColumn<double>("intercept");
        QTest::addColumn<QString>("equation");

        QTest::newRow("through the origin")
            << QPointF(1, 2) << QPointF(3, 6) << false << 2.0 << 0.0 << "y = 2·x + 0";
        QTest::newRow("falling") << QPointF(0, 3) << QPointF(2, -1) << false << -2.0 << 3.0
                                 << "y =-2·x + 3";
        QTest::newRow("a third, comma")
            << QPointF(0, -1) << QPointF(3, 0) << true << 1.0 / 3 << -1.0 << "y = .33·x +-1";
        QTest::newRow("horizontal")
            << QPointF(1, 2) << QPointF(4, 2) << false << 0.0 << 2.0 << "y = 0·x + 2";
        QTest::newRow("horizontal leftwards, slope -0")
            << QPointF(3, 2) << QPointF(1, 2) << false << -0.0 << 2.0 << "y = 0·x + 2";
        QTest::newRow("B before A")
            << QPointF(3, 6) << QPointF(1, 2) << false << 2.0 << 0.0 << "y = 2·x + 0";
        QTest::newRow("shown intercept halves away from zero")
            << QPointF(0, 0.125) << QPointF(1, 0.125) << false << 0.0 << 0.125 << "y = 0·x + .13";
        QTest::newRow("small negative intercept shows 0")
            << QPointF(0, -0.004) << QPointF(1, -0.004) << false << 0.0 << -0.004 << "y = 0·x + 0";
        QTest::newRow("steep, comma")
            << QPointF(0, 0) << QPointF(0.5, 1.25) << true << 2.5 << 0.0 << "y = 2.5·x + 0";
        QTest::newRow("x = 2") << QPointF(2, 1) << QPointF(2, 5) << false << 0.0 << 0.0 << "x =2";
        QTest::newRow("A equals B")
            << QPointF(1, 1) << QPointF(1, 1) << false << 0.0 << 0.0 << "x =1";
        QTest::newRow("vertical half, full stop")
            << QPointF(2.5, 0) << QPointF(2.5, 3) << false << 0.0 << 0.0 << "x =2.5";
        QTest::newRow("vertical half, comma")
            << QPointF(2.5, 0) << QPointF(2.5, 3) << true << 0.0 << 0.0 << "x =2,5";
        QTest::newRow("vertical negative")
            << QPointF(-1.5, 0) << QPointF(-1.5, 1) << false << 0.0 << 0.0 << "x =-1.5";
    }

    void lineThroughAB()
    {
        QFETCH(QPointF, a);
        QFETCH(QPointF, b);
        QFETCH(bool, comma);
        QFETCH(double, slope);
        QFETCH(double, intercept);
        QFETCH(QString, equation);
        const NumberLocale locale = comma ? NumberLocale::comma() : NumberLocale::fullStop();

        const auto line = ::slopedLine(a.x(), a.y(), b.x(), b.y(), locale);
        QCOMPARE(bool(line), !equation.startsWith(u'x'));
        if (!line) {
            QCOMPARE(verticalLine(b.x(), locale).equation, equation);
            return;
        }
        QVERIFY(line->line.slope == slope);
        QVERIFY(line->line.intercept == intercept);
        QCOMPARE(line->equation, equation);
    }

    void pointTest_data()
    {
        QTest::addColumn<QPointF>("a");
        QTest::addColumn<QPointF>("b");
        QTest::addColumn<QPointF>("p");
        QTest::addColumn<bool>("comma");
        QTest::addColumn<QString>("worked");
        QTest::addColumn<QString>("verdict");

        const QPointF a(1, 2), b(3, 6);
        QTest::newRow("on") << a << b << QPointF(2, 4) << false << "4 = 2·2+ 0"
                            << "Està en la recta";
        QTest::newRow("off") << a << b << QPointF(2, 5) << false << "5 # 2·2+ 0"
                             << "No està en la recta";
        QTest::newRow("negative point") << a << b << QPointF(-1, -2) << false << "-2 = 2·-1+ 0"
                                        << "Està en la recta";
        QTest::newRow("origin") << a << b << QPointF(0, 0) << false << "0 = 2·0+ 0"
                                << "Està en la recta";
        QTest::newRow("rounded coefficients")
            << QPointF(0, -1) << QPointF(3, 0) << QPointF(3, 0) << false << "0 = .33·3+-1"
            << "Està en la recta";
        QTest::newRow("shown relation need not hold")
            << QPointF(0, 0) << QPointF(3, 1) << QPointF(3, 1) << false << "1 = .33·3+ 0"
            << "Està en la recta";
        QTest::newRow("0.1·3 is 0.3")
            << QPointF(0, 0) << QPointF(10, 1) << QPointF(3, 0.3) << false << "0.3 = .1·3+ 0"
            << "Està en la recta";
        QTest::newRow("0.1·3 is 0.3, comma")
            << QPointF(0, 0) << QPointF(10, 1) << QPointF(3, 0.3) << true << "0,3 = .1·3+ 0"
            << "Està en la recta";
        QTest::newRow("a ten-millionth off")
            << QPointF(0, 0) << QPointF(10, 1) << QPointF(3, 0.3000001) << false
            << "0.3000001 # .1·3+ 0"
            << "No està en la recta";
        QTest::newRow("vertical, on")
            << QPointF(2, 1) << QPointF(2, 5) << QPointF(2, 9) << false << " x = 2"
            << "està en la recta";
        QTest::newRow("vertical, off")
            << QPointF(2, 1) << QPointF(2, 5) << QPointF(3, 9) << false << "x # 2"
            << "no està en la recta";
        QTest::newRow("A equals B")
            << QPointF(1, 1) << QPointF(1, 1) << QPointF(1, 7) << false << " x = 1"
            << "està en la recta";
        QTest::newRow("vertical, comma")
            << QPointF(2.5, 1) << QPointF(2.5, 5) << QPointF(2.5, 0) << true << " x = 2,5"
            << "està en la recta";
        QTest::newRow("vertical within rounding")
            << QPointF(0.3, 1) << QPointF(0.3, 5) << QPointF(0.1 * 3, 0) << false << " x = 0.3"
            << "està en la recta";
    }

    // Both functions as the window uses them, on the line through A and B.
    void pointTest()
    {
        QFETCH(QPointF, a);
        QFETCH(QPointF, b);
        QFETCH(QPointF, p);
        QFETCH(bool, comma);
        QFETCH(QString, worked);
        QFETCH(QString, verdict);
        const NumberLocale locale = comma ? NumberLocale::comma() : NumberLocale::fullStop();

        PointVerdict result;
        if (const auto line = ::slopedLine(a.x(), a.y(), b.x(), b.y(), locale))
            result = testSloped(*line, p.x(), p.y(), locale);
        else
            result = testVertical(b.x(), p.x(), locale);
        QCOMPARE(result.worked, worked);
        QCOMPARE(result.verdict, verdict);
        QCOMPARE(result.on, !verdict.startsWith(u'N') && !verdict.startsWith(u'n'));
    }

    void sameValue_data()
    {
        QTest::addColumn<double>("a");
        QTest::addColumn<double>("b");
        QTest::addColumn<bool>("equal");

        QTest::newRow("0.1·3 and 0.3") << 0.1 * 3 << 0.3 << true;
        QTest::newRow("signed zeros") << -0.0 << 0.0 << true;
        QTest::newRow("absolute near zero") << 0.0 << 5e-10 << true;
        QTest::newRow("beyond it near zero") << 0.0 << 2e-9 << false;
        QTest::newRow("relative at a million") << 1e6 << 1e6 + 5e-4 << true;
        QTest::newRow("beyond it at a million") << 1e6 << 1e6 + 2e-3 << false;
        QTest::newRow("opposite signs") << -2.0 << 2.0 << false;
        const double infinity = std::numeric_limits<double>::infinity();
        QTest::newRow("infinity and a large number") << infinity << 1e300 << false;
        QTest::newRow("infinity and zero") << infinity << 0.0 << false;
        QTest::newRow("opposite infinities") << infinity << -infinity << false;
    }

    void sameValue()
    {
        QFETCH(double, a);
        QFETCH(double, b);
        QFETCH(bool, equal);
        QCOMPARE(::sameValue(a, b), equal);
        QCOMPARE(::sameValue(b, a), equal);
    }

    void usable_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("ok");

        QTest::newRow("zero") << 0.0 << true;
        QTest::newRow("just below the limit") << 999999999999999.0 << true;
        QTest::newRow("the limit") << 1e15 << false;
        QTest::newRow("minus the limit") << -1e15 << false;
        QTest::newRow("denormal") << 1e-320 << true;
        QTest::newRow("infinity") << -std::numeric_limits<double>::infinity() << false;
        QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << false;
    }

    void usable()
    {
        QFETCH(double, value);
        QFETCH(bool, ok);
        QCOMPARE(::usable(value), ok);
    }

    void relate_data()
    {
        QTest::addColumn<LineDesc>("previous");
        QTest::addColumn<LineDesc>("current");
        QTest::addColumn<Relation::Kind>("kind");
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<QString>("text");

        using K = Relation::Kind;
        QTest::newRow("cross at (1, 3)")
            << sloped(2, 1) << sloped(-1, 4) << K::Crossing << 1.0 << 3.0 << "( 1, 3)";
        QTest::newRow("cross at halves")
            << sloped(1, 0) << sloped(-1, 1) << K::Crossing << 0.5 << 0.5 << "( .5, .5)";
        QTest::newRow("cross at negatives")
            << sloped(1, 1) << sloped(-1, -3) << K::Crossing << -2.0 << -1.0 << "(-2,-1)";
        QTest::newRow("cross at a third")
            << sloped(3, 0) << sloped(0, 1) << K::Crossing << 1.0 / 3 << 1.0 << "( .33, 1)";
        QTest::newRow("half rounds to even")
            << sloped(8, 0) << sloped(0, 1) << K::Crossing << 0.125 << 1.0 << "( .12, 1)";
        QTest::newRow("kept x axis is crossed")
            << sloped(0, 0) << sloped(1, 1) << K::Crossing << -1.0 << 0.0 << "(-1, 0)";
        QTest::newRow("same line")
            << sloped(2, 3) << sloped(2, 3) << K::Coincident << 0.0 << 0.0 << "coincidents";
        QTest::newRow("parallel") << sloped(2, 3) << sloped(2, -1) << K::Parallel << 0.0 << 0.0
                                  << "paral·leles";
        QTest::newRow("horizontal through 0.1 twice")
            << sloped(0, 0.1) << sloped(0, 0.1) << K::Coincident << 0.0 << 0.0 << "coincidents";
        QTest::newRow("slopes a last bit apart")
            << sloped(0.2, 0.1) << sloped(std::nextafter(0.2, 1.0), 0.1) << K::Coincident << 0.0
            << 0.0 << "coincidents";
        QTest::newRow("nearly parallel")
            << sloped(0.2, 0.1) << sloped(std::nextafter(0.2, 1.0), 0.2) << K::Parallel << 0.0
            << 0.0 << "paral·leles";
        QTest::newRow("vertical crosses the kept line")
            << sloped(2, 3) << upright(3) << K::Crossing << 3.0 << 9.0 << "( 3, 9)";
        QTest::newRow("kept vertical is crossed")
            << upright(3) << sloped(2, 3) << K::Crossing << 3.0 << 9.0 << "( 3, 9)";
        QTest::newRow("vertical twice")
            << upright(3) << upright(3) << K::Coincident << 0.0 << 0.0 << "coincidents";
        QTest::newRow("vertical within rounding")
            << upright(0.3) << upright(0.1 * 3) << K::Coincident << 0.0 << 0.0 << "coincidents";
        QTest::newRow("two verticals")
            << upright(3) << upright(-1) << K::Parallel << 0.0 << 0.0 << "paral·leles";
    }

    void relate()
    {
        QFETCH(LineDesc, previous);
        QFETCH(LineDesc, current);
        QFETCH(Relation::Kind, kind);
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(QString, text);

        const Relation relation = ::relate(previous, current);
        QCOMPARE(relation.kind, kind);
        if (kind == Relation::Kind::Crossing) {
            QVERIFY2(relation.x == x, qPrintable(QString::number(relation.x, 'g', 17)));
            QVERIFY2(relation.y == y, qPrintable(QString::number(relation.y, 'g', 17)));
        }
        QCOMPARE(relationText(relation), text);
    }

    void crossingText_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("y");
        QTest::addColumn<QString>("text");

        QTest::newRow("negative zero") << -0.001 << 2.675 << "( 0, 2.67)";
        QTest::newRow("rounds up") << 1.006 << -0.996 << "( 1.01,-1)";
        QTest::newRow("large") << 1234.5 << 1e6 << "( 1234.5, 1000000)";
    }

    void crossingText()
    {
        QFETCH(double, x);
        QFETCH(double, y);
        QFETCH(QString, text);
        QCOMPARE(::crossingText(x, y), text);
    }
};

QTEST_GUILESS_MAIN(LineMathTest)
#include "tst_linemath.moc"
