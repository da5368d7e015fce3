#pragma once

#include "linearequation.h"
#include "relation.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

/// A line as it stands on the plane: exact, as typed or as worked out from two points, with the
/// equation shown for it and its coefficients as the worked equation of a point test writes
/// them, rounded to two decimals.
struct DrawnLine
{
    numtext::StraightLine line;
    QString equation; // 'y = 2·x + 0', 'y = .33·x +-1', 'x =3'
    QString slopeWorked; // ' 2', ' .33'; empty for a vertical line
    QString interceptWorked; // ' 0', '-1'

    friend bool operator==(const DrawnLine &, const DrawnLine &) = default;
};

/// The last point tested against the current line, as typed, with its worked equation and
/// verdict.
struct PointTest
{
    QString x, y;
    bool on = false;
    QString worked; // ' 4 = 2·1 + 2', 'x # 3'
    QString verdict; // "Està en la recta"

    friend bool operator==(const PointTest &, const PointTest &) = default;
};

/// Something the plane shows, in world units: the frame (axes, grid and numbers), the grey mark
/// on the x axis of a typed x, the marks of a typed point, a line, or a text such as how two
/// lines meet.
struct PlaneItem
{
    enum class Kind : std::uint8_t { Frame, AxisMark, PointMarks, Line, Text };

    Kind kind = Kind::Frame;
    double x = 0; // the point marked, or the text's top-left corner
    double y = 0;
    numtext::StraightLine line; // for Kind::Line
    QString text; // for Kind::Text

    friend bool operator==(const PlaneItem &, const PlaneItem &) = default;
};

/// What the plane holds: the lines and the results, which the window draws and tells from.
struct Plane
{
    /// The last line drawn since start-up or "esborrar"; "nova recta" keeps it.
    std::optional<DrawnLine> current;
    /// Whether the current line is on the plane: drawn since the last menu command, with the
    /// points of A and B locked.
    bool currentOnPlane = false;
    /// The line "nova recta" kept, compared with every new one.
    std::optional<DrawnLine> kept;
    /// How the current line meets the kept one, as the plane shows it.
    std::optional<Relation> meeting;
    /// The last point test, until a click into its fields or a menu command empties it.
    std::optional<PointTest> test;
    /// What the plane shows, in the order it was drawn since the plane was last cleared; an item
    /// drawn again over everything is the same pixels, and is listed once, where it was last
    /// drawn.
    std::vector<PlaneItem> drawing;

    friend bool operator==(const Plane &, const Plane &) = default;

    /// The line on the plane, if any.
    const DrawnLine *onPlane() const { return current && currentOnPlane ? &*current : nullptr; }
};
