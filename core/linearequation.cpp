#include "linearequation.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string>

// A recursive-descent reader of the equations pupils write. Every side is worked out as
// x·X + y·Y + c, so that only what is linear can be built; a product of two variables, a
// power of one or a division by one is a fault the moment it is met.
namespace numtext {

namespace {

using Reason = EquationFault::Reason;

// Coefficients from 1e15 on cannot be drawn or compared; the typed coordinates have the same
// bound.
constexpr double tooLarge = 1e15;
// Deeper parentheses than any textbook has; the bound keeps the recursion off the stack's end.
constexpr int maxDepth = 64;
constexpr char32_t endOfText = 0x110000;

struct Linear
{
    double x = 0;
    double y = 0;
    double c = 0;

    bool constant() const { return x == 0 && y == 0; }
};

bool usableCoefficient(double v)
{
    return std::isfinite(v) && std::abs(v) < tooLarge;
}

bool usable(const Linear &v)
{
    return usableCoefficient(v.x) && usableCoefficient(v.y) && usableCoefficient(v.c);
}

// A sum that cancels to within a few units of rounding is zero: 'y=0.1x+0.2x-0.3x' is
// horizontal, and 'x=x+0.1-0.1' has no variable left. One that cancels further, to fewer than
// four digits that can be trusted, as numbers of fourteen digits that differ in the last do, is
// nothing: no line can be drawn from it that is surely the one typed.
std::optional<double> add(double p, double q)
{
    const double r = p + q;
    const double largest = std::max(std::abs(p), std::abs(q));
    if (std::abs(r) <= 1e-15 * largest)
        return 0.0;
    if (std::abs(r) < 1e-11 * largest)
        return std::nullopt;
    return r;
}

// The sum or difference of two sides, term by term; nothing where a term cannot be trusted.
std::optional<Linear> combine(const Linear &p, const Linear &q, double sign)
{
    const auto x = add(p.x, sign * q.x);
    const auto y = add(p.y, sign * q.y);
    const auto c = add(p.c, sign * q.c);
    if (!x || !y || !c)
        return std::nullopt;
    return Linear { *x, *y, *c };
}

QString variableName(const Linear &v)
{
    return v.x != 0 ? QStringLiteral("x") : QStringLiteral("y");
}

// The one meaning of each character that a pupil's keyboard or a textbook page may bring.
char16_t normalised(QChar c)
{
    switch (c.unicode()) {
    case u'\u2212': // minus sign
    case u'\u2013': // en dash
    case u'\u2012': // figure dash
        return u'-';
    case u'\u00B7': // middle dot, as the program writes a product
    case u'\u00D7': // multiplication sign
    case u'\u22C5': // dot operator
    case u'\u2219': // bullet operator
        return u'*';
    case u':':
    case u'\u00F7': // division sign
    case u'\u2215': // division slash
        return u'/';
    default:
        break;
    }
    if (c.unicode() < 0x80 && c.isUpper())
        return c.toLower().unicode();
    return c.isLetter() ? c.toLower().unicode() : c.unicode();
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\u00A0' || c == u'\u202F';
}

bool isDigit(char32_t c)
{
    return c >= u'0' && c <= u'9';
}

bool isLetter(char32_t c)
{
    return c < endOfText && QChar(char16_t(c)).isLetter();
}

bool isSeparator(char32_t c)
{
    return c == u'.' || c == u',';
}

class Reader
{
public:
    explicit Reader(QStringView text)
        : text(text)
    {
    }

    std::variant<StraightLine, EquationFault> equation()
    {
        skipBlanks();
        if (at >= text.size())
            return EquationFault { Reason::Empty, 0, {} };
        std::optional<Linear> left = functionName() ? std::optional(Linear { 0, 1, 0 }) : sum();
        if (!left)
            return found();
        if (peek() != u'=') {
            stray();
            return fault.value_or(EquationFault { Reason::NoEquals, text.size(), {} });
        }
        take();
        const std::optional<Linear> right = sum();
        if (!right)
            return found();
        if (peek() == u'=')
            return EquationFault { Reason::ManyEquals, at, {} };
        if (stray())
            return found();

        const std::optional<Linear> both = combine(*left, *right, -1.0);
        if (!both)
            return EquationFault { Reason::TooLarge, text.size(), {} };
        const double a = both->x;
        const double b = both->y;
        const double c = both->c;
        if (a == 0 && b == 0)
            return EquationFault { Reason::NoVariable, text.size(), {} };
        StraightLine line;
        if (b != 0) {
            // + 0.0 turns a negative zero into zero, which is written without a sign.
            line.slope = -a / b + 0.0;
            line.intercept = -c / b + 0.0;
        } else {
            line.vertical = true;
            line.x = -c / a + 0.0;
        }
        if (!usableCoefficient(line.slope) || !usableCoefficient(line.intercept)
            || !usableCoefficient(line.x))
            return EquationFault { Reason::TooLarge, text.size(), {} };
        return line;
    }

private:
    void skipBlanks()
    {
        while (at < text.size() && isBlank(text[at]))
            ++at;
    }

    // What stands next, blanks passed over; endOfText past the end, so that a NUL typed or
    // pasted is a character like any other.
    char32_t peek()
    {
        skipBlanks();
        return at < text.size() ? normalised(text[at]) : endOfText;
    }

    void take()
    {
        ++at;
        skipBlanks();
    }

    // The fault a step that gave nothing has noted.
    EquationFault found() const { return fault.value_or(EquationFault {}); }

    std::nullopt_t fail(Reason reason, qsizetype where, const QString &detail = {})
    {
        if (!fault)
            fault = EquationFault { reason, where, detail };
        return std::nullopt;
    }

    // What stands where the text should end or an '=' should come: a ')' of its own, or else
    // nothing the reader can tell about. True when it found a fault.
    bool stray()
    {
        const char32_t c = peek();
        if (c == endOfText)
            return false;
        if (c == u')')
            fail(Reason::Unopened, at);
        else
            fail(Reason::UnknownSign, at, character(at));
        return true;
    }

    // 'f(x)=' or 'f=' as the left side, as pupils name a function: the same as 'y='.
    bool functionName()
    {
        QString seen;
        for (qsizetype k = at; k < text.size() && seen.size() < 5; ++k) {
            if (!isBlank(text[k]))
                seen += QChar(normalised(text[k]));
        }
        if (seen.size() < 2 || !seen[0].isLetter() || seen[0] == u'x')
            return false;
        const bool named
            = seen.sliced(1).startsWith(u"(x)=") || (seen[0] != u'y' && seen[1] == u'=');
        if (!named)
            return false;
        // Up to, not past, the '=' itself.
        while (peek() != u'=')
            take();
        return true;
    }

    std::optional<Linear> sum()
    {
        std::optional<Linear> total = term();
        while (total) {
            const char32_t op = peek();
            if (op != u'+' && op != u'-')
                break;
            const qsizetype where = at;
            take();
            const std::optional<Linear> next = term();
            if (!next)
                return std::nullopt;
            const double sign = op == u'+' ? 1.0 : -1.0;
            total = combine(*total, *next, sign);
            if (!total || !usable(*total))
                return fail(Reason::TooLarge, where);
        }
        return total;
    }

    // A product or quotient, read from left to right with juxtaposition as a product of the
    // same rank, so that '1/2x' is half of x and '2/3x' two thirds of it, as pupils mean them.
    std::optional<Linear> term()
    {
        bool endedInNumber = false;
        std::optional<Linear> product = factor(endedInNumber);
        while (product) {
            const char32_t op = peek();
            const qsizetype where = at;
            bool divide = false;
            if (op == u'*' || op == u'/') {
                divide = op == u'/';
                take();
            } else if (isDigit(op) || isSeparator(op)) {
                return fail(
                    endedInNumber ? Reason::NumberAfterNumber : Reason::NumberAfterVariable, where);
            } else if (op != u'(' && !isLetter(op)) {
                break;
            }
            const qsizetype operandAt = peekAt();
            const std::optional<Linear> next = factor(endedInNumber);
            if (!next)
                return std::nullopt;
            if (divide) {
                if (!next->constant())
                    return fail(Reason::DivisionByVariable, operandAt, variableName(*next));
                if (next->c == 0)
                    return fail(Reason::DivisionByZero, operandAt);
                product
                    = Linear { product->x / next->c, product->y / next->c, product->c / next->c };
            } else if (!product->constant() && !next->constant()) {
                const bool onlyX = product->y == 0 && next->y == 0;
                const bool onlyY = product->x == 0 && next->x == 0;
                return fail(Reason::Product, where,
                    onlyX       ? QStringLiteral("x²")
                        : onlyY ? QStringLiteral("y²")
                                : QStringLiteral("x·y"));
            } else {
                const Linear &scaled = product->constant() ? *next : *product;
                const double k = product->constant() ? product->c : next->c;
                product = Linear { scaled.x * k + 0.0, scaled.y * k + 0.0, scaled.c * k + 0.0 };
            }
            if (!usable(*product))
                return fail(Reason::TooLarge, where);
        }
        return product;
    }

    // The text from a place up to here, as typed, without the blanks after it.
    QString written(qsizetype from) const { return text.mid(from, at - from).toString().trimmed(); }

    // The character at a place, a whole one where it takes two UTF-16 units.
    QString character(qsizetype where) const
    {
        return text.mid(where, text[where].isHighSurrogate() ? 2 : 1).toString();
    }

    qsizetype peekAt()
    {
        skipBlanks();
        return at;
    }

    // Signs in front, then a power. The signs are counted, not recursed over, so that a text
    // of a hundred thousand '-' takes no stack.
    std::optional<Linear> factor(bool &endedInNumber)
    {
        bool negative = false;
        for (char32_t c = peek(); c == u'+' || c == u'-'; c = peek()) {
            negative = negative != (c == u'-');
            take();
        }
        std::optional<Linear> value = power(endedInNumber);
        if (value && negative)
            value = Linear { -value->x, -value->y, -value->c };
        return value;
    }

    std::optional<Linear> power(bool &endedInNumber)
    {
        const qsizetype baseAt = peekAt();
        std::optional<Linear> base = primary(endedInNumber);
        while (base) {
            const char32_t op = peek();
            const qsizetype where = at;
            double exponent = 0;
            QString raised;
            if (op == u'\u00B2' || op == u'\u00B3') {
                take();
                exponent = op == u'\u00B2' ? 2 : 3;
                raised = QChar(char16_t(op));
            } else if (op == u'^') {
                take();
                const qsizetype from = peekAt();
                bool ignored = false;
                // A power of a power is the power of the last two first, as on paper: 2^3^2 is
                // 2^9. The depth bounds the recursion as parentheses do.
                if (++depth > maxDepth)
                    return fail(Reason::TooDeep, where);
                const std::optional<Linear> e = factor(ignored);
                --depth;
                if (!e)
                    return std::nullopt;
                if (!e->constant())
                    return fail(Reason::Power, where, written(baseAt));
                exponent = e->c;
                raised = exponent == 2 ? QStringLiteral("²")
                    : exponent == 3    ? QStringLiteral("³")
                                       : u'^' + written(from);
            } else {
                break;
            }
            endedInNumber = false;
            if (!base->constant()) {
                if (exponent != 1)
                    return fail(Reason::Power, where, variableName(*base) + raised);
                continue;
            }
            if (base->c == 0 && exponent < 0)
                return fail(Reason::DivisionByZero, baseAt);
            base = Linear { 0, 0, std::pow(base->c, exponent) };
            if (!usable(*base))
                return fail(Reason::TooLarge, where);
        }
        return base;
    }

    std::optional<Linear> primary(bool &endedInNumber)
    {
        const char32_t c = peek();
        const qsizetype where = at;
        endedInNumber = false;
        if (isDigit(c) || isSeparator(c)) {
            endedInNumber = true;
            return number();
        }
        if (c == u'x' || c == u'y') {
            take();
            return c == u'x' ? Linear { 1, 0, 0 } : Linear { 0, 1, 0 };
        }
        if (c == u'(') {
            if (++depth > maxDepth)
                return fail(Reason::TooDeep, where);
            take();
            std::optional<Linear> inside = sum();
            --depth;
            if (!inside)
                return std::nullopt;
            if (peek() != u')')
                return fail(Reason::Unclosed, at);
            take();
            return inside;
        }
        if (c == endOfText || c == u'+' || c == u'-' || c == u'*' || c == u'/' || c == u'='
            || c == u')' || c == u'^')
            return fail(Reason::Missing, where);
        if (isLetter(c))
            return fail(Reason::OtherLetter, where, character(where));
        return fail(Reason::UnknownSign, where, character(where));
    }

    // Digits with at most one decimal separator, either a full stop or a comma: in an equation a
    // comma cannot be anything else.
    std::optional<Linear> number()
    {
        const qsizetype where = at;
        std::string digits;
        bool separator = false;
        bool anyDigit = false;
        for (; at < text.size(); ++at) {
            const char16_t c = text[at].unicode();
            if (isDigit(c)) {
                anyDigit = true;
                digits += char(c);
            } else if (isSeparator(c) && !separator) {
                separator = true;
                digits += '.';
            } else {
                break;
            }
        }
        if (!anyDigit)
            return fail(Reason::Missing, where);
        double value = 0;
        const auto [end, error] = std::from_chars(
            digits.data(), digits.data() + digits.size(), value, std::chars_format::fixed);
        if (error != std::errc() || !usableCoefficient(value))
            return fail(Reason::TooLarge, where);
        skipBlanks();
        return Linear { 0, 0, value };
    }

    QStringView text;
    qsizetype at = 0;
    int depth = 0;
    std::optional<EquationFault> fault;
};

} // namespace

std::variant<StraightLine, EquationFault> readLinearEquation(QStringView typed)
{
    return Reader(typed).equation();
}

} // namespace numtext
