#include "toolkit/canvas.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

namespace {

// Anything mapped beyond this many pixels off the image is cut away before it reaches the
// painter, so that no coordinate, however large, can overflow the rasteriser or make it crawl.
constexpr double margin = 4.0;
constexpr double farAway = 1e5;

bool finite(QPointF p)
{
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

// Liang–Barsky: cuts the segment p–q to the rectangle; false when nothing of it lies inside.
bool clipToRect(QPointF &p, QPointF &q, const QRectF &r)
{
    const double dx = q.x() - p.x();
    const double dy = q.y() - p.y();
    double t0 = 0.0;
    double t1 = 1.0;
    const double edges[4][2] = {
        { -dx, p.x() - r.left() },
        { dx, r.right() - p.x() },
        { -dy, p.y() - r.top() },
        { dy, r.bottom() - p.y() },
    };
    for (const auto &edge : edges) {
        const double along = edge[0];
        const double room = edge[1];
        if (along == 0.0) {
            if (room < 0.0)
                return false;
            continue;
        }
        const double t = room / along;
        if (along < 0.0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    const QPointF start = p;
    p = QPointF(start.x() + t0 * dx, start.y() + t0 * dy);
    q = QPointF(start.x() + t1 * dx, start.y() + t1 * dy);
    return true;
}

} // namespace

Canvas::Canvas(QSize size, qreal devicePixelRatio)
    : logicalSize(size)
{
    setFont(QFont());
    pendingDots.reserve(41 * 41);
    setDevicePixelRatio(devicePixelRatio);
}

Canvas::~Canvas() = default;

void Canvas::setWorldWindow(float x1, float y1, float x2, float y2)
{
    // (x1, y1) is the top-left corner and (x2, y2) the bottom-right one; world y grows upwards,
    // so the vertical scale is negative whenever y1 > y2.
    // QTransform composes in the order of the calls on the coordinate system: translate the
    // top-left corner to the origin first, then scale.
    const double width = double(x2) - double(x1);
    const double height = double(y2) - double(y1);
    if (width == 0.0 || height == 0.0 || !std::isfinite(width) || !std::isfinite(height))
        return;
    toDevice = QTransform::fromScale(logicalSize.width() / width, logicalSize.height() / height)
                   .translate(-double(x1), -double(y1));
    fromDevice = toDevice.inverted();
}

void Canvas::drawSegment(float x1, float y1, float x2, float y2)
{
    drawSegment(x1, y1, x2, y2, foreColour);
}

void Canvas::drawSegment(float x1, float y1, float x2, float y2, const QColor &colour)
{
    if (recorder)
        record({ DrawCall::Kind::Segment, x1, y1, x2, y2, 0, colour, {} });
    segment(x1, y1, x2, y2, colour);
    currentX = x2;
    currentY = y2;
}

void Canvas::segment(float x1, float y1, float x2, float y2, const QColor &colour)
{
    QPointF p = toPixel(x1, y1);
    QPointF q = toPixel(x2, y2);
    if (!finite(p) || !finite(q))
        return;
    const QRectF bounds(
        -margin, -margin, logicalSize.width() + 2 * margin, logicalSize.height() + 2 * margin);
    if (!clipToRect(p, q, bounds))
        return;
    QPainter &paint = painter();
    usePen(paint, colour);
    paint.drawLine(QLineF(p, q));
}

void Canvas::plotPoint(float x, float y, const QColor &colour)
{
    if (recorder)
        record({ DrawCall::Kind::Point, x, y, x, y, 0, colour, {} });
    const QPointF p = toPixel(x, y);
    if (!finite(p) || p.x() < -margin || p.y() < -margin || p.x() > logicalSize.width() + margin
        || p.y() > logicalSize.height() + margin)
        return;
    // Dots are collected and set together: one call for the grid's 1681 dots instead of one
    // each. They are opaque and aliased, so the order in which they land changes no pixel.
    if (!pendingDots.empty() && colour != pendingColour)
        flushDots();
    rawPainter();
    pendingColour = colour;
    pendingDots.push_back(p);
}

void Canvas::flushDots()
{
    if (pendingDots.empty())
        return;
    // Row by row, left to right: the rasteriser then fills its spans in order.
    std::sort(pendingDots.begin(), pendingDots.end(),
        [](QPointF a, QPointF b) { return a.y() < b.y() || (a.y() == b.y() && a.x() < b.x()); });
    QPainter &paint = rawPainter();
    usePen(paint, pendingColour);
    paint.drawPoints(pendingDots.data(), int(pendingDots.size()));
    pendingDots.clear();
}

void Canvas::drawCircle(float x, float y, float radius, const QColor &colour)
{
    if (recorder)
        record({ DrawCall::Kind::Circle, x, y, x, y, radius, colour, {} });
    currentX = x;
    currentY = y;
    const QPointF centre = toPixel(x, y);
    // The radius is in x units; the circle is round on screen whatever the y scale.
    const double r = std::abs(double(radius) * toDevice.m11());
    if (!finite(centre) || !std::isfinite(r) || r > farAway)
        return;
    if (centre.x() + r < -margin || centre.y() + r < -margin
        || centre.x() - r > logicalSize.width() + margin
        || centre.y() - r > logicalSize.height() + margin)
        return;
    QPainter &paint = painter();
    usePen(paint, colour);
    paint.setBrush(Qt::NoBrush);
    paint.drawEllipse(centre, r, r);
}

void Canvas::printText(const QString &text)
{
    if (recorder)
        record(
            { DrawCall::Kind::Text, currentX, currentY, currentX, currentY, 0, foreColour, text });
    const QPointF topLeft = toPixel(currentX, currentY);
    if (finite(topLeft) && std::abs(topLeft.x()) < farAway && std::abs(topLeft.y()) < farAway) {
        QPainter &paint = painter();
        usePen(paint, foreColour);
        if (!fontOnPainter) {
            paint.setFont(textFont);
            fontOnPainter = true;
        }
        // The same few texts come back on every repaint (the axis numbers): keep them laid out.
        auto prepared = preparedTexts.find(text);
        if (prepared == preparedTexts.end()) {
            if (preparedTexts.size() > maxPreparedTexts)
                preparedTexts.clear();
            QStaticText layout(text);
            layout.setTextFormat(Qt::PlainText);
            layout.setPerformanceHint(QStaticText::AggressiveCaching);
            prepared = preparedTexts.insert(text, layout);
        }
        paint.drawStaticText(topLeft, *prepared);
    }
    // To the left edge, one line lower: the line height is in pixels, the position in world
    // units.
    currentX = float(toWorld(QPointF(0, 0)).x());
    const double scaleY = std::abs(toDevice.m22());
    if (lineHeight < 0)
        lineHeight = QFontMetricsF(textFont).height();
    if (scaleY > 0)
        currentY = float(double(currentY) - lineHeight / scaleY);
}

void Canvas::clearSurface()
{
    if (recorder)
        record({ DrawCall::Kind::Clear, 0, 0, 0, 0, 0, background, {} });
    endPainting();
    pixels.fill(background);
    if (changed)
        changed();
}

void Canvas::setBackground(const QColor &colour)
{
    background = colour;
}

void Canvas::setFont(const QFont &font)
{
    textFont = font;
    // Aliased like the lines: a text written twice at the same place looks as it did once, so
    // the frame can be drawn over itself on every repaint.
    textFont.setStyleStrategy(QFont::NoAntialias);
    lineHeight = -1; // measured when first needed: a font lookup costs at start-up
    fontOnPainter = false;
    preparedTexts.clear();
}

const QImage &Canvas::image()
{
    endPainting();
    return pixels;
}

void Canvas::setDevicePixelRatio(qreal devicePixelRatio)
{
    if (devicePixelRatio <= 0 || !std::isfinite(devicePixelRatio))
        devicePixelRatio = 1.0;
    if (!pixels.isNull() && devicePixelRatio == ratio)
        return;
    endPainting();
    QImage sharper((QSizeF(logicalSize) * devicePixelRatio).toSize(), QImage::Format_RGB32);
    sharper.setDevicePixelRatio(devicePixelRatio);
    sharper.fill(background);
    if (!pixels.isNull()) {
        QPainter copy(&sharper);
        copy.drawImage(QRectF(QPointF(0, 0), QSizeF(logicalSize)), pixels);
    }
    pixels = std::move(sharper);
    ratio = devicePixelRatio;
    preparedTexts.clear();
}

void Canvas::endPainting()
{
    flushDots();
    activePainter.reset();
    fontOnPainter = false;
}

void Canvas::present()
{
    endPainting();
    if (presenter)
        presenter();
}

QPainter &Canvas::painter()
{
    flushDots();
    return rawPainter();
}

QPainter &Canvas::rawPainter()
{
    if (!activePainter) {
        activePainter.emplace(&pixels);
        // One device pixel wide in the exact palette colour: no antialiasing of lines or dots.
        activePainter->setRenderHint(QPainter::Antialiasing, false);
        activePainter->setRenderHint(QPainter::TextAntialiasing, false);
        if (changed)
            changed();
    }
    return *activePainter;
}

void Canvas::usePen(QPainter &paint, const QColor &colour)
{
    // Width 0 is the cosmetic pen: one device pixel at any ratio. The pen is changed only when
    // the colour does; the grid sets 1681 dots of one colour.
    if (paint.pen().color() != colour || paint.pen().widthF() != 0)
        paint.setPen(QPen(colour, 0));
}

void Canvas::record(DrawCall call)
{
    recorder->push_back(std::move(call));
}
