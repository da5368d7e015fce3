#pragma once

#include "canvas.h"
#include "palette.h"

#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QLineF>
#include <QList>
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <optional>

/// How many pixels of the image have each colour.
inline QHash<QRgb, int> pixelCounts(const QImage &image)
{
    QHash<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
    return counts;
}

/// The colour most pixels have: the background of a field or of the plane.
inline QRgb mostCommon(const QHash<QRgb, int> &counts)
{
    QRgb common = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > counts.value(common))
            common = it.key();
    return common;
}

/// The control as painted, inside its frame.
inline QImage insideFrame(QWidget *control)
{
    const QImage shot = control->grab().toImage();
    const int inset = qRound(3 * shot.devicePixelRatio());
    return shot.copy(shot.rect().adjusted(inset, inset, -inset, -inset));
}

// What the pupil sees on the plane, read off the canvas's pixels at world points.

/// The device pixel that shows a world point, if the image holds it.
inline std::optional<QPoint> pixelOf(Canvas &canvas, QPointF world)
{
    const QPointF logical = canvas.toPixel(float(world.x()), float(world.y()));
    const QRectF shown(QPointF(0, 0), QSizeF(canvas.image().size()) / canvas.devicePixelRatio());
    if (!shown.contains(logical))
        return std::nullopt;
    return canvas.devicePixel(logical);
}

/// The colour seen at a world point; invalid off the image.
inline QColor colourAt(Canvas &canvas, QPointF world)
{
    const auto pixel = pixelOf(canvas, world);
    return pixel ? canvas.image().pixelColor(*pixel) : QColor();
}

/// Whether colour is seen within reach logical pixels of a world point, so that a mark or a line
/// rounded a pixel aside is still found there.
inline bool drawnNear(Canvas &canvas, QPointF world, const QColor &colour, qreal reach = 1.5)
{
    const auto centre = pixelOf(canvas, world);
    if (!centre)
        return false;
    const QImage &image = canvas.image();
    const int r = int(std::ceil(reach * canvas.devicePixelRatio()));
    for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx) {
            const QPoint p = *centre + QPoint(dx, dy);
            if (image.valid(p) && image.pixel(p) == colour.rgb())
                return true;
        }
    return false;
}

/// Whether colour is seen along the world segment at nearly every fortieth of it that the image
/// shows off the axes, which lie over everything, and marks may cover; at least two must be seen.
inline bool drawnAlong(Canvas &canvas, QLineF world, const QColor &colour)
{
    const QPointF origin = canvas.toPixel(0, 0);
    int shown = 0, seen = 0;
    for (int k = 1; k < 40; ++k) {
        const QPointF at = world.pointAt(k / 40.0);
        const QPointF logical = canvas.toPixel(float(at.x()), float(at.y()));
        if (!pixelOf(canvas, at) || std::abs(logical.x() - origin.x()) < 1.5
            || std::abs(logical.y() - origin.y()) < 1.5)
            continue;
        ++shown;
        seen += drawnNear(canvas, at, colour);
    }
    return seen >= 2 && seen >= 0.8 * shown;
}

/// Whether every pixel of colour lies within reach logical pixels of one of the world segments
/// (a point is a segment of length 0): nothing of that colour is drawn anywhere else.
inline bool onlyNear(Canvas &canvas, const QColor &colour, const QList<QLineF> &world, qreal reach)
{
    const qreal ratio = canvas.devicePixelRatio();
    QList<QLineF> device;
    for (const QLineF &line : world)
        device << QLineF(canvas.toPixel(float(line.x1()), float(line.y1())) * ratio,
            canvas.toPixel(float(line.x2()), float(line.y2())) * ratio);
    const auto distance = [](const QLineF &line, QPointF p) {
        const QPointF d = line.p2() - line.p1();
        const qreal length2 = QPointF::dotProduct(d, d);
        const qreal t = length2 > 0
            ? std::clamp(QPointF::dotProduct(p - line.p1(), d) / length2, 0.0, 1.0)
            : 0.0;
        return QLineF(p, line.p1() + t * d).length();
    };
    const QImage &image = canvas.image();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != colour.rgb())
                continue;
            const QPointF p(x + 0.5, y + 0.5);
            // Not "near", which Windows's headers define away.
            const bool nearOne = std::any_of(device.begin(), device.end(),
                [&](const QLineF &line) { return distance(line, p) <= (reach + 1) * ratio; });
            if (!nearOne)
                return false;
        }
    return true;
}

/// Whether a point is marked: the magenta circle round it is seen.
inline bool markedAt(Canvas &canvas, QPointF p)
{
    return drawnNear(canvas, p, paletteColour(13), 5);
}

/// Whether text is written in colour with its top-left corner at the world point: nine in ten of
/// the pixels that the canvas's font inks well are of that colour, give or take a device pixel.
inline bool textAt(Canvas &canvas, QPointF world, const QString &text, const QColor &colour)
{
    const auto corner = pixelOf(canvas, world);
    if (!corner)
        return false;
    const qreal ratio = canvas.devicePixelRatio();
    const QFontMetricsF metrics(canvas.font());
    QImage ink(
        QSizeF(metrics.horizontalAdvance(text) * ratio + 2, metrics.height() * ratio + 2).toSize(),
        QImage::Format_ARGB32_Premultiplied);
    ink.fill(Qt::transparent);
    {
        QPainter paint(&ink);
        paint.scale(ratio, ratio);
        paint.setFont(canvas.font());
        paint.drawText(QPointF(0, metrics.ascent()), text);
    }
    // Marks drawn later may cover a little of it.
    const QImage &image = canvas.image();
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            int inked = 0, seen = 0;
            for (int y = 0; y < ink.height(); ++y)
                for (int x = 0; x < ink.width(); ++x) {
                    if (qAlpha(ink.pixel(x, y)) < 224)
                        continue;
                    ++inked;
                    const QPoint p = *corner + QPoint(x + dx, y + dy);
                    seen += image.valid(p) && image.pixel(p) == colour.rgb();
                }
            if (inked > 0 && seen >= 0.9 * inked)
                return true;
        }
    return false;
}

/// Whether every pixel of colour in image has that colour in reference too: nothing of it is
/// drawn beyond what the reference shows.
inline bool onlyWhere(const QImage &image, const QImage &reference, const QColor &colour)
{
    if (image.size() != reference.size())
        return false;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == colour.rgb() && reference.pixel(x, y) != colour.rgb())
                return false;
    return true;
}

/// Whether image is reference but for pixels of colour: nothing else is drawn or wiped.
inline bool sameBut(const QImage &image, const QImage &reference, const QColor &colour)
{
    if (image.size() != reference.size())
        return false;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != reference.pixel(x, y) && image.pixel(x, y) != colour.rgb())
                return false;
    return true;
}
