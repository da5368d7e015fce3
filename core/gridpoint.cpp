#include "gridpoint.h"

#include <algorithm>
#include <cmath>

namespace {

int clampToGrid(double v)
{
    // Beyond any int first: a line's y far off the plane rounds to its edge.
    return int(std::lround(std::clamp(v, double(-gridLimit), double(gridLimit))));
}

} // namespace

std::optional<QPoint> gridPointAt(double x, double y)
{
    if (!std::isfinite(x) || !std::isfinite(y))
        return std::nullopt;
    const double rx = std::round(x);
    const double ry = std::round(y);
    if (std::abs(rx) > gridLimit || std::abs(ry) > gridLimit)
        return std::nullopt;
    return QPoint(int(rx), int(ry));
}

QPoint stepOnGrid(QPoint at, int dx, int dy)
{
    return QPoint(clampToGrid(at.x() + dx), clampToGrid(at.y() + dy));
}

QPoint stepAlongLine(QPoint at, int direction, const numtext::StraightLine &line)
{
    if (line.vertical)
        return QPoint(clampToGrid(line.x), clampToGrid(at.y() + direction));
    const int x = clampToGrid(at.x() + direction);
    return QPoint(x, clampToGrid(line.slope * x + line.intercept));
}

bool onLine(QPoint at, const numtext::StraightLine &line)
{
    // A slope such as 1/3 times 3 may miss a whole y by a rounding of the last bit.
    constexpr double tolerance = 1e-9;
    if (line.vertical)
        return std::abs(at.x() - line.x) < tolerance;
    return std::abs(line.slope * at.x() + line.intercept - at.y()) < tolerance;
}
