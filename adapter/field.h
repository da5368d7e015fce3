#pragma once

#include <QString>

#include <functional>

class Dispatcher;
class QLineEdit;
class QWidget;

/// The key code of Enter (Return or the keypad's Enter), as a field reports it.
inline constexpr int enterKey = 13;
/// What joins the lines of a multi-line field's text.
inline const QString lineBreak = QStringLiteral("\r\n");

/// A text field as the procedures see it: its text and whether it is enabled. Works for
/// single-line and multi-line fields; a multi-line field's lines are joined by CR LF.
class Field
{
public:
    Field() = default;
    explicit Field(QWidget *widget)
        : w(widget)
    {
    }

    QString text() const;
    void setText(const QString &text);
    /// Gives an enabled field the keyboard, with the cursor at the position, or at the end.
    void focus(int cursorPosition = -1);
    bool isEnabled() const;
    void setEnabled(bool enabled);
    QWidget *widget() const { return w; }

private:
    QWidget *w = nullptr;
};

/// What a field reports to its handlers. The key code is enterKey for Enter, the shift state the
/// Shift, Ctrl and Alt bits 1, 2 and 4.
struct FieldHandlers
{
    std::function<void()> click;
    std::function<void()> lostFocus;
    std::function<void(int keyCode, int shift)> keyDown;
};

/// Routes the field's mouse clicks, focus losses to another control of the window and key
/// presses to the handlers, through the dispatcher. Keys still reach the field afterwards.
void routeEvents(const Field &field, Dispatcher &dispatcher, FieldHandlers handlers);

/// Tells accessibility clients once that the field has the focus: as soon as it gets it, before
/// it selects its text (Tab) or shows its cursor, when the pupil moved it; after the handler,
/// through tellPendingFocus, when a handler moved it. Any other focus notification for what was
/// told last is dropped: a screen reader (Orca) that hears of a field's cursor before its focus,
/// or of its focus twice, takes the field as focused without a word and never says its name.
void tellFocusOnce(QWidget *field, const Dispatcher &dispatcher);

/// Tells accessibility clients of the field that a handler moved the focus to, once that
/// handler's results have been told.
void tellPendingFocus();

/// Qt keeps a step in a line field's undo list for every character typed, pasted or deleted,
/// until the program sets the field's text. Past maxSteps steps this starts the list over,
/// keeping the text and the cursor, so that a field edited on and on without an entry does not
/// hold ever more memory.
void boundUndoSteps(QLineEdit *field, int maxSteps = 4096);
