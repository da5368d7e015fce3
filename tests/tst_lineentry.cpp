#include "canvas.h"
#include "field.h"
#include "frmRecta.h"
#include "palette.h"
#include "session.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include <limits>
#include <memory>

using numtext::NumberLocale;
using numtext::ValueCell;

namespace {

QString num(double v)
{
    return QString::number(v, 'g', 17);
}

// One drawing call as a line of text: floats written with all their digits, so that comparing
// the texts compares the single-precision values exactly; colours as palette numbers.
QString describe(const DrawCall &c)
{
    int colour = 0;
    while (colour < 16 && paletteColour(colour) != c.colour)
        ++colour;
    const QString in = QStringLiteral(" c%1").arg(colour);
    switch (c.kind) {
    case DrawCall::Kind::Circle:
        return QStringLiteral("circle %1 %2 r%3").arg(num(c.x1), num(c.y1), num(c.radius)) + in;
    case DrawCall::Kind::Segment:
        return QStringLiteral("segment %1 %2 %3 %4").arg(num(c.x1), num(c.y1), num(c.x2), num(c.y2))
            + in;
    case DrawCall::Kind::Text:
        return QStringLiteral("text '%1' at %2 %3").arg(c.text, num(c.x1), num(c.y1)) + in;
    case DrawCall::Kind::Point:
        return QStringLiteral("point");
    case DrawCall::Kind::Clear:
        break;
    }
    return QStringLiteral("clear");
}

QString circle(float x, float y, float radius, int colour)
{
    return describe({ DrawCall::Kind::Circle, x, y, x, y, radius, paletteColour(colour), {} });
}

QString segment(float x1, float y1, float x2, float y2, int colour)
{
    return describe({ DrawCall::Kind::Segment, x1, y1, x2, y2, 0, paletteColour(colour), {} });
}

QString text(const QString &t, float x, float y)
{
    return describe({ DrawCall::Kind::Text, x, y, x, y, 0, paletteColour(1), t });
}

QStringList marks(float x, float y)
{
    return { circle(0, y, 0.1f, 8), segment(0, y, x, y, 8), segment(x, 0, x, y, 8),
        circle(x, y, 0.2f, 13) };
}

const QStringList abFields = drive::pointFields.mid(0, 4);


} // namespace

// The point entry as a pupil drives it: typing, leaving fields, clicking and Enter.
class LineEntryTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<frmRecta> window;
    std::vector<DrawCall> calls;
    QStringList boxes;
    drive::BoxCloser boxCloser { &boxes };

    frmRecta &open(const NumberLocale &locale = NumberLocale::fullStop())
    {
        window = std::make_unique<frmRecta>(locale);
        window->show();
        if (!QTest::qWaitForWindowActive(window.get()))
            qFatal("window not active");
        // Only what the actions of the test draw is recorded, not the repaints of showing.
        QApplication::processEvents();
        // The equation field has no marks: the first field typed into is left from nothing.
        edit(QStringLiteral("txtequacio"))->setFocus();
        calls.clear();
        window->canvas().setRecorder(&calls);
        return *window;
    }

    QLineEdit *edit(const QString &name) { return window->findChild<QLineEdit *>(name); }
    QString fieldText(const QString &name)
    {
        return Field(window->findChild<QWidget *>(name)).text();
    }

    void type(const QString &name, const QString &value) { drive::type(edit(name), value); }
    void enter(const QString &name) { drive::enter(edit(name)); }

    // A and B typed field by field.
    void typeAB(const QStringList &ab)
    {
        for (int k = 0; k < 4; ++k)
            type(abFields[k], ab[k]);
    }

    void drawLine(const QStringList &ab)
    {
        typeAB(ab);
        enter(QStringLiteral("txtAy(1)"));
    }

    // The recorded calls with every frame drawn by pintar shown as the one word "frame".
    QStringList drawn()
    {
        const WorldWindow &w = window->world();
        QStringList out;
        for (const DrawCall &c : calls) {
            const bool axes = c.colour == paletteColour(1) && c.kind == DrawCall::Kind::Segment;
            bool even = false;
            const bool number = c.kind == DrawCall::Kind::Text && (c.x1 == 0 || c.y1 == 0)
                && c.text.toInt(&even) % 2 == 0 && even;
            if (axes && c.x1 == w.xMin && c.y1 == 0)
                out << QStringLiteral("frame");
            else if (!axes && !number && c.kind != DrawCall::Kind::Point)
                out << describe(c);
        }
        return out;
    }

    // Everything a refused entry must leave as it was.
    QStringList state()
    {
        QStringList out;
        for (const QString &n : drive::tabOrder) {
            out << n + u'=' + fieldText(n)
                    + (window->findChild<QWidget *>(n)->isEnabled() ? u'+' : u'-');
        }
        out << describe(window->plane());
        return out;
    }

private Q_SLOTS:
    void initTestCase()
    {
        // Every message box is read and closed as a user would close it.
        boxCloser.start();
    }

    void cleanup()
    {
        window.reset();
        calls.clear();
        boxes.clear();
    }

    void marksOnLeaving_data()
    {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QStringList>("expected");

        QTest::newRow("empty x field")
            << QStringList { "txtAx(1)=" } << QStringList { circle(0, 0, 0.1f, 8) };
        QTest::newRow("x of B") << QStringList { "txtAx(1)=3" }
                                << QStringList { circle(3, 0, 0.1f, 8) };
        QTest::newRow("point A") << QStringList { "txtAx(0)=1", "txtAy(0)=2" }
                                 << QStringList { circle(1, 0, 0.1f, 8) } + marks(1, 2);
        QTest::newRow("A's x empty guards B")
            << QStringList { "txtAx(1)=3", "txtAy(1)=4" } << QStringList { circle(3, 0, 0.1f, 8) };
        QTest::newRow("y of B alone") << QStringList { "txtAx(0)=1", "txtAy(1)=4" }
                                      << QStringList { circle(1, 0, 0.1f, 8) } + marks(0, 4);
        QTest::newRow("blank x of A counts as empty")
            << QStringList { "txtAx(0)= ", "txtAy(0)=2" } << QStringList { circle(0, 0, 0.1f, 8) };
        const float most = std::numeric_limits<float>::max();
        QTest::newRow("beyond the single range") << QStringList { "txtAx(0)=1e999",
            "txtAy(0)=-1e39" } << QStringList { circle(most, 0, 0.1f, 8) } + marks(most, -most);
        QTest::newRow("text is no number") << QStringList { "txtAx(0)=-1.5", "txtAy(0)=abc" }
                                           << QStringList { circle(-1.5f, 0, 0.1f, 8) };
        QTest::newRow("fraction") << QStringList { "txtAx(0)=-3/2",
            "txtAy(0)=1/4" } << QStringList { circle(-1.5f, 0, 0.1f, 8) } + marks(-1.5f, 0.25f);
    }

    // Each field is entered, typed into, and left for the equation field, which has no marks.
    void marksOnLeaving()
    {
        QFETCH(QStringList, typed);
        QFETCH(QStringList, expected);
        open();
        for (const QString &step : typed)
            type(step.section(u'=', 0, 0), step.section(u'=', 1));
        edit(QStringLiteral("txtequacio"))->setFocus();
        QCOMPARE(drawn(), expected);
    }

    void clickInTestPoint_data()
    {
        QTest::addColumn<QString>("clicked");
        QTest::addColumn<QString>("kept");
        QTest::newRow("x of the test point") << "txtAx(2)"
                                             << "txtAy(2)";
        QTest::newRow("y of the test point") << "txtAy(2)"
                                             << "txtAx(2)";
    }

    void clickInTestPoint()
    {
        QFETCH(QString, clicked);
        QFETCH(QString, kept);
        open();
        drawLine({ "1", "2", "3", "6" });
        type(QStringLiteral("txtAx(2)"), QStringLiteral("2"));
        type(QStringLiteral("txtAy(2)"), QStringLiteral("5"));
        enter(QStringLiteral("txtAy(2)"));
        QCOMPARE(fieldText(QStringLiteral("txtsino")), QStringLiteral("No està en la recta"));
        const QString keptText = fieldText(kept);

        QTest::mouseClick(edit(clicked), Qt::LeftButton);
        QCOMPARE(fieldText(clicked), QString());
        QCOMPARE(fieldText(kept), keptText);
        QCOMPARE(fieldText(QStringLiteral("txtsino")), QString());
        QCOMPARE(fieldText(QStringLiteral("txtresultat")), QString());
    }

    void clickInAOrBChangesNothing()
    {
        open();
        type(QStringLiteral("txtsino"), QStringLiteral("verdict"));
        type(QStringLiteral("txtAx(0)"), QStringLiteral("1"));
        type(QStringLiteral("txtAy(1)"), QStringLiteral("4"));
        edit(QStringLiteral("txtequacio"))->setFocus();
        const QStringList before = state();
        for (const QString &name : abFields)
            QTest::mouseClick(edit(name), Qt::LeftButton);
        QCOMPARE(state(), before);
    }

    void refused_data()
    {
        QTest::addColumn<QStringList>("ab");
        QTest::addColumn<QString>("enterIn");
        QTest::addColumn<QString>("told");
        QTest::addColumn<QString>("cursorIn"); // the field the pupil is sent to, if any

        // A text that is no number is never read as 0: the pupil learns which field holds it.
        const auto notANumber
            = [](const char *name, const QStringList &ab, const char *told, const char *cursorIn) {
                  QTest::newRow(name) << ab << "txtAy(1)" << told << cursorIn;
              };
        notANumber("A's x a word", { "abc", "2", "3", "6" }, "La x del punt A no és un nombre",
            "txtAx(0)");
        notANumber("B's y a number and a letter", { "1", "2", "3", "2a" },
            "La y del punt B no és un nombre", "txtAy(1)");
        notANumber("a fraction by zero", { "1", "1/0", "3", "6" },
            "La y del punt A no és un nombre", "txtAy(0)");
        notANumber("a comma under a full stop", { "1", "2", "2,5", "6" },
            "La x del punt B no és un nombre", "txtAx(1)");
        QTest::newRow("A's x blank") << QStringList { " ", "2", "3", "6" } << "txtAy(1)"
                                     << " falten dades"
                                     << "";
        QTest::newRow("B's x empty") << QStringList { "1", "2", "", "6" } << "txtAy(1)"
                                     << " falten dades"
                                     << "";
        QTest::newRow("B's y empty") << QStringList { "1", "2", "3", "" } << "txtAy(1)"
                                     << " falten dades"
                                     << "";
        QTest::newRow("A's x empty, Enter in A") << QStringList { "", "2", "3", "6" } << "txtAy(0)"
                                                 << " falten dades"
                                                 << "";
        QTest::newRow("A's y empty, Enter in A") << QStringList { "1", "", "3", "6" } << "txtAy(0)"
                                                 << " falten dades"
                                                 << "";
        QTest::newRow("beyond the double range")
            << QStringList { "1e999", "2", "3", "6" } << "txtAy(1)"
            << " falten dades"
            << "";
        QTest::newRow("a coordinate of 1e15") << QStringList { "0", "0", "1", "1e15" } << "txtAy(1)"
                                              << " falten dades"
                                              << "";
        QTest::newRow("x 1e-320 apart") << QStringList { "0", "0", "1e-320", "1" } << "txtAy(1)"
                                        << " falten dades"
                                        << "";
        QTest::newRow("slope of 1e16") << QStringList { "0", "0", "1e-5", "1e11" } << "txtAy(1)"
                                       << " falten dades"
                                       << "";
        QTest::newRow("intercept of 1e16")
            << QStringList { "-1e14", "0", "-99999999999999", "100" } << "txtAy(0)"
            << " falten dades"
            << "";
    }

    void refused()
    {
        QFETCH(QStringList, ab);
        QFETCH(QString, enterIn);
        QFETCH(QString, told);
        QFETCH(QString, cursorIn);
        open();
        typeAB(ab);
        edit(enterIn)->setFocus();
        const QStringList before = state();
        calls.clear();
        enter(enterIn);
        QCOMPARE(boxes, QStringList { told });
        QCOMPARE(state(), before);
        QCOMPARE(drawn(), QStringList());
        QCOMPARE(window->focusWidget(), edit(cursorIn.isEmpty() ? enterIn : cursorIn));
    }

    void completion_data()
    {
        QTest::addColumn<bool>("comma");
        QTest::addColumn<QStringList>("ab");
        QTest::addColumn<QString>("enterIn");
        QTest::addColumn<QString>("equation");
        QTest::addColumn<double>("slope");
        QTest::addColumn<double>("intercept");
        QTest::addColumn<bool>("vertical");

        QTest::newRow("through the origin")
            << false << QStringList { "1", "2", "3", "6" } << "txtAy(1)"
            << "y = 2·x + 0" << 2.0 << 0.0 << false;
        QTest::newRow("falling, Enter in A")
            << false << QStringList { "0", "3", "2", "-1" } << "txtAy(0)"
            << "y =-2·x + 3" << -2.0 << 3.0 << false;
        QTest::newRow("a third, comma") << true << QStringList { "0", "-1", "3", "0" } << "txtAy(1)"
                                        << "y = .33·x +-1" << 1.0 / 3 << -1.0 << false;
        QTest::newRow("horizontal") << false << QStringList { "1", "2", "4", "2" } << "txtAy(1)"
                                    << "y = 0·x + 2" << 0.0 << 2.0 << false;
        QTest::newRow("vertical") << false << QStringList { "2", "1", "2", "5" } << "txtAy(1)"
                                  << "x =2" << 0.0 << 0.0 << true;
        QTest::newRow("vertical, comma")
            << true << QStringList { "2.5", "0", "2.5", "3" } << "txtAy(1)"
            << "x =2,5" << 0.0 << 0.0 << true;
        QTest::newRow("A equals B") << false << QStringList { "1", "1", "1", "1" } << "txtAy(0)"
                                    << "x =1" << 0.0 << 0.0 << true;
    }

    void completion()
    {
        QFETCH(bool, comma);
        QFETCH(QStringList, ab);
        QFETCH(QString, enterIn);
        QFETCH(QString, equation);
        QFETCH(double, slope);
        QFETCH(double, intercept);
        QFETCH(bool, vertical);
        const frmRecta &w = open(comma ? NumberLocale::comma() : NumberLocale::fullStop());
        typeAB(ab);
        edit(enterIn)->setFocus();
        calls.clear();
        enter(enterIn);

        const WorldWindow &world = w.world();
        const double xA = ab[0].trimmed().toDouble(), yA = ab[1].toDouble();
        const double xB = ab[2].toDouble(), yB = ab[3].toDouble();
        const float yLeft = float(slope * world.xMin + intercept);
        const float yRight = float(slope * world.xMax + intercept);
        const QString line = vertical ? segment(float(xB), world.yMin, float(xB), world.yMax, 12)
                                      : segment(world.xMin, yLeft, world.xMax, yRight, 12);
        const QStringList expected = marks(float(xA), float(yA)) + marks(float(xB), float(yB))
            + QStringList { line, QStringLiteral("frame") };
        // Moving the focus off the fields that are locked marks them again afterwards.
        QCOMPARE(drawn().mid(0, expected.size()), expected);
        QVERIFY(!drawn().join(u'\n').contains(QStringLiteral("text")));

        QCOMPARE(boxes, QStringList());
        QCOMPARE(fieldText(QStringLiteral("txtequacio")), equation);
        const DrawnLine *drawnLine = w.plane().onPlane();
        QVERIFY(drawnLine);
        QCOMPARE(drawnLine->line.vertical, vertical);
        if (vertical) {
            QVERIFY(drawnLine->line.x == xB);
        } else {
            QVERIFY(drawnLine->line.slope == slope);
            QVERIFY(drawnLine->line.intercept == intercept);
        }
        for (const QString &name : abFields)
            QVERIFY(!edit(name)->isEnabled());
        const bool testOpen = enterIn == QLatin1String("txtAy(1)");
        QCOMPARE(edit(QStringLiteral("txtAx(2)"))->isEnabled(), testOpen);
        QCOMPARE(edit(QStringLiteral("txtAy(2)"))->isEnabled(), testOpen);
    }

    void pointTest_data()
    {
        QTest::addColumn<QStringList>("ab");
        QTest::addColumn<QStringList>("p");
        QTest::addColumn<QString>("worked");
        QTest::addColumn<QString>("verdict");

        const QStringList ab { "1", "2", "3", "6" };
        QTest::newRow("on") << ab << QStringList { "2", "4" } << "4 = 2·2+ 0"
                            << "Està en la recta";
        QTest::newRow("off") << ab << QStringList { "2", "5" } << "5 # 2·2+ 0"
                             << "No està en la recta";
        QTest::newRow("negative") << ab << QStringList { "-1", "-2" } << "-2 = 2·-1+ 0"
                                  << "Està en la recta";
        QTest::newRow("both empty") << ab << QStringList { "", "" } << "0 = 2·0+ 0"
                                    << "Està en la recta";
        QTest::newRow("a third") << QStringList { "0", "-1", "3", "0" } << QStringList { "3", "0" }
                                 << "0 = .33·3+-1"
                                 << "Està en la recta";
        QTest::newRow("0.1·3 is 0.3")
            << QStringList { "0", "0", "10", "1" } << QStringList { "3", "0.3" } << "0.3 = .1·3+ 0"
            << "Està en la recta";
        QTest::newRow("vertical, on")
            << QStringList { "2", "1", "2", "5" } << QStringList { "2", "9" } << " x = 2"
            << "està en la recta";
        QTest::newRow("vertical, off")
            << QStringList { "2", "1", "2", "5" } << QStringList { "3", "9" } << "x # 2"
            << "no està en la recta";
        QTest::newRow("A equals B")
            << QStringList { "1", "1", "1", "1" } << QStringList { "1", "7" } << " x = 1"
            << "està en la recta";
        QTest::newRow("unusable test point") << ab << QStringList { "1e999", "4" } << ""
                                             << "";
    }

    void pointTest()
    {
        QFETCH(QStringList, ab);
        QFETCH(QStringList, p);
        QFETCH(QString, worked);
        QFETCH(QString, verdict);
        open();
        drawLine(ab);
        type(QStringLiteral("txtAx(2)"), p[0]);
        type(QStringLiteral("txtAy(2)"), p[1]);
        calls.clear();
        enter(QStringLiteral("txtAy(2)"));

        QCOMPARE(fieldText(QStringLiteral("txtresultat")), worked);
        QCOMPARE(fieldText(QStringLiteral("txtsino")), verdict);
        if (verdict.isEmpty()) {
            QCOMPARE(boxes, QStringList { " falten dades" });
            QCOMPARE(drawn(), QStringList());
            return;
        }
        QCOMPARE(boxes, QStringList());
        // The drawing is made again, the test point marked with A and B when it has a field.
        QStringList expected
            = marks(ab[0].toFloat(), ab[1].toFloat()) + marks(ab[2].toFloat(), ab[3].toFloat());
        if (!p[0].isEmpty())
            expected += marks(p[0].toFloat(), p[1].toFloat());
        const QStringList seen = drawn();
        QCOMPARE(seen.mid(0, expected.size()), expected);
        QVERIFY(seen.value(expected.size()).startsWith(QStringLiteral("segment")));
        QVERIFY(seen.value(expected.size()).endsWith(QStringLiteral(" c12")));
    }

    void secondLine_data()
    {
        QTest::addColumn<QStringList>("first");
        QTest::addColumn<QStringList>("second");
        QTest::addColumn<QString>("equations");
        QTest::addColumn<QString>("verdict");

        const QStringList twoXPlus3 { "0", "3", "1", "5" };
        const QStringList xEquals3 { "3", "0", "3", "1" };
        QTest::newRow("crossing") << QStringList { "1", "2", "3", "6" }
                                  << QStringList { "0", "3", "1", "2" }
                                  << "y = 2·x + 0\r\ny =-1·x + 3"
                                  << text(QStringLiteral("( 1, 2)"), 1, 2);
        QTest::newRow("coincident, at B")
            << twoXPlus3 << QStringList { "1", "5", "2", "7" } << "y = 2·x + 3\r\ny = 2·x + 3"
            << text(QStringLiteral("coincidents"), 2, 7);
        QTest::newRow("parallel, at B")
            << twoXPlus3 << QStringList { "0", "-1", "1", "1" } << "y = 2·x + 3\r\ny = 2·x +-1"
            << text(QStringLiteral("paral·leles"), 1, 1);
        QTest::newRow("horizontal through 0.1 twice")
            << QStringList { "0", "0.1", "1", "0.1" } << QStringList { "0", "0.1", "1", "0.1" }
            << "y = 0·x + .1\r\ny = 0·x + .1" << text(QStringLiteral("coincidents"), 1, 0.1f);
        QTest::newRow("slopes a last bit apart")
            << QStringList { "0", "0.1", "1", "0.3" } << QStringList { "0", "0.1", "2", "0.5" }
            << "y = .2·x + .1\r\ny = .2·x + .1" << text(QStringLiteral("coincidents"), 2, 0.5f);
        QTest::newRow("kept x axis")
            << QStringList { "0", "0", "1", "0" } << QStringList { "0", "1", "1", "2" }
            << "y = 0·x + 0\r\ny = 1·x + 1" << text(QStringLiteral("(-1, 0)"), -1, 0);
        QTest::newRow("vertical crosses") << twoXPlus3 << xEquals3 << "y = 2·x + 3\r\nx =3"
                                          << text(QStringLiteral("( 3, 9)"), 3, 9);
        QTest::newRow("kept vertical") << xEquals3 << twoXPlus3 << "x =3\r\ny = 2·x + 3"
                                       << text(QStringLiteral("( 3, 9)"), 3, 9);
        QTest::newRow("vertical twice")
            << xEquals3 << QStringList { "3", "-2", "3", "4" } << "x =3\r\nx =3"
            << text(QStringLiteral("coincidents"), 3, 4);
        QTest::newRow("two verticals")
            << xEquals3 << QStringList { "-1", "0", "-1", "2" } << "x =3\r\nx =-1"
            << text(QStringLiteral("paral·leles"), -1, 2);
    }

    // The first line is kept by "nova recta"; the second is appended and compared with it.
    void secondLine()
    {
        QFETCH(QStringList, first);
        QFETCH(QStringList, second);
        QFETCH(QString, equations);
        QFETCH(QString, verdict);
        open();
        drawLine(first);
        window->findChild<QAction *>(QStringLiteral("mnurecta"))->trigger();
        drawLine(second);
        QCOMPARE(fieldText(QStringLiteral("txtequacio2")), equations);
        const QStringList texts = drawn().filter(QStringLiteral("text '"));
        QCOMPARE(texts, QStringList { verdict });
    }

    void lineOnScreen()
    {
        open();
        // What is on the screen when the pause starts: the marks, and not yet the line.
        struct PaintWatch : QObject
        {
            std::vector<DrawCall> *calls;
            QStringList seen;
            bool eventFilter(QObject *, QEvent *event) override
            {
                if (event->type() == QEvent::Paint)
                    seen << QString::number(calls->size());
                return false;
            }
        } watch;
        watch.calls = &calls;
        window->centralWidget()->installEventFilter(&watch);
        drawLine({ "1", "2", "3", "6" });
        window->centralWidget()->removeEventFilter(&watch);
        QVERIFY(!watch.seen.isEmpty());
        const QStringList drawnAtPause = drawn().mid(0, watch.seen.first().toInt());
        QVERIFY(drawnAtPause.endsWith(marks(3, 6).last()));
        QVERIFY(drawnAtPause.filter(QStringLiteral(" c12")).isEmpty());

        QTest::qWait(20);
        const QImage image = window->centralWidget()->grab().toImage();
        const Canvas &canvas = window->canvas();
        const auto redNear = [&](float x, float y) {
            const QPoint centre = canvas.toPixel(x, y).toPoint();
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if (image.pixelColor(centre + QPoint(dx, dy)) == paletteColour(12))
                        return true;
            return false;
        };
        for (float x : { -7.5f, -3.f, 4.5f, 7.25f })
            QVERIFY2(redNear(x, 2 * x), qPrintable(QString::number(x)));
        QVERIFY(!redNear(5, 5));
        QVERIFY(!redNear(-5, 5));
    }

    void keys_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<bool>("acts");

        const Qt::KeyboardModifiers none;
        QTest::newRow("shift and Enter") << "txtAy(1)" << int(Qt::Key_Return)
                                         << Qt::KeyboardModifiers(Qt::ShiftModifier) << true;
        QTest::newRow("control and Enter") << "txtAy(1)" << int(Qt::Key_Return)
                                           << Qt::KeyboardModifiers(Qt::ControlModifier) << true;
        QTest::newRow("keypad Enter") << "txtAy(1)" << int(Qt::Key_Enter)
                                      << Qt::KeyboardModifiers(Qt::KeypadModifier) << true;
        QTest::newRow("escape in B's y") << "txtAy(1)" << int(Qt::Key_Escape) << none << false;
        QTest::newRow("up in A's y") << "txtAy(0)" << int(Qt::Key_Up) << none << false;
        QTest::newRow("F1 in B's y") << "txtAy(1)" << int(Qt::Key_F1) << none << false;
        QTest::newRow("Enter in B's x") << "txtAx(1)" << int(Qt::Key_Return) << none << false;
        QTest::newRow("Enter in A's x") << "txtAx(0)" << int(Qt::Key_Return) << none << false;
    }

    void keys()
    {
        QFETCH(QString, field);
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(bool, acts);
        open();
        typeAB({ "1", "2", "3", "6" });
        edit(field)->setFocus();
        const QStringList before = state();
        calls.clear();
        QTest::keyClick(edit(field), Qt::Key(key), modifiers);
        QCOMPARE(boxes, QStringList());
        if (acts) {
            QCOMPARE(fieldText(QStringLiteral("txtequacio")), QStringLiteral("y = 2·x + 0"));
            QVERIFY(edit(QStringLiteral("txtAy(2)"))->isEnabled());
        } else {
            QCOMPARE(state(), before);
            QCOMPARE(drawn(), QStringList());
        }
    }

    // What a pupil types under each locale, step by step: 'field<text' types, 'field!' presses
    // Enter, 'nova recta' is the menu command. Then the named fields must hold the texts.
    void typedDecimals_data()
    {
        QTest::addColumn<QChar>("decimal");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("expected");

        const QStringList points { "txtAx(0)<0,5", "txtAy(0)<1", "txtAx(1)<2,5", "txtAy(1)<2",
            "txtAy(1)!", "txtAx(2)<1,5", "txtAy(2)<1,5", "txtAy(2)!" };
        QTest::newRow("points with commas, comma locale")
            << QChar(u',') << points
            << QStringList { "txtequacio=y = .5·x + .75", "txtsino=Està en la recta" };
        QTest::newRow("points with commas, full-stop locale")
            << QChar(u'.') << points.mid(0, 5)
            << QStringList { "box=La x del punt A no és un nombre", "txtequacio=" };
        QStringList fullStops = points;
        fullStops.replaceInStrings(QStringLiteral(","), QStringLiteral("."));
        QTest::newRow("points with full stops, comma locale")
            << QChar(u',') << fullStops
            << QStringList { "txtequacio=y = .5·x + .75", "txtsino=Està en la recta" };

        const auto equation
            = [](const char *name, QChar decimal, const char *typed, const QStringList &expected) {
                  QTest::newRow(name) << decimal
                                      << QStringList { QStringLiteral("txtequacio<") + typed,
                                             QStringLiteral("txtequacio!") }
                                      << expected;
              };
        equation(
            "slope with a comma, comma locale", u',', "y=0,5x+1", { "txtequacio=y = .5·x + 1" });
        equation("slope with a comma, full-stop locale", u'.', "y=0,5x+1",
            { "txtequacio=y = .5·x + 1" });
        equation("horizontal with a comma, comma locale", u',', "y=2,5",
            { "txtAy(0)=2,5", "txtequacio=y = 0·x + 2.5" });
        equation("horizontal with a comma, full-stop locale", u'.', "y=2,5",
            { "txtAy(0)=2.5", "txtequacio=y = 0·x + 2.5" });
        equation("vertical with a full stop, comma locale", u',', "x=1.5", { "txtequacio=x =1,5" });
        equation("vertical with a comma, comma locale", u',', "x=1,5", { "txtequacio=x =1,5" });
        equation(
            "vertical with a full stop, full-stop locale", u'.', "x=1.5", { "txtequacio=x =1.5" });
        equation("vertical with a comma, full-stop locale", u'.', "x=1,5",
            { "txtequacio=x =1.5", "txtAx(0)= 1.5" });

        // A line typed as an equation is the exact line: its own points typed by hand, and the
        // crossing with another, are found on it.
        QTest::newRow("two thirds, then its points by hand")
            << QChar(u'.')
            << QStringList { "txtequacio<y=2/3x-1", "txtequacio!", "nova recta", "txtAx(0)<0",
                   "txtAy(0)<-1", "txtAx(1)<3", "txtAy(1)<1", "txtAy(1)!" }
            << QStringList { "crossing=coincidents" };
        QTest::newRow("two thirds crossed")
            << QChar(u',')
            << QStringList { "txtequacio<y=-x+4", "txtequacio!", "nova recta",
                   "txtequacio<y=2/3x-1", "txtequacio!" }
            << QStringList { "crossing=( 3, 1)" };
        QTest::newRow("a whole session with commas")
            << QChar(u',')
            << QStringList { "txtAx(0)<-1,5", "txtAy(0)<0,25", "txtAx(1)<1,5", "txtAy(1)<3,25",
                   "txtAy(1)!", "txtAx(2)<0,5", "txtAy(2)<2,25", "txtAy(2)!", "nova recta",
                   "txtequacio<y=-x+3", "txtequacio!", "txtAx(2)<2,5", "txtAy(2)<0,5", "txtAy(2)!" }
            << QStringList { "txtequacio2=y = 1·x + 1.75\r\ny =-1·x + 3",
                   "txtsino=Està en la recta", "crossing=( .62, 2.38)" };
    }

    void typedDecimals()
    {
        QFETCH(QChar, decimal);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, expected);
        open(NumberLocale { decimal });
        for (const QString &step : steps) {
            if (step == QStringLiteral("nova recta"))
                window->findChild<QAction *>(QStringLiteral("mnurecta"))->trigger();
            else if (step.endsWith(u'!'))
                enter(step.chopped(1));
            else
                type(step.section(u'<', 0, 0), step.section(u'<', 1));
        }
        QStringList told;
        for (const QString &field : expected) {
            if (field.startsWith(QStringLiteral("box=")))
                told << field.section(u'=', 1);
        }
        QCOMPARE(boxes, told);
        for (const QString &field : expected) {
            const QString name = field.section(u'=', 0, 0);
            if (name == QStringLiteral("box"))
                continue;
            const QString want
                = field.section(u'=', 1).replace(QStringLiteral("\\r\\n"), QStringLiteral("\r\n"));
            if (name == QStringLiteral("crossing"))
                QCOMPARE(
                    drawn().filter(QStringLiteral("text '")).value(0).section(u'\'', 1, 1), want);
            else
                QCOMPARE(fieldText(name), want);
        }
    }
};

QTEST_MAIN(LineEntryTest)
#include "tst_lineentry.moc"
