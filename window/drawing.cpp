#include "drawing.h"

#include "canvas.h"
#include "marks.h"
#include "windowstate.h"

#include <algorithm>

void showOnPlane(WindowState &state, PlaneItem item)
{
    std::vector<PlaneItem> &drawing = state.plane.drawing;
    if (item.kind == PlaneItem::Kind::Frame) {
        if (!drawing.empty() && drawing.back().kind == PlaneItem::Kind::Frame)
            return;
        // A frame sets every pixel that an earlier one set, in the same colour: what was drawn
        // between the two lies under the new one as it lay over the earlier one.
        std::erase_if(drawing, [](const PlaneItem &i) { return i.kind == PlaneItem::Kind::Frame; });
    } else {
        const auto earlier = std::find(drawing.begin(), drawing.end(), item);
        if (earlier != drawing.end())
            drawing.erase(earlier);
    }
    drawItem(*state.canvas, state.world, item);
    drawing.push_back(std::move(item));
}

void clearPlane(WindowState &state)
{
    state.plane.drawing.clear();
    state.canvas->clearSurface();
}

void drawScene(Canvas &canvas, const WindowState &state)
{
    for (const PlaneItem &item : state.plane.drawing)
        drawItem(canvas, state.world, item);
}
