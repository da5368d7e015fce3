#pragma once

#include "canvas.h"
#include "zoom.h"

#include <QWidget>

#include <functional>
#include <optional>

class Dispatcher;
class QKeyEvent;

/// What the pupil does on the plane itself, off its controls, in world coordinates.
struct PlaneInput
{
    std::function<void(QPointF world)> click; // a left click
    std::function<QString(QPointF world)> label; // shown beside the pointer there; empty for none
    std::function<bool(const QKeyEvent &key)> key; // a key while the plane has the keyboard
};

/// The window's client planeCanvas: shows the kept drawing of its canvas. When the window system
/// exposes the window (shown, uncovered), it lets the window draw over that drawing first.
/// Whatever its size, it shows the drawing and the controls on it as large as fits, centred:
/// zoomed as a whole, the same world window over a larger planeCanvas.
class Surface : public QWidget
{
    Q_OBJECT

public:
    /// twips is the size at zoom 1.
    explicit Surface(QSize twips, QWidget *parent = nullptr);

    Canvas &canvas() { return planeCanvas; }
    /// The repaint handler, run through the dispatcher: after the running handler, if any.
    void setPaintHandler(std::function<void()> handler, Dispatcher *dispatcher);
    /// Lays a control out on the surface, or on a control of it, in twips at zoom 1.
    void place(QWidget *control, const QRect &twips, int textIndent = 0);
    /// As place, for a control that shows no text in the first frame: it gets its font once
    /// that frame is on the screen. Every family and size is a font lookup of its own, which the
    /// first frame need not wait for.
    void placeFontLater(
        QWidget *control, const QRect &twips, const QFont &font, int textIndent = 0);
    qreal zoom() const { return planeCanvas.zoom(); }
    void setInput(PlaneInput handlers) { input = std::move(handlers); }
    /// Shows the keyboard's cursor at the world point, over the drawing and never in it; none
    /// hides it.
    void showCursor(std::optional<QPointF> world);
    /// A world point's position in the widget, and back, through the canvas's world window.
    QPointF toWidget(QPointF world) const;
    QPointF toWorld(QPointF position) const;
    /// The size at the zoom, in logical pixels.
    QSize sizeAt(qreal zoom) const;
    QSize sizeHint() const override { return sizeAt(1.0); }

    /// The drawing and the controls on it as they are now, drawn again at twice the screen's
    /// pixels: for the clipboard, sharp in a document or a slide.
    QImage picture();
    /// The drawing and the controls on it, drawn again onto painter as lines and text, centred
    /// in page and as large as fits with its proportions.
    void paintPicture(QPainter &painter, const QRectF &page);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    /// The pointer's label and the keyboard's cursor, which are not part of the drawing.
    void paintPointers(QPainter &painter);
    QRect labelRect() const;
    QRect cursorRect() const;
    /// Whether a position in the widget is on the drawing and off every control.
    bool onPlane(QPoint position) const;
    /// The controls over the drawing, onto painter set in the drawing's logical pixels.
    void paintControls(QPainter &painter);

    QSize twipsSize;
    Canvas planeCanvas;
    TwipsLayout controls;
    QPoint origin; // of the drawing, centred in the widget
    std::function<void()> paintHandler;
    Dispatcher *dispatcher = nullptr;
    QObject *watchedWindow = nullptr;
    bool laterFontsPosted = false;
    PlaneInput input;
    std::optional<QPointF> cursorAt; // world
    QPoint pointer; // widget
    QString pointerLabel;
};
