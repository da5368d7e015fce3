#include "canvas.h"
#include "frmRecta.h"
#include "palette.h"
#include "session.h"
#include "surface.h"

#include <QElapsedTimer>
#include <QExposeEvent>
#include <QLineEdit>
#include <QPaintEvent>
#include <QTest>

#include <cmath>
#include <limits>

// The drawing surface: what is kept, where it lands, and that no coordinate can hurt it.
class SurfaceTest : public QObject
{
    Q_OBJECT

private:
    static int countColour(const QImage &image, QColor colour)
    {
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                count += image.pixelColor(x, y) == colour;
        return count;
    }

    // 200 × 100 pixels over -10 … 10 and -5 … 5.
    static void plane(Canvas &canvas)
    {
        canvas.setWorldWindow(-10, 5, 10, -5);
        canvas.clearSurface();
    }

    // The smallest rectangle that holds every black pixel.
    static QRect blackBox(const QImage &image)
    {
        QRect box;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) == Qt::black)
                    box |= QRect(x, y, 1, 1);
        return box;
    }

private Q_SLOTS:
    void worldWindowMapsCorners_data()
    {
        QTest::addColumn<float>("x");
        QTest::addColumn<float>("y");
        QTest::addColumn<QPointF>("pixel");
        QTest::newRow("top left") << -10.f << 5.f << QPointF(0, 0);
        QTest::newRow("bottom right") << 10.f << -5.f << QPointF(200, 100);
        QTest::newRow("origin in the centre") << 0.f << 0.f << QPointF(100, 50);
        QTest::newRow("y grows upwards") << 0.f << 2.5f << QPointF(100, 25);
    }

    void worldWindowMapsCorners()
    {
        QFETCH(float, x);
        QFETCH(float, y);
        QFETCH(QPointF, pixel);
        Canvas canvas(QSize(200, 100));
        canvas.setWorldWindow(-10, 5, 10, -5);
        QCOMPARE(canvas.toPixel(x, y), pixel);
    }

    void segmentsAreOnePixelInTheirColour_data()
    {
        QTest::addColumn<qreal>("ratio");
        QTest::newRow("100%") << 1.0;
        QTest::newRow("200%") << 2.0;
    }

    void segmentsAreOnePixelInTheirColour()
    {
        QFETCH(qreal, ratio);
        Canvas canvas(QSize(200, 100), ratio);
        canvas.setWorldWindow(-10, 5, 10, -5);
        canvas.clearSurface();
        const QColor red = paletteColour(12);
        canvas.drawSegment(-10, 0, 10, 0, red);
        const QImage &image = canvas.image();
        QCOMPARE(image.size(), QSize(200, 100) * ratio);
        // One device pixel wide, no antialiased fringe: one full row of exactly that colour.
        QCOMPARE(countColour(image, red), int(200 * ratio));
    }

    void circlesAreRoundOnScreen()
    {
        // x units are twice as wide as y units here; the radius is in x units.
        Canvas canvas(QSize(200, 200));
        canvas.setWorldWindow(-10, 5, 10, -5);
        canvas.clearSurface();
        canvas.drawCircle(0, 0, 5, Qt::black);
        const QRect box = blackBox(canvas.image());
        QVERIFY(std::abs(box.width() - box.height()) <= 1);
        QVERIFY(std::abs(box.width() - 101) <= 2);
    }

    // A text hangs from its place: its top-left corner at the world point given.
    void textStandsAtItsPlace()
    {
        Canvas canvas(QSize(200, 100));
        plane(canvas);
        canvas.printText(2, 3, QStringLiteral("coincidents"), Qt::black);
        const QRect box = blackBox(canvas.image());
        const QPointF corner = canvas.toPixel(2, 3);
        QVERIFY(box.width() > 30);
        QVERIFY(box.left() >= corner.x() && box.left() <= corner.x() + 3);
        QVERIFY(box.top() >= corner.y() && box.top() <= corner.y() + 6);
    }

    void wildCoordinatesNeverReachThePainter_data()
    {
        QTest::addColumn<float>("x1");
        QTest::addColumn<float>("y1");
        QTest::addColumn<float>("x2");
        QTest::addColumn<float>("y2");
        QTest::addColumn<bool>("visible");
        constexpr float inf = std::numeric_limits<float>::infinity();
        constexpr float nan = std::numeric_limits<float>::quiet_NaN();
        constexpr float huge = std::numeric_limits<float>::max();
        QTest::newRow("steep line through the middle") << -10.f << -1e30f << 10.f << 1e30f << true;
        QTest::newRow("largest singles") << -huge << -huge << huge << huge << true;
        QTest::newRow("far away") << 1e20f << 1e20f << 2e20f << 3e20f << false;
        QTest::newRow("infinite end") << 0.f << 0.f << inf << 0.f << false;
        QTest::newRow("not a number") << nan << 0.f << 1.f << 1.f << false;
    }

    void wildCoordinatesNeverReachThePainter()
    {
        QFETCH(float, x1);
        QFETCH(float, y1);
        QFETCH(float, x2);
        QFETCH(float, y2);
        QFETCH(bool, visible);
        Canvas canvas(QSize(200, 100));
        plane(canvas);
        QElapsedTimer clock;
        clock.start();
        canvas.drawSegment(x1, y1, x2, y2, Qt::red);
        QCOMPARE(countColour(canvas.image(), Qt::red) > 0, visible);
        for (float x : { x1, x2 }) {
            for (float y : { y1, y2 }) {
                canvas.drawCircle(x, y, 1e30f, Qt::blue);
                canvas.drawCircle(x, y, 0.2f, Qt::blue);
                canvas.plotPoint(x, y, Qt::blue);
                canvas.printText(x, y, QStringLiteral("( 1, 3)"), Qt::blue);
            }
        }
        canvas.image();
        QVERIFY(clock.elapsed() < 1000);
    }

    // What was drawn stays through a repaint, and a repaint does not ask for another one.
    void drawingIsKeptAcrossRepaint()
    {
        frmRecta window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        Canvas &canvas = window.canvas();
        canvas.drawSegment(-5, -5, 5, 5, paletteColour(12));
        QTest::qWait(20);
        const QImage before = window.centralWidget()->grab().toImage();
        QVERIFY(countColour(before, paletteColour(12)) > 50);

        window.centralWidget()->repaint();
        const QImage after = window.centralWidget()->grab().toImage();
        QCOMPARE(after, before);

        // After the repaint nothing is left waiting to be painted again.
        int paints = 0;
        struct Counter : QObject
        {
            int *count;
            explicit Counter(int *c)
                : count(c)
            {
            }
            bool eventFilter(QObject *, QEvent *event) override
            {
                if (event->type() == QEvent::Paint)
                    ++*count;
                return false;
            }
        } counter(&paints);
        window.centralWidget()->installEventFilter(&counter);
        window.centralWidget()->update();
        QTest::qWait(50);
        QCOMPARE(paints, 1);
    }
    // Marks stay on top of the frame until the window system asks for a repaint: then the frame
    // is drawn over them. The plane is the standard text-area white.
    void marksStayOnTopUntilExposed_data()
    {
        QTest::addColumn<bool>("exposed");
        QTest::newRow("after leaving A's y field") << false;
        QTest::newRow("after the window is uncovered") << true;
    }

    void marksStayOnTopUntilExposed()
    {
        QFETCH(bool, exposed);
        frmRecta window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        drive::play(window, QStringLiteral("A=3,4.5"));
        // Leaving A's y field marks the point, guides included.
        drive::field(window, QStringLiteral("txtAx(0)"))->setFocus();
        const QImage marked = window.canvas().image().copy();
        if (exposed) {
            QExposeEvent uncovered(QRegion(window.rect()));
            QCoreApplication::sendEvent(window.windowHandle(), &uncovered);
        }
        QTest::qWait(700); // long enough for the cursor to blink over the plane
        const QImage shown = window.centralWidget()->grab().toImage();
        // Around the point, away from the input table.
        const QRect around(300, 150, 200, 200);
        QCOMPARE(
            shown.copy(around).convertToFormat(marked.format()) == marked.copy(around), !exposed);
        QCOMPARE(window.canvas().image() == marked, !exposed);
        const QPoint empty = window.canvas().toPixel(15.5f, -12.5f).toPoint();
        QCOMPARE(shown.pixelColor(empty), QPalette().color(QPalette::Base));
        if (exposed) {
            // The frame is on top: drawing it once more changes nothing.
            const QImage framed = window.canvas().image().copy();
            window.pintar();
            QCOMPARE(window.canvas().image(), framed);
        }
    }
};

QTEST_MAIN(SurfaceTest)
#include "tst_surface.moc"
