#include "app/frmRecta.h"

#include "app/accessibility.h"
#include "app/windowicon.h"
#include "compare/compare.h"
#include "frame/frame.h"
#include "line/linemath.h"
#include "line/marks.h"
#include "line/pointentry.h"
#include "toolkit/canvas.h"
#include "toolkit/field.h"
#include "toolkit/palette.h"
#include "toolkit/panel.h"
#include "toolkit/surface.h"
#include "toolkit/windowsizer.h"
#include "toolkit/zoom.h"

#include <QAction>
#include <QApplication>
#include <QFontDatabase>
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

namespace {

const QString caption = QStringLiteral("Recta");
// The ampersand marks the letter that Alt takes to the command; it is not shown as text.
const QString esborrarText = QStringLiteral("&esborrar");
const QString novaRectaText = QStringLiteral("&nova recta");

struct Accessible
{
    const char *name;
    QString accessibleName;
    QString description;
};

// What a screen reader says of each control.
const Accessible accessibleTexts[] = {
    { "txtAx(0)", QStringLiteral("Coordenada x del punt A"),
        QStringLiteral("Escriviu la x del primer punt de la recta") },
    { "txtAy(0)", QStringLiteral("Coordenada y del punt A"),
        QStringLiteral("Escriviu la y del primer punt de la recta") },
    { "txtAx(1)", QStringLiteral("Coordenada x del punt B"),
        QStringLiteral("Escriviu la x del segon punt de la recta") },
    { "txtAy(1)", QStringLiteral("Coordenada y del punt B"),
        QStringLiteral("Escriviu la y del segon punt i premeu Retorn per dibuixar la recta") },
    { "txtAx(2)", QStringLiteral("Coordenada x del punt de prova"),
        QStringLiteral("Escriviu la x del punt que voleu comprovar") },
    { "txtAy(2)", QStringLiteral("Coordenada y del punt de prova"),
        QStringLiteral("Escriviu la y del punt i premeu Retorn per saber si és a la recta") },
    { "txtequacio", QStringLiteral("Equació de la recta"),
        QStringLiteral("Mostra l'equació de la recta, o bé escriviu una equació, com y igual a 2 x "
                       "més 3, i premeu Retorn") },
    { "txtequacio2", QStringLiteral("Equacions de les rectes anteriors"),
        QStringLiteral("Les equacions de la recta guardada i de les que s'hi han comparat") },
    { "txtresultat", QStringLiteral("Comprovació del punt"),
        QStringLiteral("L'equació de la recta amb les coordenades del punt de prova") },
    { "txtsino", QStringLiteral("Veredicte"),
        QStringLiteral("Diu si el punt de prova és a la recta") },
    { "picValors", QStringLiteral("Taula de valors"),
        QStringLiteral("L'equació i les coordenades dels punts A, B i el punt de prova") },
    { "frmRecta", QStringLiteral("Pla cartesià"),
        QStringLiteral("Els eixos amb una quadrícula de punts de menys 20 a 20, encara sense cap "
                       "recta. Premeu F2 per sentir què hi ha al pla.") },
};

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

// The keys that zoom the whole window: the next step up or down, or back to 1.
struct ZoomKeys
{
    const char *name;
    QList<QKeySequence> keys;
    int direction;
};

// The original fonts where a system has them, else the metric-compatible Liberation fonts, so
// that the texts fit their fields as they were laid out, else any font of the kind. One family
// that is really installed is named: a list of absent ones, or a fontconfig alias, costs a
// font lookup for each at start-up.
QString installedFamily(const QStringList &wanted)
{
    static const QStringList families = QFontDatabase::families();
    for (const QString &family : wanted) {
        if (families.contains(family))
            return family;
    }
    return QString();
}

QFont boldFont(const QStringList &wanted, QFont::StyleHint hint, qreal points)
{
    QFont font;
    const QString family = installedFamily(wanted);
    if (!family.isEmpty())
        font.setFamily(family);
    font.setStyleHint(hint);
    font.setPointSizeF(points);
    font.setWeight(QFont::Bold);
    return font;
}

QFont sansSerif(qreal points)
{
    return boldFont({ QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                        QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                        QStringLiteral("DejaVu Sans") },
        QFont::SansSerif, points);
}

QFont serif(qreal points)
{
    return boldFont({ QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                        QStringLiteral("DejaVu Serif") },
        QFont::Serif, points);
}

void setColours(QWidget *field, std::optional<QColor> text, std::optional<QColor> background)
{
    QPalette colours = field->palette();
    for (auto group : { QPalette::Active, QPalette::Inactive, QPalette::Disabled }) {
        if (text)
            colours.setColor(group, QPalette::Text, *text);
        if (background)
            colours.setColor(group, QPalette::Base, *background);
    }
    field->setPalette(colours);
}

// A disabled field keeps a light grey background, and its text is greyed from the enabled text
// colour towards that background only as far as it stays well legible on a projector: 4.5:1 at
// least, 6:1 for the colour so that a font whose thin strokes never cover a whole pixel still
// gets there.
void legibleWhenDisabled(QWidget *field)
{
    QPalette colours = field->palette();
    colours.setColor(QPalette::Disabled, QPalette::Text,
        greyedText(colours.color(QPalette::Active, QPalette::Text),
            colours.color(QPalette::Disabled, QPalette::Base), 6.0));
    field->setPalette(colours);
}

enum class FontWhen : std::uint8_t {
    Now,
    // For a field that starts empty and in a font of its own, so not needed for the first frame.
    AfterFirstFrame,
};

QLineEdit *lineField(QWidget *parent, const QString &name, Surface *surface, QRect twips,
    const QFont &font, FontWhen when, int textIndent = 0)
{
    auto *field = new QLineEdit(parent);
    field->setObjectName(name);
    // The layout has room for the text only: keep Qt's inner margins out of it.
    field->setTextMargins(0, 0, 0, 0);
    boundUndoSteps(field);
    if (when == FontWhen::AfterFirstFrame) {
        surface->placeFontLater(field, twips, font, textIndent);
    } else {
        field->setFont(font);
        surface->place(field, twips, textIndent);
    }
    return field;
}

QPlainTextEdit *multiField(
    QWidget *parent, const QString &name, Surface *surface, QRect twips, const QFont &font)
{
    auto *field = new QPlainTextEdit(parent);
    field->setObjectName(name);
    field->setFont(font);
    surface->place(field, twips);
    field->setTabChangesFocus(true);
    field->setLineWrapMode(QPlainTextEdit::NoWrap);
    field->document()->setDocumentMargin(1);
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

// The theme's icon where the desktop installed one, else the one compiled in. The PNGs stand in
// where Qt has no SVG icon engine; where it has one they are only the sizes it need not draw.
// Up to 128 pixels: on X11 every size is sent to the window manager at start-up, and a 256
// one costs more time than a title bar or a task switcher gains from it.

} // namespace

frmRecta::frmRecta(const numtext::NumberLocale &locale)
{
    r.locale = locale;
    // The texts are Catalan whatever the desktop's language: screen readers pick their voice by it.
    setLocale(QLocale(QLocale::Catalan, QLocale::Spain));
    presentPlaneAsPicture();
    setWindowTitle(caption);
    setWindowIcon(rectaIcon());
    buildLayout();
    routeHandlers();
    Form_Load();
    // What a pupil who cannot see the plane is told of it, after every handler.
    results = std::make_unique<ScreenReaderResults>(surface, handlers);
    handlers.setIdleHandler([this] {
        if (results)
            results->handlerEnded(r);
    });
}

frmRecta::~frmRecta() = default;

Canvas &frmRecta::canvas()
{
    return surface->canvas();
}

void frmRecta::buildLayout()
{
    const QFont windowFont = sansSerif(8.25);

    auto *mnuesborrar = menuBar()->addAction(esborrarText);
    mnuesborrar->setObjectName(QStringLiteral("mnuesborrar"));
    auto *mnurecta = menuBar()->addAction(novaRectaText);
    mnurecta->setObjectName(QStringLiteral("mnurecta"));
    auto *chordGuard = new MenuChordGuard(menuBar());
    connect(mnuesborrar, &QAction::triggered, this, [this, chordGuard] {
        chordGuard->commandRan();
        handlers.run([this] { mnuesborrar_Click(); });
    });
    connect(mnurecta, &QAction::triggered, this, [this, chordGuard] {
        chordGuard->commandRan();
        handlers.run([this] { mnurecta_Click(); });
    });

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

    // Created in this order so that the result field lies in front of the panel.
    auto *txtequacio2 = multiField(
        surface, QStringLiteral("txtequacio2"), surface, QRect(1920, 120, 1455, 495), windowFont);
    auto *picValors = new Panel(QColor(192, 192, 255), surface);
    picValors->setObjectName(QStringLiteral("picValors"));
    surface->place(picValors, QRect(120, 120, 1575, 3495));
    auto *txtresultat = multiField(
        surface, QStringLiteral("txtresultat"), surface, QRect(120, 2880, 1695, 375), windowFont);

    const struct
    {
        int x1, y1, x2, y2;
    } rules[] = {
        { 720, 720, 720, 4200 },
        { 240, 1200, 1200, 1200 },
        { 600, 840, 360, 1080 },
        { 360, 840, 600, 1080 },
        { 840, 840, 960, 960 },
        { 960, 960, 1080, 840 },
        { 960, 960, 960, 1080 },
    };
    for (const auto &rule : rules)
        picValors->addLine(QLine(rule.x1, rule.y1, rule.x2, rule.y2));

    // The verdict reads like a label on the panel; its field starts left of the panel, where it
    // is cut off, so its text starts where the panel does, one pixel in.
    auto *txtsino = lineField(picValors, QStringLiteral("txtsino"), surface,
        QRect(-120, 2400, 1695, 405), serif(8.25), FontWhen::AfterFirstFrame, 120 + 15);
    auto *txtequacio = lineField(picValors, QStringLiteral("txtequacio"), surface,
        QRect(0, 120, 1695, 375), sansSerif(9.75), FontWhen::AfterFirstFrame);
    QLineEdit *txtAx[3];
    QLineEdit *txtAy[3];
    for (int row = 0; row < 3; ++row) {
        const int top = 1320 + 360 * row;
        txtAx[row] = lineField(picValors, QStringLiteral("txtAx(%1)").arg(row), surface,
            QRect(240, top, 375, 285), windowFont, FontWhen::Now);
        txtAy[row] = lineField(picValors, QStringLiteral("txtAy(%1)").arg(row), surface,
            QRect(840, top, 375, 285), windowFont, FontWhen::Now);
    }

    setColours(txtresultat, QColor(0, 0, 255), std::nullopt);
    setColours(txtsino, QColor(0, 0, 0), QColor(192, 192, 255));
    txtsino->setFrame(false);
    setColours(txtequacio, QColor(255, 0, 0), std::nullopt);

    // The equation keeps its red when disabled; the rest are greyed, legibly.
    for (QWidget *field : { static_cast<QWidget *>(txtequacio2), static_cast<QWidget *>(txtAx[0]),
             static_cast<QWidget *>(txtAy[0]), static_cast<QWidget *>(txtAx[1]),
             static_cast<QWidget *>(txtAy[1]), static_cast<QWidget *>(txtAx[2]),
             static_cast<QWidget *>(txtAy[2]) })
        legibleWhenDisabled(field);

    txtequacio2->setEnabled(false);
    txtAx[2]->setEnabled(false);
    txtAy[2]->setEnabled(false);

    // The panel takes no focus; the fields follow one another in the table's order.
    const QList<QWidget *> order = { txtAx[0], txtAy[0], txtAx[1], txtAy[1], txtAx[2], txtAy[2],
        txtequacio, txtresultat, txtsino, txtequacio2 };
    for (qsizetype k = 0; k + 1 < order.size(); ++k)
        setTabOrder(order[k], order[k + 1]);

    for (int row = 0; row < 3; ++row) {
        r.c.txtAx[row] = Field(txtAx[row]);
        r.c.txtAy[row] = Field(txtAy[row]);
    }
    r.c.txtequacio = Field(txtequacio);
    r.c.txtequacio2 = Field(txtequacio2);
    r.c.txtresultat = Field(txtresultat);
    r.c.txtsino = Field(txtsino);
    r.surface = &surface->canvas();

    for (const Accessible &texts : accessibleTexts) {
        QWidget *control = findChild<QWidget *>(QLatin1String(texts.name));
        control->setAccessibleName(texts.accessibleName);
        control->setAccessibleDescription(texts.description);
    }
    for (QWidget *field : order)
        tellFocusFirst(field);
    // What the plane shows, told where the pupil is, whenever asked.
    auto *describePlane = new QAction(this);
    describePlane->setObjectName(QStringLiteral("describePlane"));
    describePlane->setShortcut(QKeySequence(Qt::Key_F2));
    addAction(describePlane);
    connect(describePlane, &QAction::triggered, this,
        [this] { handlers.run([this] { r.shown.plane = true; }); });
    addPictureCommands();

    // The whole window zooms: by the keys, in steps, or to whatever size it is given.
    const ZoomKeys zoomKeys[] = {
        { "zoomIn",
            { QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal) }, 1 },
        { "zoomOut", { QKeySequence(Qt::CTRL | Qt::Key_Minus) }, -1 },
        { "zoomReset", { QKeySequence(Qt::CTRL | Qt::Key_0) }, 0 },
    };
    for (const ZoomKeys &zoom : zoomKeys) {
        auto *action = new QAction(this);
        action->setObjectName(QLatin1String(zoom.name));
        action->setShortcuts(zoom.keys);
        addAction(action);
        const int direction = zoom.direction;
        connect(action, &QAction::triggered, this, [this, direction] { zoomBy(direction); });
    }
    sizer = new WindowSizer(this);
    // A window too large for the screen opens smaller.
    const qreal opening = openingZoom(largestZoom());
    setMinimumSize(
        surface->sizeAt(std::min(0.5, opening)) + QSize(0, menuBar()->sizeHint().height()));
    setZoom(opening);
}

void frmRecta::routeHandlers()
{
    for (std::int16_t row = 0; row < 3; ++row) {
        routeEvents(r.c.txtAx[row], handlers,
            { [this, row] { txtAx_click(row); }, [this, row] { txtAx_LostFocus(row); }, {} });
        routeEvents(r.c.txtAy[row], handlers,
            { [this, row] { txtAy_click(row); }, [this, row] { txtAy_LostFocus(row); },
                [this, row](int key, int shift) {
                    txtAy_KeyDown(row, std::int16_t(key), std::int16_t(shift));
                } });
    }
    routeEvents(r.c.txtequacio, handlers, { {}, {}, [this](int key, int shift) {
                                               txtequacio_KeyDown(
                                                   std::int16_t(key), std::int16_t(shift));
                                           } });
    surface->setPaintHandler([this] { Form_paint(); }, &handlers);
}

QSize frmRecta::outerSizeTwips() const
{
    const int menuTwips = menuBar()->sizeHint().height() * 15;
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
    r.m.slope = numtext::ValueCell::integer(0);
    r.m.intercept = numtext::ValueCell::integer(0);
    r.m.slopeShown = numtext::ValueCell::integer(0);
    r.m.interceptShown = 0;
    PosaEscala();
    pintar();
}

void frmRecta::Form_paint()
{
    pintar();
}

void frmRecta::PosaEscala()
{
    const QSize outer = outerSizeTwips();
    r.m.world = ::PosaEscala(surface->canvas(), outer.width(), outer.height());
}

void frmRecta::pintar()
{
    ::pintar(surface->canvas(), r.m.world);
}

void frmRecta::dibuixar()
{
    ::dibuixar(r);
}

void frmRecta::cortar()
{
    ::cortar(r);
}

void frmRecta::esperar()
{
    ::esperar();
}

void frmRecta::txtAx_click(std::int16_t index)
{
    ::txtAx_click(r, index);
}

void frmRecta::txtAy_click(std::int16_t index)
{
    ::txtAy_click(r, index);
}

void frmRecta::txtAx_LostFocus(std::int16_t index)
{
    ::txtAx_LostFocus(r, index);
}

void frmRecta::txtAy_LostFocus(std::int16_t index)
{
    ::txtAy_LostFocus(r, index);
}

void frmRecta::txtAy_KeyDown(std::int16_t index, std::int16_t keyCode, std::int16_t shift)
{
    ::txtAy_KeyDown(r, index, keyCode, shift);
}

void frmRecta::txtequacio_KeyDown(std::int16_t keyCode, std::int16_t shift)
{
    ::txtequacio_KeyDown(r, keyCode, shift);
}

namespace {

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
    closeTestPoint(r.c);
    r.shown.cleared = true;
    surface->canvas().clearSurface();
    Members &m = r.m;
    m.prevSlope = numtext::ValueCell::integer(0);
    m.prevIntercept = 0;
    m.slope = numtext::ValueCell::integer(0);
    m.intercept = numtext::ValueCell::integer(0);
    m.prevVertical = false;
    m.prevVerticalX = 0;
    m.hasPrevious = false;
    m.vertical = false;
    m.verticalX = 0;
    m.hasLine = false;
    m.lineEquation.clear();
    r.c.txtequacio2.setText(QString());
    r.c.txtequacio.setEnabled(true);
    pintar();
    openPointFields(r.c);
    r.c.txtequacio.setText(QString());
    r.c.txtresultat.setText(QString());
}

void frmRecta::mnurecta_Click()
{
    closeTestPoint(r.c);
    // The kept equation is the one shown for the line that was drawn, not whatever has been
    // typed into the equation field since; with no line, the list stays as it is.
    if (r.m.hasLine)
        r.c.txtequacio2.setText(r.m.lineEquation);
    r.shown.kept = r.m.hasLine ? r.m.lineEquation : QString();
    r.shown.keptNothing = !r.m.hasLine;
    Canvas &area = surface->canvas();
    area.clearSurface();
    r.c.txtequacio.setEnabled(true);

    // The kept line is the line that was drawn, vertical or not.
    Members &m = r.m;
    m.prevSlope = m.slope;
    m.prevIntercept = m.intercept.toNumberOr0(r.locale);
    m.prevVertical = m.vertical;
    m.prevVerticalX = m.verticalX;
    m.hasPrevious = m.hasLine;
    if (m.hasPrevious && m.prevVertical)
        drawVerticalLine(area, m.world, m.prevVerticalX);
    else if (m.hasPrevious)
        drawSlopedLine(area, m.world, m.prevSlope.toNumberOr0(r.locale), m.prevIntercept);
    pintar();
    openPointFields(r.c);
    r.c.txtequacio.setText(QString());
    r.c.txtresultat.setText(QString());
}
