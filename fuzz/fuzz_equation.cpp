// Any text through the equation reading, under both decimal separators. Whatever the reading
// accepts is checked against an evaluator of its own here (tokens and operator precedence, not
// the reader's descent): the typed equation, evaluated at each of the two points the reading
// gives, must hold, as it must along the line the reading reports.
#include "equation.h"
#include "numtext.h"
#include "printable.h"

#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

using Form = EquationPoints::Form;
using numtext::NumberLocale;

namespace {

[[noreturn]] void fail(const char *what, const QString &typed, const EquationPoints &p)
{
    std::fprintf(stderr,
        "fuzz_equation: %s\n  typed: '%s'\n  points: form %d, A ('%s', '%s'), B ('%s', '%s')\n",
        what, printable(typed).constData(), int(p.form), printable(p.ax).constData(),
        printable(p.ay).constData(), printable(p.bx).constData(), printable(p.by).constData());
    std::abort();
}

enum class Kind {
    Number,
    X,
    Y,
    Open,
    Close,
    Plus,
    Minus,
    Times,
    Divide,
    Power,
    Superscript,
    Equals,
    Negate
};

struct Token
{
    Kind kind;
    double value = 0;
};

// The text as tokens, with the products that juxtaposition writes made explicit; nothing for a
// character with no meaning in an equation.
std::optional<std::vector<Token>> tokens(QString typed)
{
    // 'f(x)=' at the start stands for 'y='.
    QString start;
    qsizetype end = 0;
    for (; end < typed.size() && start.size() < 5; ++end) {
        if (typed[end] != u' ' && typed[end] != u'\t' && typed[end] != u'\n' && typed[end] != u'\r'
            && typed[end] != u'\u00A0' && typed[end] != u'\u202F')
            start += typed[end].toLower();
    }
    if (start.size() == 5 && start[0].isLetter() && start[0] != u'x'
        && start.mid(1) == QStringLiteral("(x)="))
        typed = QStringLiteral("y=") + typed.mid(end);
    else if (start.size() >= 2 && start[0].isLetter() && start[0] != u'x' && start[0] != u'y'
        && start[1] == u'=')
        typed = QStringLiteral("y") + typed.mid(typed.indexOf(u'='));

    std::vector<Token> out;
    for (qsizetype i = 0; i < typed.size(); ++i) {
        const char32_t c = typed[i].toLower().unicode();
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == 0xA0 || c == 0x202F)
            continue;
        if ((c >= '0' && c <= '9') || c == '.' || c == ',') {
            std::string digits;
            bool separator = false;
            for (; i < typed.size(); ++i) {
                const char16_t d = typed[i].unicode();
                if (d >= u'0' && d <= u'9') {
                    digits += char(d);
                } else if ((d == u'.' || d == u',') && !separator) {
                    separator = true;
                    digits += '.';
                } else {
                    break;
                }
            }
            --i;
            out.push_back({ Kind::Number, std::strtod(digits.c_str(), nullptr) });
            continue;
        }
        switch (c) {
        case 'x':
            out.push_back({ Kind::X });
            break;
        case 'y':
            out.push_back({ Kind::Y });
            break;
        case '(':
            out.push_back({ Kind::Open });
            break;
        case ')':
            out.push_back({ Kind::Close });
            break;
        case '+':
            out.push_back({ Kind::Plus });
            break;
        case '-':
        case 0x2212:
        case 0x2013:
        case 0x2012:
            out.push_back({ Kind::Minus });
            break;
        case '*':
        case 0xB7:
        case 0xD7:
        case 0x22C5:
        case 0x2219:
            out.push_back({ Kind::Times });
            break;
        case '/':
        case ':':
        case 0xF7:
        case 0x2215:
            out.push_back({ Kind::Divide });
            break;
        case '^':
            out.push_back({ Kind::Power });
            break;
        case 0xB2:
        case 0xB3:
            out.push_back({ Kind::Superscript, c == 0xB2 ? 2.0 : 3.0 });
            break;
        case '=':
            out.push_back({ Kind::Equals });
            break;
        default:
            return std::nullopt;
        }
    }
    std::vector<Token> explicit_;
    for (const Token &t : out) {
        const bool starts = t.kind == Kind::X || t.kind == Kind::Y || t.kind == Kind::Open;
        if (starts && !explicit_.empty()) {
            const Kind before = explicit_.back().kind;
            if (before == Kind::Number || before == Kind::X || before == Kind::Y
                || before == Kind::Close || before == Kind::Superscript)
                explicit_.push_back({ Kind::Times });
        }
        explicit_.push_back(t);
    }
    return explicit_;
}

int precedence(Kind k)
{
    switch (k) {
    case Kind::Plus:
    case Kind::Minus:
        return 1;
    case Kind::Times:
    case Kind::Divide:
        return 2;
    case Kind::Negate:
        return 3;
    case Kind::Power:
        return 4;
    default:
        return 0;
    }
}

// A value and the size of what went into it: the sum of the magnitudes of its terms, which
// bounds the rounding of the value when they cancel.
struct Value
{
    double v = 0;
    double size = 0;
};

// One side of the equation at (x, y), by operator precedence; nothing for a malformed side.
std::optional<Value> evaluate(const std::vector<Token> &side, double x, double y)
{
    std::vector<Value> values;
    std::vector<Kind> ops;
    const auto apply = [&values](Kind op) {
        if (op == Kind::Negate) {
            if (values.empty())
                return false;
            values.back().v = -values.back().v;
            return true;
        }
        if (values.size() < 2)
            return false;
        const Value b = values.back();
        values.pop_back();
        Value &a = values.back();
        switch (op) {
        case Kind::Plus:
            a = { a.v + b.v, a.size + b.size };
            break;
        case Kind::Minus:
            a = { a.v - b.v, a.size + b.size };
            break;
        case Kind::Times:
            a = { a.v * b.v, a.size * b.size };
            break;
        case Kind::Divide:
            a = { a.v / b.v, a.size / std::abs(b.v) };
            break;
        default:
            a.v = std::pow(a.v, b.v);
            a.size = std::abs(a.v);
            break;
        }
        return true;
    };
    bool operand = true; // an operand is expected: a sign here is a sign of its own
    for (const Token &t : side) {
        if (t.kind == Kind::Superscript) {
            // A written power belongs to what stands just before it: (2³)², x^2² = x^4.
            if (values.empty() || operand)
                return std::nullopt;
            values.back().v = std::pow(values.back().v, t.value);
            values.back().size = std::abs(values.back().v);
        } else if (t.kind == Kind::Number || t.kind == Kind::X || t.kind == Kind::Y) {
            const double v = t.kind == Kind::Number ? t.value : t.kind == Kind::X ? x : y;
            values.push_back({ v, std::abs(v) });
            operand = false;
        } else if (t.kind == Kind::Open) {
            ops.push_back(Kind::Open);
            operand = true;
        } else if (t.kind == Kind::Close) {
            while (!ops.empty() && ops.back() != Kind::Open) {
                if (!apply(ops.back()))
                    return std::nullopt;
                ops.pop_back();
            }
            if (ops.empty())
                return std::nullopt;
            ops.pop_back();
        } else if (operand && (t.kind == Kind::Plus || t.kind == Kind::Minus)) {
            if (t.kind == Kind::Minus)
                ops.push_back(Kind::Negate);
        } else {
            // Left to right at equal rank, but for powers, right to left; a sign in front waits
            // for the power after it.
            const bool rightToLeft = t.kind == Kind::Power;
            while (!ops.empty() && ops.back() != Kind::Open
                && (precedence(ops.back()) > precedence(t.kind)
                    || (!rightToLeft && precedence(ops.back()) == precedence(t.kind)))) {
                if (!apply(ops.back()))
                    return std::nullopt;
                ops.pop_back();
            }
            ops.push_back(t.kind);
            operand = true;
        }
    }
    while (!ops.empty()) {
        if (ops.back() == Kind::Open || !apply(ops.back()))
            return std::nullopt;
        ops.pop_back();
    }
    if (values.size() != 1)
        return std::nullopt;
    return values.front();
}

double fieldValue(const QString &text)
{
    return std::strtod(text.toLatin1().replace(',', '.').constData(), nullptr);
}

void check(const QString &typed, const EquationPoints &p)
{
    const auto t = tokens(typed);
    if (!t)
        fail("the reading accepted a text this evaluator cannot tokenise", typed, p);
    std::vector<Token> sides[2];
    int side = 0;
    for (const Token &token : *t) {
        if (token.kind == Kind::Equals)
            ++side;
        else if (side < 2)
            sides[side].push_back(token);
    }
    if (side != 1)
        fail("the reading accepted a text without exactly one '='", typed, p);
    const auto f = [&](double x, double y) -> std::optional<Value> {
        const auto left = evaluate(sides[0], x, y);
        const auto right = evaluate(sides[1], x, y);
        if (!left || !right)
            return std::nullopt;
        return Value { left->v - right->v, left->size + right->size };
    };
    // F(x, y) = a·x + b·y + c, found from three points. A point is on the typed line when its
    // distance from it, |F| over the length of (a, b), is within a millionth of a unit, or of
    // its own size far out: the fields round to 15 digits, and a whole ordinate may be one
    // within a relative 1e-9. Terms that cancel leave F a rounding of its own, bounded by the
    // size of what went into it.
    const auto c = f(0, 0), fx = f(1, 0), fy = f(0, 1);
    if (!c || !fx || !fy)
        fail("the reading accepted a text this evaluator cannot evaluate", typed, p);
    const double a = fx->v - c->v, b = fy->v - c->v;
    const auto holds = [&](double x, double y) {
        const auto value = f(x, y);
        return value
            && std::abs(value->v)
            <= 1e-6 * std::hypot(a, b) * std::max({ 1.0, std::abs(x), std::abs(y) })
                + 1e-12 * value->size;
    };
    const double ax = fieldValue(p.ax), ay = fieldValue(p.ay);
    const double bx = fieldValue(p.bx), by = fieldValue(p.by);
    if (!holds(ax, ay))
        fail("A is not on the typed line", typed, p);
    if (!holds(bx, by))
        fail("B is not on the typed line", typed, p);
    if (ax == bx && ay == by)
        fail("A and B are the same point", typed, p);
    if (p.line.vertical ? !holds(p.line.x, 0) || !holds(p.line.x, 1)
                        : !holds(0, p.line.intercept) || !holds(1, p.line.slope + p.line.intercept))
        fail("the line given is not the typed line", typed, p);
    switch (p.form) {
    case Form::Vertical:
        if (!p.line.vertical || p.ax != p.bx || p.ay != QStringLiteral("1")
            || p.by != QStringLiteral("2"))
            fail("a vertical line's points are not (c, 1) and (c, 2)", typed, p);
        break;
    case Form::Horizontal:
        if (p.line.vertical || p.line.slope != 0 || p.ay != p.by || p.ax != QStringLiteral("1")
            || p.bx != QStringLiteral("2"))
            fail("a horizontal line's points are not (1, k) and (2, k)", typed, p);
        break;
    case Form::SlopeIntercept:
        if (p.line.vertical || p.line.slope == 0 || ax < 1 || ax > 10 || bx > -1 || bx < -10)
            fail("a sloped line's points are not at x from 1 to 10 and from -1 to -10", typed, p);
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const char *bytes = reinterpret_cast<const char *>(data);
    QString utf16(qsizetype(size / 2), Qt::Uninitialized);
    std::memcpy(utf16.data(), data, std::size_t(utf16.size()) * 2);
    for (const QString &typed : { QString::fromUtf8(bytes, qsizetype(size)), utf16 }) {
        for (const NumberLocale &locale : { NumberLocale::fullStop(), NumberLocale::comma() }) {
            const auto read = readEquation(typed, locale);
            if (const auto *points = std::get_if<EquationPoints>(&read))
                check(typed, *points);
            else if (faultText(std::get<numtext::EquationFault>(read)).isEmpty())
                std::abort();
        }
    }
    return 0;
}
