#pragma once

class Canvas;

/// The world window over the client area, symmetric about the origin.
struct WorldWindow
{
    float xMin = 0;
    float yMax = 0;
    float xMax = 0;
    float yMin = 0;
};

/// The world window for a window of this outer size (frame, title bar and menu bar included),
/// at 567/2 twips a world unit; it is also set on the canvas.
WorldWindow PosaEscala(Canvas &canvas, int outerWidthTwips, int outerHeightTwips);

/// Draws the frame over what is there: both axes, the 41 × 41 grid dots and the even numbers
/// from -20 to 20 on both axes.
void pintar(Canvas &canvas, const WorldWindow &world);
