#pragma once

#include "numtext/numtext.h"

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

/// The two points that a typed equation stands for, as the texts to write into the fields of
/// A and B.
struct EquationPoints
{
    enum class Form : std::uint8_t { SlopeIntercept, Horizontal, Vertical };

    Form form = Form::Horizontal;
    QString ax, ay, bx, by;
};

/// Reads a typed equation ('y=2x+3', 'y=3', 'x=3', upper case too, blanks and tabs ignored)
/// into two points of its line; its numbers may have the locale's decimal separator or the
/// full stop. Nothing when the text cannot be read to the end: then the window must change
/// nothing at all.
std::optional<EquationPoints> readEquation(QStringView typed, const numtext::NumberLocale &locale);
