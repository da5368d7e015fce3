#pragma once

#include "toolkit/canvas.h"

#include <QWidget>

#include <functional>

class Dispatcher;

/// The window's client area: shows the kept drawing of its canvas and, on every repaint, lets
/// the window draw over it first.
class Surface : public QWidget
{
    Q_OBJECT

public:
    explicit Surface(QSize size, QWidget *parent = nullptr);

    Canvas &canvas() { return area; }
    /// The repaint handler; it is skipped while another handler runs (it may not run inside one).
    void setPaintHandler(std::function<void()> handler, const Dispatcher *dispatcher);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Canvas area;
    std::function<void()> paintHandler;
    const Dispatcher *handlers = nullptr;
    bool painting = false;
    bool presenting = false;
};
