#include "frmRecta.h"

#include "accessibility.h"
#include "canvas.h"
#include "compare.h"
#include "drawing.h"
#include "field.h"
#include "fonts.h"
#include "frame.h"
#include "gridpoint.h"
#include "linemath.h"
#include "marks.h"
#include "palette.h"
#include "panel.h"
#include "pointentry.h"
#include "surface.h"
#include "texts.h"
#include "windowicon.h"
#include "windowsizer.h"
#include "zoom.h"

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

namespace {

// The client area at zoom 1, in twips; the frame allowance and title bar are what the original
// desktop added around it, so that the world window does not depend on this machine's window
// manager.
constexpr QSize clientTwips(11010, 8190);
constexpr int frameTwips = 60;
constexpr int titleBarTwips = 285;
// Until the window system has framed the window, room for the largest frame that common
// desktops give it: Qt draws a title bar of 33 pixels of its own on a Wayland compositor that
// draws none, GNOME's is taller.
constexpr QSize unknownFrame(8, 40);
const QColor panelColour(192, 192, 255);

// A label field is a line field without a frame, which reads like a label on the panel.
enum class Kind : std::uint8_t { LineField, MultiField, LabelField, Panel };

// The window's own font, which the plane, its numbers and most fields share, and the fonts of the
// verdict and the equation. Those two fields start empty, so they get their fonts only after the
// first frame: every family and size is a font lookup of its own.
enum class Typeface : std::uint8_t { Window, Verdict, Equation };

// One control of the input table, at zoom 1.
struct ControlLayout
{
    const char *name;
    Kind kind;
    bool onPanel; // placed in the panel, else on the plane
    Typeface font = Typeface::Window;
    // A disabled field keeps a light grey background; its text greys towards it only as far as
    // it stays legible on a projector: 6:1, so that a font whose thin strokes never cover a whole
    // pixel still reaches 4.5:1. The equation keeps its red.
    bool greyedWhenDisabled = false;
    bool enabled = true;
    QRect twips;
    int textIndent = 0; // twips from the field's left edge to its text
    std::optional<QColor> text = std::nullopt; // the paper's unless set
    std::optional<QColor> background = std::nullopt;
    int tab = -1; // place in the tab order; the panel takes no focus
    const texts::ControlTexts *said = nullptr;
    Field *field = nullptr; // where the procedures find it
};

QWidget *makeField(
    QWidget *parent, Surface *surface, const ControlLayout &layout, const QFont &font)
{
    QWidget *field = nullptr;
    if (layout.kind == Kind::MultiField) {
        auto *multi = new QPlainTextEdit(parent);
        multi->setTabChangesFocus(true);
        multi->setLineWrapMode(QPlainTextEdit::NoWrap);
        multi->document()->setDocumentMargin(1);
        field = multi;
    } else {
        auto *line = new QLineEdit(parent);
        // The layout has room for the text only: keep Qt's inner margins out of it.
        line->setTextMargins(0, 0, 0, 0);
        if (layout.kind == Kind::LabelField)
            line->setFrame(false);
        boundUndoSteps(line);
        field = line;
    }
    field->setObjectName(QLatin1String(layout.name));
    if (layout.font == Typeface::Window) {
        field->setFont(font);
        surface->place(field, layout.twips, layout.textIndent);
    } else {
        surface->placeFontLater(field, layout.twips, font, layout.textIndent);
    }
    QPalette colours = field->palette();
    for (auto group : { QPalette::Active, QPalette::Inactive, QPalette::Disabled }) {
        if (layout.text)
            colours.setColor(group, QPalette::Text, *layout.text);
        if (layout.background)
            colours.setColor(group, QPalette::Base, *layout.background);
    }
    if (layout.greyedWhenDisabled) {
        colours.setColor(QPalette::Disabled, QPalette::Text,
            greyedText(colours.color(QPalette::Active, QPalette::Text),
                colours.color(QPalette::Disabled, QPalette::Base), 6.0));
    }
    if (layout.text || layout.background || layout.greyedWhenDisabled)
        field->setPalette(colours);
    return field;
}

// Qt's AT-SPI bridge holds each key event until the screen reader has seen it and then delivers
// it once more, late; delivered again, the Alt press of the Alt+N that ran a menu command counts
// as an Alt of its own, and with its release the menu bar would take the keyboard as for Alt
// alone: what the pupil types next would go nowhere, and Enter would run the command again. The
// copy of that release is kept from the menu bar; a new Alt from the keyboard opens it as ever.
class MenuChordGuard : public QObject
{
public:
    explicit MenuChordGuard(QMenuBar *menuBar)
        : QObject(menuBar)
        , menuBar(menuBar)
    {
        qApp->installEventFilter(this);
        // Should a copy still reach the menu bar first, the keyboard goes back at once.
        connect(qApp, &QApplication::focusChanged, this, [this](QWidget *old, QWidget *now) {
            if (now != this->menuBar || !old || !chordAlt)
                return;
            QPointer<QWidget> back = old;
            QMetaObject::invokeMethod(
                this,
                [this, back] {
                    if (this->menuBar->hasFocus() && back && back->isEnabled())
                        back->setFocus(Qt::MenuBarFocusReason);
                },
                Qt::QueuedConnection);
        });
    }

    /// Called as a menu command starts: whether Alt is down says that its letter ran it.
    void commandRan()
    {
        if (QApplication::keyboardModifiers() & Qt::AltModifier)
            chordAlt = true;
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        const bool press = event->type() == QEvent::KeyPress;
        if ((!press && event->type() != QEvent::KeyRelease)
            || static_cast<QKeyEvent *>(event)->key() != Qt::Key_Alt)
            return false;
        // The keyboard's own events are spontaneous, the bridge's copies are not.
        if (press && event->spontaneous()) {
            chordAlt = false;
        } else if (press && chordAlt) {
            // The copy's shortcut check has just put the menu bar's filter ahead of this one.
            qApp->removeEventFilter(this);
            qApp->installEventFilter(this);
        } else if (!press && chordAlt && !event->spontaneous()) {
            return true;
        }
        return false;
    }

private:
    QMenuBar *menuBar;
    bool chordAlt = false;
};

} // namespace

frmRecta::frmRecta(const numtext::NumberLocale &locale)
{
    state.locale = locale;
    // The texts are Catalan whatever the desktop's language: screen readers pick their voice by it.
    setLocale(QLocale(QLocale::Catalan, QLocale::Spain));
    presentPlaneAsPicture();
    setWindowTitle(texts::caption);
    setWindowIcon(rectaIcon());
    buildLayout();
    routeHandlers();
    Form_Load();
    // What a pupil who cannot see the plane is told of it, after every handler.
    results = std::make_unique<ScreenReaderResults>(surface);
    dispatcher.setIdleHandler([this] {
        if (results)
            results->handlerEnded(state);
    });
}

frmRecta::~frmRecta() = default;

void frmRecta::buildLayout()
{
    const QFont windowFont = sansSerif(8.25);
    buildMenu();
    buildPlane(windowFont);
    buildTable(windowFont);
    addKeys();
    sizer = new WindowSizer(this);
    // A window too large for the screen opens smaller.
    const qreal opening = openingZoom(largestZoom());
    setMinimumSize(
        surface->sizeAt(std::min(0.5, opening)) + QSize(0, menuBar()->sizeHint().height()));
    setZoom(opening);
}

void frmRecta::buildMenu()
{
    auto *mnuesborrar = menuBar()->addAction(texts::esborrar);
    mnuesborrar->setObjectName(QStringLiteral("mnuesborrar"));
    auto *mnurecta = menuBar()->addAction(texts::novaRecta);
    mnurecta->setObjectName(QStringLiteral("mnurecta"));
    auto *chordGuard = new MenuChordGuard(menuBar());
    connect(mnuesborrar, &QAction::triggered, this, [this, chordGuard] {
        chordGuard->commandRan();
        dispatcher.run([this] { mnuesborrar_Click(); });
    });
    connect(mnurecta, &QAction::triggered, this, [this, chordGuard] {
        chordGuard->commandRan();
        dispatcher.run([this] { mnurecta_Click(); });
    });
}

void frmRecta::buildPlane(const QFont &windowFont)
{
    surface = new Surface(clientTwips, this);
    surface->setObjectName(QStringLiteral("frmRecta"));
    setCentralWidget(surface);
    surface->setFont(windowFont);
    // The plane and everything on it, fields and panel included, keep their light colours
    // under a dark or high-contrast desktop; the menu bar and the message box follow it.
    surface->setPalette(onPaper(surface->palette()));
    surface->canvas().setFont(windowFont);
    surface->canvas().setBackground(surface->palette().color(QPalette::Base));
    surface->canvas().clearSurface();
    state.canvas = &surface->canvas();
    // The canvas keeps pixels; what it shows is the model's, drawn again whenever the pixels are
    // made anew.
    state.canvas->setScene([this](Canvas &canvas) { drawScene(canvas, state); });
}

void frmRecta::buildTable(const QFont &windowFont)
{
    Controls &c = state.controls;
    const QColor blue(0, 0, 255), black(0, 0, 0), red(255, 0, 0);
    // In the order they are made, which is the order they lie in: the result field in front of
    // the panel.
    const ControlLayout table[] = {
        { "txtequacio2", Kind::MultiField, false, {}, true, false, QRect(1920, 120, 1455, 495), 0,
            {}, {}, 9, &texts::keptEquations, &c.txtequacio2 },
        { "picValors", Kind::Panel, false, {}, false, true, QRect(120, 120, 1575, 3495), 0, {},
            panelColour, -1, &texts::table },
        { "txtresultat", Kind::MultiField, false, {}, false, true, QRect(120, 2880, 1695, 375), 0,
            blue, {}, 7, &texts::worked, &c.txtresultat },
        // Its field starts left of the panel, where it is cut off, so its text starts where the
        // panel does, one pixel in.
        { "txtsino", Kind::LabelField, true, Typeface::Verdict, false, true,
            QRect(-120, 2400, 1695, 405), 120 + twipsPerPixel, black, panelColour, 8,
            &texts::verdict, &c.txtsino },
        { "txtequacio", Kind::LineField, true, Typeface::Equation, false, true,
            QRect(0, 120, 1695, 375), 0, red, {}, 6, &texts::equation, &c.txtequacio },
        { "txtAx(0)", Kind::LineField, true, {}, true, true, QRect(240, 1320, 375, 285), 0, {}, {},
            0, &texts::pointX[0], &c.txtAx[0] },
        { "txtAy(0)", Kind::LineField, true, {}, true, true, QRect(840, 1320, 375, 285), 0, {}, {},
            1, &texts::pointY[0], &c.txtAy[0] },
        { "txtAx(1)", Kind::LineField, true, {}, true, true, QRect(240, 1680, 375, 285), 0, {}, {},
            2, &texts::pointX[1], &c.txtAx[1] },
        { "txtAy(1)", Kind::LineField, true, {}, true, true, QRect(840, 1680, 375, 285), 0, {}, {},
            3, &texts::pointY[1], &c.txtAy[1] },
        { "txtAx(2)", Kind::LineField, true, {}, true, false, QRect(240, 2040, 375, 285), 0, {}, {},
            4, &texts::pointX[2], &c.txtAx[2] },
        { "txtAy(2)", Kind::LineField, true, {}, true, false, QRect(840, 2040, 375, 285), 0, {}, {},
            5, &texts::pointY[2], &c.txtAy[2] },
    };
    // The rules of the panel, in twips.
    const QLine rules[] = { { 720, 720, 720, 4200 }, { 240, 1200, 1200, 1200 },
        { 600, 840, 360, 1080 }, { 360, 840, 600, 1080 }, { 840, 840, 960, 960 },
        { 960, 960, 1080, 840 }, { 960, 960, 960, 1080 } };

    Panel *panel = nullptr;
    std::array<QWidget *, 10> tabOrder {};
    for (const ControlLayout &layout : table) {
        QWidget *parent = layout.onPanel ? static_cast<QWidget *>(panel) : surface;
        QWidget *control = nullptr;
        if (layout.kind == Kind::Panel) {
            panel = new Panel(layout.background.value_or(Qt::white), surface);
            panel->setObjectName(QLatin1String(layout.name));
            surface->place(panel, layout.twips);
            // The plane's cross is for placing points, which the table does not take.
            panel->setCursor(Qt::ArrowCursor);
            for (const QLine &rule : rules)
                panel->addLine(rule);
            control = panel;
        } else {
            const QFont font = layout.font == Typeface::Verdict ? serif(8.25)
                : layout.font == Typeface::Equation             ? sansSerif(9.75)
                                                                : windowFont;
            control = makeField(parent, surface, layout, font);
            control->setEnabled(layout.enabled);
            *layout.field = Field(control);
            tabOrder[std::size_t(layout.tab)] = control;
        }
        control->setAccessibleName(layout.said->name);
        control->setAccessibleDescription(layout.said->description);
    }
    for (std::size_t k = 0; k + 1 < tabOrder.size(); ++k)
        setTabOrder(tabOrder[k], tabOrder[k + 1]);
    for (QWidget *field : tabOrder)
        tellFocusOnce(field, dispatcher);
    surface->setAccessibleName(texts::plane.name);
    surface->setAccessibleDescription(texts::plane.description);
}

void frmRecta::addKeys()
{
    // What the plane shows, told where the pupil is, whenever asked.
    auto *describePlane = new QAction(this);
    describePlane->setObjectName(QStringLiteral("describePlane"));
    describePlane->setShortcut(QKeySequence(Qt::Key_F2));
    addAction(describePlane);
    connect(describePlane, &QAction::triggered, this,
        [this] { dispatcher.run([this] { state.shown.plane = true; }); });
    addPictureCommands();
    addPlaneInput();
    addSound();

    // The whole window zooms: by the keys, in steps, or to whatever size it is given.
    const struct
    {
        const char *name;
        QList<QKeySequence> keys;
        int direction; // the next step up or down, or back to 1
    } zoomKeys[] = {
        { "zoomIn",
            { QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal) }, 1 },
        { "zoomOut", { QKeySequence(Qt::CTRL | Qt::Key_Minus) }, -1 },
        { "zoomReset", { QKeySequence(Qt::CTRL | Qt::Key_0) }, 0 },
    };
    for (const auto &zoom : zoomKeys) {
        auto *action = new QAction(this);
        action->setObjectName(QLatin1String(zoom.name));
        action->setShortcuts(zoom.keys);
        addAction(action);
        const int direction = zoom.direction;
        connect(action, &QAction::triggered, this, [this, direction] { zoomBy(direction); });
    }
}

void frmRecta::routeHandlers()
{
    for (std::int16_t row = 0; row < 3; ++row) {
        routeEvents(state.controls.txtAx[row], dispatcher,
            { [this, row] { txtAx_click(row); }, [this, row] { txtAx_LostFocus(row); }, {} });
        routeEvents(state.controls.txtAy[row], dispatcher,
            { [this, row] { txtAy_click(row); }, [this, row] { txtAy_LostFocus(row); },
                [this, row](int key, int shift) {
                    txtAy_KeyDown(row, std::int16_t(key), std::int16_t(shift));
                } });
    }
    routeEvents(state.controls.txtequacio, dispatcher, { {}, {}, [this](int key, int shift) {
                                                            txtequacio_KeyDown(std::int16_t(key),
                                                                std::int16_t(shift));
                                                        } });
    surface->setPaintHandler([this] { Form_paint(); }, &dispatcher);
}

QSize frmRecta::outerSizeTwips() const
{
    const int menuTwips = menuBar()->sizeHint().height() * twipsPerPixel;
    return QSize(clientTwips.width() + 2 * frameTwips,
        clientTwips.height() + menuTwips + 2 * frameTwips + titleBarTwips);
}

qreal frmRecta::largestZoom() const
{
    // The window frame as the window system draws it once the window is shown; before that,
    // room for any.
    QSize frame = frameGeometry().size() - geometry().size();
    if (!isVisible() || frame.isEmpty())
        frame = frame.expandedTo(unknownFrame);
    const QScreen *shown = screen();
    if (!shown)
        return zoomSteps.back();
    return largestFittingZoom(roomOnScreen(shown->availableGeometry(), shown->geometry()),
        surface->sizeAt(1.0), frame + QSize(0, menuBar()->sizeHint().height()));
}

void frmRecta::setZoom(qreal zoom)
{
    sizer->resize(surface->sizeAt(zoom) + QSize(0, menuBar()->sizeHint().height()));
}

void frmRecta::zoomBy(int direction)
{
    const qreal largest = largestZoom();
    const qreal current = surface->zoom();
    if (direction == 0) {
        setZoom(openingZoom(largest));
        return;
    }
    const qreal zoom = nextZoomStep(current, direction, largest);
    // No larger step fits: the window stays as it is, maximised or not.
    if (direction > 0 && zoom == current)
        return;
    // Smaller, but within the room, from a window larger than fits (maximised, or sized by
    // hand) below the smallest step.
    setZoom(std::min(zoom, largest));
}

void frmRecta::Form_Load()
{
    state.plane = {};
    PosaEscala();
    pintar();
}

void frmRecta::pintar()
{
    showOnPlane(state, { PlaneItem::Kind::Frame, 0, 0, {}, {} });
}

void frmRecta::PosaEscala()
{
    const QSize outer = outerSizeTwips();
    state.world = ::PosaEscala(surface->canvas(), outer.width(), outer.height());
}

void frmRecta::txtAy_KeyDown(std::int16_t index, std::int16_t keyCode, std::int16_t shift)
{
    // cortar lies in compare/, above line/: the window runs it as the handler's last step.
    if (::txtAy_KeyDown(state, index, keyCode, shift))
        cortar();
}

void frmRecta::addPlaneInput()
{
    PlaneInput input;
    input.click = [this](QPointF world) {
        if (const auto at = gridPointAt(world.x(), world.y()))
            dispatcher.run([this, at = *at] { posarPunt(at); });
    };
    input.label = [](QPointF world) {
        const auto at = gridPointAt(world.x(), world.y());
        return at ? QStringLiteral("(%1, %2)").arg(at->x()).arg(at->y()) : QString();
    };
    input.key = [this](const QKeyEvent &key) { return planeKey(key); };
    surface->setInput(std::move(input));
    // As for a field: the plane that F4 moved the keyboard to is told after where its cursor
    // is, so that a screen reader reads both once, as the focus comes.
    tellFocusOnce(surface, dispatcher);

    // In the plane's menu, where the mouse finds it too; the plane stays out of the Tab order,
    // which the table keeps as it is.
    auto *toPlane = new QAction(texts::pointByKeys, this);
    toPlane->setObjectName(QStringLiteral("pointByKeys"));
    toPlane->setShortcut(QKeySequence(Qt::Key_F4));
    toPlane->setShortcutContext(Qt::WindowShortcut);
    toPlane->setShortcutVisibleInContextMenu(true);
    addAction(toPlane);
    planeMenu->addAction(toPlane);
    connect(
        toPlane, &QAction::triggered, this, [this] { dispatcher.run([this] { entrarAlPla(); }); });
}

void frmRecta::posarPunt(QPoint at)
{
    const auto row = placementRow(state);
    if (!row || !gridPointAt(at.x(), at.y()))
        return;
    const std::int16_t r = *row;
    // A new test point empties the last verdict, as a click into its field does.
    if (r == 2)
        txtAx_click(r);
    state.controls.txtAx[r].setText(QString::number(at.x()));
    state.controls.txtAy[r].setText(QString::number(at.y()));
    txtAx_LostFocus(r);
    txtAy_LostFocus(r);
    state.pointing.lastPlaced = at;
    state.shown.placedRow = r;
    state.shown.placed = at;
    if (r > 0)
        txtAy_KeyDown(r, enterKey, 0);
}

void frmRecta::entrarAlPla()
{
    QWidget *from = QApplication::focusWidget();
    if (from && from != surface && isAncestorOf(from))
        cameFrom = from;
    surface->setFocus(Qt::ShortcutFocusReason);
    moureCursor(state.pointing.lastPlaced.value_or(QPoint(0, 0)));
}

void frmRecta::moureCursor(QPoint to)
{
    state.pointing.cursor = to;
    state.shown.cursor = to;
    surface->showCursor(QPointF(to));
}

void frmRecta::sortirDelPla()
{
    Field back(cameFrom);
    if (!back.isEnabled()) {
        const Controls &c = state.controls;
        back = c.txtAx[2].isEnabled() ? c.txtAx[2] : c.txtAx[0];
    }
    back.focus();
}

bool frmRecta::planeKey(const QKeyEvent &key)
{
    const QPoint at = state.pointing.cursor;
    const int step = key.modifiers() & Qt::ShiftModifier ? 5 : 1;
    const bool along = key.modifiers() & Qt::ControlModifier;
    std::optional<QPoint> to;
    switch (key.key()) {
    case Qt::Key_Left:
    case Qt::Key_Right: {
        const int direction = key.key() == Qt::Key_Left ? -1 : 1;
        const auto line = currentLine(state);
        to = along && line ? stepAlongLine(at, direction, *line)
                           : stepOnGrid(at, direction * step, 0);
        break;
    }
    case Qt::Key_Up:
        to = stepOnGrid(at, 0, step);
        break;
    case Qt::Key_Down:
        to = stepOnGrid(at, 0, -step);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        dispatcher.run([this, at] { posarPunt(at); });
        return true;
    case Qt::Key_Escape:
        dispatcher.run([this] { sortirDelPla(); });
        return true;
    default:
        return false;
    }
    dispatcher.run([this, to = *to] { moureCursor(to); });
    return true;
}

namespace {

// Opens the fields of A and B and empties the table, for a new line.
void openPointFields(Controls &c)
{
    c.txtAx[0].setEnabled(true);
    c.txtAx[1].setEnabled(true);
    c.txtAy[0].setEnabled(true);
    c.txtAy[1].setEnabled(true);
    for (int row = 0; row < 3; ++row) {
        c.txtAx[row].setText(QString());
        c.txtAy[row].setText(QString());
    }
    c.txtequacio.setText(QString());
    c.txtresultat.setText(QString());
}

// A menu command leaves the keyboard in A's x, where the next line is typed, wherever it was
// (in the menu bar too). The field's leaving is not the pupil's: Qt hands the focus of a field
// being disabled to the next field, and a field left for another would mark its point again on
// the fresh plane. A move for the menu bar's sake is one that no field's handler takes.
void closeTestPoint(Controls &c)
{
    c.txtAx[0].setEnabled(true);
    c.txtAx[0].widget()->setFocus(Qt::MenuBarFocusReason);
    c.txtAx[2].setEnabled(false);
    c.txtAy[2].setEnabled(false);
    c.txtsino.setText(QString());
    c.txtresultat.setText(QString());
}

} // namespace

void frmRecta::mnuesborrar_Click()
{
    closeTestPoint(state.controls);
    state.shown.cleared = true;
    state.plane = {};
    clearPlane(state);
    state.controls.txtequacio2.setText(QString());
    state.controls.txtequacio.setEnabled(true);
    pintar();
    openPointFields(state.controls);
}

void frmRecta::mnurecta_Click()
{
    closeTestPoint(state.controls);
    Plane &plane = state.plane;
    // The kept equation is the one shown for the line that was drawn, not whatever has been
    // typed into the equation field since; with no line, the list stays as it is.
    if (plane.current)
        state.controls.txtequacio2.setText(plane.current->equation);
    state.shown.kept = plane.current ? plane.current->equation : QString();
    state.shown.keptNothing = !plane.current;
    state.controls.txtequacio.setEnabled(true);

    // The kept line is the line that was drawn, vertical or not; the plane is open for the next.
    plane = Plane { plane.current, false, plane.current, std::nullopt, std::nullopt, {} };
    clearPlane(state);
    if (plane.kept)
        showOnPlane(state, { PlaneItem::Kind::Line, 0, 0, plane.kept->line, {} });
    pintar();
    openPointFields(state.controls);
}
