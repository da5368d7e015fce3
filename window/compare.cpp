#include "compare.h"

#include "canvas.h"
#include "drawing.h"
#include "equation.h"
#include "linemath.h"
#include "marks.h"
#include "messagebox.h"
#include "palette.h"
#include "pointentry.h"
#include "relation.h"
#include "windowstate.h"

void cortar(WindowState &state, QPointF textAt)
{
    Plane &plane = state.plane;
    plane.meeting.reset();
    if (!plane.kept || !plane.current)
        return;
    const Relation relation = relate(plane.kept->line, plane.current->line);
    plane.meeting = relation;
    if (relation.kind == Relation::Kind::Crossing)
        textAt = QPointF(toSingle(relation.x), toSingle(relation.y));
    showOnPlane(
        state, { PlaneItem::Kind::Text, textAt.x(), textAt.y(), {}, relationText(relation) });
    state.shown.comparison = true;
}

void txtequacio_KeyDown(WindowState &state, std::int16_t keyCode, std::int16_t)
{
    if (keyCode != enterKey)
        return;
    // The line is read whole before anything is written, so that a text that is no line leaves
    // every field, member and drawing as it was, and says why.
    Field &equation = state.controls.txtequacio;
    const auto reading = readEquation(equation.text(), state.locale);
    if (const auto *fault = std::get_if<numtext::EquationFault>(&reading)) {
        messageBox(faultText(*fault));
        equation.focus(int(fault->position));
        return;
    }
    const EquationPoints &points = std::get<EquationPoints>(reading);

    state.controls.txtAx[2].setEnabled(true);
    state.controls.txtAy[2].setEnabled(true);
    state.controls.txtAx[0].setText(points.ax);
    state.controls.txtAy[0].setText(points.ay);
    state.controls.txtAx[1].setText(points.bx);
    state.controls.txtAy[1].setText(points.by);
    if (points.form == EquationPoints::Form::SlopeIntercept)
        equation.setEnabled(false);

    dibuixar(state, &points.line);
    state.shown.line = true;
    showOnPlane(state,
        { PlaneItem::Kind::PointMarks, fieldNumber(state, state.controls.txtAx[1]).value_or(0),
            fieldNumber(state, state.controls.txtAy[1]).value_or(0), {}, {} });
    appendKeptEquation(state);
    cortar(state, pointB(state));
}
