#pragma once

#include "field.h"
#include "frame.h"
#include "numtext.h"

#include <QPoint>
#include <QString>

#include <array>
#include <optional>

class Canvas;

/// The members of the window: the world window, the current line and the kept one.
struct Members
{
    WorldWindow world;

    /// The current sloped line y = slope·x + intercept, unrounded.
    numtext::ValueCell slope = numtext::ValueCell::integer(0);
    numtext::ValueCell intercept = numtext::ValueCell::integer(0);
    /// The slope as the equation shows it (the text of "0.##") and the intercept likewise.
    numtext::ValueCell slopeShown = numtext::ValueCell::integer(0);
    float interceptShown = 0;

    /// Whether the current line is vertical, and where; the slope members then keep the last
    /// sloped line.
    bool vertical = false;
    double verticalX = 0;
    /// Whether a line has been drawn since start-up or the last "esborrar", and the equation
    /// shown for it.
    bool hasLine = false;
    QString lineEquation;

    /// The kept line, compared with every new one. Held in double precision, so that a line
    /// compared with itself is found equal.
    numtext::ValueCell prevSlope;
    double prevIntercept = 0;
    bool prevVertical = false;
    double prevVerticalX = 0;
    bool hasPrevious = false;
    /// What the last run of cortar wrote on the plane: "coincidents", "paral·leles", the crossing
    /// point, or nothing.
    QString comparison;
};

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
};

/// The points the pupil places on the plane, by the mouse or the keyboard's cursor.
struct Pointing
{
    QPoint cursor; // the keyboard's cursor, while the plane has the keyboard
    std::optional<QPoint> lastPlaced;
};

/// Everything the window's procedures work on: its members, its fields, the canvas of its
/// client area and the locale's decimal separator, read once at start-up. The window owns it;
/// the procedures of line/ and compare/ take it by reference.
struct WindowState
{
    Members members;
    Controls controls;
    Canvas *canvas = nullptr;
    numtext::NumberLocale locale;
    Shown shown;
    Pointing pointing;
};
