#pragma once

#include "linearequation.h"

#include <QString>

#include <cstdint>

/// A line as the comparison sees it: vertical at x, or y = slope·x + intercept.
using LineDesc = numtext::StraightLine;

/// How two lines meet.
struct Relation
{
    enum class Kind : std::uint8_t { Coincident, Parallel, Crossing };

    Kind kind = Kind::Coincident;
    double x = 0; // the crossing point, for Kind::Crossing
    double y = 0;

    friend bool operator==(const Relation &, const Relation &) = default;
};

/// Equal slopes, intercepts and x positions are compared with the tolerance of sameValue, so a
/// line compared with itself is always coincident and nearly parallel lines are parallel.
Relation relate(const LineDesc &previous, const LineDesc &current);

/// '( 1, 3)', '(-2,-1)', '( .33, 1)': the crossing point rounded to two decimals.
QString crossingText(double x, double y);

/// "coincidents", "paral·leles" or the crossing text.
QString relationText(const Relation &relation);
