#include "announcer.h"

#include "field.h"

#include <QAccessible>
#include <QApplication>
#include <QFocusEvent>
#include <QMenuBar>
#include <QWidget>

#if defined(Q_OS_LINUX) && QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
#define RECTA_ATSPI_TEXT_EVENT
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#endif

#if defined(Q_OS_WIN) && QT_VERSION < QT_VERSION_CHECK(6, 8, 0)
#define RECTA_UIA_NOTIFICATION
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// oleauto.h takes the types that windows.h declares.
#include <oleauto.h>

namespace {

// Qt 6.4's UI Automation bridge passes no description's change on to Windows's screen readers.
// The result is raised as the notification that Qt 6.8's announcements are, from the window's
// host element, which Narrator and NVDA speak. UiaRaiseNotificationEvent came with Windows 10
// 1709, and is looked up, so that the program starts where it is missing (and under Wine).
void raiseNotification(QWidget *where, const QString &text)
{
    using HostProvider = HRESULT(WINAPI *)(HWND, IUnknown **);
    using RaiseNotification = HRESULT(WINAPI *)(IUnknown *, int, int, BSTR, BSTR);
    static const HMODULE uia = LoadLibraryW(L"uiautomationcore.dll");
    // Through a function type that takes nothing, which any function's may be cast from.
    const auto find = [](const char *name) {
        return reinterpret_cast<void (*)()>(uia ? GetProcAddress(uia, name) : nullptr);
    };
    static const auto hostProvider
        = reinterpret_cast<HostProvider>(find("UiaHostProviderFromHwnd"));
    static const auto raise
        = reinterpret_cast<RaiseNotification>(find("UiaRaiseNotificationEvent"));
    IUnknown *provider = nullptr;
    if (!hostProvider || !raise
        || FAILED(hostProvider(reinterpret_cast<HWND>(where->window()->winId()), &provider))
        || !provider)
        return;
    constexpr int actionCompleted = 2; // NotificationKind_ActionCompleted
    constexpr int importantMostRecent = 1; // NotificationProcessing_ImportantMostRecent
    BSTR said
        = SysAllocStringLen(reinterpret_cast<const OLECHAR *>(text.utf16()), UINT(text.size()));
    BSTR activity = SysAllocString(L"Recta");
    raise(provider, actionCompleted, importantMostRecent, said, activity);
    SysFreeString(said);
    SysFreeString(activity);
    provider->Release();
}

} // namespace
#endif

#ifdef RECTA_ATSPI_TEXT_EVENT
namespace {

// An accessible object on the AT-SPI bus: the bus name of its application and its path.
struct AtSpiReference
{
    QString service;
    QDBusObjectPath path;
};

QDBusArgument &operator<<(QDBusArgument &argument, const AtSpiReference &reference)
{
    argument.beginStructure();
    argument << reference.service << reference.path;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, AtSpiReference &reference)
{
    argument.beginStructure();
    argument >> reference.service >> reference.path;
    argument.endStructure();
    return argument;
}

} // namespace

Q_DECLARE_METATYPE(AtSpiReference)

namespace {

// Qt 6.4's AT-SPI bridge sends a description change with a reference to the object in place of
// the new text, and screen readers speak the text that the event carries (Orca presents the
// event's data as it is), so they say nothing. Send the change once more, as later bridges do,
// with the text, from the bridge's own connection, so that it comes from the object that the
// screen reader knows has the focus; where the bridge sends the text itself, a second event with
// the same text is one that a screen reader skips. Qt names that connection "a11y"; without it
// the bridge is off and there is no one to tell.
void sendDescriptionText(QWidget *control, const QString &text)
{
    const QDBusConnection bus(QStringLiteral("a11y"));
    if (!bus.isConnected() || !QAccessible::isActive())
        return;
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
    if (!accessible)
        return;
    static const QMetaType registered = qDBusRegisterMetaType<AtSpiReference>();
    Q_UNUSED(registered)
    const QString path = QStringLiteral("/org/a11y/atspi/accessible/")
        + QString::number(QAccessible::uniqueId(accessible));
    QDBusMessage event = QDBusMessage::createSignal(
        path, QStringLiteral("org.a11y.atspi.Event.Object"), QStringLiteral("PropertyChange"));
    const AtSpiReference application { bus.baseService(),
        QDBusObjectPath(QStringLiteral("/org/a11y/atspi/accessible/root")) };
    event << QStringLiteral("accessible-description") << 0 << 0
          << QVariant::fromValue(QDBusVariant(text)) << QVariant::fromValue(application);
    bus.send(event);
}

} // namespace
#endif

Announcer::Announcer(QObject *parent)
    : QObject(parent)
{
    // The control's own description comes back when the pupil returns to it, before Qt tells
    // accessibility clients of the focus there: restored as the focus leaves, it would reach a
    // screen reader still at that control, which would read it out. Not on the way back from the
    // menu bar, which takes the focus for a moment for Alt.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *old, QWidget *now) {
        if (now && now == announcedAt && !qobject_cast<QMenuBar *>(old))
            restore();
    });
    // Watches for the way back from a menu, which is no change of the focus widget. Here, once:
    // a filter installed on a field while the field's own event passes its filters would have
    // that event pass some of them twice.
    qApp->installEventFilter(this);
}

void Announcer::announce(const QString &text, QWidget *fallback)
{
    QWidget *where = QApplication::focusWidget();
    if (!where || where->window() != (fallback ? fallback->window() : where->window()))
        where = fallback;
    if (!where)
        return;
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    // An announcement is spoken as it comes, after the reading of a control that has just got
    // the focus, and again when the same text comes again: no description need change for it.
    tellPendingFocus();
    QAccessibleAnnouncementEvent event(where, text);
    QAccessible::updateAccessibility(&event);
#else
    if (where != announcedAt) {
        restore();
        announcedAt = where;
        ownDescription = where->accessibleDescription();
    }
    // Screen readers skip a description that is the one they last heard: clear it first, so that
    // a result equal to the last one is told again.
    describe(where, QString());
    describe(where, text);
    // A field that a handler moved the focus to is told now, after its description: Orca reads
    // the field, description and all, as the focus comes, and skips the description's changes
    // while the focus was elsewhere, so that the text is heard once.
    tellPendingFocus();
#ifdef RECTA_UIA_NOTIFICATION
    raiseNotification(where, text);
#endif
#endif
}

void Announcer::describe(QWidget *control, const QString &text)
{
    if (!control || control->accessibleDescription() == text)
        return;
    control->setAccessibleDescription(text);
#ifdef RECTA_ATSPI_TEXT_EVENT
    sendDescriptionText(control, text);
#endif
}

bool Announcer::eventFilter(QObject *watched, QEvent *event)
{
    // Back from a menu, the field is read out again, and with its own description: the result
    // told there before the menu opened is no news.
    if (watched == announcedAt && event->type() == QEvent::FocusIn
        && static_cast<QFocusEvent *>(event)->reason() == Qt::PopupFocusReason)
        restore();
    return false;
}

void Announcer::restore()
{
    // Quietly: a screen reader still at the control would read its own description out as
    // news. Qt's change event has the screen reader read the description afresh next time.
    if (announcedAt && announcedAt->accessibleDescription() != ownDescription)
        announcedAt->setAccessibleDescription(ownDescription);
    announcedAt = nullptr;
}
