#include "canvas.h"

#include <QFontMetricsF>
#include <QPainter>

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

// A glyph's pixel is set where the outline covers this much of it or more. Aliased glyphs
// are set where the outline covers the pixel's centre, and their weight then hangs on the
// font's hinting: Liberation 1's hinting makes the stems of the bold digits two pixels wide at
// this size, Liberation 2's leaves them one pixel or broken. Taken from the antialiased
// coverage, the digits are equally bold in both, as 1's hinting drew them.
constexpr int glyphCoverage = 96; // of 255

// Lines as wide as on the screen, in logical pixels, for a painter of any resolution.
QPen vectorPenOf(const QColor &colour, double width)
{
    QPen pen(colour, width);
    pen.setCapStyle(Qt::SquareCap);
    return pen;
}

} // namespace

Canvas::Canvas(QSize size, qreal devicePixelRatio)
    : baseSize(size)
    , logicalSize(size)
{
    setFont(QFont());
    pendingDots.reserve(41 * 41);
    setDevicePixelRatio(devicePixelRatio);
}

Canvas::~Canvas() = default;

void Canvas::setWorldWindow(float x1, float y1, float x2, float y2)
{
    const double width = double(x2) - double(x1);
    const double height = double(y2) - double(y1);
    if (width == 0.0 || height == 0.0 || !std::isfinite(width) || !std::isfinite(height))
        return;
    worldWindow = { x1, y1, x2, y2 };
    hasWorldWindow = true;
    updateTransform();
}

QPoint Canvas::devicePixel(QPointF logical) const
{
    // Callers have kept the point within farAway of the image, so the pixel fits an int.
    return QPoint(int(std::floor(logical.x() * ratio)), int(std::floor(logical.y() * ratio)));
}

void Canvas::updateTransform()
{
    if (!hasWorldWindow)
        return;
    const auto [x1, y1, x2, y2] = worldWindow;
    // (x1, y1) is the top-left corner and (x2, y2) the bottom-right one; world y grows upwards,
    // so the vertical scale is negative whenever y1 > y2.
    // QTransform composes in the order of the calls on the coordinate system: translate the
    // top-left corner to the origin first, then scale.
    const double width = double(x2) - double(x1);
    const double height = double(y2) - double(y1);
    toDevice = QTransform::fromScale(logicalSize.width() / width, logicalSize.height() / height)
                   .translate(-double(x1), -double(y1));
    fromDevice = toDevice.inverted();
}

void Canvas::drawSegment(float x1, float y1, float x2, float y2, const QColor &colour)
{
    segmentPixels(x1, y1, x2, y2, colour);
}

void Canvas::segmentPixels(float x1, float y1, float x2, float y2, const QColor &colour)
{
    QPointF p = toPixel(x1, y1);
    QPointF q = toPixel(x2, y2);
    if (!finite(p) || !finite(q))
        return;
    const QRectF bounds(
        -margin, -margin, logicalSize.width() + 2 * margin, logicalSize.height() + 2 * margin);
    if (!clipToRect(p, q, bounds))
        return;
    if (vector) {
        vector->setPen(vectorPenOf(colour, penWidth / ratio));
        vector->drawLine(p, q);
        return;
    }
    QPainter &paint = painter();
    usePen(paint, colour);
    paint.drawLine(QLine(devicePixel(p), devicePixel(q)));
}

void Canvas::plotPoint(float x, float y, const QColor &colour)
{
    pointPixels(x, y, colour);
}

void Canvas::pointPixels(float x, float y, const QColor &colour)
{
    const QPointF p = toPixel(x, y);
    if (!finite(p) || p.x() < -margin || p.y() < -margin || p.x() > logicalSize.width() + margin
        || p.y() > logicalSize.height() + margin)
        return;
    if (vector) {
        const double side = penWidth / ratio;
        vector->fillRect(QRectF(p - QPointF(side, side) / 2, QSizeF(side, side)), colour);
        return;
    }
    // Dots are collected and set together: one call for the grid's 1681 dots instead of one
    // each. They are opaque and aliased, so the order in which they land changes no pixel.
    if (!pendingDots.empty() && colour != pendingColour)
        flushDots();
    rawPainter();
    pendingColour = colour;
    // A dot is a square of whole device pixels, as a point of a pen of that width would be,
    // with its centre as near the point as the pixels allow; one pixel wide, it is the pixel
    // that holds the point.
    const QPointF device = p * ratio;
    const double shift = 0.5 - penWidth / 2.0;
    pendingDots.emplace_back(
        QPoint(int(std::floor(device.x() + shift)), int(std::floor(device.y() + shift))),
        QSize(penWidth, penWidth));
}

void Canvas::flushDots()
{
    if (pendingDots.empty())
        return;
    // Whole device pixels, set as they are: points at fractional places are put in their pixel
    // by Qt, and Qt versions have chosen different pixels for the same point. They are set
    // straight into the memory that the painter draws into, which draws at once, not later.
    rawPainter();
    const QRgb colour = pendingColour.rgb();
    const QRect bounds = deviceView.rect();
    for (const QRect &dot : pendingDots) {
        const QRect square = dot & bounds;
        for (int y = square.top(); y <= square.bottom(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(deviceView.scanLine(y));
            std::fill(line + square.left(), line + square.right() + 1, colour);
        }
    }
    pendingDots.clear();
}

void Canvas::drawCircle(float x, float y, float radius, const QColor &colour)
{
    circlePixels(x, y, radius, colour);
}

void Canvas::circlePixels(float x, float y, float radius, const QColor &colour)
{
    const QPointF centre = toPixel(x, y);
    // The radius is in x units; the circle is round on screen whatever the y scale.
    const double r = std::abs(double(radius) * toDevice.m11());
    if (!finite(centre) || !std::isfinite(r) || r > farAway)
        return;
    if (centre.x() + r < -margin || centre.y() + r < -margin
        || centre.x() - r > logicalSize.width() + margin
        || centre.y() - r > logicalSize.height() + margin)
        return;
    if (vector) {
        vector->setPen(vectorPenOf(colour, penWidth / ratio));
        vector->setBrush(Qt::NoBrush);
        vector->drawEllipse(centre, r, r);
        return;
    }
    QPainter &paint = painter();
    usePen(paint, colour);
    paint.setBrush(Qt::NoBrush);
    paint.drawEllipse(QPointF(devicePixel(centre)), r * ratio, r * ratio);
}

void Canvas::printText(float x, float y, const QString &text, const QColor &colour)
{
    textPixels(x, y, colour, text);
}

void Canvas::textPixels(float x, float y, const QColor &colour, const QString &text)
{
    const QPointF topLeft = toPixel(x, y);
    if (!finite(topLeft) || std::abs(topLeft.x()) >= farAway || std::abs(topLeft.y()) >= farAway)
        return;
    if (vector) {
        vector->setFont(zoomedFont);
        vector->setPen(colour);
        vector->drawText(topLeft + QPointF(0, QFontMetricsF(zoomedFont).ascent()), text);
        return;
    }
    QPoint corner;
    const QImage &glyphs = textImage(text, colour, corner);
    painter().drawImage(devicePixel(topLeft) - corner, glyphs);
}

const QImage &Canvas::textImage(const QString &text, const QColor &colour, QPoint &corner)
{
    // The same few texts come back on every repaint (the axis numbers): keep them drawn.
    const auto key = std::make_pair(text, colour.rgba());
    auto prepared = preparedTexts.constFind(key);
    if (prepared == preparedTexts.constEnd()) {
        if (preparedTexts.size() > maxPreparedTexts)
            preparedTexts.clear();
        // The text antialiased, in device pixels, with room around it for glyphs that reach
        // past their advance.
        const QFontMetricsF metrics(zoomedFont);
        const int room = int(std::ceil(metrics.height() * ratio / 2));
        const QSize size(int(std::ceil(metrics.horizontalAdvance(text) * ratio)) + 2 * room,
            int(std::ceil(metrics.height() * ratio)) + 2 * room);
        QImage coverage(size, QImage::Format_ARGB32_Premultiplied);
        coverage.fill(Qt::transparent);
        {
            QPainter paint(&coverage);
            paint.translate(room, room);
            paint.scale(ratio, ratio);
            paint.setFont(zoomedFont);
            paint.setPen(Qt::black);
            paint.drawText(QPointF(0, metrics.ascent()), text);
        }
        // Then every pixel opaque in the text's colour or left transparent, so that a text
        // drawn again over itself sets the same pixels and no others.
        const QRgb ink = qPremultiply(colour.rgba());
        for (int y = 0; y < size.height(); ++y) {
            auto *line = reinterpret_cast<QRgb *>(coverage.scanLine(y));
            for (int x = 0; x < size.width(); ++x)
                line[x] = qAlpha(line[x]) >= glyphCoverage ? ink : 0;
        }
        prepared = preparedTexts.insert(key, { coverage, QPoint(room, room) });
    }
    corner = prepared->corner;
    return prepared->image;
}

void Canvas::clearSurface()
{
    clearedWith = background;
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
    zoomedFont = textFont;
    if (scale != 1.0)
        zoomedFont.setPointSizeF(textFont.pointSizeF() * scale);
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
    ratio = devicePixelRatio;
    preparedTexts.clear();
    resizeImage();
}

void Canvas::setZoom(qreal zoom)
{
    if (zoom <= 0 || !std::isfinite(zoom) || zoom == scale)
        return;
    scale = zoom;
    logicalSize = QSize(qRound(baseSize.width() * zoom), qRound(baseSize.height() * zoom));
    penWidth = std::max(1, int(std::lround(zoom)));
    setFont(textFont);
    updateTransform();
    resizeImage();
}

void Canvas::resizeImage()
{
    endPainting();
    pixels = QImage((QSizeF(logicalSize) * ratio).toSize(), QImage::Format_RGB32);
    pixels.setDevicePixelRatio(ratio);
    drawAgain();
}

void Canvas::drawAgain()
{
    pixels.fill(clearedWith);
    drawScene();
    endPainting();
    if (changed)
        changed();
}

void Canvas::paintOnto(QPainter &target)
{
    endPainting();
    target.save();
    target.setRenderHint(QPainter::Antialiasing, true);
    target.fillRect(QRectF(QPointF(0, 0), QSizeF(logicalSize)), clearedWith);
    vector = &target;
    drawScene();
    vector = nullptr;
    target.restore();
}

QImage Canvas::imageAt(qreal devicePixelRatio) const
{
    Canvas copy(baseSize, devicePixelRatio);
    copy.setFont(textFont);
    copy.setZoom(scale);
    copy.worldWindow = worldWindow;
    copy.hasWorldWindow = hasWorldWindow;
    copy.updateTransform();
    copy.scene = scene;
    copy.clearedWith = clearedWith;
    copy.drawAgain();
    return copy.pixels;
}

void Canvas::drawScene()
{
    if (!scene)
        return;
    scene(*this);
}

void Canvas::endPainting()
{
    flushDots();
    activePainter.reset();
    deviceView = QImage();
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
        // The image itself has the screen's ratio, and a painter on it would take logical
        // pixels and round them as its Qt version does; this view of the same memory takes
        // device pixels as given.
        uchar *bits = pixels.bits();
        deviceView
            = QImage(bits, pixels.width(), pixels.height(), pixels.bytesPerLine(), pixels.format());
        activePainter = std::make_unique<QPainter>(&deviceView);
        // The exact palette colour: no antialiasing of lines or dots.
        activePainter->setRenderHint(QPainter::Antialiasing, false);
        activePainter->setRenderHint(QPainter::TextAntialiasing, false);
        if (changed)
            changed();
    }
    return *activePainter;
}

void Canvas::usePen(QPainter &paint, const QColor &colour) const
{
    // Width 0 is the cosmetic pen: one device pixel; a wider cosmetic pen is as many device
    // pixels wide. The pen is changed only when it must.
    const int width = penWidth == 1 ? 0 : penWidth;
    const QPen &pen = paint.pen();
    if (pen.color() != colour || pen.width() != width || pen.style() != Qt::SolidLine) {
        QPen wanted(colour, width);
        wanted.setCosmetic(true);
        paint.setPen(wanted);
    }
}
