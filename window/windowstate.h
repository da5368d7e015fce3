#pragma once

#include "field.h"
#include "frame.h"
#include "model.h"
#include "numtext.h"

#include <QPoint>
#include <QString>

#include <array>
#include <optional>

class Canvas;

/// The window's text fields, by their names; rows 0, 1 and 2 are A, B and the test point.
struct Controls
{
    std::array<Field, 3> txtAx;
    std::array<Field, 3> txtAy;
    Field txtequacio;
    Field txtequacio2;
    Field txtresultat;
    Field txtsino;
};

/// The results a handler has put before the pupil so far: the window tells them to a pupil who
/// cannot see them once the handler has ended, and starts afresh.
struct Shown
{
    bool line = false; // a new line and its equation
    bool test = false; // the worked equation and the verdict of a test point
    bool comparison = false; // how the new line meets the kept one
    QString kept; // the equation of the line "nova recta" kept
    bool keptNothing = false; // "nova recta" with no line to keep
    bool cleared = false; // "esborrar" cleared the plane
    bool plane = false; // the pupil asked what the plane shows
    std::optional<QPoint> cursor; // where the keyboard's cursor on the plane has moved to
    int placedRow = -1; // the row a point placed on the plane went into: A, B, the test point
    QPoint placed;
    bool noSound = false; // the pupil asked for sound where there is none, the first time
    QString landmarks; // what the plane's sound showed, in words
};

/// The points the pupil places on the plane, by the mouse or the keyboard's cursor.
struct Pointing
{
    QPoint cursor; // the keyboard's cursor, while the plane has the keyboard
    std::optional<QPoint> lastPlaced;
};

/// Everything the window's procedures work on: the world window, the plane's model, its fields,
/// the canvas of its client area and the locale's decimal separator, read once at start-up. The
/// window owns it; its procedures take it by reference.
struct WindowState
{
    WorldWindow world;
    Plane plane;
    Controls controls;
    Canvas *canvas = nullptr;
    numtext::NumberLocale locale;
    Shown shown;
    Pointing pointing;
};
