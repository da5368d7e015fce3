// Any bytes through every number conversion. Each conversion must return without undefined
// behaviour; the readings must agree with the C library's correctly rounded strtod on the text
// that a simple, separate reading of the grammar picks out, and every number written must read
// back as itself (to its digits) or, for "0.##", within the two decimals.
#include "numtext.h"
#include "printable.h"

#include <QString>

#include <locale.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <vector>

using namespace numtext;

namespace {

const NumberLocale locales[] = { NumberLocale::fullStop(), NumberLocale::comma() };

// The input being checked, for the report of a failed check.
const std::uint8_t *inputData = nullptr;
std::size_t inputSize = 0;

[[noreturn]] void fail(const char *what, const QString &text, double value)
{
    std::fprintf(stderr, "fuzz_numtext: %s\n  text: '%s'\n  value: %.17g\n", what,
        printable(text).constData(), value);
    std::fprintf(stderr, "  input bytes:");
    for (std::size_t i = 0; i < inputSize && i < 64; ++i)
        std::fprintf(stderr, " %02x", inputData[i]);
    std::fprintf(stderr, "\n");
    std::abort();
}

void require(bool ok, const char *what, const QString &text, double value)
{
    if (!ok)
        fail(what, text, value);
}

bool sameDouble(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// glibc's strtod rounds correctly and knows nothing of this code; the C locale is pinned so
// that its decimal point is the full stop whatever the environment says.
double strtodC(const std::string &text)
{
    static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return strtod_l(text.c_str(), nullptr, c);
}

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

char16_t lower(char16_t c)
{
    return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
}

// The leading number of a text as its contract states it, with the digits handed to strtod.
double expectedLeadingNumber(QStringView text)
{
    std::u16string s;
    for (const QChar c : text) {
        if (c != u' ' && c != u'\t' && c != u'\n')
            s += c.unicode();
    }
    s += u'\0';
    std::size_t i = 0;

    if (s[i] == u'&') {
        ++i;
        const char16_t radix = lower(s[i]);
        if (radix != u'h' && radix != u'o')
            return 0.0;
        ++i;
        std::string bits;
        for (;; ++i) {
            const char16_t c = lower(s[i]);
            int digit = -1;
            if (isDigit(c))
                digit = c - u'0';
            else if (radix == u'h' && c >= u'a' && c <= u'f')
                digit = c - u'a' + 10;
            if (digit < 0 || digit >= (radix == u'h' ? 16 : 8))
                break;
            for (int bit = radix == u'h' ? 3 : 2; bit >= 0; --bit)
                bits += (digit >> bit) & 1 ? '1' : '0';
        }
        // As a hexadecimal floating-point text, which strtod rounds correctly at any length.
        bits.insert(0, std::string((4 - bits.size() % 4) % 4, '0'));
        std::string hex = "0x0";
        for (std::size_t k = 0; k < bits.size(); k += 4)
            hex += "0123456789abcdef"[std::stoi(bits.substr(k, 4), nullptr, 2)];
        return strtodC(hex + "p0");
    }

    std::string number;
    if (s[i] == u'+' || s[i] == u'-')
        number += char(s[i++]);
    bool anyDigit = false;
    for (; isDigit(s[i]); ++i, anyDigit = true)
        number += char(s[i]);
    if (s[i] == u'.') {
        number += '.';
        for (++i; isDigit(s[i]); ++i, anyDigit = true)
            number += char(s[i]);
    }
    if (!anyDigit)
        return 0.0;
    if (lower(s[i]) == u'e' || lower(s[i]) == u'd') {
        std::string exponent = "e";
        ++i;
        if (s[i] == u'+' || s[i] == u'-')
            exponent += char(s[i++]);
        bool anyExponentDigit = false;
        for (; isDigit(s[i]); ++i, anyExponentDigit = true)
            exponent += char(s[i]);
        // 'E' with no digits after it is a zero exponent.
        if (anyExponentDigit)
            number += exponent;
    }
    return strtodC(number);
}

// The locale-aware reading: the whole text, blanks and tabs around it aside, must be one number.
std::optional<double> expectedLocaleNumber(QStringView text, QChar separator)
{
    while (!text.isEmpty() && (text.front() == u' ' || text.front() == u'\t'))
        text = text.mid(1);
    while (!text.isEmpty() && (text.back() == u' ' || text.back() == u'\t'))
        text.chop(1);
    std::u16string s(reinterpret_cast<const char16_t *>(text.utf16()), std::size_t(text.size()));
    s += u'\0';
    std::size_t i = 0;
    std::string number;
    if (s[i] == u'+' || s[i] == u'-')
        number += char(s[i++]);
    bool anyDigit = false;
    for (; isDigit(s[i]); ++i, anyDigit = true)
        number += char(s[i]);
    if (i < std::size_t(text.size()) && s[i] == separator.unicode()) {
        number += '.';
        for (++i; isDigit(s[i]); ++i, anyDigit = true)
            number += char(s[i]);
    }
    if (!anyDigit)
        return std::nullopt;
    if (s[i] == u'e' || s[i] == u'E') {
        number += 'e';
        ++i;
        if (s[i] == u'+' || s[i] == u'-')
            number += char(s[i++]);
        if (!isDigit(s[i]))
            return std::nullopt;
        for (; isDigit(s[i]); ++i)
            number += char(s[i]);
    }
    if (i != std::size_t(text.size()))
        return std::nullopt;
    const double value = strtodC(number);
    if (std::isinf(value))
        return std::nullopt;
    return value;
}

// A text of 'digits' significant digits read back: within half a unit of its last digit, plus
// the half unit in the last place of the reading. A unit of the last digit is at most
// 10^(1 - digits) of the number.
bool agreesTo(double read, double value, int digits)
{
    const long double unit = std::pow(10.0L, 1 - digits);
    const long double error = std::fabs((long double)read - (long double)value);
    return error <= 0.5L * unit * std::fabs((long double)value) * (1 + 1e-6L)
        + 1.2e-16L * std::fabs((long double)value) + std::numeric_limits<double>::denorm_min();
}

// "0.##": an optional '-', at least one digit, the separator, at most two digits.
bool formatShape(const QString &text, QChar separator)
{
    qsizetype i = text.startsWith(u'-') ? 1 : 0;
    const qsizetype integerStart = i;
    while (i < text.size() && isDigit(text[i].unicode()))
        ++i;
    if (i == integerStart || i >= text.size() || text[i] != separator)
        return false;
    const qsizetype fractionStart = ++i;
    while (i < text.size() && isDigit(text[i].unicode()))
        ++i;
    return i == text.size() && i - fractionStart <= 2;
}

void checkNumber(double x, int decimals)
{
    const QString noText;

    // Every conversion returns for any double, NaN and the infinities included.
    const double rounded = roundNumber(x, decimals);
    const std::optional<std::int16_t> whole = toInt16(x);
    (void)numberToText(x, Precision::Single);
    for (const NumberLocale &locale : locales) {
        (void)plainText(x, locale);
        (void)plainText(x, locale, Precision::Single);
        (void)formatNumber(x, locale);
    }
    const QString text = numberToText(x);
    if (!std::isfinite(x)) {
        require(sameDouble(rounded, x) || (std::isnan(rounded) && std::isnan(x)),
            "roundNumber changed a non-finite number", noText, x);
        require(!whole, "toInt16 of a non-finite number", noText, x);
        return;
    }

    require(text.startsWith(u' ') || text.startsWith(u'-'), "numberToText without a sign position",
        text, x);
    require(agreesTo(parseLeadingNumber(text), x, 15),
        "parseLeadingNumber(numberToText(x)) is not x to 15 digits", text, x);
    const std::optional<double> viaLocale = parseLocaleNumber(text, NumberLocale::fullStop());
    require(viaLocale && agreesTo(*viaLocale, x, 15),
        "numberToText(x) does not read back under the full stop", text, x);
    const QString single = numberToText(x, Precision::Single);
    require(agreesTo(parseLeadingNumber(single), x, 7),
        "parseLeadingNumber(numberToText(x, Single)) is not x to 7 digits", single, x);

    for (const NumberLocale &locale : locales) {
        const QString plain = plainText(x, locale);
        const std::optional<double> plainRead = parseLocaleNumber(plain, locale);
        require(plainRead && agreesTo(*plainRead, x, 15), "plainText does not read back", plain, x);
        const QString plainSingle = plainText(x, locale, Precision::Single);
        const std::optional<double> singleRead = parseLocaleNumber(plainSingle, locale);
        require(singleRead && agreesTo(*singleRead, x, 7), "plainText(Single) does not read back",
            plainSingle, x);

        const QString formatted = formatNumber(x, locale);
        require(formatShape(formatted, locale.decimalPoint), "formatNumber is not \"0.##\"",
            formatted, x);
        require(!formatted.startsWith(u'-') || x < 0, "formatNumber gave a sign to a positive",
            formatted, x);
        const std::optional<double> back = parseLocaleNumber(formatted, locale);
        require(
            back.has_value(), "parseLocaleNumber refuses what formatNumber wrote", formatted, x);
        const long double error = std::fabs((long double)*back - (long double)x);
        // Two decimals from the 15-digit text: half a hundredth, the 15-digit rounding before
        // it and the reading after it.
        require(error <= 0.005L * (1 + 1e-12L) + 5.2e-15L * std::fabs((long double)x),
            "formatNumber is more than 0.005 off", formatted, x);
    }

    // Rounding the stored double, exact halves to even, is what glibc's printf does; the
    // double strtod reads from the rounded digits is the one roundNumber must give, at every
    // magnitude: the largest double has 309 digits, 22 decimals come after them.
    const int clamped = std::min(std::max(decimals, 0), 22);
    std::vector<char> buffer(400);
    std::snprintf(buffer.data(), buffer.size(), "%.*f", clamped, x);
    require(sameDouble(rounded, strtodC(buffer.data())), "roundNumber is not the exact rounding",
        QString::fromLatin1(buffer.data()), x);

    const double nearest = std::nearbyint(x);
    if (nearest >= -32768.0 && nearest <= 32767.0)
        require(whole && double(*whole) == nearest, "toInt16 is not the nearest, halves to even",
            noText, x);
    else
        require(!whole, "toInt16 out of range", noText, x);

    const ValueCell cell = ValueCell::number(x);
    for (const NumberLocale &locale : locales) {
        require(cell.toNumber(locale) && sameDouble(*cell.toNumber(locale), x),
            "a double cell changed its number", noText, x);
        const std::optional<QString> cellText = numberToText(cell, locale);
        require(cellText && *cellText == text, "numberToText of a double cell", noText, x);
    }
}

void checkText(const QString &text, int decimals)
{
    const double leading = parseLeadingNumber(text);
    const double expected = expectedLeadingNumber(text);
    require(sameDouble(leading, expected),
        "parseLeadingNumber is not the correctly rounded reading", text, leading);
    checkNumber(leading, decimals);

    // A typed number: the full stop always a decimal separator, the comma under its locale.
    QString stops = text;
    stops.replace(u',', u'.');
    QString commas = text;
    commas.replace(u'.', u',');
    require(sameDouble(parseTypedNumber(text, locales[0]), leading),
        "parseTypedNumber under the full stop is not parseLeadingNumber", text, 0);
    require(sameDouble(parseTypedNumber(text, locales[1]), parseLeadingNumber(stops)),
        "parseTypedNumber under the comma does not take it for a full stop", text, 0);
    require(parseTypedValue(text, locales[0]) == parseLocaleNumber(text, locales[0]),
        "parseTypedValue under the full stop is not parseLocaleNumber", text, 0);
    require(parseTypedValue(text, locales[1]) == parseLocaleNumber(commas, locales[1]),
        "parseTypedValue under the comma does not take a full stop for it", text, 0);

    for (const NumberLocale &locale : locales) {
        const std::optional<double> read = parseLocaleNumber(text, locale);
        const std::optional<double> want = expectedLocaleNumber(text, locale.decimalPoint);
        require(read.has_value() == want.has_value(),
            read ? "parseLocaleNumber accepts a text that is no number"
                 : "parseLocaleNumber refuses a number",
            text, read.value_or(0));
        if (read) {
            require(sameDouble(*read, *want),
                "parseLocaleNumber is not the correctly rounded reading", text, *read);
            checkNumber(*read, decimals);
        }

        const ValueCell cell = ValueCell::text(text);
        require(cell == ValueCell::text(text) && !(cell == ValueCell()), "cell equality", text, 0);
        const std::optional<double> number = cell.toNumber(locale);
        require(number.has_value() == read.has_value() && (!number || sameDouble(*number, *read)),
            "a text cell reads otherwise than parseLocaleNumber", text, number.value_or(0));
        require(sameDouble(cell.toNumberOr0(locale), read.value_or(0.0)), "toNumberOr0", text, 0);
        const std::optional<QString> shown = numberToText(cell, locale);
        require(shown.has_value() == read.has_value() && (!shown || *shown == numberToText(*read)),
            "numberToText of a text cell", text, 0);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    inputData = data;
    inputSize = size;
    const char *bytes = reinterpret_cast<const char *>(data);
    const int decimals = size > 0 ? int(data[0] % 30) - 4 : 2; // 0 ... 22 and beyond both ends

    // The same bytes three ways, so that odd characters, lone surrogates included, reach the
    // readers.
    checkText(QString::fromUtf8(bytes, qsizetype(size)), decimals);
    checkText(QString::fromLatin1(bytes, qsizetype(size)), decimals);
    QString utf16(qsizetype(size / 2), Qt::Uninitialized);
    std::memcpy(utf16.data(), data, std::size_t(utf16.size()) * 2);
    checkText(utf16, decimals);

    // Eight bytes at a time as a double, NaNs and infinities included.
    for (std::size_t offset = 0; offset + 8 <= size && offset < 64; offset += 8) {
        double x;
        std::memcpy(&x, data + offset, sizeof x);
        checkNumber(x, decimals);
    }

    // Every 16-bit integer writes and reads back exactly.
    if (size >= 2) {
        std::int16_t i;
        std::memcpy(&i, data, sizeof i);
        const QString text = plainText(i);
        require(parseLeadingNumber(text) == i, "plainText of a 16-bit integer", text, i);
        const ValueCell cell = ValueCell::integer(i);
        require(cell.kind() == ValueCell::Kind::Int16 && cell.toNumberOr0(locales[1]) == i,
            "a 16-bit integer cell", text, i);
        const std::optional<QString> shown = numberToText(cell, locales[0]);
        require(
            shown && parseLeadingNumber(*shown) == i, "numberToText of an integer cell", text, i);
    }
    return 0;
}
