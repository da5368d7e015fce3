#include "toolkit/surface.h"

#include "toolkit/dispatcher.h"

#include <QPaintEvent>
#include <QPainter>
#include <QWindow>

Surface::Surface(QSize size, QWidget *parent)
    : QWidget(parent)
    , area(size, devicePixelRatioF())
{
    setFixedSize(size);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // What the program draws is shown as it is: a repaint of ours only copies the image, so the
    // frame is never drawn over marks that a handler has just made.
    area.setChangedHandler([this] { update(); });
    area.setPresentHandler([this] { repaint(); });
}

void Surface::setPaintHandler(std::function<void()> handler, Dispatcher *dispatcher)
{
    paintHandler = std::move(handler);
    handlers = dispatcher;
}

void Surface::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Qt repaints widgets for many reasons of its own (a blinking cursor over the plane, a
    // field's new text), and on an uncovered window it only shows its kept pixels again. The
    // window system's own requests are its expose events, which reach the top-level QWindow.
    QWindow *handle = window()->windowHandle();
    if (handle && handle != watchedWindow) {
        if (watchedWindow)
            watchedWindow->removeEventFilter(this);
        handle->installEventFilter(this);
        watchedWindow = handle;
    }
}

bool Surface::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == watchedWindow && event->type() == QEvent::Expose
        && static_cast<QWindow *>(watched)->isExposed() && paintHandler) {
        // Drawn into the image before Qt paints the exposed area, so that the area shows it;
        // while a handler runs (a message box is open), after that handler.
        if (handlers)
            handlers->run(paintHandler);
        else
            paintHandler();
    }
    return QWidget::eventFilter(watched, event);
}

void Surface::paintEvent(QPaintEvent *event)
{
    area.setDevicePixelRatio(devicePixelRatioF());
    QPainter screen(this);
    const QRect dirty = event->rect();
    screen.drawImage(dirty, area.image(),
        QRectF(QPointF(dirty.topLeft()) * area.devicePixelRatio(),
            QSizeF(dirty.size()) * area.devicePixelRatio()));
}
