#include "canvas.h"
#include "field.h"
#include "frmRecta.h"
#include "memory.h"
#include "palette.h"
#include "pixels.h"
#include "session.h"
#include "translation.h"

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QFontInfo>
#include <QHash>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include <cmath>

using namespace Qt::StringLiterals;

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
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("multiLine");

        QTest::newRow("equations kept") << "txtequacio2"
                                        << "frmRecta" << false << true;
        QTest::newRow("worked equation") << "txtresultat"
                                         << "frmRecta" << true << true;
        QTest::newRow("panel") << "picValors"
                               << "frmRecta" << true << false;
        QTest::newRow("verdict") << "txtsino"
                                 << "picValors" << true << false;
        QTest::newRow("equation") << "txtequacio"
                                  << "picValors" << true << false;
        QTest::newRow("A x") << "txtAx(0)"
                             << "picValors" << true << false;
        QTest::newRow("A y") << "txtAy(0)"
                             << "picValors" << true << false;
        QTest::newRow("B x") << "txtAx(1)"
                             << "picValors" << true << false;
        QTest::newRow("B y") << "txtAy(1)"
                             << "picValors" << true << false;
        QTest::newRow("test x") << "txtAx(2)"
                                << "picValors" << false << false;
        QTest::newRow("test y") << "txtAy(2)"
                                << "picValors" << false << false;
    }

    void layout()
    {
        QFETCH(QString, name);
        QFETCH(QString, parent);
        QFETCH(bool, enabled);
        QFETCH(bool, multiLine);

        frmRecta window;
        QWidget *widget = control(window, name);
        QVERIFY(widget);
        QCOMPARE(widget->parentWidget()->objectName(), parent);
        QCOMPARE(widget->isEnabled(), enabled);
        if (name != QLatin1String("picValors")) {
            QCOMPARE(qobject_cast<QPlainTextEdit *>(widget) != nullptr, multiLine);
            QCOMPARE(qobject_cast<QLineEdit *>(widget) != nullptr, !multiLine);
        }
    }

    // Each control's place against the others: A's fields above B's above the test point's, x
    // left of y, all of one size, in the panel; the equation on top, the verdict under the
    // points and over the worked equation, the kept equations right of the panel.
    void placement()
    {
        frmRecta window;
        const auto at = [&](const QString &name) {
            const QWidget *w = control(window, name);
            return QRect(w->mapTo(window.centralWidget(), QPoint(0, 0)), w->size());
        };
        const QRect panel = at(u"picValors"_s), equation = at(u"txtequacio"_s);
        const QRect verdict = at(u"txtsino"_s), worked = at(u"txtresultat"_s);
        const QRect kept = at(u"txtequacio2"_s);
        QList<QRect> fields;
        for (int row = 0; row < 3; ++row) {
            const QRect x = at(u"txtAx(%1)"_s.arg(row)), y = at(u"txtAy(%1)"_s.arg(row));
            QVERIFY(x.right() < y.left() && x.top() == y.top());
            QCOMPARE(y.size(), x.size());
            QCOMPARE(x.size(), at(u"txtAx(0)"_s).size());
            QCOMPARE(x.left(), at(u"txtAx(0)"_s).left());
            QVERIFY(panel.contains(x) && panel.contains(y));
            if (row > 0)
                QVERIFY(fields.constLast().bottom() < y.top());
            fields << x << y;
        }
        QVERIFY(panel.top() <= equation.top() && equation.bottom() < fields.first().top());
        QVERIFY(fields.constLast().bottom() < verdict.top());
        QVERIFY(verdict.top() < worked.top() && verdict.bottom() < worked.bottom());
        QVERIFY(kept.left() > panel.right() && kept.top() == panel.top());
        // Nothing overlaps but the verdict's lower edge, which runs under the worked equation.
        fields << equation << kept << verdict << worked;
        for (int i = 0; i < fields.size(); ++i)
            for (int j = i + 1; j < fields.size(); ++j)
                QVERIFY2(!fields[i].intersects(fields[j])
                        || (fields[i] == verdict && fields[j] == worked),
                    qPrintable(u"%1 and %2"_s.arg(i).arg(j)));
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
        const WorldWindow &world = window.world();
        QCOMPARE(world.xMin, -world.xMax);
        QCOMPARE(world.yMin, -world.yMax);
        QVERIFY(std::abs(world.xMax - 19.6296f) < 1e-3f);
        QVERIFY(world.yMax > 15.5f && world.yMax < 16.0f);
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

    // A disabled field as it is painted: the darkest pixel of its text against its most common
    // pixel, the background, inside its frame.
    void disabledFieldsLegible_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::newRow("kept equations") << "txtequacio2"
                                        << "y = .5·x + .75\r\nx =-1,5";
        QTest::newRow("A's x locked") << "txtAx(0)"
                                      << "-1,5";
        QTest::newRow("B's y locked") << "txtAy(1)"
                                      << "0,25";
        QTest::newRow("test point closed") << "txtAy(2)"
                                           << "7";
    }

    void disabledFieldsLegible()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        frmRecta window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        Field field(control(window, name));
        field.setText(text);
        field.setEnabled(false);
        const QImage inside = insideFrame(field.widget());
        QColor darkest = Qt::white;
        for (int y = 0; y < inside.height(); ++y)
            for (int x = 0; x < inside.width(); ++x) {
                const QColor pixel = inside.pixelColor(x, y);
                if (relativeLuminance(pixel) < relativeLuminance(darkest))
                    darkest = pixel;
            }
        const QRgb background = mostCommon(pixelCounts(inside));
        const double ratio = contrastRatio(QColor(background), darkest);
        const QString seen
            = QStringLiteral("%1 on %2: %3:1")
                  .arg(darkest.name(), QColor(background).name(), QString::number(ratio));
        QVERIFY2(ratio >= 4.5, qPrintable(seen));
        // Still visibly disabled: not the enabled field's black on white.
        QCOMPARE(QColor(background),
            field.widget()->palette().color(QPalette::Disabled, QPalette::Base));
        QVERIFY(darkest != field.widget()->palette().color(QPalette::Active, QPalette::Text));
    }

    void disabledEquationStaysRed()
    {
        frmRecta window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        Field field(control(window, QStringLiteral("txtequacio")));
        field.setText(QStringLiteral("y = 2·x + 3"));
        field.setEnabled(false);
        const QImage shot = field.widget()->grab().toImage();
        bool red = false;
        for (int y = 0; y < shot.height() && !red; ++y)
            for (int x = 0; x < shot.width() && !red; ++x)
                red = shot.pixelColor(x, y) == QColor(255, 0, 0);
        QVERIFY(red);
    }

    // Every way of creating the window gives it its icon, drawn at the sizes title bars and
    // task switchers ask for, also without an icon theme or Qt's SVG engine.
    void ownIcon()
    {
        frmRecta window;
        const QIcon icon = window.windowIcon();
        for (const int size : { 16, 32, 48, 128 }) {
            const QImage image = icon.pixmap(size).toImage();
            QCOMPARE(image.size(), QSize(size, size));
            // The drawing, not an empty image: its red line is there.
            bool red = false;
            for (int y = 0; y < size && !red; ++y)
                for (int x = 0; x < size && !red; ++x) {
                    const QColor c = image.pixelColor(x, y);
                    red = c.alpha() == 255 && c.red() > 180 && c.green() < 110 && c.blue() < 110;
                }
            QVERIFY2(red, qPrintable(QString::number(size)));
        }
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
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        // Fields that start empty get their fonts once the first frame is shown.
        QTRY_VERIFY(control(window, name)->font().pointSizeF() == points
            && control(window, name)->font().styleHint() == hint);
        const QFont font = control(window, name)->font();
        QCOMPARE(font.weight(), QFont::Bold);
        QVERIFY(!font.italic() && !font.underline() && !font.strikeOut());
        // The window is drawn at any zoom; a bitmap face comes in a few sizes only.
        const QString face = QFontInfo(font).family();
        QVERIFY2(QFontDatabase::isSmoothlyScalable(face), qPrintable(face));
    }

    void tabOrder()
    {
        frmRecta window;
        const QStringList &order = drive::tabOrder;
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

    // Qt's own texts are Catalan, as the window's are; the Menu key in a field opens the plane's
    // menu at its first command, the mouse the field's own edit menu.
    void menusAndBox_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("reason"); // how the menu is asked for; -1 is Enter, for the box
        QTest::addColumn<QString>("seen"); // the box's button, or the menu's command at hand
        QTest::newRow("message box's button") << "txtAy(1)" << -1 << "D'acord";
        QTest::newRow("a field's edit menu, by the mouse")
            << "txtAx(0)" << int(QContextMenuEvent::Mouse) << "&Desfés";
        QTest::newRow("the Menu key in a field, as the X server sends it")
            << "txtAy(2)" << int(QContextMenuEvent::Keyboard) << "Copia la imatge";
    }

    void menusAndBox()
    {
        QFETCH(QString, name);
        QFETCH(int, reason);
        QFETCH(QString, seen);
        QVERIFY(loadQtCatalan(*qApp));
        frmRecta window;
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QWidget *field = control(window, name);
        field->setEnabled(true);
        field->setFocus(Qt::TabFocusReason);
        QString shown;
        QTimer closer; // the box is modal: read and closed from its own event loop
        connect(&closer, &QTimer::timeout, this, [&shown] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                shown = box->buttons().value(0)->text();
                box->accept();
            }
        });
        closer.start(10);
        if (reason < 0) {
            QTest::keyClick(field, Qt::Key_Return);
        } else {
            const QPoint centre = field->rect().center();
            QContextMenuEvent event(
                QContextMenuEvent::Reason(reason), centre, field->mapToGlobal(centre));
            QApplication::sendEvent(field, &event);
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QVERIFY(menu);
            // The mouse points at a command itself; from the keyboard the first one is at hand.
            const QAction *atHand = reason == QContextMenuEvent::Mouse ? menu->actions().value(0)
                                                                       : menu->activeAction();
            QVERIFY(atHand);
            shown = atHand->text().section(u'\t', 0, 0);
            menu->close();
        }
        QCOMPARE(shown, seen);
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
        const WorldWindow &world = window.world();
        const QColor axes = paletteColour(1);
        const QColor dots = paletteColour(4);
        Canvas &canvas = window.canvas();

        // The axes run across the whole window, in the axes' colour where no dot lies on them.
        QVERIFY(hasColourNear(image, canvas.toPixel(world.xMin + 0.05f, 0), axes));
        QVERIFY(hasColourNear(image, canvas.toPixel(world.xMax - 0.05f, 0), axes));
        QVERIFY(hasColourNear(image, canvas.toPixel(0, world.yMin + 0.05f), axes));
        QVERIFY(hasColourNear(image, canvas.toPixel(10.5f, 0), axes));

        // Dots at every whole-number point inside the world window, none between them.
        int seen = 0;
        for (int i = -20; i <= 20; ++i)
            for (int j = -20; j <= 20; ++j) {
                const QPointF p = canvas.toPixel(float(i), float(j));
                const bool inside = std::abs(i) < world.xMax && std::abs(j) < world.yMax;
                if (!inside || i == 0 || j == 0)
                    continue;
                QVERIFY2(hasColourNear(image, p, dots),
                    qPrintable(QStringLiteral("dot %1,%2").arg(i).arg(j)));
                QVERIFY(!hasColourNear(image, canvas.toPixel(i + 0.5f, j + 0.5f), dots, 0));
                ++seen;
            }
        QCOMPARE(seen, 38 * 30);
    }

    // Pasting into a field over and over, with no entry in between, holds no more memory in
    // the end than a few pastes do; the text and the cursor stay as the pupil left them.
    void undoStepsStayBounded()
    {
        frmRecta window;
        auto *field = window.findChild<QLineEdit *>(QStringLiteral("txtAy(0)"));
        const QString paste(2000, u'7');
        QGuiApplication::clipboard()->setText(paste);
        const auto pasteOver = [&] {
            field->selectAll();
            QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
            QCoreApplication::processEvents();
        };
        for (int k = 0; k < 10; ++k)
            pasteOver();
        const auto used = [] { return memory::heapInUse(); };
        const qint64 before = used();
        if (before < 0)
            QSKIP("this system tells no heap use");
        for (int k = 0; k < 200; ++k)
            pasteOver();
        // Without a bound the list would grow by 16 bytes a step, 13 MB in all.
        QVERIFY2(used() < before + 1024 * 1024,
            qPrintable(QStringLiteral("%1 KiB more").arg((used() - before) / 1024)));
        QCOMPARE(field->text(), paste);
        QCOMPARE(field->cursorPosition(), 2000);

        field->setCursorPosition(5);
        field->insert(QStringLiteral("-"));
        QVERIFY(field->isUndoAvailable());
        field->undo();
        QCOMPARE(field->text(), paste);
    }
};

QTEST_MAIN(WindowTest)
#include "tst_window.moc"
