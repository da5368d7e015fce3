#include "linemath.h"

#include "texts.h"

#include <algorithm>
#include <cmath>
#include <limits>

using numtext::NumberLocale;
using numtext::Precision;

namespace {

const QString onSign = QStringLiteral(" =");
const QString offSign = QStringLiteral(" #");
const QString times = QStringLiteral("·");
const QString plus = QStringLiteral("+");
const QString onVertical = QStringLiteral(" x = ");
const QString offVertical = QStringLiteral("x # ");
const QString yEquals = QStringLiteral("y =");
const QString xPlus = QStringLiteral("·x +");
const QString xEquals = QStringLiteral("x =");

} // namespace

bool sameValue(double a, double b)
{
    // An infinite operand would make the allowance infinite too, and so equal to anything.
    if (!std::isfinite(a) || !std::isfinite(b))
        return a == b;
    return std::abs(a - b) <= 1e-9 * std::max({ 1.0, std::abs(a), std::abs(b) });
}

bool usable(double value)
{
    return std::isfinite(value) && std::abs(value) < 1e15;
}

float toSingle(double value)
{
    constexpr double largest = std::numeric_limits<float>::max();
    return float(std::clamp(value, -largest, largest));
}

std::optional<SlopedLine> slopedLine(
    double xA, double yA, double xB, double yB, const NumberLocale &locale)
{
    const double d = xB - xA;
    if (d == 0)
        return std::nullopt;
    const double slope = (yB - yA) / d;
    return shownLine(slope, -slope * xA + yA, locale);
}

SlopedLine shownLine(double slope, double intercept, const NumberLocale &locale)
{
    SlopedLine line;
    line.slope = slope;
    line.intercept = intercept;
    line.slopeShown = numtext::formatNumber(line.slope, locale);
    // formatNumber's text always reads back under the same locale.
    const QString interceptText = numtext::formatNumber(line.intercept, locale);
    line.interceptShown = toSingle(numtext::parseLocaleNumber(interceptText, locale).value_or(0));
    const double slopeRounded = numtext::parseLocaleNumber(line.slopeShown, locale).value_or(0);
    line.equation = yEquals + numtext::numberToText(slopeRounded) + xPlus
        + numtext::numberToText(line.interceptShown, Precision::Single);
    return line;
}

QString verticalEquation(double x, const NumberLocale &locale)
{
    return xEquals + numtext::plainText(x, locale);
}

PointVerdict testSloped(double slope, double intercept, const numtext::ValueCell &slopeShown,
    float interceptShown, double xP, double yP, const NumberLocale &locale)
{
    PointVerdict result;
    result.on = sameValue(slope * xP + intercept, yP);
    result.worked = numtext::plainText(yP, locale) + (result.on ? onSign : offSign)
        + numtext::numberToText(slopeShown, locale).value_or(QString()) + times
        + numtext::plainText(xP, locale) + plus
        + numtext::numberToText(interceptShown, Precision::Single);
    result.verdict = result.on ? texts::onLine : texts::offLine;
    return result;
}

PointVerdict testVertical(double xB, double xP, const NumberLocale &locale)
{
    PointVerdict result;
    result.on = sameValue(xB, xP);
    result.worked = (result.on ? onVertical : offVertical) + numtext::plainText(xB, locale);
    result.verdict = result.on ? texts::onVerticalLine : texts::offVerticalLine;
    return result;
}
