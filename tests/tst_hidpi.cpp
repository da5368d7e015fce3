#include "app/frmRecta.h"
#include "frame/frame.h"
#include "toolkit/canvas.h"
#include "toolkit/palette.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QTemporaryFile>
#include <QTest>

#include <cstdlib>

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
    QTemporaryFile screens;
    if (!screens.open())
        return 1;
    screens.write(R"({ "screens": [ { "name": "large", "x": 0, "y": 0, "width": 2560,
        "height": 1600, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1 } ] })");
    screens.flush();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screens.fileName().toLocal8Bit());
    QApplication app(argc, argv);
    HiDpiTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_hidpi.moc"
