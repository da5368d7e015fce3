// Any text through the equation reading, under both decimal separators. The reading gives either
// nothing or two points of the stated line; a second reading here walks the text step by step,
// dropping characters as the reading is described (blanks and tabs first gone, upper case
// lowered, "+x" read as the slope 1), and must give the same four texts or nothing alike.
#include "compare/equation.h"
#include "fuzz/printable.h"
#include "numtext/numtext.h"

#include <QString>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

using Form = EquationPoints::Form;
using numtext::NumberLocale;

namespace {

const NumberLocale locales[] = { NumberLocale::fullStop(), NumberLocale::comma() };

[[noreturn]] void fail(
    const char *what, const QString &typed, const std::optional<EquationPoints> &p)
{
    std::fprintf(stderr, "fuzz_equation: %s\n  typed: '%s'\n", what, printable(typed).constData());
    if (p)
        std::fprintf(stderr, "  points: form %d, A ('%s', '%s'), B ('%s', '%s')\n", int(p->form),
            printable(p->ax).constData(), printable(p->ay).constData(),
            printable(p->bx).constData(), printable(p->by).constData());
    std::abort();
}

bool samePoints(const std::optional<EquationPoints> &a, const std::optional<EquationPoints> &b)
{
    if (!a || !b)
        return !a && !b;
    return a->form == b->form && a->ax == b->ax && a->ay == b->ay && a->bx == b->bx
        && a->by == b->by;
}

std::optional<EquationPoints> withStops(std::optional<EquationPoints> p)
{
    if (p) {
        for (QString *t : { &p->ax, &p->ay, &p->bx, &p->by })
            t->replace(u',', u'.');
    }
    return p;
}

std::optional<int> smallInteger(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || numtext::plainText(std::int16_t(value)) != text)
        return std::nullopt;
    return value;
}

// The search for a point from x = step on, as described: stop at the first whole ordinate or at
// the tenth step; any ordinate beyond 16 bits makes the text unreadable.
std::optional<std::pair<int, double>> expectedPoint(double m, std::int16_t n, int step)
{
    for (int i = 1;; ++i) {
        const double y = m * (i * step) + n;
        const std::optional<std::int16_t> k = numtext::toInt16(y);
        if (!k)
            return std::nullopt;
        if (y == double(*k) || i == 10)
            return std::pair { i * step, y };
    }
}

std::optional<EquationPoints> expectedReading(const QString &typed, const NumberLocale &locale)
{
    QString t;
    for (const QChar c : typed) {
        if (c != u' ' && c != u'\t')
            t += c;
    }
    // Qt lowers a temporary otherwise than a kept text where a lone surrogate ends it and a
    // letter before it lowers to two characters ('İ'); lower a temporary, as the reading does.
    t = std::move(t).toLower();
    if (t.size() < 2)
        return std::nullopt;
    const QString afterTwo = t.mid(2);

    if (!t.contains(u'x'))
        return EquationPoints { Form::Horizontal, QStringLiteral("1"), afterTwo,
            QStringLiteral("2"), afterTwo };
    if (t.front() == u'x') {
        const std::optional<double> r = numtext::parseTypedValue(afterTwo, locale);
        if (!r)
            return std::nullopt;
        const QString c = numtext::numberToText(*r);
        return EquationPoints { Form::Vertical, c, QStringLiteral("1"), c, QStringLiteral("2") };
    }

    double m = 0;
    if (afterTwo.startsWith(u'x') || afterTwo.startsWith(u"+x")) {
        m = 1;
    } else if (afterTwo.startsWith(u"-x")) {
        m = -1;
    } else {
        // Drop the last character until the one dropped is an "x".
        QStringView slopeText = afterTwo;
        for (;;) {
            if (slopeText.isEmpty())
                return std::nullopt;
            const QChar dropped = slopeText.back();
            slopeText.chop(1);
            if (dropped == u'x')
                break;
        }
        m = numtext::parseTypedNumber(slopeText, locale);
    }

    QString interceptSource = t;
    if (interceptSource.back() == u'x')
        interceptSource += QStringLiteral("+0");
    QStringView interceptText = interceptSource;
    while (!interceptText.startsWith(u'x'))
        interceptText = interceptText.mid(1);
    while (!interceptText.isEmpty() && !interceptText.startsWith(u'+')
        && !interceptText.startsWith(u'-'))
        interceptText = interceptText.mid(1);
    if (interceptText.isEmpty())
        return std::nullopt;
    if (interceptText.startsWith(u'+'))
        interceptText = interceptText.mid(1);
    const std::optional<std::int16_t> n
        = numtext::toInt16(numtext::parseTypedNumber(interceptText, locale));
    if (!n)
        return std::nullopt;

    const auto a = expectedPoint(m, *n, 1);
    if (!a)
        return std::nullopt;
    const auto b = expectedPoint(m, *n, -1);
    if (!b)
        return std::nullopt;
    const NumberLocale fields = NumberLocale::fullStop();
    return EquationPoints { Form::SlopeIntercept, numtext::plainText(std::int16_t(a->first)),
        numtext::plainText(a->second, fields), numtext::plainText(std::int16_t(b->first)),
        numtext::plainText(b->second, fields) };
}

// What holds of any answer, whatever the text was.
void checkShape(const QString &typed, const std::optional<EquationPoints> &p)
{
    if (!p)
        return;
    const auto need = [&](bool ok, const char *what) {
        if (!ok)
            fail(what, typed, p);
    };
    switch (p->form) {
    case Form::Horizontal:
        need(p->ax == u"1" && p->bx == u"2" && p->ay == p->by, "horizontal points");
        break;
    case Form::Vertical:
        need(p->ay == u"1" && p->by == u"2" && p->ax == p->bx, "vertical points");
        need(std::isfinite(numtext::parseLeadingNumber(p->ax)), "vertical line at no number");
        break;
    case Form::SlopeIntercept: {
        const std::optional<int> ax = smallInteger(p->ax);
        const std::optional<int> bx = smallInteger(p->bx);
        need(ax && *ax >= 1 && *ax <= 10, "A's abscissa not in 1 ... 10");
        need(bx && *bx >= -10 && *bx <= -1, "B's abscissa not in -10 ... -1");
        const double ay = numtext::parseLeadingNumber(p->ay);
        const double by = numtext::parseLeadingNumber(p->by);
        // An ordinate counts as in range when it rounds to a 16-bit integer: -32768.33 does.
        need(numtext::toInt16(ay) && numtext::toInt16(by), "ordinate beyond 16 bits");
        // The line through the two points meets the y axis at the whole intercept; the
        // ordinates are 15-digit texts of at most 32767, far finer than the tolerance.
        const double slope = (ay - by) / double(*ax - *bx);
        const double n = ay - slope * *ax;
        need(std::isfinite(slope)
                && std::abs(n - std::nearbyint(n)) < 1e-6 * (1 + std::abs(slope) * 10),
            "the points do not meet the y axis at a whole number");
        break;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const char *bytes = reinterpret_cast<const char *>(data);
    QString utf16(qsizetype(size / 2), Qt::Uninitialized);
    std::memcpy(utf16.data(), data, std::size_t(utf16.size()) * 2);
    for (const QString &typed : { QString::fromUtf8(bytes, qsizetype(size)), utf16 }) {
        std::optional<EquationPoints> readings[2];
        for (int k = 0; k < 2; ++k) {
            readings[k] = readEquation(typed, locales[k]);
            checkShape(typed, readings[k]);
            if (!samePoints(readings[k], expectedReading(typed, locales[k])))
                fail("the reading differs from the step-by-step reading", typed, readings[k]);
        }
        // Under the comma locale a comma is a full stop: the same points as the text with full
        // stops under the full-stop locale, but for the horizontal ordinates kept as typed.
        QString stops = typed;
        stops.replace(u',', u'.');
        if (!samePoints(withStops(readings[1]), withStops(readEquation(stops, locales[0]))))
            fail("a comma under the comma locale is not a full stop", typed, readings[1]);
    }
    return 0;
}
