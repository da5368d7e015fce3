#pragma once

// What a screen reader says of the plane and of the results: the words spoken, from the texts
// the window shows and the model.

#include "relation.h"

#include <QPoint>
#include <QString>
#include <QStringView>

#include <optional>

/// What the plane shows, in the texts of the window; an empty text is something not shown.
struct PlaneFacts
{
    QString equation; // the current line's equation as shown in txtequacio
    QString keptEquation; // the kept line's, as txtequacio2 shows it first
    QString testX; // the test point as typed, with its verdict as txtsino shows it
    QString testY;
    QString verdict;
    std::optional<Relation> comparison; // how the current line meets the kept one
};

/// How a voice says a text the window shows (an equation, a worked equation, a number, a word),
/// with words for the symbols that it would read by their names: 'y =-2·x + .5' is said 'y és
/// igual a menys 2 per x més 0,5', '5 # 1E+20' is said '5 no és igual a 1 per 10 elevat a 20'.
/// Numbers take the decimal comma and a leading zero whatever their separator on screen.
QString spokenText(QStringView shown);

/// How two lines meet, in a sentence: "Són coincidents.", "Són paraŀleles." or the crossing
/// point said as its two coordinates, rounded as the plane shows them.
QString meetingSentence(const Relation &relation);

/// The plane's accessible description, in spoken words: 'Recta y és igual a menys 1 per x més
/// 16. Recta guardada y és igual a 2 per x més 1. Es tallen al punt x 5, y 11.' Empty when the
/// plane shows no line and no point.
QString planeDescription(const PlaneFacts &facts);

/// The results of one handler, in the texts of the window; an empty text is a result not shown.
struct ShownResults
{
    QString equation; // a new line's equation
    QString worked; // a point test's worked equation and verdict
    QString verdict;
    std::optional<Relation> comparison; // how the new line meets the kept one
    QString kept; // the equation "nova recta" kept, or "nova recta" with no line to keep
    bool keptNothing = false;
    bool cleared = false; // "esborrar" cleared the plane
    std::optional<QPoint> cursor; // where the cursor on the plane moved to
    bool cursorOnLine = false; // and whether that is on the current line
    int placedRow = -1; // the row of a point placed on the plane, and where
    QPoint placed;
    bool noSound = false; // no sound to play the plane with, the first time asked
    QString landmarks; // where the line crosses the axes, which way it goes, how the lines meet
};

/// Where a grid point is, in spoken words: 'x 3, y 7, a la recta', 'x menys 2, y 0, sobre
/// l'eix de les x'.
QString positionText(QPoint at, bool onTheLine);

/// What a screen reader says of the results, in spoken words: 'Recta y és igual a 2 per x més 0.
/// Es tallen al punt x 1, y 3.'
QString resultsText(const ShownResults &results);
