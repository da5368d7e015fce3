#include "marks.h"

#include "canvas.h"
#include "linemath.h"
#include "palette.h"

namespace {

constexpr float axisMarkRadius = 0.1f;
constexpr float pointMarkRadius = 0.2f;
constexpr int guideColour = 8;
constexpr int pointColour = 13;
constexpr int lineColour = 12;

} // namespace

void drawPointMarks(Canvas &canvas, double x, double y)
{
    const float px = toSingle(x);
    const float py = toSingle(y);
    const QColor guide = paletteColour(guideColour);
    canvas.drawCircle(0, py, axisMarkRadius, guide);
    canvas.drawSegment(0, py, px, py, guide);
    canvas.drawSegment(px, 0, px, py, guide);
    canvas.drawCircle(px, py, pointMarkRadius, paletteColour(pointColour));
}

void drawAxisMark(Canvas &canvas, double x)
{
    canvas.drawCircle(toSingle(x), 0, axisMarkRadius, paletteColour(guideColour));
}

void drawSlopedLine(Canvas &canvas, const WorldWindow &world, double slope, double intercept)
{
    // The heights at the edges are worked out in double precision from the unrounded line.
    canvas.drawSegment(world.xMin, toSingle(slope * world.xMin + intercept), world.xMax,
        toSingle(slope * world.xMax + intercept), paletteColour(lineColour));
}

void drawVerticalLine(Canvas &canvas, const WorldWindow &world, double x)
{
    const float at = toSingle(x);
    canvas.drawSegment(at, world.yMin, at, world.yMax, paletteColour(lineColour));
}

void drawLine(Canvas &canvas, const WorldWindow &world, const numtext::StraightLine &line)
{
    if (line.vertical)
        drawVerticalLine(canvas, world, line.x);
    else
        drawSlopedLine(canvas, world, line.slope, line.intercept);
}

void drawItem(Canvas &canvas, const WorldWindow &world, const PlaneItem &item)
{
    switch (item.kind) {
    case PlaneItem::Kind::Frame:
        pintar(canvas, world);
        break;
    case PlaneItem::Kind::AxisMark:
        drawAxisMark(canvas, item.x);
        break;
    case PlaneItem::Kind::PointMarks:
        drawPointMarks(canvas, item.x, item.y);
        break;
    case PlaneItem::Kind::Line:
        drawLine(canvas, world, item.line);
        break;
    case PlaneItem::Kind::Text:
        // In the colour of the axes and their numbers.
        canvas.printText(float(item.x), float(item.y), item.text, paletteColour(1));
        break;
    }
}
