#include "spoken.h"

#include "numtext.h"
#include "texts.h"

#include <QStringList>

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

} // namespace

QString meetingSentence(const Relation &relation)
{
    if (relation.kind != Relation::Kind::Crossing)
        return said.sameSlope.arg(spokenText(relationText(relation)));
    return said.crossing.arg(spokenText(numtext::numberToText(numtext::roundNumber(relation.x, 2))),
        spokenText(numtext::numberToText(numtext::roundNumber(relation.y, 2))));
}

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
    if (facts.comparison)
        sentences << meetingSentence(*facts.comparison);
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
    if (results.noSound)
        sentences << said.noSound;
    if (!results.landmarks.isEmpty())
        sentences << results.landmarks;
    if (results.cleared)
        sentences << said.cleared;
    if (!results.equation.isEmpty())
        sentences << said.line.arg(spokenText(results.equation));
    if (!results.worked.isEmpty() || !results.verdict.isEmpty())
        sentences << said.worked.arg(spokenText(results.worked), spokenText(results.verdict));
    if (results.comparison)
        sentences << meetingSentence(*results.comparison);
    if (results.keptNothing)
        sentences << said.nothingKept;
    else if (!results.kept.isEmpty())
        sentences << said.kept.arg(spokenText(results.kept));
    // A menu command leaves the keyboard in the first field, ready for the next line.
    if (results.cleared || results.keptNothing || !results.kept.isEmpty())
        sentences << said.typeAgain;
    return sentences.join(u' ');
}
