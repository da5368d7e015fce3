#include "canvas.h"
#include "frame.h"
#include "frmRecta.h"
#include "marks.h"
#include "palette.h"
#include "session.h"
#include "zoom.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QTemporaryFile>
#include <QTest>

#include <cmath>

using namespace Qt::StringLiterals;

// The window zoomed as a whole: controls, fonts and the plane at k times their size, the
// drawing drawn again sharp at any size, and the keys and the screen that set the zoom.
class ZoomTest : public QObject
{
    Q_OBJECT

private:
    // The primary screen is too small for the window at zoom 1; the second one is large.
    static void showOnTheLargeScreen(frmRecta &window)
    {
        QScreen *large = nullptr;
        for (QScreen *screen : QGuiApplication::screens()) {
            if (screen->name() == u"large"_s)
                large = screen;
        }
        QVERIFY(large);
        window.setScreen(large);
        window.move(large->geometry().topLeft() + QPoint(20, 20));
        window.setZoom(1);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }

    // A line through two points, kept; then an equation, compared with it: two lines, the
    // marks of a point and the crossing point's text.
    static void session(frmRecta &window)
    {
        drive::play(window, u"A=1,2;B=3,6"_s);
        window.mnurecta_Click();
        drive::play(window, u"E=y=-x+4"_s);
    }

    // The box around the pixels of that colour inside area, in device pixels.
    static QRect colourBox(const QImage &image, const QRect &area, QColor colour)
    {
        QRect box;
        const QRect inside = area & image.rect();
        for (int y = inside.top(); y <= inside.bottom(); ++y)
            for (int x = inside.left(); x <= inside.right(); ++x)
                if (image.pixelColor(x, y) == colour)
                    box |= QRect(x, y, 1, 1);
        return box;
    }

    // The same drawing as a window makes: frames with marks, lines and a text between them.
    static void draw(Canvas &canvas)
    {
        canvas.setBackground(Qt::white);
        canvas.clearSurface();
        const WorldWindow world = PosaEscala(canvas, 11130, 8865);
        pintar(canvas, world);
        drawPointMarks(canvas, 3.5, -2.25);
        drawSlopedLine(canvas, world, 0.5, 1);
        pintar(canvas, world);
        drawAxisMark(canvas, -7);
        canvas.printText(1.5f, 2.5f, u"( 1.33, 2.67)"_s, paletteColour(1));
        drawVerticalLine(canvas, world, -3);
        pintar(canvas, world);
        drawPointMarks(canvas, -4, 6);
    }

private Q_SLOTS:
    void controlsAtZoom_data()
    {
        QTest::addColumn<qreal>("zoom");
        QTest::addColumn<QString>("name");
        QTest::addColumn<qreal>("points");
        const struct
        {
            const char *name;
            qreal points;
        } controls[] = {
            { "txtequacio2", 8.25 },
            { "txtresultat", 8.25 },
            { "picValors", 0 },
            { "txtsino", 8.25 },
            { "txtequacio", 9.75 },
            { "txtAx(0)", 8.25 },
            { "txtAy(0)", 8.25 },
            { "txtAx(1)", 8.25 },
            { "txtAy(1)", 8.25 },
            { "txtAx(2)", 8.25 },
            { "txtAy(2)", 8.25 },
        };
        for (qreal zoom : { 2.0, 1.5 })
            for (const auto &control : controls)
                QTest::addRow("%s at %g", control.name, zoom)
                    << zoom << QString::fromLatin1(control.name) << control.points;
    }

    // Each control at zoom times its place and size at zoom 1, its font zoom times as large.
    void controlsAtZoom()
    {
        QFETCH(qreal, zoom);
        QFETCH(QString, name);
        QFETCH(qreal, points);
        frmRecta one;
        const QRect atOne = one.findChild<QWidget *>(name)->geometry();
        frmRecta window;
        showOnTheLargeScreen(window);
        window.setZoom(zoom);
        QTRY_COMPARE(window.centralWidget()->size(), QSize(734, 546) * zoom);
        QWidget *control = window.findChild<QWidget *>(name);
        const QRect expected(qRound(atOne.x() * zoom), qRound(atOne.y() * zoom),
            qRound(atOne.width() * zoom), qRound(atOne.height() * zoom));
        QCOMPARE(control->geometry(), expected);
        if (points > 0)
            QTRY_COMPARE(control->font().pointSizeF(), points * zoom);
    }

    // The panel's rules grow with the zoom as the plane's lines do: twice as long and twice as
    // wide at zoom 2.
    void panelRulesAtZoomTwo()
    {
        frmRecta window;
        showOnTheLargeScreen(window);
        QWidget *panel = window.findChild<QWidget *>(u"picValors"_s);
        const auto ruleInk = [panel] {
            const QImage shot = panel->grab().toImage();
            const QRgb ink = panel->palette().color(QPalette::WindowText).rgb();
            int count = 0;
            for (int y = 0; y < shot.height(); ++y)
                for (int x = 0; x < shot.width(); ++x)
                    count += shot.pixel(x, y) == ink;
            return count;
        };
        const int atOne = ruleInk();
        window.setZoom(2);
        QTRY_COMPARE(window.centralWidget()->size(), QSize(734, 546) * 2);
        QVERIFY(atOne > 0);
        const int atTwo = ruleInk();
        QVERIFY2(atTwo > 3 * atOne && atTwo < 5 * atOne,
            qPrintable(u"%1 at zoom 2 against %2 at 1"_s.arg(atTwo).arg(atOne)));
    }

    // Each feature of the plane at zoom 2 lies where twice its place at zoom 1 is, twice as
    // large: lines are two pixels wide, and the text is twice as tall.
    void planeAtZoomTwo_data()
    {
        QTest::addColumn<QPointF>("world");
        QTest::addColumn<QRect>("around"); // logical pixels at zoom 1, around the world point
        QTest::addColumn<int>("colour");
        QTest::addColumn<int>("thickness"); // device pixels at zoom 2; 0 where not telling
        const QRect near(-3, -3, 7, 7);
        QTest::newRow("x axis") << QPointF(11.5, 0) << near << 1 << 2;
        QTest::newRow("y axis") << QPointF(0, -11) << near << 1 << 2;
        QTest::newRow("grid dot") << QPointF(5, 5) << near << 4 << 2;
        QTest::newRow("kept line") << QPointF(-5.5, -11) << near << 12 << 0;
        QTest::newRow("line from the equation") << QPointF(-8.5, 12.5) << near << 12 << 0;
        QTest::newRow("crossing point's text")
            << QPointF(4.0 / 3, 8.0 / 3) << QRect(0, 0, 80, 16) << 1 << 0;
        QTest::newRow("mark of a point") << QPointF(-1, 5) << QRect(-6, -6, 13, 13) << 13 << 0;
    }

    void planeAtZoomTwo()
    {
        QFETCH(QPointF, world);
        QFETCH(QRect, around);
        QFETCH(int, colour);
        QFETCH(int, thickness);
        frmRecta one(numtext::NumberLocale::fullStop());
        frmRecta two(numtext::NumberLocale::fullStop());
        for (frmRecta *window : { &one, &two })
            showOnTheLargeScreen(*window);
        two.setZoom(2);
        QTRY_COMPARE(two.canvas().zoom(), 2.0);
        for (frmRecta *window : { &one, &two })
            session(*window);
        // The second point of the equation's line is where its mark is.
        QCOMPARE(two.findChild<QLineEdit *>(u"txtAx(1)"_s)->text(), u"-1"_s);

        const QPointF atOne = one.canvas().toPixel(float(world.x()), float(world.y()));
        const QPointF atTwo = two.canvas().toPixel(float(world.x()), float(world.y()));
        QCOMPARE(atTwo, atOne * 2);
        const QRect boxOne = colourBox(
            one.canvas().image(), around.translated(atOne.toPoint()), paletteColour(colour));
        const QRect boxTwo = colourBox(two.canvas().image(),
            QRect(around.topLeft() * 2, around.size() * 2).translated((atOne * 2).toPoint()),
            paletteColour(colour));
        QVERIFY(!boxOne.isEmpty());
        QVERIFY2((boxTwo.topLeft() - boxOne.topLeft() * 2).manhattanLength() <= 3,
            qPrintable(u"%1,%2"_s.arg(boxTwo.x()).arg(boxTwo.y())));
        QVERIFY2(std::abs(boxTwo.width() - 2 * boxOne.width()) <= 3
                && std::abs(boxTwo.height() - 2 * boxOne.height()) <= 3,
            qPrintable(u"%1×%2 against %3×%4"_s.arg(QString::number(boxTwo.width()),
                QString::number(boxTwo.height()), QString::number(boxOne.width()),
                QString::number(boxOne.height()))));
        if (thickness > 0)
            QCOMPARE(std::min(boxTwo.width(), boxTwo.height()), thickness);
    }

    // What is drawn again after a change of zoom or ratio is what drawing at that zoom and
    // ratio from the start gives, and back at zoom 1 what was drawn there in the first place.
    void drawnAgainAsDrawnThere_data()
    {
        QTest::addColumn<qreal>("zoom");
        QTest::addColumn<qreal>("ratio");
        QTest::newRow("zoom 2") << 2.0 << 1.0;
        QTest::newRow("zoom 1.5") << 1.5 << 1.0;
        QTest::newRow("zoom 0.75") << 0.75 << 1.0;
        QTest::newRow("ratio 2") << 1.0 << 2.0;
        QTest::newRow("zoom 2.5 at ratio 2") << 2.5 << 2.0;
    }

    void drawnAgainAsDrawnThere()
    {
        QFETCH(qreal, zoom);
        QFETCH(qreal, ratio);
        Canvas there(QSize(734, 546), ratio);
        there.setZoom(zoom);
        draw(there);
        Canvas moved(QSize(734, 546));
        moved.setScene(draw);
        draw(moved);
        const QImage first = moved.image().copy();
        moved.setZoom(zoom);
        moved.setDevicePixelRatio(ratio);
        QCOMPARE(moved.image(), there.image());

        moved.setZoom(1);
        moved.setDevicePixelRatio(1);
        QCOMPARE(moved.image(), first);
    }

    void keysStepThroughTheZooms_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<qreal>("zoom");
        QTest::newRow("in") << "+" << 1.25;
        QTest::newRow("in by the key with =") << "=" << 1.25;
        QTest::newRow("in thrice") << "+++" << 2.0;
        QTest::newRow("no further than the screen allows") << "++++++++" << 2.5;
        QTest::newRow("out") << "-" << 0.75;
        QTest::newRow("out, no further than the smallest step") << "---" << 0.75;
        QTest::newRow("in, then back to 1") << "+++0" << 1.0;
        QTest::newRow("out, then back to 1") << "-0" << 1.0;
    }

    void keysStepThroughTheZooms()
    {
        QFETCH(QString, keys);
        QFETCH(qreal, zoom);
        frmRecta window;
        showOnTheLargeScreen(window);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        auto *field = window.findChild<QLineEdit *>(u"txtAx(0)"_s);
        field->setFocus();
        for (QChar key : keys) {
            const auto code = key == u'+' ? Qt::Key_Plus
                : key == u'='             ? Qt::Key_Equal
                : key == u'-'             ? Qt::Key_Minus
                                          : Qt::Key_0;
            QTest::keyClick(field, code, Qt::ControlModifier);
            QCoreApplication::processEvents();
        }
        QTRY_COMPARE(window.canvas().zoom(), zoom);
        QCOMPARE(window.centralWidget()->size(), QSize(qRound(734 * zoom), qRound(546 * zoom)));
        QCOMPARE(field->text(), QString());
    }

    // Any size: the largest zoom that fits, the drawing centred, the strip beside it the
    // plane's background.
    void freeSizeCentresTheDrawing()
    {
        frmRecta window;
        showOnTheLargeScreen(window);
        window.resize(1468 + 200, 1092 + window.menuBar()->height());
        QTRY_COMPARE(window.canvas().zoom(), 2.0);
        QCOMPARE(
            window.findChild<QWidget *>(u"picValors"_s)->geometry(), QRect(100 + 16, 16, 210, 466));
        const QImage shown = window.centralWidget()->grab().toImage();
        QCOMPARE(shown.pixelColor(50, 500), window.canvas().backgroundColour());
        QCOMPARE(shown.pixelColor(1668 - 50, 500), window.canvas().backgroundColour());

        // Maximised, as large as the screen allows; Ctrl+0 then gives the window back at 1.
        window.showMaximized();
        QTRY_VERIFY(window.canvas().zoom() > 2.5);
        window.zoomBy(0);
        QTRY_COMPARE(window.canvas().zoom(), 1.0);
        QVERIFY(!window.isMaximized());
    }

    // A maximised or full-screen window is resized only once the window system has let it go:
    // on Wayland a size asked for before then is a protocol error that ends the program.
    void heldWindowLeavesItsStateFirst_data()
    {
        QTest::addColumn<bool>("fullScreen");
        QTest::addColumn<QChar>("key");
        QTest::addColumn<qreal>("zoom"); // 0: stays as it is
        QTest::newRow("Ctrl+0 maximised") << false << QChar(u'0') << 1.0;
        QTest::newRow("Ctrl+- maximised") << false << QChar(u'-') << 2.5;
        QTest::newRow("Ctrl++ maximised, no larger step") << false << QChar(u'+') << 0.0;
        QTest::newRow("Ctrl+0 full screen") << true << QChar(u'0') << 1.0;
    }

    void heldWindowLeavesItsStateFirst()
    {
        QFETCH(bool, fullScreen);
        QFETCH(QChar, key);
        QFETCH(qreal, zoom);
        frmRecta window;
        showOnTheLargeScreen(window);
        // Its normal size is none of the sizes the keys ask for.
        window.setZoom(2);
        QTRY_COMPARE(window.canvas().zoom(), 2.0);
        session(window);
        if (fullScreen)
            window.showFullScreen();
        else
            window.showMaximized();
        QTRY_VERIFY(window.canvas().zoom() > 2.5);
        const QRect held = window.windowHandle()->geometry();
        QTest::keyClick(window.findChild<QLineEdit *>(u"txtAx(0)"_s),
            key == u'+'       ? Qt::Key_Plus
                : key == u'-' ? Qt::Key_Minus
                              : Qt::Key_0,
            Qt::ControlModifier);
        // The window system's report that the window is normal is still to come.
        QVERIFY(window.windowHandle()->geometry().size()
            != window.centralWidget()->sizeHint() * zoom + QSize(0, window.menuBar()->height()));
        if (zoom == 0) {
            QTest::qWait(50);
            QCOMPARE(window.windowHandle()->geometry(), held);
            QVERIFY(window.isMaximized());
            return;
        }
        QTRY_COMPARE(window.canvas().zoom(), zoom);
        QVERIFY(!window.isMaximized() && !window.isFullScreen());
        QVERIFY(window.plane().onPlane());
    }

    void tooSmallAScreen_data()
    {
        QTest::addColumn<QSize>("available");
        QTest::addColumn<qreal>("zoom");
        const QSize around(8, 27 + 19); // frame, title bar and menu bar
        QTest::newRow("room for zoom 1") << QSize(742, 592) << 1.0;
        QTest::newRow("one pixel short of zoom 1") << QSize(741, 592) << 0.75;
        QTest::newRow("desktop scaled to 2 on 1280 × 800")
            << QSize(640, 400) << std::min(632.0 / 734, 354.0 / 546);
    }

    void tooSmallAScreen()
    {
        QFETCH(QSize, available);
        QFETCH(qreal, zoom);
        const qreal opening
            = openingZoom(largestFittingZoom(available, QSize(734, 546), QSize(8, 46)));
        QCOMPARE(opening, zoom);
    }

    // Where Qt sees no panel (Wayland, or an X11 desktop without one), room is kept for one.
    void roomOnTheScreen_data()
    {
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QRect>("whole");
        QTest::addColumn<QSize>("room");
        QTest::newRow("panels seen")
            << QRect(0, 32, 1280, 768) << QRect(0, 0, 1280, 800) << QSize(1280, 768);
        QTest::newRow("none seen")
            << QRect(0, 0, 1280, 800) << QRect(0, 0, 1280, 800) << QSize(1280, 752);
        QTest::newRow("none seen, beside another screen")
            << QRect(640, 0, 640, 400) << QRect(640, 0, 640, 400) << QSize(640, 352);
    }

    void roomOnTheScreen()
    {
        QFETCH(QRect, available);
        QFETCH(QRect, whole);
        QFETCH(QSize, room);
        QCOMPARE(roomOnScreen(available, whole), room);
    }

    // A window opens on the screen where it lies; here the one of 640 × 400, where the window
    // opens smaller, and fits.
    void windowOpensToFitTheScreen()
    {
        frmRecta window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QRect available = window.screen()->availableGeometry();
        QCOMPARE(available.size(), QSize(640, 400));
        QVERIFY(window.canvas().zoom() < 0.75);
        QVERIFY2(window.frameGeometry().width() <= available.width()
                && window.frameGeometry().height() <= available.height(),
            qPrintable(u"%1×%2"_s.arg(QString::number(window.frameGeometry().width()),
                QString::number(window.frameGeometry().height()))));
        // The world window is that of zoom 1 all the same.
        QVERIFY(std::abs(window.world().xMax - 19.6296f) < 1e-3f);
    }
};

int main(int argc, char *argv[])
{
    // A small screen where windows open, as a 1280 × 800 screen with the desktop scaled to 2 is,
    // and a large one beside it.
    return drive::runOnScreens<ZoomTest>(argc, argv, R"({ "windowFrameMargins": true, "screens": [
        { "name": "small", "x": 0, "y": 0, "width": 640, "height": 400, "logicalDpi": 96,
          "logicalBaseDpi": 96, "dpr": 1 },
        { "name": "large", "x": 640, "y": 0, "width": 2560, "height": 1600, "logicalDpi": 96,
          "logicalBaseDpi": 96, "dpr": 1 } ] })");
}

#include "tst_zoom.moc"
