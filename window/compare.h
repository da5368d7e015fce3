#pragma once

#include <QPointF>

#include <cstdint>

struct WindowState;

/// Works out how the current line meets the kept one and writes it on the plane: "coincidents"
/// or "paral·leles" at textAt, the crossing point at that point. Nothing when no line is kept.
void cortar(WindowState &state, QPointF textAt);

/// Enter in the equation field: the typed equation becomes the current line through two of
/// its points, written into the fields of A and B.
void txtequacio_KeyDown(WindowState &state, std::int16_t keyCode, std::int16_t shift);
