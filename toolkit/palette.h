#pragma once

#include <QColor>

/// Colour n (0 to 15) of the classic 16-colour palette; numbers outside it wrap around.
QColor paletteColour(int n);
