#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

/// Tells a screen reader of a result where the pupil is, without moving the keyboard focus.
/// Where Qt has announcements (6.8), the text is one; before, it becomes the accessible
/// description of the focused control, whose change a screen reader speaks, until the pupil comes
/// back to that control from another and its own description comes back; on Windows, whose
/// bridge passes no description on before 6.8, it is raised as a UI Automation notification too.
class Announcer : public QObject
{
public:
    explicit Announcer(QObject *parent = nullptr);

    /// Tells the text at the control that has the keyboard focus, or at `fallback` when no
    /// control has it, and tells of that control's focus when a handler has just moved it there.
    void announce(const QString &text, QWidget *fallback);

    /// Sets the control's accessible description and tells accessibility clients, in a form that
    /// a screen reader can speak, when it has changed.
    static void describe(QWidget *control, const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void restore();

    QPointer<QWidget> announcedAt;
    QString ownDescription;
};
