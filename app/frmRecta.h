#pragma once

#include "line/recta.h"
#include "numtext/numtext.h"
#include "toolkit/dispatcher.h"

#include <QMainWindow>

#include <cstdint>
#include <memory>

class Canvas;
class QMenu;
class QPrinter;
class ScreenReaderResults;
class Surface;
class WindowSizer;

/// The one window of the program: the coordinate plane with the input table over it. It owns
/// all the state; its procedures and event handlers carry the names the teachers' documents use.
class frmRecta : public QMainWindow
{
    Q_OBJECT

public:
    /// Builds the window and runs Form_Load. The decimal separator is the system locale's
    /// unless a test passes another.
    explicit frmRecta(const numtext::NumberLocale &locale = numtext::NumberLocale::system());
    ~frmRecta() override;

    const Members &members() const { return r.m; }
    Canvas &canvas();
    /// The window's outer size in twips, frame, title bar and menu bar included, as the world
    /// window is computed from it: independent of the window manager.
    QSize outerSizeTwips() const;

    void Form_Load();
    void Form_paint();
    void PosaEscala();
    void pintar();
    void dibuixar();
    void cortar();
    void esperar();

    void mnuesborrar_Click();
    void mnurecta_Click();
    void txtAx_click(std::int16_t index);
    void txtAy_click(std::int16_t index);
    void txtAx_LostFocus(std::int16_t index);
    void txtAy_LostFocus(std::int16_t index);
    void txtAy_KeyDown(std::int16_t index, std::int16_t keyCode, std::int16_t shift);
    void txtequacio_KeyDown(std::int16_t keyCode, std::int16_t shift);

    /// Zooms the whole window to the next step up (direction > 0) or down, or back to 1
    /// (direction 0), as far as the screen has room.
    void zoomBy(int direction);
    /// Sizes the window for the zoom, whatever the screen; a maximised or full-screen window
    /// leaves that state first.
    void setZoom(qreal zoom);

    /// Copies the plane as it is now to the clipboard: a picture at twice the screen's pixels,
    /// with the plane's description as its text.
    void copyPicture();
    /// Prints the plane through the desktop's print dialog.
    void printPicture();
    /// Prints the plane onto the printer's page, as lines and text, as large as fits.
    void printPicture(QPrinter &printer);

private:
    void buildLayout();
    /// The plane's context menu, for the mouse and the keyboard, with its two commands.
    void addPictureCommands();
    qreal largestZoom() const;
    void routeHandlers();

    Recta r;
    Dispatcher handlers;
    Surface *surface = nullptr;
    WindowSizer *sizer = nullptr;
    std::unique_ptr<ScreenReaderResults> results;
    QMenu *planeMenu = nullptr;
};
