#pragma once

#include "toolkit/canvas.h"

#include <QWidget>

#include <functional>

class Dispatcher;

/// The window's client area: shows the kept drawing of its canvas. When the window system
/// exposes the window (shown, uncovered), it lets the window draw over that drawing first.
class Surface : public QWidget
{
    Q_OBJECT

public:
    explicit Surface(QSize size, QWidget *parent = nullptr);

    Canvas &canvas() { return area; }
    /// The repaint handler, run through the dispatcher: after the running handler, if any.
    void setPaintHandler(std::function<void()> handler, Dispatcher *dispatcher);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Canvas area;
    std::function<void()> paintHandler;
    Dispatcher *handlers = nullptr;
    QObject *watchedWindow = nullptr;
};
