#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

/// The conversions between numbers and the texts the window shows or reads. Pure functions:
/// the only state is the decimal separator, which the caller passes in.
namespace numtext {

/// The part of the user's locale that the conversions use: its decimal separator.
struct NumberLocale
{
    QChar decimalPoint = u'.';

    static NumberLocale fullStop() { return { u'.' }; }
    static NumberLocale comma() { return { u',' }; }
    /// Reads the system locale (QLocale::system()); the window calls it once at start-up.
    static NumberLocale system();
};

/// How many significant digits a number was held with: 15 for a double, 7 for a single.
enum class Precision : std::uint8_t { Double, Single };

/// Reads the number at the start of a text: blanks, tabs and line feeds anywhere are removed
/// first, then sign, digits, full stop, digits and an exponent (E or D) as far as they go;
/// '&H' and '&O' introduce hexadecimal and octal integers. No number gives 0; it never fails.
/// Digits beyond the double range give an infinity.
double parseLeadingNumber(QStringView text);

/// Reads a number the user typed, in a field or inside an equation, as parseLeadingNumber does,
/// except that the locale's own decimal separator is one too, besides the full stop: under a
/// comma locale '1,5' and '1.5' both read 1.5; under a full-stop locale '1,5' still reads 1.
double parseTypedNumber(QStringView text, const NumberLocale &locale);

/// What a coordinate field holds, as a whole: a number as parseTypedNumber reads one (an exponent
/// with its digits), or a fraction of two ('1/2', '-3/4'); blanks anywhere are passed over.
/// Nothing for a text that is no number ('', 'abc', '2a', '1/0'): it is never taken as 0.
std::optional<double> readCoordinate(QStringView text, const NumberLocale &locale);

/// A typed text that must be one number as a whole: the locale-aware conversion, with the full
/// stop taken as a decimal separator under every locale ('x=1.5' under a comma locale).
std::optional<double> parseTypedValue(QStringView text, const NumberLocale &locale);

/// The shortest text with a sign position: ' 2', '-3', ' .5', '-.25', ' 0'. Always a full stop.
QString numberToText(double value, Precision precision = Precision::Double);

/// The plain text of a number: no sign position, the locale's separator, '0.5', '-3', '3.3'.
QString plainText(
    double value, const NumberLocale &locale, Precision precision = Precision::Double);
QString plainText(std::int16_t value);

/// The format pattern "0.##": at least one digit before the separator, at most two after,
/// halves away from zero on the 15-digit text, the separator always written ('2.', '2.5').
QString formatNumber(double value, const NumberLocale &locale);

/// The locale-aware text-to-number conversion: accepts what formatNumber writes under the
/// same locale ('2.', '2,5', '-0.33'), with blanks around it. Anything else gives nothing.
std::optional<double> parseLocaleNumber(QStringView text, const NumberLocale &locale);

/// Rounds to the given number of decimals; an exact half of the stored double goes to the
/// even digit (2.5 -> 2, 0.125 -> 0.12, 2.675 -> 2.67 because 2.675 is stored below the half).
/// Decimals are taken within 0 ... 22, where the powers of ten are exact doubles.
double roundNumber(double value, int decimals);

/// Rounds to the nearest 16-bit integer, halves to even; nothing when out of range or NaN.
std::optional<std::int16_t> toInt16(double value);

/// A member that holds nothing, a 16-bit integer, a double or a text. Empty reads as 0; a text
/// is read by the locale-aware conversion, which can fail.
class ValueCell
{
public:
    enum class Kind : std::uint8_t { Empty, Int16, Double, Text };

    ValueCell() = default;
    static ValueCell integer(std::int16_t value);
    static ValueCell number(double value);
    static ValueCell text(const QString &value);

    Kind kind() const { return cellKind; }
    /// The number the cell stands for; nothing when it holds a text that is not a number.
    std::optional<double> toNumber(const NumberLocale &locale) const;
    /// Like toNumber, with an unreadable text taken as 0.
    double toNumberOr0(const NumberLocale &locale) const;
    const QString &textValue() const { return str; }

    friend bool operator==(const ValueCell &, const ValueCell &) = default;

private:
    Kind cellKind = Kind::Empty;
    std::int16_t i16 = 0;
    double dbl = 0.0;
    QString str;
};

/// numberToText of a cell: a text is first read by the locale-aware conversion; nothing when
/// that fails.
std::optional<QString> numberToText(const ValueCell &cell, const NumberLocale &locale);

} // namespace numtext
