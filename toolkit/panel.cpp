#include "toolkit/panel.h"

#include <QPainter>

Panel::Panel(const QColor &background, QWidget *parent)
    : QWidget(parent)
{
    QPalette colours = palette();
    colours.setColor(QPalette::Window, background);
    setPalette(colours);
    setAutoFillBackground(true);
}

void Panel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 0));
    for (const QLine &line : lines)
        painter.drawLine(line);
}
