#include "field.h"

#include "dispatcher.h"

#include <QAccessible>
#include <QClipboard>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>

#include <algorithm>
#include <utility>

QString Field::text() const
{
    if (auto *line = qobject_cast<QLineEdit *>(w))
        return line->text();
    if (auto *multi = qobject_cast<QPlainTextEdit *>(w))
        return multi->toPlainText().replace(u'\n', lineBreak);
    return {};
}

void Field::setText(const QString &text)
{
    if (auto *line = qobject_cast<QLineEdit *>(w)) {
        line->setText(text);
        // Show the start of a long text, as a field that was just filled does.
        line->setCursorPosition(0);
    } else if (auto *multi = qobject_cast<QPlainTextEdit *>(w)) {
        QString lines = text;
        lines.replace(lineBreak, QStringLiteral("\n")).replace(u'\r', u'\n');
        multi->setPlainText(lines);
    }
}

void Field::focus(int cursorPosition)
{
    if (!w || !w->isEnabled())
        return;
    // The program's move, not the pupil's leaving: the field left marks nothing. No field's
    // lost-focus handler takes a move for the menu bar's sake.
    w->setFocus(Qt::MenuBarFocusReason);
    if (auto *line = qobject_cast<QLineEdit *>(w)) {
        line->deselect();
        line->setCursorPosition(cursorPosition < 0 ? int(line->text().size()) : cursorPosition);
    }
}

bool Field::isEnabled() const
{
    return w && w->isEnabled();
}

void Field::setEnabled(bool enabled)
{
    if (w)
        w->setEnabled(enabled);
}

namespace {

int keyCode(const QKeyEvent *event)
{
    // The codes of the keys that are no character, as the original desktop numbered them.
    static constexpr std::pair<int, int> codes[]
        = { { Qt::Key_Return, enterKey }, { Qt::Key_Enter, enterKey }, { Qt::Key_Backspace, 8 },
              { Qt::Key_Tab, 9 }, { Qt::Key_Escape, 27 }, { Qt::Key_Left, 37 }, { Qt::Key_Up, 38 },
              { Qt::Key_Right, 39 }, { Qt::Key_Down, 40 }, { Qt::Key_Delete, 46 } };
    for (const auto &[key, code] : codes) {
        if (event->key() == key)
            return code;
    }
    return event->key() < 0x80 ? event->key() : 0;
}

int shiftState(Qt::KeyboardModifiers modifiers)
{
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0)
        | (modifiers & Qt::AltModifier ? 4 : 0);
}

class FieldEvents : public QObject
{
public:
    FieldEvents(QObject *parent, Dispatcher &dispatcher, FieldHandlers handlers)
        : QObject(parent)
        , dispatcher(dispatcher)
        , handlers(std::move(handlers))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonRelease: {
            auto *mouse = static_cast<QMouseEvent *>(event);
            auto *widget = static_cast<QWidget *>(watched);
            if (handlers.click && mouse->button() == Qt::LeftButton
                && widget->rect().contains(mouse->position().toPoint()))
                dispatcher.run(handlers.click);
            break;
        }
        case QEvent::FocusOut: {
            // Only a move to another control of the window counts; the window itself losing
            // the focus (to a message box, another program or a menu) does not.
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
            if (handlers.lostFocus && reason != Qt::ActiveWindowFocusReason
                && reason != Qt::PopupFocusReason && reason != Qt::MenuBarFocusReason)
                dispatcher.run(handlers.lostFocus);
            break;
        }
        case QEvent::KeyPress: {
            auto *key = static_cast<QKeyEvent *>(event);
            if (handlers.keyDown) {
                const int code = keyCode(key);
                const int shift = shiftState(key->modifiers());
                dispatcher.run([this, code, shift] { handlers.keyDown(code, shift); });
            }
            break;
        }
        default:
            break;
        }
        return false;
    }

private:
    Dispatcher &dispatcher;
    FieldHandlers handlers;
};

} // namespace

void routeEvents(const Field &field, Dispatcher &dispatcher, FieldHandlers handlers)
{
    QWidget *widget = field.widget();
    if (!widget)
        return;
    widget->installEventFilter(new FieldEvents(widget, dispatcher, std::move(handlers)));
}

namespace {

// What the screen reader was last told has the focus: Qt's AT-SPI bridge sends a focus event
// for the object it told last as that object losing the focus and gaining it again, which Orca
// takes as a duplicate of the first and drops, so that a field's name goes unsaid.
QPointer<QObject> toldObject;
int toldChild = -1;
// A field that a handler moved the focus to, told once the handler has ended.
QPointer<QWidget> pendingField;
QAccessible::UpdateHandler passedOn = nullptr;

void oneFocusEvent(QAccessibleEvent *event)
{
    const bool focus = event->type() == QAccessible::Focus;
    if (event->object() && event->object() == pendingField) {
        // Until its focus is told, a field's cursor and selection would move the screen
        // reader's focus there without a word (Orca does so for the caret of a focused field).
        if (focus || event->type() == QAccessible::TextCaretMoved
            || event->type() == QAccessible::TextSelectionChanged)
            return;
    }
    if (focus) {
        if (event->object() == toldObject && event->child() == toldChild)
            return;
        toldObject = event->object();
        toldChild = event->child();
    }
    if (passedOn) {
        passedOn(event);
        return;
    }
    // Qt hands an event to the platform only while no handler is installed.
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(oneFocusEvent);
}

void tellFocus(QWidget *field)
{
    QAccessibleEvent focus(field, QAccessible::Focus);
    QAccessible::updateAccessibility(&focus);
}

class FocusOnce : public QObject
{
public:
    FocusOnce(QWidget *field, const Dispatcher &dispatcher)
        : QObject(field)
        , dispatcher(dispatcher)
    {
        field->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // The field is the focus widget already when its focus event comes, before it selects
        // its text (Tab) or a handler writes into it; Qt's own notification that follows is
        // dropped as the one already told. Qt tells a field of a window that comes to the front
        // after the window itself, as a screen reader wants it; of a field back from a menu it
        // tells nothing, and the pupil would not hear where the keyboard is.
        if (event->type() != QEvent::FocusIn
            || static_cast<QFocusEvent *>(event)->reason() == Qt::ActiveWindowFocusReason)
            return false;
        auto *field = static_cast<QWidget *>(watched);
        if (dispatcher.busy()) {
            pendingField = field;
        } else {
            pendingField = nullptr;
            tellFocus(field);
        }
        return false;
    }

private:
    const Dispatcher &dispatcher;
};

} // namespace

void tellFocusOnce(QWidget *field, const Dispatcher &dispatcher)
{
    static const bool installed = [] {
        passedOn = QAccessible::installUpdateHandler(oneFocusEvent);
        return true;
    }();
    Q_UNUSED(installed)
    new FocusOnce(field, dispatcher);
}

void tellPendingFocus()
{
    QWidget *field = pendingField.data();
    pendingField.clear();
    if (field && field->hasFocus())
        tellFocus(field);
}

namespace {

// Counts the steps of a line field's undo list since the list was last empty, and starts it
// over past the bound.
class UndoBound : public QObject
{
public:
    UndoBound(QLineEdit *field, int maxSteps)
        : QObject(field)
        , field(field)
        , seen(field->text())
        , maxSteps(maxSteps)
    {
        field->installEventFilter(this);
        connect(field, &QLineEdit::textChanged, this, &UndoBound::textChanged);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // A paste over a selection takes both out and in, though the text may end the same.
        if (watched == field && event->type() == QEvent::KeyPress
            && static_cast<QKeyEvent *>(event)->matches(QKeySequence::Paste)) {
            if (const QClipboard *clipboard = QGuiApplication::clipboard())
                steps += field->selectedText().size() + clipboard->text().size();
            startOverIfLong();
        }
        return false;
    }

private:
    void textChanged(const QString &text)
    {
        if (!field->isUndoAvailable()) {
            steps = 0; // set by the program: the list is empty
        } else {
            // One step a character taken out or put in, between the ends the texts share.
            const qsizetype shorter = std::min(text.size(), seen.size());
            qsizetype head = 0;
            while (head < shorter && text[head] == seen[head])
                ++head;
            qsizetype tail = 0;
            while (tail < shorter - head
                && text[text.size() - 1 - tail] == seen[seen.size() - 1 - tail])
                ++tail;
            steps += (seen.size() - head - tail) + (text.size() - head - tail);
        }
        seen = text;
        startOverIfLong();
    }

    void startOverIfLong()
    {
        if (steps <= maxSteps)
            return;
        steps = 0;
        // Setting the text is Qt's one way to empty the list; not while the field is still
        // busy with the change that led here.
        QMetaObject::invokeMethod(
            this,
            [this] {
                const int cursor = field->cursorPosition();
                field->setText(field->text());
                field->setCursorPosition(cursor);
            },
            Qt::QueuedConnection);
    }

    QLineEdit *field;
    QString seen;
    qsizetype steps = 0;
    int maxSteps;
};

} // namespace

void boundUndoSteps(QLineEdit *field, int maxSteps)
{
    new UndoBound(field, maxSteps);
}
