#pragma once

class Canvas;

/// The marks of a point: a small grey circle on the y axis at its height, grey guides to both
/// axes and a magenta circle round the point itself.
void drawPointMarks(Canvas &surface, double x, double y);

/// The small grey circle on the x axis under a typed x.
void drawAxisMark(Canvas &surface, double x);
