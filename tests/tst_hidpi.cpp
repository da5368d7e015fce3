#include "canvas.h"
#include "frame.h"
#include "frmRecta.h"
#include "palette.h"
#include "pixels.h"
#include "session.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QTemporaryFile>
#include <QTest>

#include <cmath>
#include <cstdlib>
#include <vector>

// The window on a high-density screen: everything at the same logical place as at 100%, drawn
// with twice the pixels, and sharp.
class HiDpiTest : public QObject
{
    Q_OBJECT

private:
    static QList<QPoint> pixelsOf(const QImage &image, QColor colour)
    {
        QList<QPoint> found;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) == colour)
                    found.append(QPoint(x, y));
        return found;
    }

    // The one square of colour near the exact device place of a dot, or an empty rectangle.
    static QRect squareNear(const QImage &image, QPointF exact, int side, QColor colour)
    {
        QRect box;
        const QPoint from = QPoint(int(std::floor(exact.x())), int(std::floor(exact.y())))
            - QPoint(side + 1, side + 1);
        for (int y = from.y(); y <= from.y() + 2 * side + 2; ++y)
            for (int x = from.x(); x <= from.x() + 2 * side + 2; ++x)
                if (image.valid(x, y) && image.pixel(x, y) == colour.rgb())
                    box |= QRect(x, y, 1, 1);
        return box;
    }

private Q_SLOTS:
    void windowIsDrawnAtTwiceThePixels()
    {
        frmRecta window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.devicePixelRatioF(), 2.0);
        QCOMPARE(window.centralWidget()->size(), QSize(734, 546));
        QCOMPARE(window.findChild<QLineEdit *>(QStringLiteral("txtAy(1)"))->geometry(),
            QRect(56, 112, 25, 19));

        const QImage shot = window.grab().toImage();
        QCOMPARE(shot.size(), window.size() * 2);
        QCOMPARE(window.canvas().image().size(), QSize(734, 546) * 2);
    }

    void everyDotHasItsPixel_data()
    {
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<qreal>("zoom");
        for (qreal ratio : { 1.0, 1.25, 1.5, 2.0 })
            for (qreal zoom : { 0.75, 1.0, 1.25, 2.0, 4.0 })
                QTest::addRow("ratio %g, zoom %g", ratio, zoom) << ratio << zoom;
    }

    // On a plane that holds the whole grid, each of the 1681 dots is a square of its own, as
    // many device pixels wide as the lines, centred within half a pixel of the exact place of
    // its point, whatever Qt's own rounding; and the frame drawn again over itself changes no
    // pixel.
    void everyDotHasItsPixel()
    {
        QFETCH(qreal, ratio);
        QFETCH(qreal, zoom);
        const QSize plane(440, 440); // 10 pixels a unit, 44 units across
        Canvas canvas(plane, ratio);
        canvas.setZoom(zoom);
        canvas.clearSurface();
        const WorldWindow world = PosaEscala(canvas, 12474, 12474);
        pintar(canvas, world);
        const QImage framed = canvas.image().copy();
        // Kept, though drawn nowhere: the next frame is then not on top and is drawn in full.
        canvas.plotPoint(1e6f, 1e6f, paletteColour(12));
        pintar(canvas, world);
        QVERIFY(canvas.image() == framed);

        // The grid's dots alone, one at each whole point from -20 to 20: the axes and numbers
        // hide some.
        Canvas dots(plane, ratio);
        dots.setZoom(zoom);
        dots.clearSurface();
        PosaEscala(dots, 12474, 12474);
        std::vector<QPointF> places;
        for (int x = -20; x <= 20; ++x)
            for (int y = -20; y <= 20; ++y) {
                dots.plotPoint(float(x), float(y), paletteColour(4));
                places.push_back(dots.toPixel(float(x), float(y)) * ratio);
            }
        const QColor grid = paletteColour(4);
        const int side = std::max(1, int(std::lround(zoom)));
        const QImage &image = dots.image();
        // The frame's dots are these, but for the few under the axes and numbers.
        QVERIFY(onlyWhere(framed, image, grid));
        QVERIFY(pixelsOf(framed, grid).size() > qsizetype(1500) * side * side);
        QCOMPARE(pixelsOf(image, grid).size(), qsizetype(1681) * side * side);
        for (const QPointF &exact : places) {
            const QRect square = squareNear(image, exact, side, grid);
            const QPointF centre = QRectF(square).center();
            const QString where = QString::asprintf("dot for %g,%g at %d,%d, %d wide", exact.x(),
                exact.y(), square.x(), square.y(), square.width());
            const bool centred = std::abs(centre.x() - exact.x()) <= 0.5 + 1e-9
                && std::abs(centre.y() - exact.y()) <= 0.5 + 1e-9;
            QVERIFY2(square.size() == QSize(side, side) && centred, qPrintable(where));
        }
    }

    // The frame at ratio 2 has each feature of ratio 1 at twice the coordinates, and lines one
    // device pixel wide in their exact colour: nothing blurred around them.
    void frameMatchesRatioOne()
    {
        Canvas one(QSize(734, 546), 1.0);
        Canvas two(QSize(734, 546), 2.0);
        QList<QPoint> dots[2];
        for (Canvas *canvas : { &one, &two }) {
            canvas->clearSurface();
            const WorldWindow world = PosaEscala(*canvas, 11130, 8865);
            pintar(*canvas, world);
            // The dots are counted before the red line hides some: which ones it hides depends
            // on the width of the line, which is one device pixel at either ratio.
            dots[canvas == &two] = pixelsOf(canvas->image(), paletteColour(4));
            canvas->drawSegment(
                world.xMin, world.xMin * 0.5f, world.xMax, world.xMax * 0.5f, paletteColour(12));
        }
        const QList<QPoint> &dotsOne = dots[0];
        const QList<QPoint> &dotsTwo = dots[1];
        QCOMPARE(dotsTwo.size(), dotsOne.size());
        for (qsizetype k = 0; k < dotsOne.size(); k += 97) {
            const QPoint scaled = dotsOne[k] * 2;
            bool near = false;
            for (const QPoint &p : dotsTwo)
                near = near || (p - scaled).manhattanLength() <= 2;
            QVERIFY2(near,
                qPrintable(QStringLiteral("dot at %1,%2").arg(dotsOne[k].x()).arg(dotsOne[k].y())));
        }

        // The red line: about twice as many device pixels for twice the length, and no pixel
        // of a mixed red, which antialiasing or scaling up would leave.
        const QImage &image = two.image();
        const int red = int(pixelsOf(image, paletteColour(12)).size());
        const int redOne = int(pixelsOf(one.image(), paletteColour(12)).size());
        QVERIFY(red >= 2 * redOne - 40 && red <= 2 * redOne + 40);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                QVERIFY(
                    !(c.red() > 200 && c.green() > 0 && c.green() < 200 && c.blue() == c.green()));
            }
    }
};

int main(int argc, char *argv[])
{
    // This program is about ratio 2: it asks Qt for it before the application exists, on a
    // screen with room for the window at zoom 1 (the offscreen screen is 800 pixels square).
    qputenv("QT_SCALE_FACTOR", "2");
    return drive::runOnScreens<HiDpiTest>(
        argc, argv, R"({ "screens": [ { "name": "large", "x": 0, "y": 0, "width": 2560,
        "height": 1600, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1 } ] })");
}

#include "tst_hidpi.moc"
