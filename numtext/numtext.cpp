#include "numtext/numtext.h"

#include <QLocale>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>

namespace numtext {

namespace {

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

char16_t lower(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
}

// The digits of a decimal number as they are read, kept as 0.digits × 10^exponent. Leading
// zeros only move the exponent. Past kMaxDigits the digits only matter for rounding to a
// double, and only as far as one of them is not zero; a single '1' stands for all of them,
// so that a text of any length takes bounded time and memory.
class DecimalReader
{
public:
    void integerDigit(char16_t c)
    {
        if (digits.empty() && c == u'0')
            return;
        append(c);
        exponent = std::min(exponent + 1, kExponentLimit);
    }

    void fractionDigit(char16_t c)
    {
        if (digits.empty() && c == u'0') {
            exponent = std::max(exponent - 1, -kExponentLimit);
            return;
        }
        append(c);
    }

    void shift(std::int64_t powerOfTen)
    {
        exponent = std::clamp(exponent + powerOfTen, -kExponentLimit, kExponentLimit);
    }

    /// The nearest double, ±inf beyond the double range, ±0 below it.
    double toDouble(bool negative) const
    {
        const double sign = negative ? -1.0 : 1.0;
        std::string text = digits;
        while (!text.empty() && text.back() == '0')
            text.pop_back();
        if (dropped)
            text += '1';
        if (text.empty())
            return sign * 0.0;
        // The value lies in [10^(exponent-1), 10^exponent).
        if (exponent > 310)
            return sign * std::numeric_limits<double>::infinity();
        if (exponent < -330)
            return sign * 0.0;
        text.insert(0, "0.");
        text += 'e';
        text += std::to_string(exponent);
        double value = 0.0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error == std::errc::result_out_of_range)
            value = exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
        return sign * value;
    }

private:
    // 767 significant digits decide any rounding of a decimal to a double; a few more are safe.
    static constexpr std::size_t kMaxDigits = 800;
    // Far beyond any double, small enough that no sum of two of them overflows.
    static constexpr std::int64_t kExponentLimit = std::int64_t(1) << 60;

    void append(char16_t c)
    {
        if (digits.size() < kMaxDigits)
            digits += char(c);
        else if (c != u'0')
            dropped = true;
    }

    std::string digits;
    std::int64_t exponent = 0;
    bool dropped = false;
};

// Walks a text as parseLeadingNumber sees it: blanks, tabs and line feeds do not exist.
class BlankSkipper
{
public:
    explicit BlankSkipper(QStringView text)
        : text(text)
    {
        skip();
    }

    char16_t peek() const { return pos < text.size() ? text[pos].unicode() : u'\0'; }
    bool atEnd() const { return pos >= text.size(); }
    void next()
    {
        ++pos;
        skip();
    }

private:
    void skip()
    {
        while (pos < text.size() && (text[pos] == u' ' || text[pos] == u'\t' || text[pos] == u'\n'))
            ++pos;
    }

    QStringView text;
    qsizetype pos = 0;
};

// A hexadecimal ('&H', 4 bits a digit) or octal ('&O', 3 bits) integer. The first 61 bits or
// more are kept exactly; the rest only count as a shift and as a flag for whether any of them
// is set, which is enough to round once, correctly, to a double.
double readRadixInteger(BlankSkipper &in, int bitsPerDigit)
{
    std::uint64_t bits = 0;
    int droppedBits = 0;
    bool droppedSet = false;
    for (;;) {
        const char16_t c = lower(in.peek());
        int digit = -1;
        if (isDigit(c))
            digit = c - u'0';
        else if (bitsPerDigit == 4 && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        if (digit < 0 || digit >= (1 << bitsPerDigit))
            break;
        in.next();
        if (bits < (std::uint64_t(1) << 60)) {
            bits = (bits << bitsPerDigit) | std::uint64_t(digit);
        } else {
            // Past 2^1024 everything is infinite; the cap keeps the count from overflowing.
            droppedBits = std::min(droppedBits + bitsPerDigit, 2000);
            droppedSet = droppedSet || digit != 0;
        }
    }
    if (droppedSet)
        bits |= 1; // far below the rounding position: it only breaks false ties
    return std::ldexp(double(bits), droppedBits);
}

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

NumberLocale NumberLocale::system()
{
    const QString point = QLocale::system().decimalPoint();
    return { point.isEmpty() ? QChar(u'.') : point.front() };
}

namespace {

// The reading of parseLeadingNumber, with one more character that may stand for its full stop.
double readLeadingNumber(QStringView text, QChar otherPoint)
{
    BlankSkipper in(text);
    if (in.peek() == u'&') {
        in.next();
        const char16_t radix = lower(in.peek());
        if (radix != u'h' && radix != u'o')
            return 0.0;
        in.next();
        return readRadixInteger(in, radix == u'h' ? 4 : 3);
    }

    bool negative = false;
    if (in.peek() == u'+' || in.peek() == u'-') {
        negative = in.peek() == u'-';
        in.next();
    }
    DecimalReader number;
    bool anyDigit = false;
    for (; isDigit(in.peek()); in.next()) {
        number.integerDigit(in.peek());
        anyDigit = true;
    }
    if (in.peek() == u'.' || in.peek() == otherPoint) {
        in.next();
        for (; isDigit(in.peek()); in.next()) {
            number.fractionDigit(in.peek());
            anyDigit = true;
        }
    }
    if (!anyDigit)
        return 0.0;

    const char16_t letter = lower(in.peek());
    if (letter == u'e' || letter == u'd') {
        in.next();
        bool negativeExponent = false;
        if (in.peek() == u'+' || in.peek() == u'-') {
            negativeExponent = in.peek() == u'-';
            in.next();
        }
        // Saturates long before overflow; anything that large is out of range anyway.
        std::int64_t exponent = 0;
        for (; isDigit(in.peek()); in.next())
            exponent = std::min<std::int64_t>(exponent * 10 + (in.peek() - u'0'), 1'000'000'000);
        number.shift(negativeExponent ? -exponent : exponent);
    }
    return number.toDouble(negative);
}

} // namespace

double parseLeadingNumber(QStringView text)
{
    return readLeadingNumber(text, u'.');
}

double parseTypedNumber(QStringView text, const NumberLocale &locale)
{
    return readLeadingNumber(text, locale.decimalPoint);
}

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

namespace {

// The locale-aware conversion, with one more character that may stand for its separator.
std::optional<double> readWholeNumber(QStringView text, QChar point, QChar otherPoint)
{
    const auto isBlank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.mid(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);

    qsizetype pos = 0;
    const auto peek = [&] { return pos < text.size() ? text[pos].unicode() : u'\0'; };

    bool negative = false;
    if (peek() == u'+' || peek() == u'-') {
        negative = peek() == u'-';
        ++pos;
    }
    DecimalReader number;
    bool anyDigit = false;
    for (; isDigit(peek()); ++pos) {
        number.integerDigit(peek());
        anyDigit = true;
    }
    if (pos < text.size() && (text[pos] == point || text[pos] == otherPoint)) {
        ++pos;
        for (; isDigit(peek()); ++pos) {
            number.fractionDigit(peek());
            anyDigit = true;
        }
    }
    if (!anyDigit)
        return std::nullopt;

    if (peek() == u'e' || peek() == u'E') {
        ++pos;
        bool negativeExponent = false;
        if (peek() == u'+' || peek() == u'-') {
            negativeExponent = peek() == u'-';
            ++pos;
        }
        if (!isDigit(peek()))
            return std::nullopt;
        std::int64_t exponent = 0;
        for (; isDigit(peek()); ++pos)
            exponent = std::min<std::int64_t>(exponent * 10 + (peek() - u'0'), 1'000'000'000);
        number.shift(negativeExponent ? -exponent : exponent);
    }
    if (pos != text.size())
        return std::nullopt;

    const double value = number.toDouble(negative);
    if (std::isinf(value))
        return std::nullopt;
    return value;
}

} // namespace

std::optional<double> parseLocaleNumber(QStringView text, const NumberLocale &locale)
{
    return readWholeNumber(text, locale.decimalPoint, locale.decimalPoint);
}

std::optional<double> parseTypedValue(QStringView text, const NumberLocale &locale)
{
    return readWholeNumber(text, locale.decimalPoint, u'.');
}

double roundNumber(double value, int decimals)
{
    // 10^22 is the largest power of ten that a double holds exactly.
    decimals = std::clamp(decimals, 0, 22);
    if (!std::isfinite(value))
        return value;
    double scale = 1.0;
    for (int i = 0; i < decimals; ++i)
        scale *= 10.0;

    // The product is rounded: 2.675 * 100 gives exactly 267.5 although the stored 2.675 lies
    // below the half. The fused multiply-add yields what that rounding cut off, exactly, and its
    // sign tells on which side of the half the true product lies.
    const double product = value * scale;
    // From 2^53 on, the doubles next to value lie further apart than 1/scale, so value itself is
    // the double nearest to its rounding.
    if (!(std::abs(product) < 9007199254740992.0))
        return value;
    double cutOff = std::fma(value, scale, -product);
    // Work on the magnitude: 1 - 0.3 is not exact, 0.7 - 0 is.
    const double magnitude = std::abs(product);
    if (product < 0)
        cutOff = -cutOff;
    // From 2^52 on the product is whole and, its spacing being 1, already the exact product
    // rounded to the nearest whole, halves to even.
    const double whole = std::floor(magnitude);
    const double fraction = magnitude - whole;
    bool up = fraction > 0.5;
    if (fraction == 0.5)
        up = cutOff > 0 || (cutOff == 0 && std::fmod(whole, 2.0) != 0);
    return std::copysign((up ? whole + 1 : whole) / scale, value);
}

std::optional<std::int16_t> toInt16(double value)
{
    const double rounded = roundNumber(value, 0);
    if (!(rounded >= -32768.0 && rounded <= 32767.0))
        return std::nullopt;
    return static_cast<std::int16_t>(rounded);
}

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
