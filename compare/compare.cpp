#include "compare/compare.h"

#include "compare/equation.h"
#include "compare/relation.h"
#include "line/linemath.h"
#include "line/marks.h"
#include "line/pointentry.h"
#include "line/recta.h"
#include "toolkit/canvas.h"

namespace {

constexpr int enterKey = 13;

} // namespace

void cortar(Recta &r)
{
    Members &m = r.m;
    m.comparison.clear();
    if (!m.hasPrevious)
        return;
    const LineDesc previous { m.prevVertical, m.prevVerticalX, m.prevSlope.toNumberOr0(r.locale),
        m.prevIntercept };
    const LineDesc current { m.vertical, m.verticalX, m.slope.toNumberOr0(r.locale),
        m.intercept.toNumberOr0(r.locale) };
    const Relation relation = relate(previous, current);
    if (relation.kind == Relation::Kind::Crossing) {
        r.surface->currentX = toSingle(relation.x);
        r.surface->currentY = toSingle(relation.y);
    }
    m.comparison = relationText(relation);
    r.surface->printText(m.comparison);
    r.shown.comparison = true;
}

void txtequacio_KeyDown(Recta &r, std::int16_t keyCode, std::int16_t)
{
    if (keyCode != enterKey)
        return;
    // Both points are worked out before anything is written, so that a text that cannot be
    // read leaves every field, member and drawing as it was.
    const auto points = readEquation(r.c.txtequacio.text(), r.locale);
    if (!points)
        return;
    for (const QString *coordinate : { &points->ax, &points->ay, &points->bx, &points->by }) {
        if (!usable(numtext::parseTypedNumber(*coordinate, r.locale)))
            return;
    }

    r.c.txtAx[2].setEnabled(true);
    r.c.txtAy[2].setEnabled(true);
    r.c.txtAx[0].setText(points->ax);
    r.c.txtAy[0].setText(points->ay);
    r.c.txtAx[1].setText(points->bx);
    r.c.txtAy[1].setText(points->by);
    if (points->form == EquationPoints::Form::SlopeIntercept)
        r.c.txtequacio.setEnabled(false);

    dibuixar(r);
    r.shown.line = true;
    drawPointMarks(*r.surface, fieldNumber(r, r.c.txtAx[1]), fieldNumber(r, r.c.txtAy[1]));
    appendKeptEquation(r);
    cortar(r);
}
