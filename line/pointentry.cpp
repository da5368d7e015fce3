#include "line/pointentry.h"

#include "line/linemath.h"
#include "line/marks.h"
#include "state/windowstate.h"
#include "toolkit/canvas.h"
#include "toolkit/messagebox.h"
#include "toolkit/texts.h"

namespace {

constexpr std::int16_t testRow = 2;

bool validRow(std::int16_t row)
{
    return row >= 0 && row <= 2;
}

void clearTest(WindowState &state, Field &field)
{
    field.setText(QString());
    state.controls.txtsino.setText(QString());
    state.controls.txtresultat.setText(QString());
}

// The coordinates of A and B, and of the test point when it is the one being tested, must be
// numbers the line can be drawn and compared with.
bool entryUsable(const WindowState &state, std::int16_t row)
{
    const double xA = fieldNumber(state, state.controls.txtAx[0]);
    const double yA = fieldNumber(state, state.controls.txtAy[0]);
    const double xB = fieldNumber(state, state.controls.txtAx[1]);
    const double yB = fieldNumber(state, state.controls.txtAy[1]);
    if (!usable(xA) || !usable(yA) || !usable(xB) || !usable(yB))
        return false;
    if (row == testRow
        && (!usable(fieldNumber(state, state.controls.txtAx[2]))
            || !usable(fieldNumber(state, state.controls.txtAy[2]))))
        return false;
    if (xB - xA != 0) {
        const double slope = (yB - yA) / (xB - xA);
        if (!usable(slope) || !usable(-slope * xA + yA))
            return false;
    }
    return true;
}

void testPoint(WindowState &state)
{
    const double xA = fieldNumber(state, state.controls.txtAx[0]);
    const double xB = fieldNumber(state, state.controls.txtAx[1]);
    const double xP = fieldNumber(state, state.controls.txtAx[2]);
    const double yP = fieldNumber(state, state.controls.txtAy[2]);
    const double slope = state.members.slope.toNumberOr0(state.locale);
    const double intercept = state.members.intercept.toNumberOr0(state.locale);
    const Members &m = state.members;
    PointVerdict result;
    if (xB - xA != 0)
        result = testSloped(slope, intercept, m.slopeShown, m.interceptShown, xP, yP, state.locale);
    else
        result = testVertical(xB, xP, state.locale);
    state.controls.txtresultat.setText(result.worked);
    state.controls.txtsino.setText(result.verdict);
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
    drawAxisMark(*state.canvas, fieldNumber(state, state.controls.txtAx[row]));
}

void txtAy_LostFocus(WindowState &state, std::int16_t row)
{
    // The guard looks at A's x whichever row was left.
    if (!validRow(row) || state.controls.txtAx[0].text().isEmpty())
        return;
    drawPointMarks(*state.canvas, fieldNumber(state, state.controls.txtAx[row]),
        fieldNumber(state, state.controls.txtAy[row]));
}

bool txtAy_KeyDown(WindowState &state, std::int16_t row, std::int16_t keyCode, std::int16_t)
{
    if (keyCode != enterKey || !validRow(row))
        return false;
    const bool complete = !state.controls.txtAx[0].text().isEmpty()
        && !state.controls.txtAx[1].text().isEmpty() && !state.controls.txtAy[0].text().isEmpty()
        && !state.controls.txtAy[1].text().isEmpty();
    if (!complete || !entryUsable(state, row)) {
        messageBox(texts::missingData);
        return false;
    }
    if (row == 1) {
        state.controls.txtAx[testRow].setEnabled(true);
        state.controls.txtAy[testRow].setEnabled(true);
    }
    if (row == testRow) {
        testPoint(state);
        dibuixar(state);
        return false;
    }
    dibuixar(state);
    state.shown.line = true;
    appendKeptEquation(state);
    // The verdict of the comparison stands at B, where the pupil can see it.
    state.canvas->currentX = toSingle(fieldNumber(state, state.controls.txtAx[1]));
    state.canvas->currentY = toSingle(fieldNumber(state, state.controls.txtAy[1]));
    return true;
}

double fieldNumber(const WindowState &state, const Field &field)
{
    return numtext::parseTypedNumber(field.text(), state.locale);
}

void appendKeptEquation(WindowState &state)
{
    if (!state.controls.txtequacio2.text().isEmpty())
        state.controls.txtequacio2.setText(
            state.controls.txtequacio2.text() + lineBreak + state.controls.txtequacio.text());
}

void dibuixar(WindowState &state)
{
    Canvas &canvas = *state.canvas;
    for (int row = 0; row < 3; ++row) {
        if (!state.controls.txtAx[row].text().isEmpty()
            || !state.controls.txtAy[row].text().isEmpty())
            drawPointMarks(canvas, fieldNumber(state, state.controls.txtAx[row]),
                fieldNumber(state, state.controls.txtAy[row]));
    }

    // The pupil sees the marks first and the line only after the pause.
    canvas.present();
    esperar();

    const double xA = fieldNumber(state, state.controls.txtAx[0]);
    const double yA = fieldNumber(state, state.controls.txtAy[0]);
    const double xB = fieldNumber(state, state.controls.txtAx[1]);
    const double yB = fieldNumber(state, state.controls.txtAy[1]);
    const WorldWindow &world = state.members.world;
    if (const auto line = slopedLine(xA, yA, xB, yB, state.locale)) {
        state.members.slope = numtext::ValueCell::number(line->slope);
        state.members.intercept = numtext::ValueCell::number(line->intercept);
        state.members.slopeShown = numtext::ValueCell::text(line->slopeShown);
        state.members.interceptShown = line->interceptShown;
        state.members.vertical = false;
        state.controls.txtequacio.setText(line->equation);
        drawSlopedLine(canvas, world, line->slope, line->intercept);
    } else {
        state.members.vertical = true;
        state.members.verticalX = xB;
        drawVerticalLine(canvas, world, xB);
        state.controls.txtequacio.setText(verticalEquation(xB, state.locale));
    }
    state.members.hasLine = true;
    state.members.lineEquation = state.controls.txtequacio.text();

    pintar(canvas, world);

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
