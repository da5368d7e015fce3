#pragma once

#include <QObject>
#include <QPointer>
#include <QSize>

#include <optional>

class QWidget;
class QWindow;

/// Resizes a top-level window, but never while the window system holds it maximised or full
/// screen. Leaving that state is asynchronous: on Wayland a new size before the compositor has
/// agreed is a protocol error that ends the program. So the window is asked to leave the state
/// and gets its size once the window system reports it normal.
class WindowSizer : public QObject
{
public:
    explicit WindowSizer(QWidget *window);

    /// The window's new size, frame excluded: now, or once the window system lets it go.
    void resize(QSize size);
    /// Whether the window system last reported the window maximised or full screen.
    bool held() const { return heldByWindowSystem; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void apply(QSize size);

    QWidget *window;
    QPointer<QWindow> watched;
    std::optional<QSize> pending;
    bool heldByWindowSystem = false;
};
