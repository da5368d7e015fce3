#include "app/frmRecta.h"
#include "toolkit/canvas.h"
#include "toolkit/palette.h"

#include <QAction>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTest>

#include <cmath>

// The window as laid out: geometry, colours, fonts, state and order of its controls, and the
// frame it draws.
class WindowTest : public QObject
{
    Q_OBJECT

private:
    QWidget *control(const frmRecta &window, const QString &name)
    {
        return window.findChild<QWidget *>(name);
    }

    // A dot is set where the painter puts a pixel for that point; look in the pixel around it.
    static bool hasColourNear(const QImage &image, QPointF logical, QColor colour, int reach = 1)
    {
        const qreal ratio = image.devicePixelRatio();
        const QPoint centre((logical * ratio).toPoint());
        for (int dy = -reach; dy <= reach; ++dy)
            for (int dx = -reach; dx <= reach; ++dx) {
                const QPoint p = centre + QPoint(dx, dy);
                if (image.rect().contains(p) && image.pixelColor(p) == colour)
                    return true;
            }
        return false;
    }

private Q_SLOTS:
    void layout_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("multiLine");

        QTest::newRow("equations kept") << "txtequacio2"
                                        << "frmRecta" << QRect(128, 8, 97, 33) << false << true;
        QTest::newRow("worked equation") << "txtresultat"
                                         << "frmRecta" << QRect(8, 192, 113, 25) << true << true;
        QTest::newRow("panel") << "picValors"
                               << "frmRecta" << QRect(8, 8, 105, 233) << true << false;
        QTest::newRow("verdict") << "txtsino"
                                 << "picValors" << QRect(-8, 160, 113, 27) << true << false;
        QTest::newRow("equation") << "txtequacio"
                                  << "picValors" << QRect(0, 8, 113, 25) << true << false;
        QTest::newRow("A x") << "txtAx(0)"
                             << "picValors" << QRect(16, 88, 25, 19) << true << false;
        QTest::newRow("A y") << "txtAy(0)"
                             << "picValors" << QRect(56, 88, 25, 19) << true << false;
        QTest::newRow("B x") << "txtAx(1)"
                             << "picValors" << QRect(16, 112, 25, 19) << true << false;
        QTest::newRow("B y") << "txtAy(1)"
                             << "picValors" << QRect(56, 112, 25, 19) << true << false;
        QTest::newRow("test x") << "txtAx(2)"
                                << "picValors" << QRect(16, 136, 25, 19) << false << false;
        QTest::newRow("test y") << "txtAy(2)"
                                << "picValors" << QRect(56, 136, 25, 19) << false << false;
    }

    void layout()
    {
        QFETCH(QString, name);
        QFETCH(QString, parent);
        QFETCH(QRect, geometry);
        QFETCH(bool, enabled);
        QFETCH(bool, multiLine);

        frmRecta window;
        QWidget *widget = control(window, name);
        QVERIFY(widget);
        QCOMPARE(widget->parentWidget()->objectName(), parent);
        QCOMPARE(widget->geometry(), geometry);
        QCOMPARE(widget->isEnabled(), enabled);
        if (name != QLatin1String("picValors")) {
            QCOMPARE(qobject_cast<QPlainTextEdit *>(widget) != nullptr, multiLine);
            QCOMPARE(qobject_cast<QLineEdit *>(widget) != nullptr, !multiLine);
        }
    }

    void window()
    {
        frmRecta window;
        QCOMPARE(window.windowTitle(), QStringLiteral("Recta"));
        QCOMPARE(window.centralWidget()->size(), QSize(734, 546));
        // It can be resized: it zooms as a whole.
        QVERIFY(window.maximumSize().width() > window.width());

        const QList<QAction *> actions = window.menuBar()->actions();
        QCOMPARE(actions.size(), 2);
        QCOMPARE(actions[0]->text().remove(u'&'), QStringLiteral("esborrar"));
        QCOMPARE(actions[0]->objectName(), QStringLiteral("mnuesborrar"));
        QCOMPARE(actions[1]->text().remove(u'&'), QStringLiteral("nova recta"));
        QCOMPARE(actions[1]->objectName(), QStringLiteral("mnurecta"));
        QVERIFY(!actions[0]->menu() && !actions[1]->menu());

        // The world window comes from the outer size: 734 + 8 pixels across at 2/567 world
        // units a twip.
        const Members &m = window.members();
        QCOMPARE(m.world.xMin, -m.world.xMax);
        QCOMPARE(m.world.yMin, -m.world.yMax);
        QVERIFY(std::abs(m.world.xMax - 19.6296f) < 1e-3f);
        QVERIFY(m.world.yMax > 15.5f && m.world.yMax < 16.0f);
    }

    void colours_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QColor>("text");
        QTest::addColumn<QColor>("background");
        const QColor standardBase = QPalette().color(QPalette::Base);
        const QColor standardText = QPalette().color(QPalette::Text);
        QTest::newRow("equation in red") << "txtequacio" << QColor(255, 0, 0) << standardBase;
        QTest::newRow("worked equation in blue")
            << "txtresultat" << QColor(0, 0, 255) << standardBase;
        QTest::newRow("verdict on the panel's colour")
            << "txtsino" << QColor(0, 0, 0) << QColor(192, 192, 255);
        QTest::newRow("coordinates standard") << "txtAx(1)" << standardText << standardBase;
    }

    void colours()
    {
        QFETCH(QString, name);
        QFETCH(QColor, text);
        QFETCH(QColor, background);
        frmRecta window;
        const QPalette palette = control(window, name)->palette();
        QCOMPARE(palette.color(QPalette::Text), text);
        QCOMPARE(palette.color(QPalette::Base), background);
        QCOMPARE(control(window, QStringLiteral("picValors"))->palette().color(QPalette::Window),
            QColor(192, 192, 255));
    }

    void fonts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qreal>("points");
        QTest::addColumn<QFont::StyleHint>("hint");
        QTest::newRow("equation") << "txtequacio" << 9.75 << QFont::SansSerif;
        QTest::newRow("verdict") << "txtsino" << 8.25 << QFont::Serif;
        QTest::newRow("coordinate") << "txtAy(2)" << 8.25 << QFont::SansSerif;
        QTest::newRow("worked equation") << "txtresultat" << 8.25 << QFont::SansSerif;
        QTest::newRow("surface") << "frmRecta" << 8.25 << QFont::SansSerif;
    }

    void fonts()
    {
        QFETCH(QString, name);
        QFETCH(qreal, points);
        QFETCH(QFont::StyleHint, hint);
        frmRecta window;
        const QFont font = control(window, name)->font();
        QCOMPARE(font.pointSizeF(), points);
        QCOMPARE(font.weight(), QFont::Bold);
        QCOMPARE(font.styleHint(), hint);
        QVERIFY(!font.italic() && !font.underline() && !font.strikeOut());
    }

    void tabOrder()
    {
        frmRecta window;
        const QStringList order = { "txtAx(0)", "txtAy(0)", "txtAx(1)", "txtAy(1)", "txtAx(2)",
            "txtAy(2)", "txtequacio", "txtresultat", "txtsino", "txtequacio2" };
        // The chain also passes through the inner widgets of the multi-line fields.
        for (qsizetype k = 0; k + 1 < order.size(); ++k) {
            QWidget *next = control(window, order[k])->nextInFocusChain();
            while (!order.contains(next->objectName()))
                next = next->nextInFocusChain();
            QCOMPARE(next->objectName(), order[k + 1]);
        }
    }

    void accessibleNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("accessibleName");
        QTest::newRow("A x") << "txtAx(0)"
                             << "Coordenada x del punt A";
        QTest::newRow("B y") << "txtAy(1)"
                             << "Coordenada y del punt B";
        QTest::newRow("test x") << "txtAx(2)"
                                << "Coordenada x del punt de prova";
        QTest::newRow("equation") << "txtequacio"
                                  << "Equació de la recta";
        QTest::newRow("kept equations") << "txtequacio2"
                                        << "Equacions de les rectes anteriors";
        QTest::newRow("worked equation") << "txtresultat"
                                         << "Comprovació del punt";
        QTest::newRow("verdict") << "txtsino"
                                 << "Veredicte";
        QTest::newRow("plane") << "frmRecta"
                               << "Pla cartesià";
    }

    void accessibleNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, accessibleName);
        frmRecta window;
        QWidget *widget = control(window, name);
        QCOMPARE(widget->accessibleName(), accessibleName);
        QVERIFY(!widget->accessibleDescription().isEmpty());
    }

    // The commands need no mouse: Alt and the marked letter choose them.
    void menuFromTheKeyboard()
    {
        frmRecta window;
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        auto *x = qobject_cast<QLineEdit *>(control(window, QStringLiteral("txtAx(0)")));
        x->setFocus();
        QTest::keyClicks(x, QStringLiteral("4"));
        QTest::keyClick(x, Qt::Key_E, Qt::AltModifier);
        QCOMPARE(x->text(), QString());
        QTest::keyClicks(x, QStringLiteral("4"));
        QTest::keyClick(x, Qt::Key_N, Qt::AltModifier);
        QCOMPARE(x->text(), QString());
    }

    void frame()
    {
        frmRecta window;
        const QImage image = window.canvas().image();
        const Members &m = window.members();
        const QColor axes = paletteColour(1);
        const QColor dots = paletteColour(4);
        Canvas &canvas = window.canvas();

        // The axes run across the whole window, in the axes' colour where no dot lies on them.
        QVERIFY(hasColourNear(image, canvas.toPixel(m.world.xMin + 0.05f, 0), axes));
        QVERIFY(hasColourNear(image, canvas.toPixel(m.world.xMax - 0.05f, 0), axes));
        QVERIFY(hasColourNear(image, canvas.toPixel(0, m.world.yMin + 0.05f), axes));
        QVERIFY(hasColourNear(image, canvas.toPixel(10.5f, 0), axes));

        // Dots at every whole-number point inside the world window, none between them.
        int seen = 0;
        for (int i = -20; i <= 20; ++i)
            for (int j = -20; j <= 20; ++j) {
                const QPointF p = canvas.toPixel(float(i), float(j));
                const bool inside = std::abs(i) < m.world.xMax && std::abs(j) < m.world.yMax;
                if (!inside || i == 0 || j == 0)
                    continue;
                QVERIFY2(hasColourNear(image, p, dots),
                    qPrintable(QStringLiteral("dot %1,%2").arg(i).arg(j)));
                QVERIFY(!hasColourNear(image, canvas.toPixel(i + 0.5f, j + 0.5f), dots, 0));
                ++seen;
            }
        QCOMPARE(seen, 38 * 30);
    }
};

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
