#include "relation.h"

#include "linemath.h"
#include "numtext.h"
#include "texts.h"

Relation relate(const LineDesc &previous, const LineDesc &current)
{
    using Kind = Relation::Kind;
    if (previous.vertical && current.vertical)
        return { sameValue(previous.x, current.x) ? Kind::Coincident : Kind::Parallel };
    if (previous.vertical || current.vertical) {
        const LineDesc &upright = previous.vertical ? previous : current;
        const LineDesc &sloped = previous.vertical ? current : previous;
        return { Kind::Crossing, upright.x, sloped.slope * upright.x + sloped.intercept };
    }
    if (sameValue(current.slope, previous.slope)) {
        return { sameValue(current.intercept, previous.intercept) ? Kind::Coincident
                                                                  : Kind::Parallel };
    }
    const double m = current.slope;
    const double n = current.intercept;
    const double m0 = previous.slope;
    const double n0 = previous.intercept;
    return { Kind::Crossing, (n0 - n) / (m - m0), (m * n0 - m0 * n) / (m - m0) };
}

QString crossingText(double x, double y)
{
    return QStringLiteral("(") + numtext::numberToText(numtext::roundNumber(x, 2))
        + QStringLiteral(",") + numtext::numberToText(numtext::roundNumber(y, 2))
        + QStringLiteral(")");
}

QString relationText(const Relation &relation)
{
    switch (relation.kind) {
    case Relation::Kind::Coincident:
        return texts::coincident;
    case Relation::Kind::Parallel:
        return texts::parallel;
    case Relation::Kind::Crossing:
        break;
    }
    return crossingText(relation.x, relation.y);
}
