#include "line/pointentry.h"

#include "compare/compare.h"
#include "line/linemath.h"
#include "line/marks.h"
#include "line/recta.h"
#include "toolkit/canvas.h"
#include "toolkit/messagebox.h"

namespace {

const QString missingData = QStringLiteral(" falten dades");
const QString lineBreak = QStringLiteral("\r\n");
constexpr int enterKey = 13;
constexpr std::int16_t testRow = 2;

bool validRow(std::int16_t row)
{
    return row >= 0 && row <= 2;
}

void clearTest(Recta &r, Field &field)
{
    field.setText(QString());
    r.c.txtsino.setText(QString());
    r.c.txtresultat.setText(QString());
}

// The coordinates of A and B, and of the test point when it is the one being tested, must be
// numbers the line can be drawn and compared with.
bool entryUsable(const Recta &r, std::int16_t row)
{
    const double xA = fieldNumber(r, r.c.txtAx[0]);
    const double yA = fieldNumber(r, r.c.txtAy[0]);
    const double xB = fieldNumber(r, r.c.txtAx[1]);
    const double yB = fieldNumber(r, r.c.txtAy[1]);
    if (!usable(xA) || !usable(yA) || !usable(xB) || !usable(yB))
        return false;
    if (row == testRow
        && (!usable(fieldNumber(r, r.c.txtAx[2])) || !usable(fieldNumber(r, r.c.txtAy[2]))))
        return false;
    if (xB - xA != 0) {
        const double slope = (yB - yA) / (xB - xA);
        if (!usable(slope) || !usable(-slope * xA + yA))
            return false;
    }
    return true;
}

void testPoint(Recta &r)
{
    const double xA = fieldNumber(r, r.c.txtAx[0]);
    const double xB = fieldNumber(r, r.c.txtAx[1]);
    const double xP = fieldNumber(r, r.c.txtAx[2]);
    const double yP = fieldNumber(r, r.c.txtAy[2]);
    const double slope = r.m.slope.toNumberOr0(r.locale);
    const double intercept = r.m.intercept.toNumberOr0(r.locale);
    const PointVerdict result = xB - xA != 0
        ? testSloped(slope, intercept, r.m.slopeShown, r.m.interceptShown, xP, yP, r.locale)
        : testVertical(xB, xP, r.locale);
    r.c.txtresultat.setText(result.worked);
    r.c.txtsino.setText(result.verdict);
    r.shown.test = true;
}

} // namespace

void txtAx_click(Recta &r, std::int16_t row)
{
    if (row == testRow)
        clearTest(r, r.c.txtAx[testRow]);
}

void txtAy_click(Recta &r, std::int16_t row)
{
    if (row == testRow)
        clearTest(r, r.c.txtAy[testRow]);
}

void txtAx_LostFocus(Recta &r, std::int16_t row)
{
    if (!validRow(row))
        return;
    drawAxisMark(*r.surface, fieldNumber(r, r.c.txtAx[row]));
}

void txtAy_LostFocus(Recta &r, std::int16_t row)
{
    // The guard looks at A's x whichever row was left.
    if (!validRow(row) || r.c.txtAx[0].text().isEmpty())
        return;
    drawPointMarks(*r.surface, fieldNumber(r, r.c.txtAx[row]), fieldNumber(r, r.c.txtAy[row]));
}

void txtAy_KeyDown(Recta &r, std::int16_t row, std::int16_t keyCode, std::int16_t)
{
    if (keyCode != enterKey || !validRow(row))
        return;
    const bool complete = !r.c.txtAx[0].text().isEmpty() && !r.c.txtAx[1].text().isEmpty()
        && !r.c.txtAy[0].text().isEmpty() && !r.c.txtAy[1].text().isEmpty();
    if (!complete || !entryUsable(r, row)) {
        messageBox(missingData);
        return;
    }
    if (row == 1) {
        r.c.txtAx[testRow].setEnabled(true);
        r.c.txtAy[testRow].setEnabled(true);
    }
    if (row == testRow) {
        testPoint(r);
        dibuixar(r);
        return;
    }
    dibuixar(r);
    r.shown.line = true;
    appendKeptEquation(r);
    // The verdict of the comparison stands at B, where the pupil can see it.
    r.surface->currentX = toSingle(fieldNumber(r, r.c.txtAx[1]));
    r.surface->currentY = toSingle(fieldNumber(r, r.c.txtAy[1]));
    cortar(r);
}

double fieldNumber(const Recta &r, const Field &field)
{
    return numtext::parseTypedNumber(field.text(), r.locale);
}

void appendKeptEquation(Recta &r)
{
    if (!r.c.txtequacio2.text().isEmpty())
        r.c.txtequacio2.setText(r.c.txtequacio2.text() + lineBreak + r.c.txtequacio.text());
}

void dibuixar(Recta &r)
{
    Canvas &surface = *r.surface;
    for (int row = 0; row < 3; ++row) {
        if (!r.c.txtAx[row].text().isEmpty() || !r.c.txtAy[row].text().isEmpty())
            drawPointMarks(surface, fieldNumber(r, r.c.txtAx[row]), fieldNumber(r, r.c.txtAy[row]));
    }

    // The pupil sees the marks first and the line only after the pause.
    surface.present();
    esperar();

    const double xA = fieldNumber(r, r.c.txtAx[0]);
    const double yA = fieldNumber(r, r.c.txtAy[0]);
    const double xB = fieldNumber(r, r.c.txtAx[1]);
    const double yB = fieldNumber(r, r.c.txtAy[1]);
    const WorldWindow &world = r.m.world;
    if (const auto line = slopedLine(xA, yA, xB, yB, r.locale)) {
        r.m.slope = numtext::ValueCell::number(line->slope);
        r.m.intercept = numtext::ValueCell::number(line->intercept);
        r.m.slopeShown = numtext::ValueCell::text(line->slopeShown);
        r.m.interceptShown = line->interceptShown;
        r.m.vertical = false;
        r.c.txtequacio.setText(line->equation);
        drawSlopedLine(surface, world, line->slope, line->intercept);
    } else {
        r.m.vertical = true;
        r.m.verticalX = xB;
        drawVerticalLine(surface, world, xB);
        r.c.txtequacio.setText(verticalEquation(xB, r.locale));
    }
    r.m.hasLine = true;
    r.m.lineEquation = r.c.txtequacio.text();

    pintar(surface, world);

    r.c.txtAx[0].setEnabled(false);
    r.c.txtAx[1].setEnabled(false);
    r.c.txtAy[0].setEnabled(false);
    r.c.txtAy[1].setEnabled(false);
}

void esperar()
{
    // volatile, so that the optimiser keeps the 9,000,001 rounds of counting that make the pause.
    volatile std::int32_t i = 0;
    while (i <= 9'000'000)
        i = i + 1;
}
