#pragma once

#include "model.h"

class Canvas;
struct WindowState;

/// Shows the item on the plane: the model lists it and the canvas draws it. Every item is opaque
/// and drawn aliased, so an item drawn again shows the same pixels over everything: the earlier
/// copy shows nowhere and leaves the list. A frame over a frame changes no pixel and is not drawn.
void showOnPlane(WindowState &state, PlaneItem item);

/// Clears the plane: nothing listed, the canvas blank.
void clearPlane(WindowState &state);

/// The canvas's scene: draws what the model lists again, in order, for another zoom or pixel
/// ratio, the copied picture and the printed page.
void drawScene(Canvas &canvas, const WindowState &state);
