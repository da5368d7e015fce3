#include "toolkit/field.h"

#include "toolkit/dispatcher.h"

#include <QAccessible>
#include <QClipboard>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>

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

class FocusFirst : public QObject
{
public:
    explicit FocusFirst(QWidget *field)
        : QObject(field)
    {
        field->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // The field is the focus widget already when its focus event comes; Qt's own
        // notification that follows is one a screen reader finds it has heard. A line field
        // selects its text when Tab or a shortcut brings the focus.
        const auto reason = event->type() == QEvent::FocusIn
            ? static_cast<QFocusEvent *>(event)->reason()
            : Qt::OtherFocusReason;
        if ((reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason
                || reason == Qt::ShortcutFocusReason)
            && QAccessible::isActive()) {
            QAccessibleEvent focus(watched, QAccessible::Focus);
            QAccessible::updateAccessibility(&focus);
        }
        return false;
    }
};

} // namespace

void tellFocusFirst(QWidget *field)
{
    new FocusFirst(field);
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
