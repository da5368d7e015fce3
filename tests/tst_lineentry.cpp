#include "canvas.h"
#include "field.h"
#include "frmRecta.h"
#include "palette.h"
#include "pixels.h"
#include "session.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include <memory>
#include <optional>

using numtext::NumberLocale;
using numtext::ValueCell;

namespace {

QString num(double v)
{
    return QString::number(v, 'g', 17);
}

// The line through two points, reaching past the plane on both sides.
QLineF lineThrough(QPointF a, QPointF b)
{
    if (a.x() == b.x())
        return { a.x(), -30.5, a.x(), 29.5 };
    const double slope = (b.y() - a.y()) / (b.x() - a.x());
    const auto y = [&](double x) { return a.y() + slope * (x - a.x()); };
    return { -30.5, y(-30.5), 29.5, y(29.5) };
}

// A text on the plane, its top-left corner at a world point.
struct Written
{
    QString text;
    QPointF at;
};

Written text(const QString &t, double x, double y)
{
    return { t, { x, y } };
}

QPointF point(const QStringList &xy, int k = 0)
{
    return { xy[2 * k].trimmed().toDouble(), xy[2 * k + 1].toDouble() };
}

const QStringList abFields = drive::pointFields.mid(0, 4);

} // namespace

// The point entry as a pupil drives it: typing, leaving fields, clicking and Enter.
class LineEntryTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<frmRecta> window;
    QImage frame; // the plane as the window opens: the frame alone
    QStringList boxes;
    drive::BoxCloser boxCloser { &boxes };

    frmRecta &open(const NumberLocale &locale = NumberLocale::fullStop())
    {
        window = std::make_unique<frmRecta>(locale);
        window->show();
        if (!QTest::qWaitForWindowActive(window.get()))
            qFatal("window not active");
        QApplication::processEvents();
        frame = plane().copy();
        // The equation field has no marks: the first field typed into is left from nothing.
        // Leaving A's x, where the window opens, empty marks the origin.
        edit(QStringLiteral("txtequacio"))->setFocus();
        return *window;
    }

    const QImage &plane() { return window->canvas().image(); }

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
        boxes.clear();
    }

    void marksOnLeaving_data()
    {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QList<double>>("onXAxis"); // a small grey circle under each typed x
        QTest::addColumn<QList<QPointF>>("points"); // each point with its circle and guides

        // The origin's mark, left by the opening, stays the same: not seen drawn again.
        QTest::newRow("empty x field")
            << QStringList { "txtAx(1)=" } << QList<double> { 0 } << QList<QPointF> {};
        QTest::newRow("x of B") << QStringList { "txtAx(1)=3" } << QList<double> { 3 }
                                << QList<QPointF> {};
        QTest::newRow("point A") << QStringList { "txtAx(0)=1", "txtAy(0)=2" }
                                 << QList<double> { 1 } << QList<QPointF> { { 1, 2 } };
        QTest::newRow("A's x empty guards B") << QStringList { "txtAx(1)=3", "txtAy(1)=4" }
                                              << QList<double> { 3 } << QList<QPointF> {};
        QTest::newRow("y of B alone") << QStringList { "txtAx(0)=1", "txtAy(1)=4" }
                                      << QList<double> { 1 } << QList<QPointF> { { 0, 4 } };
        QTest::newRow("blank x of A counts as empty") << QStringList { "txtAx(0)= ", "txtAy(0)=2" }
                                                      << QList<double> { 0 } << QList<QPointF> {};
        // Read as the largest single, and so marked far off the plane.
        QTest::newRow("beyond the single range")
            << QStringList { "txtAx(0)=1e999", "txtAy(0)=-1e39" } << QList<double> {}
            << QList<QPointF> {};
        QTest::newRow("text is no number") << QStringList { "txtAx(0)=-1.5", "txtAy(0)=abc" }
                                           << QList<double> { -1.5 } << QList<QPointF> {};
        QTest::newRow("fraction") << QStringList { "txtAx(0)=-3/2", "txtAy(0)=1/4" }
                                  << QList<double> { -1.5 } << QList<QPointF> { { -1.5, 0.25 } };
    }

    // Each field is entered, typed into, and left for the equation field, which has no marks.
    void marksOnLeaving()
    {
        QFETCH(QStringList, typed);
        QFETCH(QList<double>, onXAxis);
        QFETCH(QList<QPointF>, points);
        open();
        for (const QString &step : typed)
            type(step.section(u'=', 0, 0), step.section(u'=', 1));
        edit(QStringLiteral("txtequacio"))->setFocus();
        Canvas &canvas = window->canvas();
        QList<QLineF> grey { { 0, 0, 0, 0 } }, magenta;
        for (double x : onXAxis) {
            QVERIFY2(drawnNear(canvas, { x, 0 }, paletteColour(8), 3), qPrintable(num(x)));
            grey << QLineF(x, 0, x, 0);
        }
        for (const QPointF &p : points) {
            QVERIFY(markedAt(canvas, p));
            QVERIFY(drawnNear(canvas, { 0, p.y() }, paletteColour(8), 3));
            grey << QLineF(0, p.y(), p.x(), p.y()) << QLineF(p.x(), 0, p.x(), p.y());
            if (p.x() != 0)
                QVERIFY(drawnAlong(canvas, grey.constLast(), paletteColour(8))
                    && drawnAlong(canvas, grey.at(grey.size() - 2), paletteColour(8)));
            magenta << QLineF(p, p);
        }
        // And nothing else is marked.
        QVERIFY(onlyNear(canvas, paletteColour(8), grey, 3));
        QVERIFY(onlyNear(canvas, paletteColour(13), magenta, 5));
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
        const QImage shown = plane().copy();
        enter(enterIn);
        QCOMPARE(boxes, QStringList { told });
        QCOMPARE(state(), before);
        QCOMPARE(plane(), shown);
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
        QTest::addColumn<QPointF>("dot"); // a grid dot on the line, none when null

        QTest::newRow("through the origin")
            << false << QStringList { "1", "2", "3", "6" } << "txtAy(1)"
            << "y = 2·x + 0" << 2.0 << 0.0 << false << QPointF(2, 4);
        QTest::newRow("falling, Enter in A")
            << false << QStringList { "0", "3", "2", "-1" } << "txtAy(0)"
            << "y =-2·x + 3" << -2.0 << 3.0 << false << QPointF(1, 1);
        QTest::newRow("a third, comma")
            << true << QStringList { "0", "-1", "3", "0" } << "txtAy(1)"
            << "y = .33·x +-1" << 1.0 / 3 << -1.0 << false << QPointF(6, 1);
        QTest::newRow("horizontal") << false << QStringList { "1", "2", "4", "2" } << "txtAy(1)"
                                    << "y = 0·x + 2" << 0.0 << 2.0 << false << QPointF(-3, 2);
        QTest::newRow("vertical") << false << QStringList { "2", "1", "2", "5" } << "txtAy(1)"
                                  << "x =2" << 0.0 << 0.0 << true << QPointF(2, -3);
        QTest::newRow("vertical, comma")
            << true << QStringList { "2.5", "0", "2.5", "3" } << "txtAy(1)"
            << "x =2,5" << 0.0 << 0.0 << true << QPointF();
        QTest::newRow("A equals B") << false << QStringList { "1", "1", "1", "1" } << "txtAy(0)"
                                    << "x =1" << 0.0 << 0.0 << true << QPointF(1, -3);
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
        QFETCH(QPointF, dot);
        const frmRecta &w = open(comma ? NumberLocale::comma() : NumberLocale::fullStop());
        typeAB(ab);
        edit(enterIn)->setFocus();
        enter(enterIn);

        const double xB = ab[2].toDouble();
        // Both points marked, the line through them, the grid over the line, and no text.
        Canvas &canvas = window->canvas();
        QVERIFY(markedAt(canvas, point(ab, 0)));
        QVERIFY(markedAt(canvas, point(ab, 1)));
        const QLineF line = lineThrough(point(ab, 0), point(ab, 1));
        QVERIFY(drawnAlong(canvas, line, paletteColour(12)));
        QVERIFY(onlyNear(canvas, paletteColour(12), { line }, 1.5));
        if (!dot.isNull())
            QCOMPARE(colourAt(canvas, dot), paletteColour(4));
        QVERIFY(onlyWhere(plane(), frame, paletteColour(1)));

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
        const QImage before = plane().copy();
        enter(QStringLiteral("txtAy(2)"));

        QCOMPARE(fieldText(QStringLiteral("txtresultat")), worked);
        QCOMPARE(fieldText(QStringLiteral("txtsino")), verdict);
        if (verdict.isEmpty()) {
            QCOMPARE(boxes, QStringList { " falten dades" });
            QCOMPARE(plane(), before);
            return;
        }
        QCOMPARE(boxes, QStringList());
        // The line and A and B are seen, and the test point is marked when it has a field.
        Canvas &canvas = window->canvas();
        QList<QLineF> marked { { point(ab, 0), point(ab, 0) }, { point(ab, 1), point(ab, 1) } };
        if (!p[0].isEmpty())
            marked << QLineF(point(p), point(p));
        for (const QLineF &at : marked)
            QVERIFY(markedAt(canvas, at.p1()));
        QVERIFY(onlyNear(canvas, paletteColour(13), marked, 5));
        QVERIFY(drawnAlong(canvas, lineThrough(point(ab, 0), point(ab, 1)), paletteColour(12)));
    }

    void secondLine_data()
    {
        QTest::addColumn<QStringList>("first");
        QTest::addColumn<QStringList>("second");
        QTest::addColumn<QString>("equations");
        QTest::addColumn<Written>("verdict");

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
        QFETCH(Written, verdict);
        open();
        drawLine(first);
        window->findChild<QAction *>(QStringLiteral("mnurecta"))->trigger();
        drawLine(second);
        QCOMPARE(fieldText(QStringLiteral("txtequacio2")), equations);
        QVERIFY(textAt(window->canvas(), verdict.at, verdict.text, paletteColour(1)));
    }

    void lineOnScreen()
    {
        open();
        // What is on the screen when the pause starts: the marks of B, and not yet the line.
        struct PaintWatch : QObject
        {
            Canvas *canvas = nullptr;
            std::optional<bool> markedB, lineShown;
            bool eventFilter(QObject *, QEvent *event) override
            {
                if (event->type() == QEvent::Paint && !markedB) {
                    markedB = markedAt(*canvas, { 3, 6 });
                    lineShown = !onlyNear(*canvas, paletteColour(12), {}, 0);
                }
                return false;
            }
        } watch;
        watch.canvas = &window->canvas();
        window->centralWidget()->installEventFilter(&watch);
        drawLine({ "1", "2", "3", "6" });
        window->centralWidget()->removeEventFilter(&watch);
        QVERIFY(watch.markedB.has_value());
        QVERIFY(*watch.markedB);
        QVERIFY(!*watch.lineShown);

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
        const QImage shown = plane().copy();
        QTest::keyClick(edit(field), Qt::Key(key), modifiers);
        QCOMPARE(boxes, QStringList());
        if (acts) {
            QCOMPARE(fieldText(QStringLiteral("txtequacio")), QStringLiteral("y = 2·x + 0"));
            QVERIFY(edit(QStringLiteral("txtAy(2)"))->isEnabled());
        } else {
            QCOMPARE(state(), before);
            QCOMPARE(plane(), shown);
        }
    }

    // What a pupil types under each locale, step by step: 'field<text' types, 'field!' presses
    // Enter, 'nova recta' is the menu command. Then the named fields must hold the texts, and
    // 'crossing x y' names the text written on the plane at (x, y).
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
            << QStringList { "crossing 3 1=coincidents" };
        QTest::newRow("two thirds crossed")
            << QChar(u',')
            << QStringList { "txtequacio<y=-x+4", "txtequacio!", "nova recta",
                   "txtequacio<y=2/3x-1", "txtequacio!" }
            << QStringList { "crossing 3 1=( 3, 1)" };
        QTest::newRow("a whole session with commas")
            << QChar(u',')
            << QStringList { "txtAx(0)<-1,5", "txtAy(0)<0,25", "txtAx(1)<1,5", "txtAy(1)<3,25",
                   "txtAy(1)!", "txtAx(2)<0,5", "txtAy(2)<2,25", "txtAy(2)!", "nova recta",
                   "txtequacio<y=-x+3", "txtequacio!", "txtAx(2)<2,5", "txtAy(2)<0,5", "txtAy(2)!" }
            << QStringList { "txtequacio2=y = 1·x + 1.75\r\ny =-1·x + 3",
                   "txtsino=Està en la recta", "crossing 0.625 2.375=( .62, 2.38)" };
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
            const QStringList crossing = name.split(u' ');
            if (crossing.size() == 3)
                QVERIFY2(
                    textAt(window->canvas(), { crossing[1].toDouble(), crossing[2].toDouble() },
                        want, paletteColour(1)),
                    qPrintable(want));
            else
                QCOMPARE(fieldText(name), want);
        }
    }
};

QTEST_MAIN(LineEntryTest)
#include "tst_lineentry.moc"
