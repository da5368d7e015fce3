#include "frame.h"

#include "canvas.h"
#include "numtext.h"
#include "palette.h"

#include <QString>

#include <array>

WorldWindow PosaEscala(Canvas &canvas, int outerWidthTwips, int outerHeightTwips)
{
    // The factor is held in single precision, as are the products, so the edges are the
    // singles that the window's twips give.
    const float f = float(2.0 / 567.0);
    const float w = float(outerWidthTwips) * f;
    const float h = float(outerHeightTwips) * f;
    const WorldWindow world { -w / 2, h / 2, w / 2, -h / 2 };
    canvas.setWorldWindow(world.xMin, world.yMax, world.xMax, world.yMin);
    return world;
}

namespace {

void drawFrame(Canvas &canvas, const WorldWindow &world)
{
    // The 21 axis numbers are the same on every repaint: make their texts once.
    static const std::array<QString, 21> numbers = [] {
        std::array<QString, 21> texts;
        for (int k = 0; k < 21; ++k)
            texts[k] = numtext::numberToText(-20 + 2 * k);
        return texts;
    }();

    const QColor axes = paletteColour(1);
    canvas.drawSegment(world.xMin, 0, world.xMax, 0, axes);
    canvas.drawSegment(0, world.yMax, 0, world.yMin, axes);

    const QColor dot = paletteColour(4);
    for (int i = -20; i <= 20; ++i) {
        // The row counter is a single, as the grid's heights are; whole numbers up to 20 are exact.
        for (float j = -20; j <= 20; ++j) // NOLINT(clang-analyzer-security.FloatLoopCounter)
            canvas.plotPoint(float(i), j, dot);
    }

    for (int k = 0; k < 21; ++k) {
        const float i = float(-20 + 2 * k);
        canvas.printText(i, 0, numbers[k], axes);
        canvas.printText(0, i, numbers[k], axes);
    }
}

} // namespace

void pintar(Canvas &canvas, const WorldWindow &world)
{
    drawFrame(canvas, world);
}
