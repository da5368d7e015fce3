#include "numtext.h"

#include <QTest>

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

using namespace numtext;
using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(numtext::NumberLocale)
Q_DECLARE_METATYPE(numtext::Precision)
Q_DECLARE_METATYPE(numtext::ValueCell)

namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
const double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr auto Single = Precision::Single;
constexpr auto Double = Precision::Double;
const QString hundredThousandZeros(100'000, u'0');

// QCOMPARE on doubles is fuzzy; the shortest text that reads back as the same double makes the
// comparison exact and the failure readable. The sign of zero is not compared.
QString exact(double value)
{
    if (value == 0)
        return u"0"_s;
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return QString::fromLatin1(buffer, result.ptr - buffer);
}

// The rows of the locale-aware tables are written with a full stop; each locale gets them with
// its own separator.
QString under(const NumberLocale &locale, QString text)
{
    return text.replace(u'.', locale.decimalPoint);
}

template <typename Row, std::size_t N, typename AddColumns>
void addUnderBothLocales(const Row (&rows)[N], AddColumns addColumns)
{
    const std::pair<const char *, NumberLocale> locales[]
        = { { "full stop", NumberLocale::fullStop() }, { "comma", NumberLocale::comma() } };
    for (const auto &[localeName, locale] : locales) {
        for (const Row &row : rows)
            addColumns(QTest::addRow("%s, %s", row.name, localeName), row, locale);
    }
}

} // namespace

class TestNumText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parseLeadingNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");

        QTest::newRow("integer") << "3" << 3.0;
        QTest::newRow("no digit before the full stop") << ".5" << 0.5;
        QTest::newRow("stops at a letter") << "4x" << 4.0;
        QTest::newRow("exponent") << "2e1" << 20.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("sign alone") << "-." << 0.0;
        QTest::newRow("blank after the sign") << "- 3" << -3.0;
        QTest::newRow("comma ends the number") << "3,7" << 3.0;
        QTest::newRow("blank, tab, line feed between digits") << " 1\t2\n3" << 123.0;
        QTest::newRow("blanks inside the exponent") << "2 e - 1" << 0.2;
        QTest::newRow("two signs") << "--1" << 0.0;
        QTest::newRow("second full stop ends it") << "1.2.3" << 1.2;
        QTest::newRow("exponent letter without digits") << "2e+" << 2.0;
        QTest::newRow("D exponent") << "1.5d2" << 150.0;
        QTest::newRow("exponent without mantissa") << "e5" << 0.0;
        QTest::newRow("hexadecimal") << "&H1F" << 31.0;
        QTest::newRow("hexadecimal lower case, blanks") << "& h f f" << 255.0;
        QTest::newRow("hexadecimal is not signed") << "&HFFFF" << 65535.0;
        QTest::newRow("octal") << "&O17" << 15.0;
        QTest::newRow("8 is no octal digit") << "&o8" << 0.0;
        QTest::newRow("prefix without digits") << "&H" << 0.0;
        QTest::newRow("unknown prefix") << "&B1" << 0.0;
        QTest::newRow("sign before a prefix") << "-&H1" << 0.0;
        QTest::newRow("hexadecimal beyond 64 bits") << "&H10000000000000000" << 0x1p64;
        QTest::newRow("hexadecimal tie rounds to even") << "&H20000000000001" << 0x1p53;
        // (2^53 + 1) * 16^21 + 1: the last digit lies far below the kept bits but breaks the tie.
        QTest::newRow("hexadecimal dropped digit breaks a tie")
            << u"&H20000000000001"_s + QString(20, u'0') + u"1"_s << (0x1p53 + 2) * 0x1p84;
        QTest::newRow("hexadecimal beyond the double range") << u"&H"_s + QString(300, u'F') << inf;
        QTest::newRow("beyond the double range") << "-1e400" << -inf;
        QTest::newRow("below the double range") << "1e-400" << 0.0;
        QTest::newRow("huge exponent") << "1e99999999999999999999999" << inf;
        QTest::newRow("smallest subnormal") << "4.9406564584124654e-324" << DBL_TRUE_MIN;
        QTest::newRow("decimal tie rounds to even") << "9007199254740993" << 0x1p53;
        QTest::newRow("digit 1000 places on breaks a tie")
            << u"9007199254740993."_s + QString(1000, u'0') + u"1"_s << 0x1p53 + 2;
        QTest::newRow("100k digits") << u"1"_s + hundredThousandZeros << inf;
        QTest::newRow("100k leading zeros, large exponent")
            << u"0."_s + hundredThousandZeros + u"1e100001"_s << 1.0;
        QTest::newRow("NUL ends the number") << u"1"_s + QChar(0) + u"2"_s << 1.0;
        QTest::newRow("lone surrogate first") << QChar(0xD83D) + u"5"_s << 0.0;
        QTest::newRow("lone surrogate last") << u"5"_s + QChar(0xDE00) << 5.0;
        QTest::newRow("full-width digit") << u"\uFF11"_s << 0.0;
    }

    void parseLeadingNumber()
    {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(exact(numtext::parseLeadingNumber(text)), exact(expected));
    }

    void numberToText_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<Precision>("precision");
        QTest::addColumn<QString>("expected");

        QTest::newRow("zero") << 0.0 << Double << " 0";
        QTest::newRow("negative zero") << -0.0 << Double << " 0";
        QTest::newRow("whole") << 100.0 << Double << " 100";
        QTest::newRow("below one") << 0.5 << Double << " .5";
        QTest::newRow("negative below one") << -0.75 << Double << "-.75";
        QTest::newRow("15 digits hide the error of 0.1 + 0.2") << 0.1 + 0.2 << Double << " .3";
        QTest::newRow("two thirds round up") << 2.0 / 3 << Double << " .666666666666667";
        QTest::newRow("single with 7 digits") << double(1.33f) << Single << " 1.33";
        QTest::newRow("same single, 15 digits") << double(1.33f) << Double << " 1.33000004291534";
        QTest::newRow("largest plain double") << 123456789012345.0 << Double << " 123456789012345";
        QTest::newRow("exponent from 1E+15") << -1e15 << Double << "-1E+15";
        QTest::newRow("carry into the exponent form") << 999999999999999.5 << Double << " 1E+15";
        QTest::newRow("largest plain single") << 1234567.0 << Single << " 1234567";
        QTest::newRow("single exponent from 1E+07") << 1e7 << Single << " 1E+07";
        QTest::newRow("smallest plain magnitude") << 0.00001 << Double << " .00001";
        QTest::newRow("small magnitude") << 1.5e-7 << Double << " 1.5E-07";
        QTest::newRow("smallest subnormal") << DBL_TRUE_MIN << Double << " 4.94065645841247E-324";
        // Rounded up, the largest double's text would read back as an infinity.
        QTest::newRow("largest double") << -DBL_MAX << Double << "-1.79769313486231E+308";
    }

    void numberToText()
    {
        QFETCH(double, value);
        QFETCH(Precision, precision);
        QFETCH(QString, expected);
        QCOMPARE(numtext::numberToText(value, precision), expected);
    }

    void plainText_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<NumberLocale>("locale");
        QTest::addColumn<Precision>("precision");
        QTest::addColumn<QString>("expected");

        const struct
        {
            const char *name;
            double value;
            Precision precision;
            QString text;
        } rows[] = {
            { "below one", 0.5, Double, u"0.5"_s },
            { "negative below one", -0.25, Double, u"-0.25"_s },
            { "0.33 times 10", 0.33 * 10, Double, u"3.3"_s },
            { "negative zero", -0.0, Double, u"0"_s },
            { "no digit groups", 1234567.5, Double, u"1234567.5"_s },
            { "single", double(1.33f), Single, u"1.33"_s },
            { "exponent form", -1.5e-7, Double, u"-1.5E-07"_s },
        };
        addUnderBothLocales(rows, [](QTestData &data, const auto &row, const NumberLocale &locale) {
            data << row.value << locale << row.precision << under(locale, row.text);
        });
    }

    void plainText()
    {
        QFETCH(double, value);
        QFETCH(NumberLocale, locale);
        QFETCH(Precision, precision);
        QFETCH(QString, expected);
        QCOMPARE(numtext::plainText(value, locale, precision), expected);
        if (value == std::trunc(value) && std::abs(value) <= 32767) // as a 16-bit integer too
            QCOMPARE(numtext::plainText(std::int16_t(value)), expected);
    }

    void formatNumber_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<NumberLocale>("locale");
        QTest::addColumn<QString>("expected");

        const struct
        {
            const char *name;
            double value;
            QString text;
        } rows[] = {
            { "whole keeps the separator", 3, u"3."_s },
            { "digit before the separator", 0.5, u"0.5"_s },
            { "zero", 0, u"0."_s },
            { "minus a third", -1.0 / 3, u"-0.33"_s },
            { "two thirds round up", 2.0 / 3, u"0.67"_s },
            // Both lie just below the half as doubles; their 15-digit texts are exact halves.
            { "-1.005 stored below the half", -1.005, u"-1.01"_s },
            { "2.675 stored below the half", 2.675, u"2.68"_s },
            { "exact half away from zero", -0.125, u"-0.13"_s },
            { "negative rounds to zero", -0.004, u"0."_s },
            { "carry adds a digit", -9.995, u"-10."_s },
            // Rounded directly this would be .34; its 15-digit text is 123456789012.345.
            { "rounds the 15-digit text", 123456789012.3449, u"123456789012.35"_s },
            { "large keeps all digits, no groups", 1e20, u"100000000000000000000."_s },
            { "tiny", 1e-20, u"0."_s },
        };
        addUnderBothLocales(rows, [](QTestData &data, const auto &row, const NumberLocale &locale) {
            data << row.value << locale << under(locale, row.text);
        });
    }

    void formatNumber()
    {
        QFETCH(double, value);
        QFETCH(NumberLocale, locale);
        QFETCH(QString, expected);
        QCOMPARE(numtext::formatNumber(value, locale), expected);
    }

    void parseLocaleNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<NumberLocale>("locale");
        QTest::addColumn<bool>("isNumber");
        QTest::addColumn<double>("expected");

        const struct
        {
            const char *name;
            QString text;
            bool isNumber;
            double value;
        } rows[] = {
            { "trailing separator", u"2."_s, true, 2 },
            { "negative", u"-0.33"_s, true, -0.33 },
            { "no digit before the separator", u".5"_s, true, 0.5 },
            { "blanks and tabs around", u" \t2.5 "_s, true, 2.5 },
            { "exponent", u"1.5e-2"_s, true, 0.015 },
            { "below the double range", u"1E-400"_s, true, 0 },
            { "100k leading zeros, large exponent", u"0."_s + hundredThousandZeros + u"1E100001"_s,
                true, 1 },
            { "digit 1000 places on breaks a tie",
                u"9007199254740993."_s + QString(1000, u'0') + u"1"_s, true, 0x1p53 + 2 },
            { "beyond the double range", u"1E400"_s, false, 0 },
            { "100k digits", u"1"_s + hundredThousandZeros, false, 0 },
            { "separator alone", u"."_s, false, 0 },
            { "blanks only", u"   "_s, false, 0 },
            { "exponent without digits", u"1E+"_s, false, 0 },
            { "D exponent", u"1D2"_s, false, 0 },
            { "trailing letter", u"2x"_s, false, 0 },
            { "blank inside", u"1 2"_s, false, 0 },
            { "blank after the sign", u"- 2"_s, false, 0 },
            { "two separators", u"1.2.3"_s, false, 0 },
            { "infinity word", u"inf"_s, false, 0 },
            { "hexadecimal", u"&H10"_s, false, 0 },
        };
        addUnderBothLocales(rows, [](QTestData &data, const auto &row, const NumberLocale &locale) {
            data << under(locale, row.text) << locale << row.isNumber << row.value;
        });
        // Digit groups are refused: under a comma locale '0.5' would otherwise read as 5.
        QTest::newRow("comma under full stop") << "0,5" << NumberLocale::fullStop() << false << 0.0;
        QTest::newRow("full stop under comma") << "0.5" << NumberLocale::comma() << false << 0.0;
    }

    void parseLocaleNumber()
    {
        QFETCH(QString, text);
        QFETCH(NumberLocale, locale);
        QFETCH(bool, isNumber);
        QFETCH(double, expected);
        const std::optional<double> value = numtext::parseLocaleNumber(text, locale);
        QCOMPARE(value.has_value(), isNumber);
        if (value)
            QCOMPARE(exact(*value), exact(expected));
    }

    // What the user types: the full stop is a separator under every locale, the comma only
    // under its own; the leading reading stops where the whole reading refuses.
    void typedNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<NumberLocale>("locale");
        QTest::addColumn<double>("leading");
        QTest::addColumn<bool>("isNumber");
        QTest::addColumn<double>("whole");

        const NumberLocale stop = NumberLocale::fullStop();
        const NumberLocale comma = NumberLocale::comma();
        QTest::newRow("comma, comma locale") << u"-1,5"_s << comma << -1.5 << true << -1.5;
        QTest::newRow("full stop, comma locale") << u"-1.5"_s << comma << -1.5 << true << -1.5;
        QTest::newRow("comma, full-stop locale") << u"-1,5"_s << stop << -1.0 << false << 0.0;
        QTest::newRow("full stop, full-stop locale") << u"-1.5"_s << stop << -1.5 << true << -1.5;
        QTest::newRow("one separator only") << u"1,5.25"_s << comma << 1.5 << false << 0.0;
        QTest::newRow("trailing comma") << u"2,"_s << comma << 2.0 << true << 2.0;
        QTest::newRow("blanks inside, comma") << u"1 , 5"_s << comma << 1.5 << false << 0.0;
        QTest::newRow("exponent after a comma") << u"2,5e1"_s << comma << 25.0 << true << 25.0;
        QTest::newRow("hexadecimal, comma") << u"&H1,8"_s << comma << 1.0 << false << 0.0;
        // The leading reading passes over line feeds; around a whole number only blanks and tabs
        // may stand.
        QTest::newRow("line feed after, comma") << u"2,5\n"_s << comma << 2.5 << false << 0.0;
    }

    void typedNumbers()
    {
        QFETCH(QString, text);
        QFETCH(NumberLocale, locale);
        QFETCH(double, leading);
        QFETCH(bool, isNumber);
        QFETCH(double, whole);
        QCOMPARE(exact(numtext::parseTypedNumber(text, locale)), exact(leading));
        const std::optional<double> value = numtext::parseTypedValue(text, locale);
        QCOMPARE(value.has_value(), isNumber);
        if (value)
            QCOMPARE(exact(*value), exact(whole));
    }

    // A coordinate field holds a number or a fraction, or it is no number: never a silent 0.
    void coordinates_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<NumberLocale>("locale");
        QTest::addColumn<bool>("isNumber");
        QTest::addColumn<double>("value");

        const NumberLocale stop = NumberLocale::fullStop();
        const NumberLocale comma = NumberLocale::comma();
        QTest::newRow("whole") << u"3"_s << stop << true << 3.0;
        QTest::newRow("blank inside the sign") << u" - 3 "_s << stop << true << -3.0;
        QTest::newRow("half") << u"1/2"_s << stop << true << 0.5;
        QTest::newRow("negative fraction") << u"-3/4"_s << comma << true << -0.75;
        QTest::newRow("fraction of decimals") << u"1,5/0,5"_s << comma << true << 3.0;
        QTest::newRow("comma, comma locale") << u"2,5"_s << comma << true << 2.5;
        QTest::newRow("full stop, comma locale") << u"2.5"_s << comma << true << 2.5;
        QTest::newRow("comma, full-stop locale") << u"2,5"_s << stop << false << 0.0;
        QTest::newRow("exponent") << u"2e1"_s << stop << true << 20.0;
        QTest::newRow("exponent without digits") << u"2e"_s << stop << false << 0.0;
        QTest::newRow("hexadecimal") << u"&H1F"_s << stop << true << 31.0;
        QTest::newRow("hexadecimal without digits") << u"&H"_s << stop << false << 0.0;
        QTest::newRow("word") << u"abc"_s << stop << false << 0.0;
        QTest::newRow("number then letter") << u"2a"_s << stop << false << 0.0;
        QTest::newRow("division by zero") << u"1/0"_s << stop << false << 0.0;
        QTest::newRow("two slashes") << u"1/2/3"_s << stop << false << 0.0;
        QTest::newRow("sign alone") << u"-"_s << stop << false << 0.0;
        QTest::newRow("empty") << QString() << stop << false << 0.0;
    }

    void coordinates()
    {
        QFETCH(QString, text);
        QFETCH(NumberLocale, locale);
        QFETCH(bool, isNumber);
        QFETCH(double, value);
        const std::optional<double> read = numtext::readCoordinate(text, locale);
        QCOMPARE(read.has_value(), isNumber);
        if (read)
            QCOMPARE(exact(*read), exact(value));
    }

    // A slope is shown as numberToText of its formatNumber text; an intercept goes through the
    // same text, is read back and kept as a single.
    void equationChain_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<NumberLocale>("locale");
        QTest::addColumn<QString>("expected");

        const struct
        {
            const char *name;
            double value;
            const char *text;
        } rows[] = {
            { "whole", 3, " 3" },
            { "negative half", -0.5, "-.5" },
            { "a third", 1.0 / 3, " .33" },
            { "negative rounds to zero", -0.004, " 0" },
            { "half away from zero", -1.005, "-1.01" },
            { "7 digits of the single", 1234.565, " 1234.57" },
        };
        addUnderBothLocales(rows, [](QTestData &data, const auto &row, const NumberLocale &locale) {
            data << row.value << locale << QString::fromLatin1(row.text);
        });
    }

    void equationChain()
    {
        QFETCH(double, value);
        QFETCH(NumberLocale, locale);
        QFETCH(QString, expected);

        const QString formatted = numtext::formatNumber(value, locale);
        QCOMPARE(numtext::numberToText(ValueCell::text(formatted), locale), expected);
        const std::optional<double> read = numtext::parseLocaleNumber(formatted, locale);
        QVERIFY(read);
        QCOMPARE(numtext::numberToText(double(float(*read)), Single), expected);
    }

    void roundNumber_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<double>("expected");

        QTest::newRow("half to even, down") << 2.5 << 0 << 2.0;
        QTest::newRow("half to even, up") << -3.5 << 0 << -4.0;
        QTest::newRow("exact half, two decimals, down") << 0.125 << 2 << 0.12;
        QTest::newRow("exact half, two decimals, up") << 0.375 << 2 << 0.38;
        // The products of these are exact halves as doubles; the stored values are not.
        QTest::newRow("2.675 stored below the half") << 2.675 << 2 << 2.67;
        QTest::newRow("-2.675 stored below the half") << -2.675 << 2 << -2.67;
        QTest::newRow("0.005 stored above the half") << 0.005 << 2 << 0.01;
        QTest::newRow("-0.005 stored above the half") << -0.005 << 2 << -0.01;
        QTest::newRow("minus two thirds") << -2.0 / 3 << 2 << -0.67;
        QTest::newRow("last half below 2^52") << 4503599627370495.5 << 0 << 0x1p52;
        QTest::newRow("whole above 2^52") << 0x1p52 + 1 << 0 << 0x1p52 + 1;
        // Between 2^52/100 and 2^53/100 the rounded product is whole, the exact one not always.
        QTest::newRow("exact half past 2^52 / 100, to even")
            << 62022608221519.375 << 2 << 62022608221519.38;
        QTest::newRow("past 2^52 / 100, rounds up")
            << -51248109780184.945 << 2 << -51248109780184.95;
        QTest::newRow("2^46, spacing above a hundredth") << 0x1p46 + 0x1p-6 << 2 << 0x1p46 + 0x1p-6;
        QTest::newRow("huge, product overflows") << DBL_MAX << 2 << DBL_MAX;
        QTest::newRow("tiny") << DBL_TRUE_MIN << 2 << 0.0;
        QTest::newRow("infinity") << -inf << 2 << -inf;
        QTest::newRow("NaN") << notANumber << 2 << notANumber;
    }

    void roundNumber()
    {
        QFETCH(double, value);
        QFETCH(int, decimals);
        QFETCH(double, expected);
        QCOMPARE(exact(numtext::roundNumber(value, decimals)), exact(expected));
    }

    void toInt16_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("fits");
        QTest::addColumn<int>("expected");

        QTest::newRow("half to even, down") << 2.5 << true << 2;
        QTest::newRow("half to even, up") << 3.5 << true << 4;
        QTest::newRow("minus half") << -0.5 << true << 0;
        QTest::newRow("just above a half") << 0.5000000000000001 << true << 1;
        QTest::newRow("largest") << 32767.49 << true << 32767;
        QTest::newRow("rounds past the largest") << 32767.5 << false << 0;
        QTest::newRow("smallest by even rounding") << -32768.5 << true << -32768;
        QTest::newRow("rounds past the smallest") << -32768.51 << false << 0;
        QTest::newRow("infinity") << inf << false << 0;
        QTest::newRow("NaN") << notANumber << false << 0;
    }

    void toInt16()
    {
        QFETCH(double, value);
        QFETCH(bool, fits);
        QFETCH(int, expected);
        const std::optional<std::int16_t> result = numtext::toInt16(value);
        QCOMPARE(result.has_value(), fits);
        if (result)
            QCOMPARE(int(*result), expected);
    }

    void valueCell_data()
    {
        QTest::addColumn<ValueCell>("cell");
        QTest::addColumn<NumberLocale>("locale");
        QTest::addColumn<bool>("isNumber");
        QTest::addColumn<double>("expected");
        QTest::addColumn<QString>("expectedText");

        const struct
        {
            const char *name;
            ValueCell cell;
            bool isNumber;
            double value;
            const char *text;
        } rows[] = {
            { "empty", ValueCell(), true, 0, " 0" },
            { "smallest integer", ValueCell::integer(-32768), true, -32768, "-32768" },
            { "double, 15 digits", ValueCell::number(1.0 / 3), true, 1.0 / 3, " .333333333333333" },
            { "text as formatNumber writes it", ValueCell::text(u"-0.5"_s), true, -0.5, "-.5" },
            { "empty text", ValueCell::text(QString()), false, 0, "" },
            { "text that is no number", ValueCell::text(u"abc"_s), false, 0, "" },
        };
        addUnderBothLocales(rows, [](QTestData &data, const auto &row, const NumberLocale &locale) {
            const ValueCell cell = row.cell.kind() == ValueCell::Kind::Text
                ? ValueCell::text(under(locale, row.cell.textValue()))
                : row.cell;
            data << cell << locale << row.isNumber << row.value << QString::fromLatin1(row.text);
        });
        QTest::newRow("text of the other locale")
            << ValueCell::text(u"0.5"_s) << NumberLocale::comma() << false << 0.0 << QString();
    }

    void valueCell()
    {
        QFETCH(ValueCell, cell);
        QFETCH(NumberLocale, locale);
        QFETCH(bool, isNumber);
        QFETCH(double, expected);
        QFETCH(QString, expectedText);
        QCOMPARE(cell.toNumber(locale).has_value(), isNumber);
        QCOMPARE(exact(cell.toNumberOr0(locale)), exact(expected));
        const std::optional<QString> shown = numtext::numberToText(cell, locale);
        QCOMPARE(shown.has_value(), isNumber);
        if (shown)
            QCOMPARE(*shown, expectedText);
    }

    // No text written for a value beyond the doubles may be read back as a number.
    void nonFinite_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<NumberLocale>("locale");
        const struct
        {
            const char *name;
            double value;
        } rows[] = { { "NaN", notANumber }, { "infinity", inf }, { "minus infinity", -inf } };
        addUnderBothLocales(rows, [](QTestData &data, const auto &row, const NumberLocale &locale) {
            data << row.value << locale;
        });
    }

    void nonFinite()
    {
        QFETCH(double, value);
        QFETCH(NumberLocale, locale);
        const QString texts[] = { numtext::numberToText(value), numtext::plainText(value, locale),
            numtext::formatNumber(value, locale) };
        for (const QString &text : texts) {
            QVERIFY(!text.isEmpty());
            QVERIFY2(!numtext::parseLocaleNumber(text, locale), qPrintable(text));
        }
    }

    // Texts read back: the given value, then as many random ones (any bit pattern, and the short
    // decimals people type).
    void roundTrips_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<NumberLocale>("locale");
        QTest::addColumn<int>("randomCount");
        const struct
        {
            const char *name;
            double value;
            int randomCount;
        } rows[] = {
            { "largest double", DBL_MAX, 0 },
            { "largest double negative", -DBL_MAX, 0 },
            { "smallest normal", DBL_MIN, 0 },
            { "smallest subnormal", DBL_TRUE_MIN, 0 },
            { "last plain form", 999999999999999.4, 0 },
            { "first small exponent form", 9.99999999999999e-6, 0 },
            { "above 2^53", 123456789012345678.0, 0 },
            { "random values", 0.1, 20000 },
        };
        addUnderBothLocales(rows, [](QTestData &data, const auto &row, const NumberLocale &locale) {
            data << row.value << locale << row.randomCount;
        });
    }

    void roundTrips()
    {
        QFETCH(double, value);
        QFETCH(NumberLocale, locale);
        QFETCH(int, randomCount);
        std::mt19937_64 random(20240611);
        for (int i = 0; i <= randomCount; ++i) {
            if (i > 0 && i % 2 == 0) {
                const std::uint64_t bits = random();
                std::memcpy(&value, &bits, sizeof value);
                if (!std::isfinite(value))
                    continue;
            } else if (i > 0) {
                value = double(std::int64_t(random() % 2'000'001) - 1'000'000)
                    / std::pow(10.0, double(random() % 7));
            }
            checkRoundTrips(value, locale);
            if (QTest::currentTestFailed()) {
                qWarning("value %s", qPrintable(exact(value)));
                return;
            }
        }
    }

private:
    static void checkRoundTrips(double value, const NumberLocale &locale)
    {
        const QString text = numtext::numberToText(value);
        const double back = numtext::parseLeadingNumber(text);
        QCOMPARE(numtext::numberToText(back), text);
        QVERIFY2(std::abs(back - value) <= std::abs(value) * 1e-14, qPrintable(text));

        // The plain text carries the digits of numberToText, so it reads back as the same double.
        const QString plain = numtext::plainText(value, locale);
        const std::optional<double> plainBack = numtext::parseLocaleNumber(plain, locale);
        QVERIFY2(plainBack, qPrintable(plain));
        QCOMPARE(exact(*plainBack), exact(back));

        const QString formatted = numtext::formatNumber(value, locale);
        const std::optional<double> read = numtext::parseLocaleNumber(formatted, locale);
        QVERIFY2(read, qPrintable(formatted));
        QVERIFY2(std::abs(*read - value) <= 0.005 + std::abs(value) * 1e-14, qPrintable(formatted));

        const double rounded = numtext::roundNumber(value, 2);
        QVERIFY(std::abs(rounded - value) <= 0.005 + std::abs(value) * 1e-15);
        QCOMPARE(exact(numtext::roundNumber(rounded, 2)), exact(rounded));
    }
};

QTEST_GUILESS_MAIN(TestNumText)
#include "tst_numtext.moc"
