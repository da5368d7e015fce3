#include "accessibility.h"

#include "field.h"
#include "gridpoint.h"
#include "pointentry.h"
#include "relation.h"
#include "texts.h"
#include "windowstate.h"

#include <QAccessibleWidget>
#include <QStringList>
#include <QWidget>

namespace {

using texts::said;

bool isDigit(QStringView text, qsizetype at)
{
    return at >= 0 && at < text.size() && text[at] >= u'0' && text[at] <= u'9';
}

bool isLetter(QStringView text, qsizetype at)
{
    return at >= 0 && at < text.size() && text[at].isLetter();
}

// The number that starts at `at` ('2', '.5', '1.33', '2,5', '2.', '1E+20'), said with the decimal
// comma and a leading zero; `at` moves past it. Its sign is said apart.
QString spokenNumber(QStringView text, qsizetype &at)
{
    const auto digits = [&] {
        const qsizetype from = at;
        while (isDigit(text, at))
            ++at;
        return text.sliced(from, at - from).toString();
    };
    const QString whole = digits();
    QString number = whole.isEmpty() ? QStringLiteral("0") : whole;
    // A comma is a decimal one only before a digit: in '( 1, 3)' it separates two numbers. A
    // full stop after the digits ('2.') is the format's and not said.
    const bool separator = at < text.size() && (text[at] == u'.' || text[at] == u',');
    if (separator && (isDigit(text, at + 1) || (text[at] == u'.' && !whole.isEmpty()))) {
        ++at;
        const QString fraction = digits();
        if (!fraction.isEmpty())
            number += said.decimalComma + fraction;
    }
    if (at < text.size() && (text[at] == u'E' || text[at] == u'D')) {
        qsizetype sign = at + 1;
        const bool negative = sign < text.size() && text[sign] == u'-';
        if (sign < text.size() && (text[sign] == u'-' || text[sign] == u'+'))
            ++sign;
        if (isDigit(text, sign)) {
            at = sign;
            QString power = digits();
            while (power.size() > 1 && power.front() == u'0')
                power.remove(0, 1);
            number
                += u' ' + said.tenToThe + u' ' + (negative ? said.minus + u' ' : QString()) + power;
        }
    }
    return number;
}

// The comparison as cortar wrote it, in a sentence: the words "coincidents" and "paral·leles"
// stand alone, a crossing point '( 1.33, 2.67)' is said as its two coordinates.
QString comparisonSentence(const QString &comparison)
{
    if (comparison == relationText({ Relation::Kind::Coincident })
        || comparison == relationText({ Relation::Kind::Parallel }))
        return said.sameSlope.arg(spokenText(comparison));
    QString point = comparison;
    point.remove(u'(').remove(u')');
    return said.crossing.arg(
        spokenText(point.section(u',', 0, 0)), spokenText(point.section(u',', 1)));
}

} // namespace

QString spokenText(QStringView shown)
{
    QStringList words;
    // Whether the last word said is a number or a name, after which '+' is said "més"; a plus
    // sign before a number is not said.
    bool afterTerm = false;
    qsizetype at = 0;
    while (at < shown.size()) {
        const QChar c = shown[at];
        if (isDigit(shown, at) || ((c == u'.' || c == u',') && isDigit(shown, at + 1))) {
            words << spokenNumber(shown, at);
            afterTerm = true;
            continue;
        }
        if (c.isLetter()) {
            // A word. The "l·l" of "paral·leles" is said with the one letter that holds the
            // middle dot, 'ŀl': a voice reads it as the written word (without the dot, espeak-ng
            // says the "ll" of "llibre"), and a screen reader names the middle dot alone.
            QString word;
            while (isLetter(shown, at)
                || ((shown[at] == u'·' || shown[at] == u'\'') && isLetter(shown, at - 1)
                    && isLetter(shown, at + 1))) {
                if (shown[at] != u'·')
                    word += shown[at];
                else if (word.endsWith(u'l') || word.endsWith(u'L'))
                    word.back() = word.back() == u'l' ? QChar(0x0140) : QChar(0x013F);
                ++at;
            }
            words << word;
            afterTerm = true;
            continue;
        }
        ++at;
        if (c.isSpace() || c == u'(' || c == u')')
            continue;
        const bool sum = afterTerm;
        afterTerm = false;
        if (c == u'=') {
            words << said.equals;
        } else if (c == u'#') {
            words << said.notEquals;
        } else if (c == u'·') {
            words << said.times;
        } else if (c == u'-') {
            words << said.minus;
        } else if (c == u'+') {
            while (at < shown.size() && shown[at].isSpace())
                ++at;
            if (at < shown.size() && shown[at] == u'-') {
                words << said.minus;
                ++at;
            } else if (sum) {
                words << said.plus;
            }
        } else if (!words.isEmpty()) {
            words.last() += c; // punctuation that a voice pauses at
        }
    }
    return words.join(u' ');
}

QString planeDescription(const PlaneFacts &facts)
{
    QStringList sentences;
    if (!facts.equation.isEmpty())
        sentences << said.line.arg(spokenText(facts.equation));
    if (!facts.keptEquation.isEmpty())
        sentences << said.kept.arg(spokenText(facts.keptEquation));
    if (!facts.verdict.isEmpty()) {
        sentences << said.test.arg(
            spokenText(facts.testX), spokenText(facts.testY), spokenText(facts.verdict));
    }
    if (!facts.comparison.isEmpty())
        sentences << comparisonSentence(facts.comparison);
    return sentences.join(u' ');
}

QString positionText(QPoint at, bool onTheLine)
{
    QStringList parts { said.position.arg(
        spokenText(QString::number(at.x())), spokenText(QString::number(at.y()))) };
    if (onTheLine)
        parts << said.onTheLine;
    if (at.isNull())
        parts << said.atOrigin;
    else if (at.y() == 0)
        parts << said.onXAxis;
    else if (at.x() == 0)
        parts << said.onYAxis;
    return parts.join(QStringLiteral(", "));
}

QString resultsText(const ShownResults &results)
{
    QStringList sentences;
    if (results.placedRow >= 0 && results.placedRow < int(said.pointNames.size())) {
        sentences << said.placed.arg(said.pointNames[std::size_t(results.placedRow)],
            said.position.arg(spokenText(QString::number(results.placed.x())),
                spokenText(QString::number(results.placed.y()))));
    } else if (results.cursor) {
        sentences << positionText(*results.cursor, results.cursorOnLine);
    }
    if (results.cleared)
        sentences << said.cleared;
    if (!results.equation.isEmpty())
        sentences << said.line.arg(spokenText(results.equation));
    if (!results.worked.isEmpty() || !results.verdict.isEmpty())
        sentences << said.worked.arg(spokenText(results.worked), spokenText(results.verdict));
    if (!results.comparison.isEmpty())
        sentences << comparisonSentence(results.comparison);
    if (results.keptNothing)
        sentences << said.nothingKept;
    else if (!results.kept.isEmpty())
        sentences << said.kept.arg(spokenText(results.kept));
    // A menu command leaves the keyboard in the first field, ready for the next line.
    if (results.cleared || results.keptNothing || !results.kept.isEmpty())
        sentences << said.typeAgain;
    return sentences.join(u' ');
}

namespace {

// Where the plane keeps its description for screen readers to read, apart from the widget's own:
// the plane holds every field, and Orca 48 speaks each description change of an ancestor of the
// focus, so a change would say every result a second time after its announcement.
constexpr char planeDescriptionKey[] = "recta-plane-description";

// The plane as a screen reader sees it: a picture whose text is its description, so that a
// review of the window (Orca's flat review) reads what the plane shows where the plane is, in
// Catalan.
class PlaneAccessible : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit PlaneAccessible(QWidget *plane)
        : QAccessibleWidget(plane, QAccessible::Graphic)
    {
    }

    QString text(QAccessible::Text kind) const override
    {
        return kind == QAccessible::Description ? said() : QAccessibleWidget::text(kind);
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    void selection(int, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = 0;
    }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override { }
    void removeSelection(int) override { }
    void setSelection(int, int, int) override { }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override { }
    QString text(int startOffset, int endOffset) const override
    {
        return said().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(said().size()); }
    // The text has no place of its own on the plane: it stands for the whole of it.
    QRect characterRect(int) const override
    {
        return QRect(widget()->mapToGlobal(QPoint(0, 0)), widget()->size());
    }
    int offsetAtPoint(const QPoint &) const override { return 0; }
    void scrollToSubstring(int, int) override { }
    QString attributes(int, int *startOffset, int *endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return QStringLiteral("language:ca;");
    }

private:
    QString said() const
    {
        // With the keyboard on the plane's cursor, what is told there (where the cursor is, the
        // point placed) is told as the plane's description, as at a field.
        if (widget()->hasFocus())
            return widget()->accessibleDescription();
        const QVariant kept = widget()->property(planeDescriptionKey);
        return kept.isValid() ? kept.toString() : widget()->accessibleDescription();
    }
};

QAccessibleInterface *planeAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("Surface") && object && object->isWidgetType())
        return new PlaneAccessible(static_cast<QWidget *>(object));
    return nullptr;
}

} // namespace

void presentPlaneAsPicture()
{
    static const bool installed = [] {
        QAccessible::installFactory(planeAccessible);
        return true;
    }();
    Q_UNUSED(installed)
}

ScreenReaderResults::ScreenReaderResults(QWidget *plane)
    : plane(plane)
    , emptyPlane(plane->accessibleDescription())
{
}

void ScreenReaderResults::handlerEnded(WindowState &state)
{
    const Members &m = state.members;
    const Controls &c = state.controls;
    const std::optional<numtext::StraightLine> line = currentLine(state);
    const bool lineOnPlane = line.has_value();
    if (state.shown.test) {
        testedX = c.txtAx[2].text();
        testedY = c.txtAy[2].text();
    }

    PlaneFacts facts;
    if (lineOnPlane)
        facts.equation = m.lineEquation;
    if (m.hasPrevious)
        facts.keptEquation = c.txtequacio2.text().section(lineBreak, 0, 0);
    facts.verdict = c.txtsino.text();
    facts.testX = testedX;
    facts.testY = testedY;
    if (lineOnPlane && m.hasPrevious)
        facts.comparison = m.comparison;
    const QString description = planeDescription(facts);
    const QString planeNow = description.isEmpty() ? emptyPlane : description;
    plane->setProperty(planeDescriptionKey, planeNow);

    ShownResults results;
    if (state.shown.line)
        results.equation = m.lineEquation;
    if (state.shown.test) {
        results.worked = c.txtresultat.text();
        results.verdict = c.txtsino.text();
    }
    if (state.shown.comparison)
        results.comparison = m.comparison;
    results.kept = state.shown.kept;
    results.keptNothing = state.shown.keptNothing;
    results.cleared = state.shown.cleared;
    results.cursor = state.shown.cursor;
    results.cursorOnLine = state.shown.cursor && line && onLine(*state.shown.cursor, *line);
    results.placedRow = state.shown.placedRow;
    results.placed = state.shown.placed;
    const bool planeAsked = state.shown.plane;
    state.shown = {};
    const QString told = planeAsked ? planeNow : resultsText(results);
    if (!told.isEmpty())
        announcer.announce(told, plane);
    // A handler that moved the focus and told nothing: the field is told all the same.
    tellPendingFocus();
}

void ScreenReaderResults::pictureCopied()
{
    announcer.announce(said.copied, plane);
}

QString ScreenReaderResults::planeNow() const
{
    const QVariant kept = plane->property(planeDescriptionKey);
    return kept.isValid() ? kept.toString() : emptyPlane;
}
