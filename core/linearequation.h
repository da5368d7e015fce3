#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <variant>

namespace numtext {

/// A straight line: vertical at x, or y = slope·x + intercept.
struct StraightLine
{
    bool vertical = false;
    double x = 0;
    double slope = 0;
    double intercept = 0;

    friend bool operator==(const StraightLine &, const StraightLine &) = default;
};

/// Why a typed equation is not a line, and where the cursor should go to mend it.
struct EquationFault
{
    enum class Reason : std::uint8_t {
        Empty, // nothing typed
        NoEquals, // '2x+3'
        ManyEquals, // 'y=2x=3'
        Missing, // a number, x or y expected: 'y=2x+', 'y=', '=3'
        OtherLetter, // a letter that is neither x nor y: 'y=2a+1'
        UnknownSign, // a character with no meaning here: 'y=2x%3'
        NumberAfterNumber, // two numbers with nothing between them: 'y=2 3x'
        NumberAfterVariable, // 'y=x2': x² or 2x?
        Unclosed, // '(' never closed
        Unopened, // ')' never opened
        Power, // x², y^3: detail is the power as the pupil would write it ('x²')
        Product, // x·y, (x+1)(x-1): detail is 'x·y', 'x²' or 'y²'
        DivisionByVariable, // 'y=1/x': detail is 'x' or 'y'
        DivisionByZero, // 'y=x/0'
        NoVariable, // '0=0', '2=3', 'x=x+1': no x or y is left
        TooLarge, // a number or a coefficient of 1e15 or more
        TooDeep, // parentheses nested past any pupil's need
    };

    Reason reason = Reason::Empty;
    /// The index in the typed text where the fault was found.
    qsizetype position = 0;
    QString detail;
};

/// Reads an equation that reduces to a·x + b·y + c = 0 with a or b not 0, as pupils write one:
/// 'y=2x+3', '2x+3y=6', 'y-3=2(x-1)', 'y=x/2+1', 'y=2/3x-1' (a fraction before x is its
/// coefficient), 'f(x)=2x+1', and the program's own 'y =-.67·x + 2'. Numbers take a full stop
/// or a comma as the decimal separator, whatever the locale; blanks go anywhere; upper case is
/// the same letter. Anything else is a fault with its reason and place.
std::variant<StraightLine, EquationFault> readLinearEquation(QStringView typed);

} // namespace numtext
