#include "line/marks.h"

#include "line/linemath.h"
#include "toolkit/canvas.h"
#include "toolkit/palette.h"

namespace {

constexpr float axisMarkRadius = 0.1f;
constexpr float pointMarkRadius = 0.2f;
constexpr int guideColour = 8;
constexpr int pointColour = 13;
constexpr int lineColour = 12;

} // namespace

void drawPointMarks(Canvas &surface, double x, double y)
{
    const float px = toSingle(x);
    const float py = toSingle(y);
    const QColor guide = paletteColour(guideColour);
    surface.drawCircle(0, py, axisMarkRadius, guide);
    surface.drawSegment(0, py, px, py, guide);
    surface.drawSegment(px, 0, px, py, guide);
    surface.drawCircle(px, py, pointMarkRadius, paletteColour(pointColour));
}

void drawAxisMark(Canvas &surface, double x)
{
    surface.drawCircle(toSingle(x), 0, axisMarkRadius, paletteColour(guideColour));
}

void drawSlopedLine(Canvas &surface, const WorldWindow &world, double slope, double intercept)
{
    // The heights at the edges are worked out in double precision from the unrounded line.
    surface.drawSegment(world.xMin, toSingle(slope * world.xMin + intercept), world.xMax,
        toSingle(slope * world.xMax + intercept), paletteColour(lineColour));
}

void drawVerticalLine(Canvas &surface, const WorldWindow &world, double x)
{
    const float at = toSingle(x);
    surface.drawSegment(at, world.yMin, at, world.yMax, paletteColour(lineColour));
}
