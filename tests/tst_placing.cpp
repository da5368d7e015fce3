#include "accessibility.h"
#include "frmRecta.h"
#include "session.h"
#include "surface.h"

#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>

namespace {

// What the pupil sees of a session: every field of the table, the kept equations and how the
// two lines meet.
QStringList shown(frmRecta &window)
{
    QStringList texts;
    for (const QString &name : drive::tabOrder) {
        if (auto *line = drive::field(window, name))
            texts << name + u'=' + line->text() + (line->isEnabled() ? "" : " (locked)");
        else if (auto *multi = window.findChild<QPlainTextEdit *>(name))
            texts << name + u'=' + multi->toPlainText();
    }
    const auto &meeting = window.plane().meeting;
    texts << QStringLiteral("comparison=") + (meeting ? relationText(*meeting) : QString());
    return texts;
}

// Plays steps that place points on the plane: 'c 3,6' clicks the world point (3, 6), 'r 3,6'
// right-clicks it, 'table' clicks the input table, 'wide' widens the window, 'zoom' zooms it to 2,
// 'k 3,6' goes to the plane with F4, moves the cursor there by Shift+arrows and arrows and presses
// Enter, 'along -1' takes steps along the line instead; key steps end with Escape. Other steps are
// typed.
void place(frmRecta &window, const QString &script)
{
    auto *surface = window.findChild<Surface *>();
    QPoint cursor;
    for (const QString &step : script.split(u';')) {
        const QString kind = step.section(u' ', 0, 0);
        const QString arg = step.section(u' ', 1);
        const QPointF world(arg.section(u',', 0, 0).toDouble(), arg.section(u',', 1).toDouble());
        const QPoint onScreen = surface->toWidget(world).toPoint();
        if (kind == u"c" || kind == u"r") {
            QTest::mouseClick(
                surface, kind == u"c" ? Qt::LeftButton : Qt::RightButton, {}, onScreen);
            window.findChild<QMenu *>(QStringLiteral("planeMenu"))->hide();
        } else if (kind == u"zoom") {
            window.setZoom(2);
            QCoreApplication::processEvents();
        } else if (kind == u"wide") {
            // A strip of background beside the drawing, whose world lies past the grid.
            window.resize(window.width() + 300, window.height());
            QCoreApplication::processEvents();
        } else if (kind == u"table") {
            QTest::mouseClick(
                window.findChild<QWidget *>(QStringLiteral("picValors")), Qt::LeftButton);
        } else if (kind == u"k" || kind == u"along") {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F4);
            QWidget *plane = QApplication::focusWidget();
            const auto press = [plane](Qt::Key ahead, Qt::Key back, int units) {
                for (int n = 0; n < std::abs(units) / 5; ++n)
                    QTest::keyClick(plane, units < 0 ? back : ahead, Qt::ShiftModifier);
                for (int n = 0; n < std::abs(units) % 5; ++n)
                    QTest::keyClick(plane, units < 0 ? back : ahead);
            };
            if (kind == u"along") {
                for (int n = 0; n < std::abs(arg.toInt()); ++n)
                    QTest::keyClick(
                        plane, arg.toInt() < 0 ? Qt::Key_Left : Qt::Key_Right, Qt::ControlModifier);
            } else {
                press(Qt::Key_Right, Qt::Key_Left, int(world.x()) - cursor.x());
                press(Qt::Key_Up, Qt::Key_Down, int(world.y()) - cursor.y());
            }
            QTest::keyClick(plane, Qt::Key_Return);
            QTest::keyClick(plane, Qt::Key_Escape);
        } else {
            drive::play(window, step);
        }
        if (kind == u"c" || kind == u"k")
            cursor = world.toPoint();
    }
}

} // namespace

class PlacingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void placedAsTyped_data();
    void placedAsTyped();
    void said_data();
    void said();
};

void PlacingTest::placedAsTyped_data()
{
    QTest::addColumn<QString>("placed");
    QTest::addColumn<QString>("typed");
    QTest::newRow("A and B clicked") << "c 1,2;c 3,6"
                                     << "A=1,2;B=3,6";
    QTest::newRow("test points clicked, each replacing the last") << "c 1,2;c 3,6;c 2,4;c 5,1"
                                                                  << "A=1,2;B=3,6;P=2,4;P=5,1";
    QTest::newRow("vertical, at the edges") << "c -3,-14;c -3,14"
                                            << "A=-3,-14;B=-3,14";
    QTest::newRow("at zoom 2") << "zoom;c 1,2;c -3,6;k 2,-5"
                               << "A=1,2;B=-3,6;P=2,-5";
    QTest::newRow("B after A typed") << "A=1,2;c 3,6"
                                     << "A=1,2;B=3,6";
    QTest::newRow("compared with the kept line") << "c 1,2;c 3,6;nova;c 0,4;c 4,0"
                                                 << "A=1,2;B=3,6;nova;A=0,4;B=4,0";
    QTest::newRow("test point of a typed equation") << "E=y=2x+3;c 1,5"
                                                    << "E=y=2x+3;P=1,5";
    QTest::newRow("by keys") << "k -7,4;k 12,-3;k 0,0"
                             << "A=-7,4;B=12,-3;P=0,0";
    QTest::newRow("along the line by keys") << "c 1,2;c 3,6;along -1"
                                            << "A=1,2;B=3,6;P=2,4";
    QTest::newRow("along y=x/2, rounded") << "c 0,0;c 4,2;along 1"
                                          << "A=0,0;B=4,2;P=5,3";
    QTest::newRow("keys clamped at the edge") << "k 20,0;k 25,0"
                                              << "A=20,0;B=20,0";
    QTest::newRow("beyond the grid nothing") << "c 1,2;wide;c 20.6,0;c -21,3"
                                             << "A=1,2";
    QTest::newRow("on the table nothing") << "c 1,2;table"
                                          << "A=1,2";
    QTest::newRow("right click nothing") << "c 1,2;r 3,6"
                                         << "A=1,2";
}

void PlacingTest::placedAsTyped()
{
    QFETCH(QString, placed);
    QFETCH(QString, typed);
    drive::BoxCloser closer(nullptr);
    closer.start();
    Session byPlane;
    place(byPlane.window, placed);
    Session byTyping;
    byTyping.play(typed);
    QCOMPARE(shown(byPlane.window), shown(byTyping.window));
}

void PlacingTest::said_data()
{
    QTest::addColumn<int>("row"); // -1 for a cursor's move
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<bool>("onLine");
    QTest::addColumn<QString>("words");
    QTest::newRow("move") << -1 << QPoint(3, 2) << false << "x 3, y 2";
    QTest::newRow("on the line") << -1 << QPoint(3, 7) << true << "x 3, y 7, a la recta";
    QTest::newRow("x axis") << -1 << QPoint(-3, 0) << false
                            << "x menys 3, y 0, sobre l'eix de les x";
    QTest::newRow("y axis") << -1 << QPoint(0, -12) << true
                            << "x 0, y menys 12, a la recta, sobre l'eix de les y";
    QTest::newRow("A placed") << 0 << QPoint(3, 2) << false << "Punt A x 3, y 2.";
    QTest::newRow("test point placed")
        << 2 << QPoint(-1, 0) << false << "Punt de prova x menys 1, y 0.";
}

void PlacingTest::said()
{
    QFETCH(int, row);
    QFETCH(QPoint, at);
    QFETCH(bool, onLine);
    QFETCH(QString, words);
    ShownResults results;
    if (row < 0)
        results.cursor = at;
    results.cursorOnLine = onLine;
    results.placedRow = row;
    results.placed = at;
    QCOMPARE(resultsText(results), words);
}

QTEST_MAIN(PlacingTest)
#include "tst_placing.moc"
