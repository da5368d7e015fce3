#include "numtext.h"

namespace numtext {

ValueCell ValueCell::integer(std::int16_t value)
{
    ValueCell cell;
    cell.cellKind = Kind::Int16;
    cell.i16 = value;
    return cell;
}

ValueCell ValueCell::number(double value)
{
    ValueCell cell;
    cell.cellKind = Kind::Double;
    cell.dbl = value;
    return cell;
}

ValueCell ValueCell::text(const QString &value)
{
    ValueCell cell;
    cell.cellKind = Kind::Text;
    cell.str = value;
    return cell;
}

std::optional<double> ValueCell::toNumber(const NumberLocale &locale) const
{
    switch (cellKind) {
    case Kind::Empty:
        return 0.0;
    case Kind::Int16:
        return double(i16);
    case Kind::Double:
        return dbl;
    case Kind::Text:
        return parseLocaleNumber(str, locale);
    }
    return std::nullopt;
}

double ValueCell::toNumberOr0(const NumberLocale &locale) const
{
    return toNumber(locale).value_or(0.0);
}

std::optional<QString> numberToText(const ValueCell &cell, const NumberLocale &locale)
{
    const std::optional<double> value = cell.toNumber(locale);
    if (!value)
        return std::nullopt;
    // A 16-bit integer has at most five digits, so the 15-digit text writes it exactly.
    return numberToText(*value);
}

} // namespace numtext
