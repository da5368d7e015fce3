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

std::optional<DrawnLine> slopedLine(
    double xA, double yA, double xB, double yB, const NumberLocale &locale)
{
    const double d = xB - xA;
    if (d == 0)
        return std::nullopt;
    const double slope = (yB - yA) / d;
    return shownLine(slope, -slope * xA + yA, locale);
}

DrawnLine shownLine(double slope, double intercept, const NumberLocale &locale)
{
    // The equation and the worked equation show the coefficients rounded to two decimals, the
    // intercept through a single, as the number texts of the program have always read them back.
    const QString slopeText = numtext::formatNumber(slope, locale);
    // formatNumber's text always reads back under the same locale.
    const float interceptShown = toSingle(
        numtext::parseLocaleNumber(numtext::formatNumber(intercept, locale), locale).value_or(0));
    const double slopeRounded = numtext::parseLocaleNumber(slopeText, locale).value_or(0);
    DrawnLine line;
    line.line = { false, 0, slope, intercept };
    line.equation = yEquals + numtext::numberToText(slopeRounded) + xPlus
        + numtext::numberToText(interceptShown, Precision::Single);
    line.slopeWorked
        = numtext::numberToText(numtext::ValueCell::text(slopeText), locale).value_or(QString());
    line.interceptWorked = numtext::numberToText(interceptShown, Precision::Single);
    return line;
}

DrawnLine verticalLine(double x, const NumberLocale &locale)
{
    DrawnLine line;
    line.line = { true, x, 0, 0 };
    line.equation = xEquals + numtext::plainText(x, locale);
    return line;
}

PointVerdict testSloped(const DrawnLine &drawn, double xP, double yP, const NumberLocale &locale)
{
    const numtext::StraightLine &line = drawn.line;
    PointVerdict result;
    result.on = sameValue(line.slope * xP + line.intercept, yP);
    result.worked = numtext::plainText(yP, locale) + (result.on ? onSign : offSign)
        + drawn.slopeWorked + times + numtext::plainText(xP, locale) + plus + drawn.interceptWorked;
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
