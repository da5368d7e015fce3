#pragma once

#include "linearequation.h"
#include "numtext.h"

#include <QString>
#include <QStringView>

#include <cstdint>
#include <variant>

/// The two points that a typed equation stands for, as the texts to write into the fields of
/// A and B, and the line itself, exactly as typed.
struct EquationPoints
{
    enum class Form : std::uint8_t { SlopeIntercept, Horizontal, Vertical };

    Form form = Form::Horizontal;
    QString ax, ay, bx, by;
    numtext::StraightLine line;
};

/// Reads a typed equation ('y=2x+3', '2x+3y=6', 'y=x/2+1', 'y=3', 'x=3', and every other form
/// that reduces to a line) into two points of its line. A sloped line gets A at the first x from
/// 1 to 9 with a whole y, else 10, and B likewise from -1 on; a horizontal one (1, k) and (2, k),
/// a vertical one (c, 1) and (c, 2). A text that is no line gives the fault, and then the window
/// must change nothing at all.
std::variant<EquationPoints, numtext::EquationFault> readEquation(
    QStringView typed, const numtext::NumberLocale &locale);

/// What the pupil is told of a refused equation: 'Només rectes: x² no hi pot ser.'
QString faultText(const numtext::EquationFault &fault);
