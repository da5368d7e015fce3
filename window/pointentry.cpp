#include "pointentry.h"

#include "canvas.h"
#include "drawing.h"
#include "linemath.h"
#include "marks.h"
#include "messagebox.h"
#include "texts.h"
#include "windowstate.h"

#include <algorithm>
#include <vector>

namespace {

constexpr std::int16_t testRow = 2;

bool validRow(std::int16_t row)
{
    return row >= 0 && row <= 2;
}

void clearTest(WindowState &state, Field &field)
{
    state.plane.test.reset();
    field.setText(QString());
    state.controls.txtsino.setText(QString());
    state.controls.txtresultat.setText(QString());
}

bool blank(const Field &field)
{
    return field.text().trimmed().isEmpty();
}

// The fields an Enter in the row reads, in the order the pupil fills them: A and B, and the test
// point when it is the one being tested.
std::vector<std::pair<Field *, bool>> enteredFields(WindowState &state, std::int16_t row)
{
    Controls &c = state.controls;
    std::vector<std::pair<Field *, bool>> fields { { &c.txtAx[0], false }, { &c.txtAy[0], true },
        { &c.txtAx[1], false }, { &c.txtAy[1], true } };
    if (row == testRow) {
        fields.emplace_back(&c.txtAx[testRow], false);
        fields.emplace_back(&c.txtAy[testRow], true);
    }
    return fields;
}

// A field whose text is no number is never read as 0: the pupil is told which it is, and finds
// the cursor there. True when every field holds a number.
bool fieldsAreNumbers(WindowState &state, std::int16_t row)
{
    const auto fields = enteredFields(state, row);
    for (std::size_t k = 0; k < fields.size(); ++k) {
        const auto [field, isY] = fields[k];
        if (fieldNumber(state, *field))
            continue;
        const std::size_t point = k / 2;
        const QString name = point == 0 ? QStringLiteral("A")
            : point == 1                ? QStringLiteral("B")
                                        : texts::refused.testPoint;
        messageBox(
            texts::refused.notANumber.arg(isY ? QStringLiteral("y") : QStringLiteral("x"), name));
        field->focus();
        return false;
    }
    return true;
}

// The coordinates of A and B, and of the test point when it is the one being tested, must be
// numbers the line can be drawn and compared with.
bool entryUsable(WindowState &state, std::int16_t row)
{
    std::vector<double> v;
    for (const auto &[field, isY] : enteredFields(state, row))
        v.push_back(fieldNumber(state, *field).value_or(0));
    if (!std::all_of(v.begin(), v.end(), usable))
        return false;
    if (v[2] - v[0] != 0) {
        const double slope = (v[3] - v[1]) / (v[2] - v[0]);
        if (!usable(slope) || !usable(-slope * v[0] + v[1]))
            return false;
    }
    return true;
}

// The line that is drawn now: the current one once there is one, else the one through the
// fields of A and B.
DrawnLine drawnLine(const WindowState &state)
{
    if (state.plane.current)
        return *state.plane.current;
    const auto number = [&state](const Field &f) { return fieldNumber(state, f).value_or(0); };
    const Controls &c = state.controls;
    const double xB = number(c.txtAx[1]);
    if (auto line
        = slopedLine(number(c.txtAx[0]), number(c.txtAy[0]), xB, number(c.txtAy[1]), state.locale))
        return std::move(*line);
    return verticalLine(xB, state.locale);
}

void testPoint(WindowState &state)
{
    Controls &c = state.controls;
    const double xP = fieldNumber(state, c.txtAx[2]).value_or(0);
    const double yP = fieldNumber(state, c.txtAy[2]).value_or(0);
    const DrawnLine line = drawnLine(state);
    const PointVerdict result = line.line.vertical ? testVertical(line.line.x, xP, state.locale)
                                                   : testSloped(line, xP, yP, state.locale);
    state.plane.test = PointTest { c.txtAx[2].text(), c.txtAy[2].text(), result.on, result.worked,
        result.verdict };
    c.txtresultat.setText(result.worked);
    c.txtsino.setText(result.verdict);
    state.shown.test = true;
}

} // namespace

void txtAx_click(WindowState &state, std::int16_t row)
{
    if (row == testRow)
        clearTest(state, state.controls.txtAx[testRow]);
}

void txtAy_click(WindowState &state, std::int16_t row)
{
    if (row == testRow)
        clearTest(state, state.controls.txtAy[testRow]);
}

void txtAx_LostFocus(WindowState &state, std::int16_t row)
{
    if (!validRow(row))
        return;
    if (const auto x = fieldNumber(state, state.controls.txtAx[row]))
        showOnPlane(state, { PlaneItem::Kind::AxisMark, *x, 0, {}, {} });
}

void txtAy_LostFocus(WindowState &state, std::int16_t row)
{
    // The guard looks at A's x whichever row was left.
    if (!validRow(row) || blank(state.controls.txtAx[0]))
        return;
    const auto x = fieldNumber(state, state.controls.txtAx[row]);
    const auto y = fieldNumber(state, state.controls.txtAy[row]);
    if (x && y)
        showOnPlane(state, { PlaneItem::Kind::PointMarks, *x, *y, {}, {} });
}

bool txtAy_KeyDown(WindowState &state, std::int16_t row, std::int16_t keyCode, std::int16_t)
{
    if (keyCode != enterKey || !validRow(row))
        return false;
    const Controls &c = state.controls;
    const bool complete
        = !blank(c.txtAx[0]) && !blank(c.txtAx[1]) && !blank(c.txtAy[0]) && !blank(c.txtAy[1]);
    if (!complete) {
        messageBox(texts::missingData);
        return false;
    }
    if (!fieldsAreNumbers(state, row))
        return false;
    if (!entryUsable(state, row)) {
        messageBox(texts::missingData);
        return false;
    }
    if (row == 1) {
        state.controls.txtAx[testRow].setEnabled(true);
        state.controls.txtAy[testRow].setEnabled(true);
    }
    if (row == testRow) {
        testPoint(state);
        const std::optional<DrawnLine> line = state.plane.current;
        dibuixar(state, line ? &line->line : nullptr);
        return false;
    }
    dibuixar(state);
    state.shown.line = true;
    appendKeptEquation(state);
    return true;
}

std::optional<double> fieldNumber(const WindowState &state, const Field &field)
{
    if (blank(field))
        return 0.0;
    return numtext::readCoordinate(field.text(), state.locale);
}

std::optional<numtext::StraightLine> currentLine(const WindowState &state)
{
    if (const DrawnLine *line = state.plane.onPlane())
        return line->line;
    return std::nullopt;
}

QPointF pointB(const WindowState &state)
{
    const Controls &c = state.controls;
    return { toSingle(fieldNumber(state, c.txtAx[1]).value_or(0)),
        toSingle(fieldNumber(state, c.txtAy[1]).value_or(0)) };
}

std::optional<std::int16_t> placementRow(const WindowState &state)
{
    const Controls &c = state.controls;
    if (currentLine(state)) {
        if (c.txtAx[testRow].isEnabled())
            return testRow;
        return std::nullopt;
    }
    for (std::int16_t row = 0; row < testRow; ++row) {
        if (c.txtAx[row].isEnabled() && (blank(c.txtAx[row]) || blank(c.txtAy[row])))
            return row;
    }
    return std::nullopt;
}

void appendKeptEquation(WindowState &state)
{
    if (!state.controls.txtequacio2.text().isEmpty())
        state.controls.txtequacio2.setText(
            state.controls.txtequacio2.text() + lineBreak + state.controls.txtequacio.text());
}

void dibuixar(WindowState &state, const numtext::StraightLine *given)
{
    Canvas &canvas = *state.canvas;
    for (int row = 0; row < 3; ++row) {
        const auto x = fieldNumber(state, state.controls.txtAx[row]);
        const auto y = fieldNumber(state, state.controls.txtAy[row]);
        const bool typed = !state.controls.txtAx[row].text().isEmpty()
            || !state.controls.txtAy[row].text().isEmpty();
        if (typed && x && y)
            showOnPlane(state, { PlaneItem::Kind::PointMarks, *x, *y, {}, {} });
    }

    // The pupil sees the marks first and the line only after the pause.
    canvas.present();
    esperar();

    const double xA = fieldNumber(state, state.controls.txtAx[0]).value_or(0);
    const double yA = fieldNumber(state, state.controls.txtAy[0]).value_or(0);
    const double xB = fieldNumber(state, state.controls.txtAx[1]).value_or(0);
    const double yB = fieldNumber(state, state.controls.txtAy[1]).value_or(0);
    // A line the pupil typed as an equation is drawn as typed, not as the rounded texts of its
    // points give it back.
    std::optional<DrawnLine> line;
    if (given && !given->vertical)
        line = shownLine(given->slope, given->intercept, state.locale);
    else if (!given)
        line = slopedLine(xA, yA, xB, yB, state.locale);
    if (!line)
        line = verticalLine(given ? given->x : xB, state.locale);
    state.plane.current = std::move(line);
    state.plane.currentOnPlane = true;
    showOnPlane(state, { PlaneItem::Kind::Line, 0, 0, state.plane.current->line, {} });
    state.controls.txtequacio.setText(state.plane.current->equation);

    showOnPlane(state, { PlaneItem::Kind::Frame, 0, 0, {}, {} });

    state.controls.txtAx[0].setEnabled(false);
    state.controls.txtAx[1].setEnabled(false);
    state.controls.txtAy[0].setEnabled(false);
    state.controls.txtAy[1].setEnabled(false);
}

void esperar()
{
    // volatile, so that the optimiser keeps the 9,000,001 rounds of counting that make the pause.
    volatile std::int32_t i = 0;
    while (i <= 9'000'000)
        i = i + 1;
}
