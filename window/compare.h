#pragma once

#include <cstdint>

struct WindowState;

/// Writes on the plane how the current line meets the kept one: "coincidents", "paral·leles"
/// at the current text position, or the crossing point at that point. Nothing when no line is
/// kept.
void cortar(WindowState &state);

/// Enter in the equation field: the typed equation becomes the current line through two of
/// its points, written into the fields of A and B.
void txtequacio_KeyDown(WindowState &state, std::int16_t keyCode, std::int16_t shift);
