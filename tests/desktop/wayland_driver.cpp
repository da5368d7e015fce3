// The window on a real Wayland compositor (weston, headless), driven as far as a client can drive
// itself: weston's headless back-end has no seat, so no key or click comes through the
// compositor and no window is ever activated. The driver activates its window and posts the keys
// where Qt's Wayland plugin posts a compositor's: into Qt's window-system interface. Where the
// window is, and whether it is there at all, it asks the compositor (weston-debug scene-graph).
//   wayland_driver --program-pid PID
// checks the window of the real program PID first, then opens a window of its own. One line a
// step; non-zero on the first failure.

#include "canvas.h"
#include "frmRecta.h"
#include "zoom.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

[[noreturn]] void fail(const QString &what)
{
    std::fprintf(stdout, "FAIL: %s\n", qPrintable(what));
    std::fflush(stdout);
    std::_Exit(1);
}

void say(const QString &what)
{
    std::fprintf(stdout, "%s\n", qPrintable(what));
    std::fflush(stdout);
}

QString text(const QRect &rect)
{
    return u"%1×%2 at (%3, %4)"_s.arg(rect.width()).arg(rect.height()).arg(rect.x()).arg(rect.y());
}

// Waits, handling events, until done says yes; fails after five seconds.
void waitFor(const std::function<bool()> &done, const QString &what)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > 5000)
            fail(u"timed out waiting for "_s + what);
        QTest::qWait(20);
    }
}

struct View
{
    qint64 pid = 0;
    QString description;
    QRect rect;
};

// What the compositor shows: its first output, and every view with its owner.
struct Scene
{
    QRect output;
    QList<View> views;

    static Scene now()
    {
        QProcess debug;
        debug.start(u"weston-debug"_s, { u"scene-graph"_s });
        if (!debug.waitForFinished(5000) || debug.exitCode() != 0)
            fail(u"weston-debug scene-graph: "_s
                + QString::fromLocal8Bit(debug.readAllStandardError()));
        const QString dump = QString::fromLocal8Bit(debug.readAllStandardOutput());
        static const QRegularExpression position(
            uR"(position: \((-?\d+), (-?\d+)\) -> \((-?\d+), (-?\d+)\))"_s);
        static const QRegularExpression pid(uR"(PID (\d+))"_s);
        Scene scene;
        enum { None, InOutput, InView } at = None;
        for (const QString &line : dump.split(u'\n')) {
            const QString trimmed = line.trimmed();
            if (trimmed.startsWith(u"Output "_s)) {
                at = scene.output.isNull() ? InOutput : None;
            } else if (trimmed.startsWith(u"View "_s)) {
                View view;
                view.pid = pid.match(trimmed).captured(1).toLongLong();
                view.description = trimmed;
                scene.views.append(view);
                at = InView;
            } else if (const auto found = position.match(trimmed); found.hasMatch()) {
                const QRect rect(QPoint(found.captured(1).toInt(), found.captured(2).toInt()),
                    QPoint(found.captured(3).toInt() - 1, found.captured(4).toInt() - 1));
                if (at == InOutput)
                    scene.output = rect;
                else if (at == InView)
                    scene.views.last().rect = rect;
                at = None;
            }
        }
        return scene;
    }

    QList<View> windowsOf(qint64 owner) const
    {
        QList<View> found;
        for (const View &view : views) {
            if (view.pid == owner && view.description.contains(u"top-level window"_s))
                found.append(view);
        }
        return found;
    }

    QRect panel() const
    {
        for (const View &view : views) {
            if (view.description.contains(u"panel for output"_s))
                return view.rect;
        }
        return QRect();
    }
};

// The window lies on the output and clear of the compositor's panel.
void checkInside(const QRect &window, const Scene &scene, const QString &what)
{
    const QRect panel = scene.panel();
    if (!scene.output.contains(window) || window.intersects(panel))
        fail(u"%1 is not inside the output: %2 on %3, the panel %4"_s.arg(
            what, text(window), text(scene.output), text(panel)));
    say(u"%1: %2, inside the output %3 and clear of the panel"_s.arg(
        what, text(window), text(scene.output)));
}

View onlyWindowOf(qint64 owner, const QString &what)
{
    QList<View> found;
    waitFor(
        [&] {
            found = Scene::now().windowsOf(owner);
            return found.size() == 1 && !found.first().rect.isEmpty();
        },
        what + u" on the compositor"_s);
    return found.first();
}

// As the Wayland plugin does when the compositor activates a window. Qt renamed the call after
// 6.4; the one this Qt has is taken.
template <typename Interface = QWindowSystemInterface> void activate(QWindow *window)
{
    if constexpr (requires { Interface::handleFocusWindowChanged(window, Qt::OtherFocusReason); })
        Interface::handleFocusWindowChanged(window, Qt::ActiveWindowFocusReason);
    else
        Interface::handleWindowActivated(window, Qt::ActiveWindowFocusReason);
    waitFor([window] { return window->isActive(); }, u"the window to be active"_s);
}

void key(frmRecta &window, Qt::Key code, Qt::KeyboardModifiers modifiers = Qt::ControlModifier)
{
    QTest::keyClick(window.windowHandle(), code, modifiers);
    QCoreApplication::processEvents();
}

void type(frmRecta &window, const QString &name, const QString &typed, bool enter)
{
    auto *field = window.findChild<QLineEdit *>(name);
    field->setFocus();
    for (QChar c : typed)
        QTest::keyClick(window.windowHandle(), c.toLatin1());
    if (enter)
        key(window, Qt::Key_Return, Qt::NoModifier);
}

// The window's frame fits the room the screen has, panel allowance included.
void checkFits(frmRecta &window, const QString &what)
{
    const QScreen *screen = window.screen();
    const QSize room = roomOnScreen(screen->availableGeometry(), screen->geometry());
    const QSize frame = window.frameGeometry().size();
    if (frame.width() > room.width() || frame.height() > room.height())
        fail(u"%1: the window is %2, the screen has room for %3"_s.arg(what,
            u"%1×%2"_s.arg(frame.width()).arg(frame.height()),
            u"%1×%2"_s.arg(room.width()).arg(room.height())));
    say(u"%1: zoom %2, window %3×%4 fits %5×%6"_s.arg(what)
            .arg(window.canvas().zoom())
            .arg(frame.width())
            .arg(frame.height())
            .arg(room.width())
            .arg(room.height()));
}

void waitForZoom(frmRecta &window, qreal zoom, const QString &what)
{
    waitFor(
        [&] {
            return !window.isMaximized() && std::abs(window.canvas().zoom() - zoom) < 1e-3
                && window.windowHandle()->windowStates() == Qt::WindowNoState;
        },
        u"%1 (zoom %2, the window at %3)"_s.arg(what).arg(zoom).arg(window.canvas().zoom()));
    // Until the compositor shows the new size, it may still hold the window in its old state.
    waitFor(
        [&] {
            const QList<View> views = Scene::now().windowsOf(QCoreApplication::applicationPid());
            return views.size() == 1 && views.first().rect.size() == window.frameGeometry().size();
        },
        what + u": the compositor to show the window at its new size"_s);
}

// Maximised as the compositor grants and shows it; the zoom it gives.
qreal maximise(frmRecta &window)
{
    const QSize normal = window.size();
    window.showMaximized();
    waitFor(
        [&] {
            if (!(window.windowHandle()->windowStates() & Qt::WindowMaximized)
                || window.size() == normal)
                return false;
            const QList<View> views = Scene::now().windowsOf(QCoreApplication::applicationPid());
            return views.size() == 1 && views.first().rect.size() == window.frameGeometry().size();
        },
        u"the compositor to maximise the window"_s);
    return window.canvas().zoom();
}

// Maximised as the compositor grants it, then a zoom key: the window leaves the state, comes
// back at the zoom the key gives from the maximised one, and keeps the pupil's line.
void zoomMaximised(frmRecta &window, Qt::Key code, const std::function<qreal(qreal)> &zoomFrom,
    const QString &what)
{
    const qreal maximised = maximise(window);
    const qreal zoom = zoomFrom(maximised);
    key(window, code);
    waitForZoom(window, zoom, what);
    if (!window.plane().onPlane())
        fail(what + u": the line is lost"_s);
    say(u"%1: from maximised at zoom %2 to %3, the line kept"_s.arg(what).arg(maximised).arg(zoom));
}

} // namespace

int main(int argc, char *argv[])
{
    // Qt's Wayland text input takes a seat for granted, and the headless compositor has none:
    // the focus it gives a field would crash there. No input method is wanted here.
    qputenv("QT_IM_MODULE", "none");
    QApplication app(argc, argv);
    QApplication::setApplicationName(u"recta"_s);
    QApplication::setApplicationDisplayName(u"Recta"_s);
    QGuiApplication::setDesktopFileName(u"cat.recta.Recta"_s);
    if (QGuiApplication::platformName() != u"wayland"_s)
        fail(u"the platform is "_s + QGuiApplication::platformName() + u", not wayland"_s);

    const QStringList arguments = QCoreApplication::arguments();
    const qsizetype at = arguments.indexOf(u"--program-pid"_s);
    if (at < 0 || at + 1 >= arguments.size())
        fail(u"usage: wayland_driver --program-pid PID"_s);

    // The real program, as the desktop opens it.
    const View program = onlyWindowOf(arguments.at(at + 1).toLongLong(), u"the program's window"_s);
    if (!program.description.contains(u"'Recta' of cat.recta.Recta"_s))
        fail(u"the program's window does not name its desktop file: "_s + program.description);
    say(u"the program's window names its desktop file: "_s + program.description);
    checkInside(program.rect, Scene::now(), u"the program's window"_s);

    frmRecta window(numtext::NumberLocale::fullStop());
    window.show();
    if (!QTest::qWaitForWindowExposed(&window, 5000))
        fail(u"the window was never exposed"_s);
    const View own = onlyWindowOf(QCoreApplication::applicationPid(), u"the window"_s);
    checkInside(own.rect, Scene::now(), u"opened"_s);
    checkFits(window, u"opened"_s);
    activate(window.windowHandle());
    const qreal opening = window.canvas().zoom();

    type(window, u"txtAx(0)"_s, u"1"_s, false);
    type(window, u"txtAy(0)"_s, u"2"_s, false);
    type(window, u"txtAx(1)"_s, u"3"_s, false);
    type(window, u"txtAy(1)"_s, u"6"_s, true);
    waitFor([&] { return window.plane().onPlane() != nullptr; },
        u"the line through (1, 2) and (3, 6)"_s);
    say(u"typed the line through (1, 2) and (3, 6)"_s);

    // Ctrl++: the next step that fits, or none.
    const QScreen *screen = window.screen();
    const QSize frame = window.frameGeometry().size() - window.size();
    const qreal largest
        = largestFittingZoom(roomOnScreen(screen->availableGeometry(), screen->geometry()),
            window.centralWidget()->sizeHint(), frame + QSize(0, window.menuBar()->height()));
    const qreal larger = nextZoomStep(opening, 1, largest);
    // Ctrl+0 fits the window to the frame the compositor gave it, which may differ from what the
    // window opened with before it had one.
    const qreal reset = openingZoom(largest);
    key(window, Qt::Key_Plus);
    waitForZoom(window, larger, u"Ctrl++"_s);
    checkFits(window, u"Ctrl++"_s);
    say(u"Ctrl++: the compositor shows the window at "_s
        + text(onlyWindowOf(QCoreApplication::applicationPid(), u"the window"_s).rect));
    key(window, Qt::Key_0);
    waitForZoom(window, reset, u"Ctrl+0"_s);
    checkFits(window, u"Ctrl+0"_s);

    const auto toReset = [&](qreal) { return reset; };
    zoomMaximised(window, Qt::Key_0, toReset, u"Ctrl+0 maximised"_s);
    zoomMaximised(
        window, Qt::Key_Minus,
        [&](qreal maximised) { return std::min(nextZoomStep(maximised, -1, largest), largest); },
        u"Ctrl+- maximised"_s);
    const qreal maximised = maximise(window);
    key(window, Qt::Key_Plus);
    QTest::qWait(300);
    if (!window.isMaximized() || window.canvas().zoom() != maximised)
        fail(u"Ctrl++ maximised, with no larger step: the window did not stay as it was"_s);
    say(u"Ctrl++ maximised: no larger step fits, the window stays maximised"_s);
    key(window, Qt::Key_0);
    waitForZoom(window, reset, u"Ctrl+0 after that"_s);

    // The message box: after esborrar, B alone and Enter.
    window.findChild<QAction *>(u"mnuesborrar"_s)->trigger();
    bool boxSeen = false;
    // The box runs a loop of its own until it is closed: it is looked for from there.
    QTimer watch;
    watch.setInterval(20);
    QObject::connect(&watch, &QTimer::timeout, &window, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->windowHandle() || !box->windowHandle()->isExposed())
            return;
        watch.stop();
        waitFor(
            [&] { return Scene::now().windowsOf(QCoreApplication::applicationPid()).size() == 2; },
            u"the message box on the compositor"_s);
        say(u"the message box \"%1\", titled \"%2\", is shown at %3"_s.arg(
            box->text(), box->windowTitle(), text(box->frameGeometry())));
        // Qt's title bar centres the title between its icon and its three buttons.
        QFont titleFont = box->font();
        titleFont.setPixelSize(14);
        const int needed = QFontMetrics(titleFont).horizontalAdvance(box->windowTitle());
        if (box->width() < needed + 2 * 80)
            fail(u"the message box is %1 wide, too narrow for its title"_s.arg(box->width()));
        activate(box->windowHandle());
        QTest::keyClick(box->windowHandle(), Qt::Key_Return);
        boxSeen = true;
    });
    watch.start();
    type(window, u"txtAx(1)"_s, u"3"_s, false);
    type(window, u"txtAy(1)"_s, u"6"_s, true);
    if (!boxSeen)
        fail(u"no message box was shown"_s);
    waitFor([&] { return Scene::now().windowsOf(QCoreApplication::applicationPid()).size() == 1; },
        u"the message box to close"_s);
    say(u"the message box closed with Return"_s);
    return 0;
}
