#include "numtext.h"

#include <QLocale>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

// Reading numbers from text: one scanner of sign, digits, fraction and exponent, and the rules
// that tell the public readers apart.
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

// How a reader takes a text. The leading number reads what it can from the start and passes
// over blanks anywhere; a whole number is the text itself, blanks around it allowed.
struct ReadingRules
{
    QChar point;
    QChar otherPoint; // a second character taken as the separator
    bool whole = false; // nothing may follow, an exponent needs digits, infinity is no number
    bool exponentDigits = false; // an exponent needs digits, though the number need not be whole
};

// Walks a text as a reader sees it: for a leading number, blanks, tabs and line feeds do not
// exist; for a whole number, blanks and tabs around it do not.
class Cursor
{
public:
    Cursor(QStringView text, bool whole)
        : text(text)
        , skipping(!whole)
    {
        if (whole) {
            const auto isBlank = [](QChar c) { return c == u' ' || c == u'\t'; };
            while (!this->text.isEmpty() && isBlank(this->text.front()))
                this->text = this->text.mid(1);
            while (!this->text.isEmpty() && isBlank(this->text.back()))
                this->text.chop(1);
        }
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
        while (skipping && pos < text.size()
            && (text[pos] == u' ' || text[pos] == u'\t' || text[pos] == u'\n'))
            ++pos;
    }

    QStringView text;
    bool skipping;
    qsizetype pos = 0;
};

// A hexadecimal ('&H', 4 bits a digit) or octal ('&O', 3 bits) integer. The first 61 bits or
// more are kept exactly; the rest only count as a shift and as a flag for whether any of them
// is set, which is enough to round once, correctly, to a double. Nothing without a digit.
std::optional<double> readRadixInteger(Cursor &in, int bitsPerDigit)
{
    bool anyDigit = false;
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
        anyDigit = true;
        if (bits < (std::uint64_t(1) << 60)) {
            bits = (bits << bitsPerDigit) | std::uint64_t(digit);
        } else {
            // Past 2^1024 everything is infinite; the cap keeps the count from overflowing.
            droppedBits = std::min(droppedBits + bitsPerDigit, 2000);
            droppedSet = droppedSet || digit != 0;
        }
    }
    if (!anyDigit)
        return std::nullopt;
    if (droppedSet)
        bits |= 1; // far below the rounding position: it only breaks false ties
    return std::ldexp(double(bits), droppedBits);
}

// The one scanner: reads a number from where the cursor stands and leaves the cursor after it;
// nothing when no number stands there under the rules.
std::optional<double> scan(Cursor &in, const ReadingRules &rules)
{
    if (!rules.whole && in.peek() == u'&') {
        in.next();
        const char16_t radix = lower(in.peek());
        if (radix != u'h' && radix != u'o')
            return std::nullopt;
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
    if (!in.atEnd() && (in.peek() == rules.point || in.peek() == rules.otherPoint)) {
        in.next();
        for (; isDigit(in.peek()); in.next()) {
            number.fractionDigit(in.peek());
            anyDigit = true;
        }
    }
    if (!anyDigit)
        return std::nullopt;

    // A leading number also takes D, the old double-precision exponent letter.
    const char16_t letter = lower(in.peek());
    if (letter == u'e' || (letter == u'd' && !rules.whole)) {
        in.next();
        bool negativeExponent = false;
        if (in.peek() == u'+' || in.peek() == u'-') {
            negativeExponent = in.peek() == u'-';
            in.next();
        }
        if ((rules.whole || rules.exponentDigits) && !isDigit(in.peek()))
            return std::nullopt;
        // Saturates long before overflow; anything that large is out of range anyway.
        std::int64_t exponent = 0;
        for (; isDigit(in.peek()); in.next())
            exponent = std::min<std::int64_t>(exponent * 10 + (in.peek() - u'0'), 1'000'000'000);
        number.shift(negativeExponent ? -exponent : exponent);
    }
    const double value = number.toDouble(negative);
    if (rules.whole && std::isinf(value))
        return std::nullopt;
    return value;
}

// Nothing when the text holds no number under the rules, or a whole number has more after it.
std::optional<double> scanNumber(QStringView text, const ReadingRules &rules)
{
    Cursor in(text, rules.whole);
    const std::optional<double> value = scan(in, rules);
    if (rules.whole && !in.atEnd())
        return std::nullopt;
    return value;
}

} // namespace

NumberLocale NumberLocale::system()
{
    const QString point = QLocale::system().decimalPoint();
    return { point.isEmpty() ? QChar(u'.') : point.front() };
}

double parseLeadingNumber(QStringView text)
{
    return scanNumber(text, { u'.', u'.' }).value_or(0.0);
}

double parseTypedNumber(QStringView text, const NumberLocale &locale)
{
    return scanNumber(text, { u'.', locale.decimalPoint }).value_or(0.0);
}

std::optional<double> parseLocaleNumber(QStringView text, const NumberLocale &locale)
{
    return scanNumber(text, { locale.decimalPoint, locale.decimalPoint, true });
}

std::optional<double> parseTypedValue(QStringView text, const NumberLocale &locale)
{
    return scanNumber(text, { locale.decimalPoint, u'.', true });
}

std::optional<double> readCoordinate(QStringView text, const NumberLocale &locale)
{
    const ReadingRules rules { u'.', locale.decimalPoint, false, true };
    Cursor in(text, false);
    std::optional<double> value = scan(in, rules);
    if (value && in.peek() == u'/') {
        in.next();
        const std::optional<double> divisor = scan(in, rules);
        if (!divisor || *divisor == 0)
            return std::nullopt;
        value = *value / *divisor;
    }
    if (!in.atEnd())
        return std::nullopt;
    return value;
}

} // namespace numtext
