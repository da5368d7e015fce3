// Plays a script of user actions on one offscreen window and checks after each action what must
// hold whatever the pupil did: the enabled states of the fields, the message only where an
// entry is incomplete, an unreadable equation changing nothing, finite lines, and the drawing
// staying on its image.
//
// The input is the script. Each action is one byte, followed by the bytes it needs; a script
// ends with its bytes or after 40 actions, because every line drawing pauses for a while.
//   action % 16   what the pupil does                  bytes after it
//   0 ... 4       types a text into field f            f, n, then n+1 (1 ... 8) characters c
//   5 ... 7       presses Enter (Return) in field f    f
//   8             presses Enter on the keypad, Shift   f
//                 held, in field f
//   9             clicks into field f                  f
//   10            moves the focus to field f           f
//   11            presses Tab where the focus is       -
//   12            empties field f (Ctrl+A, Delete)     f
//   13            presses Backspace in field f         f
//   14            chooses "esborrar"                   -
//   15            chooses "nova recta"                 -
// f % 10 picks a field in the table's order: txtAx(0), txtAy(0), txtAx(1), txtAy(1), txtAx(2),
// txtAy(2), txtequacio, txtresultat, txtsino, txtequacio2. c % 40 picks a character of
// `alphabet`. A field the pupil cannot reach (disabled) is skipped, as the pupil cannot type,
// click or press a key there. The first byte of the script picks the decimal separator of the
// window the script plays on (even: full stop, odd: comma); every script starts from
// "esborrar" with the focus in txtAx(0).
#include "canvas.h"
#include "equation.h"
#include "frmRecta.h"
#include "numtext.h"
#include "palette.h"
#include "printable.h"
#include "windowstate.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int maxActions = 40;
constexpr int fieldCount = 10;
// Digits twice, the characters of numbers and equations, blanks, and a few odd ones.
const QString alphabet = QStringLiteral("01234567890123456789.,-+xy=e  XYE&Hd*/\u00e9\u00b7");

enum FieldIndex { Ax0, Ay0, Ax1, Ay1, Ax2, Ay2, Equation, Worked, Verdict, Kept };
const char *const fieldNames[fieldCount] = { "txtAx(0)", "txtAy(0)", "txtAx(1)", "txtAy(1)",
    "txtAx(2)", "txtAy(2)", "txtequacio", "txtresultat", "txtsino", "txtequacio2" };

struct Window
{
    frmRecta *window = nullptr;
    numtext::NumberLocale locale;
    std::array<QWidget *, fieldCount> fields {};
    QAction *esborrar = nullptr;
    QAction *novaRecta = nullptr;
    QSize imageSize;
    qreal imageRatio = 1;
    WorldWindow world;
};

Window windows[2];
Window *current = nullptr;
QImage planeBefore; // the plane as the current action found it
QStringList messages; // the texts of the message boxes closed during the current action
QString actionName;

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "fuzz_window: %s\n  after: %s\n", what, printable(actionName).constData());
    for (int f = 0; f < fieldCount; ++f) {
        const QWidget *w = current->fields[f];
        QString text;
        if (auto *line = qobject_cast<const QLineEdit *>(w))
            text = line->text();
        else if (auto *multi = qobject_cast<const QPlainTextEdit *>(w))
            text = multi->toPlainText();
        std::fprintf(stderr, "  %-12s %s '%s'\n", fieldNames[f],
            w->isEnabled() ? "enabled " : "disabled", printable(text).constData());
    }
    std::abort();
}

void require(bool ok, const char *what)
{
    if (!ok)
        fail(what);
}

QString textOf(int f)
{
    QWidget *w = current->fields[f];
    if (auto *line = qobject_cast<QLineEdit *>(w))
        return line->text();
    return qobject_cast<QPlainTextEdit *>(w)->toPlainText();
}

bool enabled(int f)
{
    return current->fields[f]->isEnabled();
}

// What the window shows and holds, to tell whether an action changed anything.
struct Snapshot
{
    std::array<QString, fieldCount> texts;
    std::array<bool, fieldCount> enabledStates {};
    Plane plane;
};

Snapshot snapshot()
{
    Snapshot s;
    for (int f = 0; f < fieldCount; ++f) {
        s.texts[f] = textOf(f);
        s.enabledStates[f] = enabled(f);
    }
    s.plane = current->window->plane();
    return s;
}

bool unchanged(const Snapshot &before)
{
    const Snapshot now = snapshot();
    return now.texts == before.texts && now.enabledStates == before.enabledStates
        && now.plane == before.plane;
}

// Whether the plane shows the colour of lines where it did not before the action.
bool newLineSeen()
{
    const QImage &now = current->window->canvas().image();
    const QRgb line = paletteColour(12).rgb();
    for (int y = 0; y < now.height(); ++y)
        for (int x = 0; x < now.width(); ++x)
            if (now.pixel(x, y) == line && planeBefore.pixel(x, y) != line)
                return true;
    return false;
}

// Whether the plane looks as it did before the action; a repaint draws the frame again over
// itself, which changes no pixel.
bool planeUnchanged()
{
    return current->window->canvas().image() == planeBefore;
}

bool finiteLine(const std::optional<DrawnLine> &drawn)
{
    if (!drawn)
        return true;
    const numtext::StraightLine &line = drawn->line;
    return std::isfinite(line.x) && std::isfinite(line.slope) && std::isfinite(line.intercept)
        && !drawn->equation.isEmpty() && (line.vertical || !drawn->slopeWorked.isEmpty());
}

// What holds after every action.
void checkAlways()
{
    const Plane &plane = current->window->plane();
    const WorldWindow &world = current->window->world();
    require(!enabled(Kept), "txtequacio2 enabled");
    require(finiteLine(plane.current) && finiteLine(plane.kept),
        "a line is not finite or has no equation");
    // The line on the plane is the one whose points are locked.
    require(
        bool(plane.onPlane()) == !enabled(Ax0), "the line on the plane and the fields disagree");
    require(world.xMin == current->world.xMin && world.xMax == current->world.xMax
            && world.yMin == current->world.yMin && world.yMax == current->world.yMax,
        "the world window moved");
    // The points and the test point's fields come and go together.
    require(enabled(Ax0) == enabled(Ay0) && enabled(Ax0) == enabled(Ax1)
            && enabled(Ax0) == enabled(Ay1),
        "the fields of A and B are not all in one state");
    require(enabled(Ax2) == enabled(Ay2), "the test point's fields are not in one state");
    Canvas &canvas = current->window->canvas();
    require(canvas.image().size() == current->imageSize
            && canvas.image().devicePixelRatio() == current->imageRatio,
        "the drawing's image changed its size");
    // The one message of an incomplete entry, or why a coordinate or an equation is refused.
    for (const QString &text : messages)
        require(text == QStringLiteral(" falten dades")
                || text.endsWith(QStringLiteral(" no és un nombre"))
                || (text.endsWith(u'.') && text.size() > 10),
            "an unknown message");
}

void checkCleared(const Snapshot &before, bool keptLine)
{
    require(enabled(Ax0) && !enabled(Ax2) && enabled(Equation), "enabled states after a command");
    for (int f : { Ax0, Ay0, Ax1, Ay1, Ax2, Ay2, Equation, Worked, Verdict })
        require(textOf(f).isEmpty(), "a field not emptied by a command");
    const Plane &plane = current->window->plane();
    if (keptLine) {
        require(plane.kept == before.plane.current, "nova recta did not keep the line");
        // The kept equation is the one shown for the drawn line, whatever has been typed since.
        if (before.plane.current)
            require(textOf(Kept) == before.plane.current->equation,
                "nova recta did not keep the equation");
        else
            require(textOf(Kept) == before.texts[Kept], "nova recta changed the kept equations");
    } else {
        // Nothing is left of the lines and results; the plane shows its frame alone.
        require(textOf(Kept).isEmpty() && !plane.current && !plane.kept && !plane.meeting
                && !plane.test && !plane.currentOnPlane,
            "esborrar kept a line");
    }
}

// A coordinate that no rule of the window may refuse.
bool ordinary(double v)
{
    return std::abs(v) <= 1e4;
}

bool ordinaryEntry(const Snapshot &s, bool withTestPoint)
{
    double v[6];
    for (int f = Ax0; f <= Ay2; ++f) {
        if (s.texts[f].trimmed().isEmpty()) {
            v[f] = 0;
            continue;
        }
        const std::optional<double> number = numtext::readCoordinate(s.texts[f], current->locale);
        if (!number)
            return false;
        v[f] = *number;
    }
    const double dx = v[Ax1] - v[Ax0];
    return ordinary(v[Ax0]) && ordinary(v[Ay0]) && ordinary(v[Ax1]) && ordinary(v[Ay1])
        && (dx == 0 || std::abs(dx) >= 1e-3)
        && (!withTestPoint || (ordinary(v[Ax2]) && ordinary(v[Ay2])));
}

void checkEnter(int f, const Snapshot &before)
{
    if (f == Ay0 || f == Ay1 || f == Ay2) {
        const auto filled = [&before](int f) { return !before.texts[f].trimmed().isEmpty(); };
        const bool complete = filled(Ax0) && filled(Ay0) && filled(Ax1) && filled(Ay1);
        // Either the pupil is told why, once, or a line is made.
        require(messages.size() <= 1, "Enter in a y field told more than once");
        if (!complete)
            require(!messages.isEmpty(), "an incomplete entry drew a line");
        else if (ordinaryEntry(before, f == Ay2))
            require(messages.isEmpty(), "an entry of ordinary numbers drew no line");
        if (!messages.isEmpty()) {
            require(unchanged(before) && planeUnchanged(), "the message came with changes");
            return;
        }
        require(!enabled(Ax0), "the fields of A and B stay open after a line");
        require(current->window->plane().onPlane(), "a line drawn is not current");
        require(!textOf(Equation).isEmpty(), "a line drawn without its equation");
        if (f == Ay1)
            require(enabled(Ax2), "Enter in B's y left the test point closed");
        else
            require(enabled(Ax2) == before.enabledStates[Ax2], "the test point's fields changed");
        return;
    }

    if (f != Equation) {
        require(messages.isEmpty(), "a message after Enter outside the y fields");
        require(!newLineSeen(), "Enter outside the y fields and the equation drew a line");
        return;
    }
    // An equation: two points and a line, or the reason why not and nothing else.
    const auto reading = readEquation(before.texts[Equation], current->locale);
    const auto *points = std::get_if<EquationPoints>(&reading);
    if (!points) {
        require(unchanged(before) && planeUnchanged(),
            "an equation that drew no line changed something");
        require(messages == QStringList { faultText(std::get<numtext::EquationFault>(reading)) },
            "a refused equation did not say why, once");
        return;
    }
    require(messages.isEmpty(), "a message with a line");
    require(textOf(Ax0) == points->ax && textOf(Ay0) == points->ay && textOf(Ax1) == points->bx
            && textOf(Ay1) == points->by,
        "the equation's points are not in the fields");
    require(!enabled(Ax0) && enabled(Ax2), "enabled states after an equation");
    require(enabled(Equation) == (points->form != EquationPoints::Form::SlopeIntercept),
        "the equation field's state after an equation");
}

void closeModals()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal)
        return;
    if (auto *box = qobject_cast<QMessageBox *>(modal))
        messages.append(box->text());
    else
        messages.append(QStringLiteral("(a modal widget that is no message box)"));
    modal->close();
    if (modal->isVisible())
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
}

// QTest's own typing knows ASCII only; a Latin-1 letter goes as its key with its text, as a
// keyboard sends it.
void typeText(QWidget *field, const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(field, char(c.unicode()));
        else
            QTest::sendKeyEvent(
                QTest::Click, field, Qt::Key(c.toUpper().unicode()), QString(c), Qt::NoModifier);
    }
}

QWidget *clickTarget(QWidget *field)
{
    if (auto *area = qobject_cast<QAbstractScrollArea *>(field))
        return area->viewport();
    return field;
}

// Gives the field the focus as the pupil would before typing into it.
void focus(QWidget *field)
{
    if (QApplication::focusWidget() != field)
        field->setFocus(Qt::TabFocusReason);
}

void settle()
{
    QCoreApplication::processEvents();
}

void setUp(Window &w, const numtext::NumberLocale &locale)
{
    w.locale = locale;
    w.window = new frmRecta(locale);
    for (int f = 0; f < fieldCount; ++f) {
        w.fields[f] = w.window->findChild<QWidget *>(QLatin1String(fieldNames[f]));
        if (!w.fields[f]) {
            std::fprintf(stderr, "fuzz_window: no field %s\n", fieldNames[f]);
            std::abort();
        }
    }
    w.esborrar = w.window->findChild<QAction *>(QStringLiteral("mnuesborrar"));
    w.novaRecta = w.window->findChild<QAction *>(QStringLiteral("mnurecta"));
    if (!w.esborrar || !w.novaRecta) {
        std::fprintf(stderr, "fuzz_window: no menu commands\n");
        std::abort();
    }
    w.window->show();
    if (!QTest::qWaitForWindowExposed(w.window)) {
        std::fprintf(stderr, "fuzz_window: the window is not shown\n");
        std::abort();
    }
    w.imageSize = w.window->canvas().image().size();
    w.imageRatio = w.window->canvas().image().devicePixelRatio();
    w.world = w.window->world();
}

void activate(Window &w)
{
    if (QApplication::activeWindow() == w.window)
        return;
    w.window->activateWindow();
    if (!QTest::qWaitForWindowActive(w.window)) {
        std::fprintf(stderr, "fuzz_window: the window cannot be made active\n");
        std::abort();
    }
}

} // namespace

// Fontconfig keeps what it loads for the first text in blocks that it no longer points to.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_window";
    static char *argv[] = { name, nullptr };
    // Never destroyed: at exit Qt's thread storage is gone before a static application would be.
    new QApplication(argc, argv);
    setUp(windows[0], numtext::NumberLocale::fullStop());
    setUp(windows[1], numtext::NumberLocale::comma());
    // The message box is modal: close it as soon as it is up, so that no script blocks.
    static QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, &closeModals);
    closer.start(0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    std::size_t pos = 0;
    const auto next = [&](std::uint8_t &byte) {
        if (pos >= size)
            return false;
        byte = data[pos++];
        return true;
    };
    std::uint8_t first = 0;
    if (!next(first))
        return 0;
    current = &windows[first % 2];
    activate(*current);
    Canvas &canvas = current->window->canvas();

    actionName = QStringLiteral("the start of the script");
    current->esborrar->trigger();
    focus(current->fields[Ax0]);
    settle();
    messages.clear();

    for (int action = 0; action < maxActions; ++action) {
        std::uint8_t op = 0;
        std::uint8_t f = 0;
        if (!next(op))
            break;
        const int kind = op % 16;
        const bool needsField = kind <= 10 || kind == 12 || kind == 13;
        if (needsField && !next(f))
            break;
        f %= fieldCount;
        QWidget *field = current->fields[f];
        QString typed;
        if (kind <= 4) {
            std::uint8_t length = 0;
            if (!next(length))
                break;
            for (int i = 0; i <= length % 8; ++i) {
                std::uint8_t c = 0;
                if (!next(c))
                    break;
                typed += alphabet[c % alphabet.size()];
            }
        }
        if (needsField && !field->isEnabled())
            continue;
        // Into the field first, as the pupil does before typing or pressing a key there; the
        // marks that leaving the other field draws belong to a focus move, not to this action.
        if (kind <= 8 || kind == 12 || kind == 13) {
            focus(field);
            settle();
        }

        const Snapshot before = snapshot();
        planeBefore = canvas.image().copy();
        messages.clear();
        switch (kind) {
        case 0:
        case 1:
        case 2:
        case 3:
        case 4:
            actionName
                = QStringLiteral("typing '%1' into %2").arg(typed, QLatin1String(fieldNames[f]));
            typeText(field, typed);
            break;
        case 5:
        case 6:
        case 7:
        case 8:
            actionName = QStringLiteral("Enter in %1").arg(QLatin1String(fieldNames[f]));
            if (kind == 8)
                QTest::keyClick(field, Qt::Key_Enter, Qt::ShiftModifier | Qt::KeypadModifier);
            else
                QTest::keyClick(field, Qt::Key_Return);
            break;
        case 9:
            actionName = QStringLiteral("a click into %1").arg(QLatin1String(fieldNames[f]));
            QTest::mouseClick(
                clickTarget(field), Qt::LeftButton, {}, clickTarget(field)->rect().center());
            break;
        case 10:
            actionName = QStringLiteral("the focus moved to %1").arg(QLatin1String(fieldNames[f]));
            focus(field);
            break;
        case 11:
            actionName = QStringLiteral("Tab");
            if (QWidget *w = QApplication::focusWidget())
                QTest::keyClick(w, Qt::Key_Tab);
            break;
        case 12:
            actionName = QStringLiteral("emptying %1").arg(QLatin1String(fieldNames[f]));
            QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(field, Qt::Key_Delete);
            break;
        case 13:
            actionName = QStringLiteral("Backspace in %1").arg(QLatin1String(fieldNames[f]));
            QTest::keyClick(field, Qt::Key_Backspace);
            break;
        case 14:
            actionName = QStringLiteral("esborrar");
            current->esborrar->trigger();
            break;
        case 15:
            actionName = QStringLiteral("nova recta");
            current->novaRecta->trigger();
            break;
        }
        settle();

        checkAlways();
        if (kind >= 5 && kind <= 8) {
            checkEnter(f, before);
            continue;
        }
        require(messages.isEmpty(), "a message without Enter");
        if (kind == 14 || kind == 15) {
            checkCleared(before, kind == 15);
            continue;
        }
        require(!newLineSeen(), "a line drawn without Enter or a command");
        require(enabled(Ax0) == before.enabledStates[Ax0]
                && enabled(Ax2) == before.enabledStates[Ax2]
                && enabled(Equation) == before.enabledStates[Equation],
            "enabled states changed without Enter or a command");
        const Plane &now = current->window->plane();
        require(now.current == before.plane.current && now.kept == before.plane.kept
                && now.currentOnPlane == before.plane.currentOnPlane
                && now.meeting == before.plane.meeting,
            "the line changed without Enter or a command");
        if (kind == 9 && (f == Ax2 || f == Ay2))
            require(textOf(f).isEmpty() && textOf(Worked).isEmpty() && textOf(Verdict).isEmpty(),
                "a click into the test point did not empty it");
    }
    return 0;
}
