#pragma once

#include "announcer.h"
#include "spoken.h"

#include <QPoint>
#include <QString>

#include <optional>

class QWidget;
struct WindowState;

/// Lets screen readers see the window's plane as a picture, with its description as its text,
/// in Catalan. Called before the plane is made.
void presentPlaneAsPicture();

/// Keeps the plane's accessible description current and tells each result where the pupil is,
/// after every handler of the window.
class ScreenReaderResults
{
public:
    /// The plane's own description is kept for a plane that shows nothing.
    explicit ScreenReaderResults(QWidget *plane);

    /// Reads what the handler showed from the window's model and fields, and starts afresh.
    void handlerEnded(WindowState &state);
    /// Tells the pupil that the plane's picture is on the clipboard.
    void pictureCopied();
    /// The plane's description as it is now, in spoken words.
    QString planeNow() const;

private:
    QWidget *plane;
    QString emptyPlane;
    Announcer announcer;
};
