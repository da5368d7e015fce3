#include "compare/equation.h"

#include <cmath>
#include <cstdint>

namespace {

using Form = EquationPoints::Form;

struct SearchedPoint
{
    std::int16_t x = 0;
    double y = 0.0;
};

// The reading is positional: only "x", "+" and "-" are looked for, everything before the first
// "x" and after the intercept's number is ignored. Blanks would shift those positions, so they
// go first; lower case lets 'Y=2X-3' read as 'y=2x-3'.
QString withoutBlanks(QStringView typed)
{
    QString t;
    t.reserve(typed.size());
    for (const QChar c : typed) {
        if (c != u' ' && c != u'\t')
            t.append(c);
    }
    return std::move(t).toLower();
}

/// The slope written in front of the last "x" of v (the text after "y="); nothing when v has
/// no "x".
std::optional<double> readSlope(QStringView v, const numtext::NumberLocale &locale)
{
    // A bare "x" has no coefficient to read: '+' or '-' alone would read as 0.
    if (v.startsWith(u'x') || v.startsWith(u"+x"))
        return 1.0;
    if (v.startsWith(u"-x"))
        return -1.0;
    const qsizetype lastX = v.lastIndexOf(u'x');
    if (lastX < 0)
        return std::nullopt;
    return numtext::parseTypedNumber(v.left(lastX), locale);
}

/// The whole number after the first sign that follows the first "x"; nothing when there is no
/// such sign or the number does not fit 16 bits.
std::optional<std::int16_t> readIntercept(const QString &t, const numtext::NumberLocale &locale)
{
    const QString s = t.endsWith(u'x') ? t + QStringLiteral("+0") : t;
    qsizetype sign = s.indexOf(u'x') + 1;
    while (sign < s.size() && s[sign] != u'+' && s[sign] != u'-')
        ++sign;
    if (sign >= s.size())
        return std::nullopt;
    // A '-' belongs to the number, a '+' is only the operator.
    const qsizetype start = s[sign] == u'+' ? sign + 1 : sign;
    return numtext::toInt16(numtext::parseTypedNumber(QStringView(s).mid(start), locale));
}

// The first of x = step, 2·step, ..., 9·step whose ordinate is whole, so that the fields get
// short exact texts; else the tenth. Every ordinate tried must fit 16 bits, the tenth too: one
// beyond that range (or an infinity) means the line cannot be read at all.
std::optional<SearchedPoint> searchPoint(double slope, std::int16_t intercept, int step)
{
    SearchedPoint point;
    for (int i = 1; i <= 10; ++i) {
        point.x = static_cast<std::int16_t>(i * step);
        point.y = slope * point.x + intercept;
        const std::optional<std::int16_t> whole = numtext::toInt16(point.y);
        if (!whole)
            return std::nullopt;
        if (point.y == *whole)
            break;
    }
    return point;
}

std::optional<EquationPoints> readSlopeIntercept(
    const QString &t, const numtext::NumberLocale &locale)
{
    const std::optional<double> slope = readSlope(QStringView(t).mid(2), locale);
    if (!slope)
        return std::nullopt;
    const std::optional<std::int16_t> intercept = readIntercept(t, locale);
    if (!intercept)
        return std::nullopt;
    const std::optional<SearchedPoint> a = searchPoint(*slope, *intercept, 1);
    const std::optional<SearchedPoint> b = a ? searchPoint(*slope, *intercept, -1) : std::nullopt;
    if (!b)
        return std::nullopt;

    // The full stop, which the fields read as a decimal separator under every locale, so that
    // the ordinates read back exactly whatever the locale.
    const numtext::NumberLocale fields = numtext::NumberLocale::fullStop();
    return EquationPoints { Form::SlopeIntercept, numtext::plainText(a->x),
        numtext::plainText(a->y, fields), numtext::plainText(b->x),
        numtext::plainText(b->y, fields) };
}

} // namespace

std::optional<EquationPoints> readEquation(QStringView typed, const numtext::NumberLocale &locale)
{
    const QString t = withoutBlanks(typed);
    // The first two characters ('y=', 'x=') are never examined, only skipped.
    if (t.size() < 2)
        return std::nullopt;

    if (!t.contains(u'x')) {
        const QString k = t.mid(2);
        return EquationPoints { Form::Horizontal, QStringLiteral("1"), k, QStringLiteral("2"), k };
    }

    if (t.startsWith(u'x')) {
        const std::optional<double> value = numtext::parseTypedValue(QStringView(t).mid(2), locale);
        if (!value || !std::isfinite(*value))
            return std::nullopt;
        const QString c = numtext::numberToText(*value);
        return EquationPoints { Form::Vertical, c, QStringLiteral("1"), c, QStringLiteral("2") };
    }

    return readSlopeIntercept(t, locale);
}
