#pragma once

#include <QString>

/// A modal box with the text, one OK button, no icon and the window's title, over the active
/// window. Returns once the user has closed it.
void messageBox(const QString &text);
