#pragma once

#include "model.h"
#include "numtext.h"

#include <QString>

#include <optional>

/// Whether two values count as equal for a pupil's line: within a relative 1e-9, so that
/// 0.1·3 is 0.3.
bool sameValue(double a, double b);

/// Whether a typed coordinate, or a coefficient derived from it, can be drawn and compared:
/// finite and below 1e15 in magnitude.
bool usable(double value);

/// A double as a single-precision world coordinate, clamped to the single range so that the
/// conversion is always defined; NaN stays NaN.
float toSingle(double value);

/// The sloped line through A and B, with its equation and worked coefficients; nothing when A
/// and B have the same x: the line is vertical.
std::optional<DrawnLine> slopedLine(
    double xA, double yA, double xB, double yB, const numtext::NumberLocale &locale);

/// The line y = slope·x + intercept with its equation and worked coefficients.
DrawnLine shownLine(double slope, double intercept, const numtext::NumberLocale &locale);

/// The vertical line x = x, with its equation 'x =2', 'x =-1.5'.
DrawnLine verticalLine(double x, const numtext::NumberLocale &locale);

/// The worked equation of a point test and its verdict.
struct PointVerdict
{
    bool on = false;
    QString worked;
    QString verdict;
};

/// The test point (xP, yP) against a sloped line, worked with the line's rounded coefficients.
PointVerdict testSloped(
    const DrawnLine &line, double xP, double yP, const numtext::NumberLocale &locale);

/// The test point's x against the vertical line x = xB.
PointVerdict testVertical(double xB, double xP, const numtext::NumberLocale &locale);
