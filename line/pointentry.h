#pragma once

#include <cstdint>

class Field;
struct Recta;

/// A click in a field of the test point empties it and the verdict of the last test.
void txtAx_click(Recta &r, std::int16_t row);
void txtAy_click(Recta &r, std::int16_t row);
/// Leaving a coordinate field marks what has been typed of its point so far.
void txtAx_LostFocus(Recta &r, std::int16_t row);
void txtAy_LostFocus(Recta &r, std::int16_t row);
/// Enter in a y field: in the row of A or B it draws the line through them, in the row of the
/// test point it tests the point against the line.
void txtAy_KeyDown(Recta &r, std::int16_t row, std::int16_t keyCode, std::int16_t shift);

/// The number typed into a coordinate field, read under the window's locale.
double fieldNumber(const Recta &r, const Field &field);

/// Adds the current equation on a line of its own below the kept ones, once there are any.
void appendKeptEquation(Recta &r);

/// Marks the points of the table, pauses, draws the line through A and B with the frame over
/// it, shows its equation and locks the fields of A and B.
void dibuixar(Recta &r);
/// The pause before the line appears: fixed work, no events handled meanwhile.
void esperar();
