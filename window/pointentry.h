#pragma once

#include "linearequation.h"

#include <QPointF>

#include <cstdint>
#include <optional>

class Field;
struct WindowState;

/// A click in a field of the test point empties it and the verdict of the last test.
void txtAx_click(WindowState &state, std::int16_t row);
void txtAy_click(WindowState &state, std::int16_t row);
/// Leaving a coordinate field marks what has been typed of its point so far.
void txtAx_LostFocus(WindowState &state, std::int16_t row);
void txtAy_LostFocus(WindowState &state, std::int16_t row);
/// Enter in a y field: in the row of A or B it draws the line through them, in the row of the
/// test point it tests the point against the line. Returns true when a new line was drawn: the
/// window then runs cortar, the last step of the handler, with its text at B.
bool txtAy_KeyDown(WindowState &state, std::int16_t row, std::int16_t keyCode, std::int16_t shift);

/// The number typed into a coordinate field, read under the window's locale: 0 for a field that
/// is empty or blank, nothing for a text that is no number.
std::optional<double> fieldNumber(const WindowState &state, const Field &field);

/// The line drawn for the points of the table, while their fields are locked; none before it is
/// drawn and after a menu command has opened the table for a new line.
std::optional<numtext::StraightLine> currentLine(const WindowState &state);

/// Where the pupil typed B, in single precision as the plane takes it: where the comparison of a
/// new line with the kept one is written, unless the two cross.
QPointF pointB(const WindowState &state);

/// The row that a point placed on the plane goes into: the first of A and B that is open and
/// not complete, or the test point once the line is drawn; none when neither is.
std::optional<std::int16_t> placementRow(const WindowState &state);

/// Adds the current equation on a line of its own below the kept ones, once there are any.
void appendKeptEquation(WindowState &state);

/// Marks the points of the table, pauses, draws the line through A and B with the frame over
/// it, shows its equation and locks the fields of A and B. A line given (the one an equation
/// typed, or the one already drawn) is drawn instead of the one the fields' texts give.
void dibuixar(WindowState &state, const numtext::StraightLine *given = nullptr);
/// The pause before the line appears: fixed work, no events handled meanwhile.
void esperar();
