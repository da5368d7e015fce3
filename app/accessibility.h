#pragma once

#include "toolkit/announcer.h"

#include <QString>

class QWidget;
struct Recta;

/// What the plane shows, in the texts of the window; an empty text is something not shown.
struct PlaneFacts
{
    QString equation; // the current line's equation as shown in txtequacio
    QString keptEquation; // the kept line's, as txtequacio2 shows it first
    QString testX; // the test point as typed, with its verdict as txtsino shows it
    QString testY;
    QString verdict;
    QString comparison; // as cortar wrote it on the plane: '( 5, 11)', "coincidents"
};

/// The plane's accessible description: 'Recta y =-1·x + 16. Recta guardada y = 2·x + 1. Es
/// tallen al punt ( 5, 11).' Empty when the plane shows no line and no point.
QString planeDescription(const PlaneFacts &facts);

/// The results of one handler, in the texts of the window; an empty text is a result not shown.
struct ShownResults
{
    QString equation; // a new line's equation
    QString worked; // a point test's worked equation and verdict
    QString verdict;
    QString comparison; // how the new line meets the kept one
};

/// What a screen reader says of the results: 'Recta y = 2·x + 0. Es tallen al punt ( 1, 3).'
QString resultsText(const ShownResults &results);

/// Keeps the plane's accessible description current and tells each result where the pupil is,
/// after every handler of the window.
class ScreenReaderResults
{
public:
    /// The plane's own description is kept for a plane that shows nothing.
    explicit ScreenReaderResults(QWidget *plane);

    /// Reads what the handler showed from the window's members and fields, and starts afresh.
    void handlerEnded(Recta &r);

private:
    QWidget *plane;
    QString emptyPlane;
    Announcer announcer;
    QString testedX;
    QString testedY;
};
