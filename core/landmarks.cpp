#include "landmarks.h"

#include "numtext.h"
#include "relation.h"
#include "spoken.h"
#include "texts.h"

#include <algorithm>
#include <cmath>

namespace landmarks {

namespace {

using numtext::StraightLine;

bool roundsToZero(double value)
{
    return numtext::roundNumber(value, 2) == 0;
}

QString axesSentence(const StraightLine &line)
{
    const texts::Spoken &w = texts::said;
    if (line.vertical) {
        return roundsToZero(line.x) ? w.isYAxis : w.crossesXOnly.arg(spokenNumber(line.x));
    }
    if (line.slope == 0) {
        return roundsToZero(line.intercept) ? w.isXAxis
                                            : w.crossesYOnly.arg(spokenNumber(line.intercept));
    }
    const double xCrossing = -line.intercept / line.slope;
    if (roundsToZero(line.intercept) && roundsToZero(xCrossing))
        return w.throughOrigin;
    return w.crossesBoth.arg(spokenNumber(line.intercept), spokenNumber(xCrossing));
}

QString directionSentence(const StraightLine &line)
{
    const texts::Spoken &w = texts::said;
    if (line.vertical)
        return w.vertical;
    if (line.slope == 0)
        return w.horizontal;
    const bool rising = line.slope > 0;
    const double step = std::abs(line.slope);
    if (roundsToZero(step))
        return rising ? w.risesBarely : w.fallsBarely;
    const QString amount
        = numtext::roundNumber(step, 2) == 1 ? w.oneUnit : w.units.arg(spokenNumber(step));
    return (rising ? w.rises : w.falls).arg(amount);
}

} // namespace

QString spokenNumber(double value)
{
    const double rounded = numtext::roundNumber(value, 2);
    // Fixed notation up to the two decimals, less its trailing zeros: '2', '1,5', '0,33'.
    QString digits = QString::number(std::abs(rounded), 'f', 2);
    while (digits.endsWith(u'0'))
        digits.chop(1);
    if (digits.endsWith(u'.'))
        digits.chop(1);
    digits.replace(u'.', u',');
    // A value that rounds to 0 has no sign to say.
    return rounded < 0 ? texts::said.minus + u' ' + digits : digits;
}

QString landmarkSentences(const StraightLine &line, const std::optional<StraightLine> &kept)
{
    QString said = axesSentence(line) + u' ' + directionSentence(line);
    if (kept)
        said += u' ' + meetingSentence(relate(*kept, line));
    return said;
}

} // namespace landmarks
