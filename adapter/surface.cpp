#include "surface.h"

#include "dispatcher.h"
#include "palette.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPicture>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace {

// The keyboard's cursor: a square of its own colour, green, which nothing else on the plane is,
// at 5.1:1 against the white plane. Half its side in world units, round a grid dot.
const QColor cursorColour = paletteColour(2);
constexpr qreal cursorHalfSide = 0.4;
// The pointer's label stands this far right of the pointer and above it, in logical pixels
// at zoom 1, clear of the cross.
constexpr int labelGap = 8;

} // namespace

Surface::Surface(QSize twips, QWidget *parent)
    : QWidget(parent)
    , twipsSize(twips)
    , planeCanvas(twipsToPixels(twips), devicePixelRatioF())
{
    resize(planeCanvas.size());
    setAttribute(Qt::WA_OpaquePaintEvent);
    // What the program draws is shown as it is: a repaint of ours only copies the image, so the
    // frame is never drawn over marks that a handler has just made.
    planeCanvas.setChangedHandler([this] { update(); });
    planeCanvas.setPresentHandler([this] { repaint(); });
    // The point the pointer would place is shown beside it as it moves, and the cross marks it.
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
}

void Surface::setPaintHandler(std::function<void()> handler, Dispatcher *dispatcher)
{
    paintHandler = std::move(handler);
    this->dispatcher = dispatcher;
}

void Surface::place(QWidget *control, const QRect &twips, int textIndent)
{
    controls.add(control, twips, textIndent);
    if (zoom() != 1.0 || !origin.isNull())
        controls.apply(this, zoom(), origin);
}

void Surface::placeFontLater(
    QWidget *control, const QRect &twips, const QFont &font, int textIndent)
{
    controls.add(control, twips, font, textIndent);
    if (zoom() != 1.0 || !origin.isNull())
        controls.apply(this, zoom(), origin);
}

QSize Surface::sizeAt(qreal zoom) const
{
    const QSize base = twipsToPixels(twipsSize);
    return QSize(qRound(base.width() * zoom), qRound(base.height() * zoom));
}

void Surface::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const QSize base = twipsToPixels(twipsSize);
    qreal zoom = std::min(qreal(width()) / base.width(), qreal(height()) / base.height());
    // A window sized for a step is at that step exactly, though its size is rounded.
    for (qreal step : zoomSteps) {
        if (sizeAt(step) == size())
            zoom = step;
    }
    // On a very large screen the drawing stops growing, centred, before its image grows
    // beyond what memory can be spared for.
    zoom = std::min(zoom, 2 * zoomSteps.back());
    if (zoom <= 0)
        return;
    planeCanvas.setZoom(zoom);
    origin = QPoint(
        (width() - planeCanvas.size().width()) / 2, (height() - planeCanvas.size().height()) / 2);
    controls.apply(this, zoom, origin);
    update();
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
        // Drawn into the image before Qt paints the exposed planeCanvas, so that the planeCanvas
        // shows it; while a handler runs (a message box is open), after that handler.
        if (dispatcher)
            dispatcher->run(paintHandler);
        else
            paintHandler();
    }
    return QWidget::eventFilter(watched, event);
}

void Surface::paintEvent(QPaintEvent *event)
{
    // On another screen the drawing is drawn again for that screen's pixels.
    planeCanvas.setDevicePixelRatio(devicePixelRatioF());
    QPainter screen(this);
    const QRect drawing(origin, planeCanvas.size());
    // The strip the drawing leaves on one side is the plane's background.
    for (const QRect &spare : QRegion(event->rect()).subtracted(drawing))
        screen.fillRect(spare, planeCanvas.backgroundColour());
    const QRect dirty = event->rect() & drawing;
    if (!dirty.isEmpty()) {
        screen.drawImage(dirty, planeCanvas.image(),
            QRectF(QPointF(dirty.topLeft() - origin) * planeCanvas.devicePixelRatio(),
                QSizeF(dirty.size()) * planeCanvas.devicePixelRatio()));
    }

    if (controls.hasLaterFonts() && !laterFontsPosted) {
        const QWindow *shown = window()->windowHandle();
        if (shown && shown->isExposed()) {
            // After this frame has reached the screen.
            laterFontsPosted = true;
            QTimer::singleShot(0, this, [this] { controls.setLaterFonts(); });
        } else {
            // Drawn into a pixmap: the controls are drawn next, with their own fonts.
            controls.setLaterFonts();
        }
    }
    paintPointers(screen);
}

QPointF Surface::toWidget(QPointF world) const
{
    return planeCanvas.toPixel(float(world.x()), float(world.y())) + origin;
}

QPointF Surface::toWorld(QPointF position) const
{
    return planeCanvas.toWorld(position - origin);
}

bool Surface::onPlane(QPoint position) const
{
    return QRect(origin, planeCanvas.size()).contains(position) && !childAt(position);
}

void Surface::showCursor(std::optional<QPointF> world)
{
    update(cursorRect());
    cursorAt = world;
    update(cursorRect());
}

QRect Surface::cursorRect() const
{
    if (!cursorAt)
        return {};
    const QPointF centre = toWidget(*cursorAt);
    const qreal half = std::abs(toWidget(*cursorAt + QPointF(cursorHalfSide, 0)).x() - centre.x());
    // Room for the pen on both sides.
    const qreal pen = 2 * std::ceil(zoom()) + 1;
    return QRectF(
        centre - QPointF(half + pen, half + pen), centre + QPointF(half + pen, half + pen))
        .toAlignedRect();
}

QRect Surface::labelRect() const
{
    if (pointerLabel.isEmpty())
        return {};
    const QFontMetrics metrics(planeCanvas.font(), this);
    // A margin round the text for glyphs that reach past their advance.
    const QSize text = metrics.size(Qt::TextSingleLine, pointerLabel) + QSize(6, 4);
    const int gap = qRound(labelGap * zoom());
    QRect place(pointer + QPoint(gap, -gap - text.height()), text);
    // Near the right or top edge it stands on the other side of the pointer, in sight.
    if (place.right() > width())
        place.moveRight(pointer.x() - gap);
    if (place.top() < 0)
        place.moveTop(pointer.y() + gap);
    return place;
}

void Surface::paintPointers(QPainter &painter)
{
    if (cursorAt) {
        const QPointF centre = toWidget(*cursorAt);
        const qreal half
            = std::abs(toWidget(*cursorAt + QPointF(cursorHalfSide, 0)).x() - centre.x());
        painter.setPen(QPen(cursorColour, 2 * std::round(zoom())));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(centre - QPointF(half, half), centre + QPointF(half, half)));
    }
    if (!pointerLabel.isEmpty()) {
        // The plane's numbers' colour and font, at the drawing's zoom.
        painter.setFont(planeCanvas.font());
        painter.setPen(paletteColour(1));
        // Within its rectangle, which is all that a move repaints.
        painter.setClipRect(labelRect());
        painter.drawText(labelRect(), Qt::AlignCenter, pointerLabel);
    }
}

void Surface::mousePressEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton && onPlane(at) && input.click) {
        input.click(toWorld(at));
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void Surface::mouseMoveEvent(QMouseEvent *event)
{
    // Moves over a control reach the plane too, passed on by controls that do not track the
    // pointer: over them the label goes.
    update(labelRect());
    pointer = event->position().toPoint();
    const QString label
        = onPlane(pointer) && input.label ? input.label(toWorld(pointer)) : QString();
    pointerLabel = label;
    update(labelRect());
    QWidget::mouseMoveEvent(event);
}

void Surface::leaveEvent(QEvent *event)
{
    update(labelRect());
    pointerLabel.clear();
    QWidget::leaveEvent(event);
}

void Surface::keyPressEvent(QKeyEvent *event)
{
    // Keys that a field passes on (Enter, which a line field leaves to a dialog's button) are
    // the field's, not the cursor's.
    if (hasFocus() && input.key && input.key(*event)) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Surface::focusOutEvent(QFocusEvent *event)
{
    // The cursor belongs to the keyboard: it goes where the keyboard goes.
    showCursor(std::nullopt);
    QWidget::focusOutEvent(event);
}

QImage Surface::picture()
{
    QImage image = planeCanvas.imageAt(2 * devicePixelRatioF());
    // Fonts in points come out at the sizes they have on this screen.
    image.setDotsPerMeterX(qRound(logicalDpiX() / 0.0254));
    image.setDotsPerMeterY(qRound(logicalDpiY() / 0.0254));
    QPainter painter(&image);
    paintControls(painter);
    return image;
}

void Surface::paintPicture(QPainter &painter, const QRectF &page)
{
    const QSizeF size = planeCanvas.size();
    // One scale for both directions: a world unit is as long in x as in y, as on the screen.
    const qreal scale = std::min(page.width() / size.width(), page.height() / size.height());
    if (!(scale > 0))
        return;
    // Recorded at the screen's resolution first, then played onto the page: the fonts, given in
    // points, keep their size against the drawing on a device of any resolution, and the
    // fields' texts stay text, which Qt makes outlines of when a widget is drawn straight onto
    // a printer.
    QPicture recorded;
    {
        QPainter recorder(&recorded);
        recorder.setClipRect(QRectF(QPointF(0, 0), size));
        planeCanvas.paintOnto(recorder);
        paintControls(recorder);
    }
    painter.save();
    painter.translate(page.center() - QPointF(size.width(), size.height()) * scale / 2);
    // A picture plays at the resolution of the device it is played on.
    const qreal played = painter.device()->logicalDpiX() / qreal(recorded.logicalDpiX());
    painter.scale(scale / played, scale / played);
    recorded.play(&painter);
    painter.restore();
}

void Surface::paintControls(QPainter &painter)
{
    for (QWidget *control : findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (!control->isVisible())
            continue;
        // A painter that records keeps no clip of Qt's own: each control is cut to its place.
        const QRect place(control->pos() - origin, control->size());
        painter.save();
        painter.setClipRect(place, Qt::IntersectClip);
        control->render(&painter, place.topLeft(), QRegion(),
            QWidget::DrawWindowBackground | QWidget::DrawChildren);
        painter.restore();
    }
}
