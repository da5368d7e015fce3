#include "equation.h"

#include "linemath.h"
#include "texts.h"

#include <cmath>
#include <optional>

namespace {

using Form = EquationPoints::Form;
using numtext::EquationFault;

struct SearchedPoint
{
    int x = 0;
    double y = 0.0;
};

// The first of x = step, 2·step, ..., 9·step whose ordinate is whole, so that the fields get
// short exact texts; else the tenth. An ordinate within rounding of a whole number is that
// number: two thirds of 3 is 2. Nothing when an ordinate is too large to draw.
std::optional<SearchedPoint> searchPoint(double slope, double intercept, int step)
{
    SearchedPoint point;
    for (int i = 1; i <= 10; ++i) {
        point.x = i * step;
        point.y = slope * point.x + intercept;
        if (!usable(point.y))
            return std::nullopt;
        const double whole = std::round(point.y);
        if (sameValue(point.y, whole)) {
            point.y = whole + 0.0;
            break;
        }
    }
    return point;
}

} // namespace

std::variant<EquationPoints, EquationFault> readEquation(
    QStringView typed, const numtext::NumberLocale &locale)
{
    const auto read = numtext::readLinearEquation(typed);
    if (const auto *fault = std::get_if<EquationFault>(&read))
        return *fault;
    const numtext::StraightLine line = std::get<numtext::StraightLine>(read);

    if (line.vertical) {
        const QString c = numtext::numberToText(line.x);
        return EquationPoints { Form::Vertical, c, QStringLiteral("1"), c, QStringLiteral("2"),
            line };
    }
    if (line.slope == 0) {
        const QString k = numtext::plainText(line.intercept, locale);
        return EquationPoints { Form::Horizontal, QStringLiteral("1"), k, QStringLiteral("2"), k,
            line };
    }
    const std::optional<SearchedPoint> a = searchPoint(line.slope, line.intercept, 1);
    const std::optional<SearchedPoint> b = searchPoint(line.slope, line.intercept, -1);
    if (!a || !b)
        return EquationFault { EquationFault::Reason::TooLarge, typed.size(), {} };
    // The full stop, which the fields read as a decimal separator under every locale.
    const numtext::NumberLocale fields = numtext::NumberLocale::fullStop();
    const auto whole = [](int x) { return numtext::plainText(std::int16_t(x)); };
    return EquationPoints { Form::SlopeIntercept, whole(a->x), numtext::plainText(a->y, fields),
        whole(b->x), numtext::plainText(b->y, fields), line };
}

namespace {

// A power or product as the reader writes it ('x²', 'y³', 'x^4', '2^x', 'x·y'), in words.
QString inWords(const QString &written)
{
    const texts::Refusals &r = texts::refused;
    if (written.endsWith(u'²'))
        return r.squared.arg(written.chopped(1));
    if (written.endsWith(u'³'))
        return r.cubed.arg(written.chopped(1));
    if (written.contains(u'^'))
        return r.raised.arg(written.section(u'^', 0, 0), written.section(u'^', 1));
    return r.product;
}

} // namespace

QString faultText(const EquationFault &fault)
{
    const texts::Refusals &r = texts::refused;
    using Reason = EquationFault::Reason;
    switch (fault.reason) {
    case Reason::Empty:
        return r.empty;
    case Reason::NoEquals:
        return r.noEquals;
    case Reason::ManyEquals:
        return r.manyEquals;
    case Reason::Missing:
        return r.missing;
    case Reason::OtherLetter:
        return r.otherLetter.arg(fault.detail);
    case Reason::UnknownSign:
        return r.unknownSign.arg(fault.detail);
    case Reason::NumberAfterNumber:
        return r.numberAfterNumber;
    case Reason::NumberAfterVariable:
        return r.numberAfterVariable;
    case Reason::Unclosed:
        return r.unclosed;
    case Reason::Unopened:
        return r.unopened;
    case Reason::Power:
    case Reason::Product:
        return r.nonLinear.arg(inWords(fault.detail));
    case Reason::DivisionByVariable:
        return r.divisionByVariable.arg(fault.detail);
    case Reason::DivisionByZero:
        return r.divisionByZero;
    case Reason::NoVariable:
        return r.noVariable;
    case Reason::TooLarge:
        return r.tooLarge;
    case Reason::TooDeep:
        break;
    }
    return r.tooDeep;
}
