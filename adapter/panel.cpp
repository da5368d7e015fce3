#include "panel.h"

#include "zoom.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

Panel::Panel(const QColor &background, QWidget *parent)
    : QWidget(parent)
{
    QPalette colours = palette();
    colours.setColor(QPalette::Window, background);
    setPalette(colours);
    setAutoFillBackground(true);
}

void Panel::setZoom(qreal zoom)
{
    scale = zoom;
    update();
}

void Panel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, false);
    // As wide as the lines on the plane: whole device pixels, one at zoom 1.
    const int width = std::max(1, int(std::lround(scale)));
    QPen pen(palette().color(QPalette::WindowText), width == 1 ? 0 : width);
    pen.setCosmetic(true);
    painter.setPen(pen);
    for (const QLine &line : lines)
        painter.drawLine(twipsToPixels(line.x1(), scale), twipsToPixels(line.y1(), scale),
            twipsToPixels(line.x2(), scale), twipsToPixels(line.y2(), scale));
}
