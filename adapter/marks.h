#pragma once

#include "frame.h"
#include "linearequation.h"
#include "model.h"

class Canvas;

/// The marks of a point: a small grey circle on the y axis at its height, grey guides to both
/// axes and a magenta circle round the point itself.
void drawPointMarks(Canvas &canvas, double x, double y);

/// The small grey circle on the x axis under a typed x.
void drawAxisMark(Canvas &canvas, double x);

/// The line y = slope·x + intercept across the whole width of the world window, in the lines'
/// colour; where it leaves the window at the top or bottom the surface cuts it.
void drawSlopedLine(Canvas &canvas, const WorldWindow &world, double slope, double intercept);
/// The vertical line at x across the whole height of the world window, in the lines' colour.
void drawVerticalLine(Canvas &canvas, const WorldWindow &world, double x);
/// The line, sloped or vertical.
void drawLine(Canvas &canvas, const WorldWindow &world, const numtext::StraightLine &line);

/// One thing the plane shows, as the procedures draw it.
void drawItem(Canvas &canvas, const WorldWindow &world, const PlaneItem &item);
