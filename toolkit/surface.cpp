#include "toolkit/surface.h"

#include "toolkit/dispatcher.h"

#include <QPaintEvent>
#include <QPainter>

Surface::Surface(QSize size, QWidget *parent)
    : QWidget(parent)
    , area(size, devicePixelRatioF())
{
    setFixedSize(size);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Drawing into the image outside a repaint asks for one; drawing during the repaint itself
    // must not, or every repaint would schedule the next.
    area.setChangedHandler([this] {
        if (!painting)
            update();
    });
    area.setPresentHandler([this] {
        presenting = true;
        repaint();
        presenting = false;
    });
}

void Surface::setPaintHandler(std::function<void()> handler, const Dispatcher *dispatcher)
{
    paintHandler = std::move(handler);
    handlers = dispatcher;
}

void Surface::paintEvent(QPaintEvent *)
{
    area.setDevicePixelRatio(devicePixelRatioF());
    if (paintHandler && !presenting && !(handlers && handlers->busy())) {
        painting = true;
        paintHandler();
        painting = false;
    }
    QPainter screen(this);
    screen.drawImage(QPointF(0, 0), area.image());
}
