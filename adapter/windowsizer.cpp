#include "windowsizer.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

WindowSizer::WindowSizer(QWidget *window)
    : QObject(window)
    , window(window)
{
    // The native window exists from the first show on; it is the one that hears the window
    // system's reports.
    window->installEventFilter(this);
}

void WindowSizer::resize(QSize size)
{
    if (heldByWindowSystem) {
        pending = size;
        if (window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
            window->showNormal();
        return;
    }
    pending.reset();
    // Asked for but not granted (or with no window manager on X11, never granted): nothing holds
    // the window yet, and the request is withdrawn.
    if (window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
        window->showNormal();
    apply(size);
}

void WindowSizer::apply(QSize size)
{
    window->resize(size);
    // Grown from its top-left corner, the window can reach past the screen's edge. Where the
    // window system says where windows are, it is moved back inside; a Wayland compositor keeps
    // that to itself and places windows alone.
    const QScreen *screen = window->screen();
    if (!screen || !window->isVisible() || QGuiApplication::platformName().startsWith(u"wayland"))
        return;
    const QRect available = screen->availableGeometry();
    const QRect frame(window->frameGeometry().topLeft(),
        size + window->frameGeometry().size() - window->geometry().size());
    QPoint shift;
    if (frame.right() > available.right())
        shift.setX(available.right() - frame.right());
    if (frame.left() + shift.x() < available.left())
        shift.setX(available.left() - frame.left());
    if (frame.bottom() > available.bottom())
        shift.setY(available.bottom() - frame.bottom());
    if (frame.top() + shift.y() < available.top())
        shift.setY(available.top() - frame.top());
    if (!shift.isNull())
        window->move(window->pos() + shift);
}

bool WindowSizer::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == window && event->type() == QEvent::Show) {
        QWindow *handle = window->windowHandle();
        if (handle && handle != this->watched) {
            if (this->watched)
                this->watched->removeEventFilter(this);
            handle->installEventFilter(this);
            this->watched = handle;
        }
    } else if (watched == this->watched && event->type() == QEvent::WindowStateChange
        && event->spontaneous()) {
        // The window system's own report; the window's state may say what was only asked for.
        heldByWindowSystem
            = this->watched->windowStates() & (Qt::WindowMaximized | Qt::WindowFullScreen);
        if (!heldByWindowSystem && pending) {
            const QSize size = *pending;
            pending.reset();
            apply(size);
        }
    }
    return QObject::eventFilter(watched, event);
}
