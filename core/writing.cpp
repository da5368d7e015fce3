#include "numtext.h"

#include <array>
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

// Writing numbers as text: the shown form with a sign position, the plain form and "0.##".
namespace numtext {

namespace {

// A finite non-zero magnitude rounded to a number of significant digits: d.ddd × 10^exponent,
// trailing zeros dropped.
struct Digits
{
    std::string digits;
    int exponent = 0;
};

Digits significantDigits(double magnitude, Precision precision)
{
    const int count = precision == Precision::Double ? 15 : 7;
    std::array<char, 48> buffer {};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
        std::chars_format::scientific, count - 1);
    const std::string_view text(buffer.data(), result.ptr - buffer.data());
    const std::size_t e = text.find('e');

    Digits out;
    out.digits += text[0];
    if (e > 2)
        out.digits += text.substr(2, e - 2);
    while (out.digits.size() > 1 && out.digits.back() == '0')
        out.digits.pop_back();
    std::from_chars(
        text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(), out.exponent);

    // The largest doubles round up to 1.79769313486232E+308, which no longer reads back as a
    // double; write them rounded down instead, so that every text of a finite number stays one.
    constexpr std::string_view largest = "179769313486231";
    if (out.exponent == 308 && out.digits > largest)
        out.digits = largest;
    return out;
}

QString nonFiniteText(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NaN");
    return value < 0 ? QStringLiteral("-Inf") : QStringLiteral("Inf");
}

// Lays out rounded digits either plainly or, far from 1, as mantissa and exponent ('1.5E-07').
QString layOut(const Digits &d, QChar separator, bool zeroBeforeSeparator, Precision precision)
{
    const int exponentFrom = precision == Precision::Double ? 15 : 7;
    QString out;
    if (d.exponent >= exponentFrom || d.exponent < -5) {
        out += QLatin1Char(d.digits[0]);
        if (d.digits.size() > 1) {
            out += separator;
            out += QLatin1String(d.digits.data() + 1, qsizetype(d.digits.size() - 1));
        }
        out += d.exponent < 0 ? QLatin1String("E-") : QLatin1String("E+");
        const int e = std::abs(d.exponent);
        if (e < 10)
            out += u'0';
        out += QString::number(e);
        return out;
    }
    const QLatin1String digits(d.digits.data(), qsizetype(d.digits.size()));
    if (d.exponent < 0) {
        if (zeroBeforeSeparator)
            out += u'0';
        out += separator;
        out += QString(-d.exponent - 1, u'0');
        out += digits;
        return out;
    }
    const qsizetype integerDigits = d.exponent + 1;
    if (digits.size() <= integerDigits) {
        out += digits;
        out += QString(integerDigits - digits.size(), u'0');
    } else {
        out += digits.left(integerDigits);
        out += separator;
        out += digits.mid(integerDigits);
    }
    return out;
}

} // namespace

QString numberToText(double value, Precision precision)
{
    if (!std::isfinite(value))
        return value < 0 ? nonFiniteText(value) : u' ' + nonFiniteText(value);
    if (value == 0)
        return QStringLiteral(" 0"); // negative zero included
    const QString sign = value < 0 ? QStringLiteral("-") : QStringLiteral(" ");
    return sign + layOut(significantDigits(std::abs(value), precision), u'.', false, precision);
}

QString plainText(double value, const NumberLocale &locale, Precision precision)
{
    if (!std::isfinite(value))
        return nonFiniteText(value);
    if (value == 0)
        return QStringLiteral("0");
    const Digits digits = significantDigits(std::abs(value), precision);
    const QString text = layOut(digits, locale.decimalPoint, true, precision);
    return value < 0 ? u'-' + text : text;
}

QString plainText(std::int16_t value)
{
    return QString::number(value);
}

QString formatNumber(double value, const NumberLocale &locale)
{
    if (!std::isfinite(value))
        return nonFiniteText(value);

    // The integer and fraction digits of the 15-digit text, then rounded to two decimals on
    // that text, halves away from zero.
    std::string integer = "0";
    std::string fraction;
    if (value != 0) {
        const Digits d = significantDigits(std::abs(value), Precision::Double);
        if (d.exponent < 0) {
            fraction = std::string(std::size_t(-d.exponent - 1), '0') + d.digits;
        } else {
            const std::size_t integerDigits = std::size_t(d.exponent) + 1;
            integer = d.digits.substr(0, integerDigits);
            integer.resize(integerDigits, '0');
            if (d.digits.size() > integerDigits)
                fraction = d.digits.substr(integerDigits);
        }
    }
    if (fraction.size() > 2) {
        const bool up = fraction[2] >= '5';
        fraction.resize(2);
        if (up) {
            std::string all = integer + fraction;
            std::size_t i = all.size();
            while (i > 0 && all[i - 1] == '9')
                all[--i] = '0';
            if (i == 0)
                all.insert(all.begin(), '1');
            else
                ++all[i - 1];
            integer = all.substr(0, all.size() - 2);
            fraction = all.substr(all.size() - 2);
        }
    }
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();

    QString out;
    // A negative number that rounds to zero is written '0.', without a sign.
    if (value < 0 && (integer != "0" || !fraction.empty()))
        out += u'-';
    out += QLatin1String(integer.data(), qsizetype(integer.size()));
    out += locale.decimalPoint;
    out += QLatin1String(fraction.data(), qsizetype(fraction.size()));
    return out;
}

} // namespace numtext
