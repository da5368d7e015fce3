#include "app/accessibility.h"

#include "compare/relation.h"
#include "line/recta.h"

#include <QStringList>
#include <QWidget>

namespace {

const QString lineSentence = QStringLiteral("Recta %1.");
const QString keptSentence = QStringLiteral("Recta guardada %1.");
const QString testSentence = QStringLiteral("Punt de prova (%1, %2): %3.");
const QString workedSentence = QStringLiteral("%1: %2.");
const QString crossingSentence = QStringLiteral("Es tallen al punt %1.");
const QString sameSlopeSentence = QStringLiteral("Són %1.");

// The comparison as cortar wrote it, in a sentence: the words "coincidents" and "paral·leles"
// stand alone, a crossing point needs saying what it is.
QString comparisonSentence(const QString &comparison)
{
    const bool sameSlope = comparison == relationText({ Relation::Kind::Coincident })
        || comparison == relationText({ Relation::Kind::Parallel });
    return (sameSlope ? sameSlopeSentence : crossingSentence).arg(comparison);
}

} // namespace

QString planeDescription(const PlaneFacts &facts)
{
    QStringList sentences;
    if (!facts.equation.isEmpty())
        sentences << lineSentence.arg(facts.equation.trimmed());
    if (!facts.keptEquation.isEmpty())
        sentences << keptSentence.arg(facts.keptEquation.trimmed());
    if (!facts.verdict.isEmpty())
        sentences << testSentence.arg(facts.testX.trimmed(), facts.testY.trimmed(), facts.verdict);
    if (!facts.comparison.isEmpty())
        sentences << comparisonSentence(facts.comparison);
    return sentences.join(u' ');
}

QString resultsText(const ShownResults &results)
{
    QStringList sentences;
    if (!results.equation.isEmpty())
        sentences << lineSentence.arg(results.equation.trimmed());
    if (!results.worked.isEmpty() || !results.verdict.isEmpty())
        sentences << workedSentence.arg(results.worked.trimmed(), results.verdict);
    if (!results.comparison.isEmpty())
        sentences << comparisonSentence(results.comparison);
    return sentences.join(u' ');
}

ScreenReaderResults::ScreenReaderResults(QWidget *plane)
    : plane(plane)
    , emptyPlane(plane->accessibleDescription())
{
}

void ScreenReaderResults::handlerEnded(Recta &r)
{
    const Members &m = r.m;
    const Controls &c = r.c;
    // dibuixar leaves the fields of A and B locked until a menu command clears the plane for a
    // new line: while they are, the line it drew is the current one on the plane.
    const bool lineOnPlane = m.hasLine && !c.txtAx[0].isEnabled();
    if (r.shown.test) {
        testedX = c.txtAx[2].text();
        testedY = c.txtAy[2].text();
    }

    PlaneFacts facts;
    if (lineOnPlane)
        facts.equation = m.lineEquation;
    if (m.hasPrevious)
        facts.keptEquation = c.txtequacio2.text().section(QStringLiteral("\r\n"), 0, 0);
    facts.verdict = c.txtsino.text();
    facts.testX = testedX;
    facts.testY = testedY;
    if (lineOnPlane && m.hasPrevious)
        facts.comparison = m.comparison;
    const QString description = planeDescription(facts);
    Announcer::describe(plane, description.isEmpty() ? emptyPlane : description);

    ShownResults results;
    if (r.shown.line)
        results.equation = m.lineEquation;
    if (r.shown.test) {
        results.worked = c.txtresultat.text();
        results.verdict = c.txtsino.text();
    }
    if (r.shown.comparison)
        results.comparison = m.comparison;
    r.shown = {};
    const QString said = resultsText(results);
    if (!said.isEmpty())
        announcer.announce(said, plane);
}
