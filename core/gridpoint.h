#pragma once

#include "linearequation.h"

#include <QPoint>

#include <optional>

/// The whole-number points of the grid, the dots the pupil sees, run from −gridLimit to
/// gridLimit on both axes.
inline constexpr int gridLimit = 20;

/// The grid point nearest to a world position; none beyond the grid.
std::optional<QPoint> gridPointAt(double x, double y);

/// The point moved by (dx, dy) units and kept on the grid.
QPoint stepOnGrid(QPoint at, int dx, int dy);

/// The point one unit of x along a sloped line (direction +1 or −1; along a vertical line, one
/// unit of y upwards or downwards), at the grid point nearest to the line there. A point on the
/// line's rounded course stays on it, so that repeated steps follow the line as drawn.
QPoint stepAlongLine(QPoint at, int direction, const numtext::StraightLine &line);

/// Whether the grid point lies on the line, exactly as far as doubles tell.
bool onLine(QPoint at, const numtext::StraightLine &line);
