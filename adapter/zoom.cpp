#include "zoom.h"

#include <QLineEdit>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {

// Steps are compared with a little room: a zoom read back from a window size is not exact.
constexpr qreal slack = 1e-3;
// Qt learns of the desktop's panels only from an X11 window manager's work area; on Wayland the
// available area is the whole output. GNOME's top bar and weston's panel are 32 pixels tall,
// Plasma's 44.
constexpr int unseenPanel = 48;

} // namespace

int twipsToPixels(int twips, qreal zoom)
{
    return int(std::lround(twips * zoom / twipsPerPixel));
}

QRect twipsToPixels(const QRect &twips, qreal zoom)
{
    return QRect(twipsToPixels(twips.x(), zoom), twipsToPixels(twips.y(), zoom),
        twipsToPixels(twips.width(), zoom), twipsToPixels(twips.height(), zoom));
}

QSize twipsToPixels(const QSize &twips, qreal zoom)
{
    return QSize(twipsToPixels(twips.width(), zoom), twipsToPixels(twips.height(), zoom));
}

QSize roomOnScreen(const QRect &available, const QRect &whole)
{
    if (available != whole)
        return available.size();
    return QSize(available.width(), std::max(0, available.height() - unseenPanel));
}

qreal largestFittingZoom(QSize available, QSize content, QSize around)
{
    if (content.isEmpty())
        return 1.0;
    const qreal across = qreal(available.width() - around.width()) / content.width();
    const qreal down = qreal(available.height() - around.height()) / content.height();
    return std::max(0.0, std::min(across, down));
}

qreal openingZoom(qreal largest)
{
    if (largest >= 1.0 - slack)
        return 1.0;
    for (auto step = zoomSteps.rbegin(); step != zoomSteps.rend(); ++step) {
        if (*step <= largest + slack)
            return *step;
    }
    return largest;
}

qreal nextZoomStep(qreal current, int direction, qreal largest)
{
    if (direction > 0) {
        for (qreal step : zoomSteps) {
            if (step > current + slack)
                return step <= largest + slack ? step : current;
        }
        return current;
    }
    for (auto step = zoomSteps.rbegin(); step != zoomSteps.rend(); ++step) {
        if (*step < current - slack)
            return *step;
    }
    return current;
}

void TwipsLayout::add(QWidget *control, const QRect &twips, int textIndent)
{
    entries.push_back({ control, twips, control->font().pointSizeF(), textIndent, {} });
    control->setGeometry(twipsToPixels(twips, fontZoom));
    if (auto *field = qobject_cast<QLineEdit *>(control); field && textIndent != 0)
        field->setTextMargins(twipsToPixels(textIndent, fontZoom), 0, 0, 0);
}

void TwipsLayout::add(QWidget *control, const QRect &twips, const QFont &laterFont, int textIndent)
{
    add(control, twips, textIndent);
    entries.back().points = laterFont.pointSizeF();
    entries.back().laterFont = laterFont;
    ++laterFonts;
}

void TwipsLayout::setLaterFonts()
{
    for (Entry &entry : entries) {
        if (!entry.laterFont)
            continue;
        const QFont font = *entry.laterFont;
        entry.laterFont.reset();
        if (entry.control)
            setFont(entry, font);
    }
    laterFonts = 0;
}

void TwipsLayout::setFont(const Entry &entry, QFont font) const
{
    font.setPointSizeF(entry.points * fontZoom);
    entry.control->setFont(font);
}

void TwipsLayout::apply(QWidget *top, qreal zoom, QPoint origin)
{
    const bool newZoom = zoom != fontZoom;
    fontZoom = zoom;
    for (const Entry &entry : entries) {
        QWidget *control = entry.control;
        if (!control)
            continue;
        QRect place = twipsToPixels(entry.twips, zoom);
        if (control->parentWidget() == top)
            place.translate(origin);
        control->setGeometry(place);
        if (!newZoom)
            continue;
        // A font still to come is set at its own time, at the zoom of then.
        if (!entry.laterFont)
            setFont(entry, control->font());
        if (auto *field = qobject_cast<QLineEdit *>(control); field && entry.textIndent != 0)
            field->setTextMargins(twipsToPixels(entry.textIndent, zoom), 0, 0, 0);
        // A control that draws at the zoom itself (the panel's rules) takes it through its slot,
        // so that the layout needs to know no such control.
        if (control->metaObject()->indexOfSlot("setZoom(qreal)") >= 0)
            QMetaObject::invokeMethod(control, "setZoom", Q_ARG(qreal, zoom));
    }
}
