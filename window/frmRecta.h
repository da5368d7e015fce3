#pragma once

// One Enter, from the key to the pixels and to the screen reader: Return in txtAy(1), with 1, 2
// and 3, 6 typed into the fields of A and B.
// 1. The field's filter (routeEvents, adapter/field.cpp) makes it key code enterKey (13) and hands
//    it to the Dispatcher, which runs frmRecta::txtAy_KeyDown(1, 13, 0) once no handler runs.
// 2. ::txtAy_KeyDown (window/pointentry.cpp) finds A and B filled (else messageBox) and runs
//    dibuixar: marks of A and B onto the Canvas, Canvas::present, esperar, then slopedLine
//    (core/linemath.cpp) gives the line 'y = 2·x + 0', which becomes the plane's current line
//    and txtequacio's text; drawLine and pintar draw it. It returns true, and the window runs
//    cortar (window/compare.cpp) against a kept line.
// 3. Canvas (adapter/canvas.cpp) maps world points through its QTransform to device pixels of its
//    QImage and has Surface update: Surface::paintEvent copies the changed rectangle to the
//    screen.
// 4. The Dispatcher, idle, calls ScreenReaderResults::handlerEnded (window/accessibility.cpp):
//    it keeps the plane's description and has the Announcer tell 'Recta y és igual a 2 per x més
//    0.' at the focused field, which the AT-SPI bridge takes to the screen reader.

#include "compare.h"
#include "dispatcher.h"
#include "numtext.h"
#include "pointentry.h"
#include "windowstate.h"

#include <QMainWindow>
#include <QPointer>

#include <cstdint>
#include <memory>

class Canvas;
class QFont;
class QKeyEvent;
class QMenu;
class QPrinter;
class ScreenReaderResults;
class SoundPlayer;
class QAction;
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

    /// What the plane holds: the lines and the results.
    const Plane &plane() const { return state.plane; }
    const WorldWindow &world() const { return state.world; }
    Canvas &canvas() { return *state.canvas; }
    /// The window's outer size in twips, frame, title bar and menu bar included, as the world
    /// window is computed from it: independent of the window manager.
    QSize outerSizeTwips() const;

    void Form_Load();
    void Form_paint() { pintar(); }
    void PosaEscala();
    void pintar();
    void dibuixar() { ::dibuixar(state); }
    void cortar() { ::cortar(state, pointB(state)); }
    void esperar() { ::esperar(); }

    void mnuesborrar_Click();
    void mnurecta_Click();
    void txtAx_click(std::int16_t index) { ::txtAx_click(state, index); }
    void txtAy_click(std::int16_t index) { ::txtAy_click(state, index); }
    void txtAx_LostFocus(std::int16_t index) { ::txtAx_LostFocus(state, index); }
    void txtAy_LostFocus(std::int16_t index) { ::txtAy_LostFocus(state, index); }
    void txtAy_KeyDown(std::int16_t index, std::int16_t keyCode, std::int16_t shift);
    void txtequacio_KeyDown(std::int16_t keyCode, std::int16_t shift)
    {
        ::txtequacio_KeyDown(state, keyCode, shift);
    }

    /// Places a grid point as if typed into the next row that takes one (see placementRow): its
    /// marks as on leaving its fields, and for B or the test point what Enter in its y field
    /// does. A point off the grid, or with no row to take it, places nothing.
    void posarPunt(QPoint at);
    /// Gives the keyboard to the cursor on the plane, at the last point placed or the origin.
    void entrarAlPla();
    /// Plays the line on the plane, and the kept one with it, as sound, and says its landmarks
    /// after; stops the sound when it is playing.
    void escoltar();
    /// Says the landmarks of the line on the plane without the sound.
    void descriure();

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
    void buildMenu();
    void buildPlane(const QFont &windowFont);
    void buildTable(const QFont &windowFont);
    void addKeys();
    /// The plane's context menu, for the mouse and the keyboard, with its two commands.
    void addPictureCommands();
    /// Opens the plane's menu at the field that has the focus, at its first command.
    void openPlaneMenuAtFocus();
    qreal largestZoom() const;
    void routeHandlers();
    /// The plane's own mouse and keys, and the command that takes the keyboard to it.
    void addPlaneInput();
    /// A key for the cursor on the plane; false for one it does not use.
    bool planeKey(const QKeyEvent &key);
    void moureCursor(QPoint to);
    /// Back to the field the pupil came to the plane from, or the first open one.
    void sortirDelPla();

    void addSound();
    void soundEnded();
    void aturarSo();

    WindowState state;
    Dispatcher dispatcher;
    Surface *surface = nullptr;
    WindowSizer *sizer = nullptr;
    std::unique_ptr<ScreenReaderResults> results;
    QMenu *planeMenu = nullptr;
    QPointer<QWidget> cameFrom; // the field the keyboard left for the plane
    SoundPlayer *sound = nullptr; // made when the pupil first asks for sound
    QAction *stopSound = nullptr;
    QString landmarksAfterSound; // said when the sweep ends by itself, not when stopped
};
