// Figures for the window's drawing and entry paths, driven as a pupil drives them, and for the
// conversions they rely on. One shown window serves every benchmark; "esborrar" resets it
// between iterations, outside the timed part.
#include "canvas.h"
#include "equation.h"
#include "frame.h"
#include "frmRecta.h"
#include "linemath.h"
#include "marks.h"
#include "numtext.h"
#include "palette.h"
#include "surface.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <ctime>
#include <functional>
#include <vector>

namespace {

frmRecta *window = nullptr;
// Paint events that reached the client area: proof that a repaint really painted it.
int surfacePaints = 0;

class PaintCounter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++surfacePaints;
        return QObject::eventFilter(watched, event);
    }
};

void reportPaints(benchmark::State &state, int before)
{
    state.counters["paints"]
        = benchmark::Counter(surfacePaints - before, benchmark::Counter::kAvgIterations);
}

// A message box would block a benchmark for good; the watchdog in main closes it and says so.
bool messageShown = false;

const numtext::NumberLocale locale = numtext::NumberLocale::fullStop();

QLineEdit *field(const QString &name)
{
    return window->findChild<QLineEdit *>(name);
}

void settle()
{
    QApplication::processEvents();
}

void esborrar()
{
    window->findChild<QAction *>(QStringLiteral("mnuesborrar"))->trigger();
    settle();
}

void typeInto(const QString &name, const QString &text)
{
    QLineEdit *target = field(name);
    target->setFocus();
    QTest::keyClicks(target, text);
}

// A = (1, 2) and B = (3, 6), typed field by field; the focus ends in txtAy(1).
void typePoints()
{
    typeInto(QStringLiteral("txtAx(0)"), QStringLiteral("1"));
    typeInto(QStringLiteral("txtAy(0)"), QStringLiteral("2"));
    typeInto(QStringLiteral("txtAx(1)"), QStringLiteral("3"));
    typeInto(QStringLiteral("txtAy(1)"), QStringLiteral("6"));
    settle();
}

bool drew(const QString &equation)
{
    return !messageShown && field(QStringLiteral("txtequacio"))->text() == equation;
}

struct Stamp
{
    double wall = 0; // seconds, steady clock
    double cpu = 0; // seconds of this thread's CPU time
};

Stamp now()
{
    timespec cpu {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
    const auto wall = std::chrono::steady_clock::now().time_since_epoch();
    return { std::chrono::duration<double>(wall).count(), double(cpu.tv_sec) + cpu.tv_nsec * 1e-9 };
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    const auto middle = values.begin() + values.size() / 2;
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// Each step below runs esperar, the pause of some milliseconds of counting, once, and what it
// costs besides is smaller still, so a neighbour on the machine or a change of clock speed
// during the pause would swamp it. The pause is therefore timed on its own right before and
// right after the step, every iteration, and the step's time less the mean of those two is that
// iteration's figure; the counters give the median over the iterations, by the wall clock and
// by this thread's CPU clock (which leaves out the time the thread waited for a core).
void withoutPause(benchmark::State &state, const std::function<void()> &setup,
    const std::function<void()> &step, const std::function<bool()> &done)
{
    std::vector<double> wall;
    std::vector<double> cpu;
    std::vector<double> pause;
    int paints = 0;
    for (auto _ : state) {
        state.PauseTiming();
        esborrar();
        setup();
        state.ResumeTiming();

        const Stamp a = now();
        window->esperar();
        const Stamp b = now();
        const int paintsBefore = surfacePaints;
        step();
        const Stamp c = now();
        paints += surfacePaints - paintsBefore;
        window->esperar();
        const Stamp d = now();

        const double pauseWall = ((b.wall - a.wall) + (d.wall - c.wall)) / 2;
        const double pauseCpu = ((b.cpu - a.cpu) + (d.cpu - c.cpu)) / 2;
        wall.push_back((c.wall - b.wall) - pauseWall);
        cpu.push_back((c.cpu - b.cpu) - pauseCpu);
        pause.push_back(pauseWall);
        state.SetIterationTime(std::max(0.0, wall.back()));

        if (!done()) {
            state.SkipWithError("the step did not draw the expected line");
            break;
        }
    }
    state.counters["wall_p50_ms"] = median(wall) * 1e3;
    state.counters["cpu_p50_ms"] = median(cpu) * 1e3;
    state.counters["pause_p50_ms"] = median(pause) * 1e3;
    state.counters["paints"] = benchmark::Counter(paints, benchmark::Counter::kAvgIterations);
}

// Drawing.

void BM_pintar(benchmark::State &state)
{
    esborrar();
    Canvas &canvas = window->canvas();
    for (auto _ : state) {
        // A line drawn since the last frame, as at the end of every line drawing: a frame drawn
        // straight over itself sets no pixel, and would be timed as nothing.
        canvas.drawSegment(-5, -5, 5, 5, paletteColour(12));
        window->pintar();
        // The painter works lazily: only ending it guarantees that every pixel is set.
        window->canvas().endPainting();
    }
}
BENCHMARK(BM_pintar)->Unit(benchmark::kMicrosecond);

// What the offscreen screen gets: the client area and the fields over it, painted and flushed
// to the backing store at once; the surface runs Form_paint first.
void BM_repaintClientArea(benchmark::State &state)
{
    esborrar();
    const int before = surfacePaints;
    for (auto _ : state)
        window->centralWidget()->repaint();
    reportPaints(state, before);
}
BENCHMARK(BM_repaintClientArea)->Unit(benchmark::kMicrosecond);

// The whole window rendered anew, menu bar included, into a pixmap.
void BM_grabWindow(benchmark::State &state)
{
    esborrar();
    const int before = surfacePaints;
    for (auto _ : state)
        benchmark::DoNotOptimize(window->grab());
    reportPaints(state, before);
}
BENCHMARK(BM_grabWindow)->Unit(benchmark::kMicrosecond);

// The whole window zoomed.

// A long session on one plane: 20 lines, each with the marks of its two points, a test point
// with its marks, the text at its crossing with the line before, and the frame drawn after it
// as dibuixar draws it.
void drawSession()
{
    esborrar();
    Canvas &canvas = window->canvas();
    const WorldWindow &world = window->world();
    for (int k = 0; k < 20; ++k) {
        const double slope = -2.0 + 0.2 * k;
        const double intercept = 0.5 * (k % 7) - 1.5;
        drawPointMarks(canvas, -3, slope * -3 + intercept);
        drawPointMarks(canvas, 4, slope * 4 + intercept);
        drawSlopedLine(canvas, world, slope, intercept);
        drawPointMarks(canvas, 1, slope + intercept + 0.5 * (k % 2));
        canvas.printText(float(k - 10), float(k % 5),
            QStringLiteral("( %1, %2)").arg(k - 10).arg(k % 5), paletteColour(1));
        window->pintar();
    }
    canvas.endPainting();
}

// The session drawn again into a new image at zoom 2: what a resize costs the canvas.
void BM_replayAtZoom2(benchmark::State &state)
{
    drawSession();
    Canvas &canvas = window->canvas();
    for (auto _ : state) {
        state.PauseTiming();
        canvas.setZoom(1);
        state.ResumeTiming();
        canvas.setZoom(2);
        canvas.endPainting();
    }
    state.counters["listed"] = double(window->plane().drawing.size());
    canvas.setZoom(1);
}
BENCHMARK(BM_replayAtZoom2)->Unit(benchmark::kMillisecond);

// The window resized from zoom 1 to 2 and repainted whole, fields and all, with the session
// on the plane.
void BM_resizeToZoom2(benchmark::State &state)
{
    drawSession();
    const QSize atOne = window->size();
    const QSize atTwo = window->centralWidget()->size() * 2
        + QSize(0, window->height() - window->centralWidget()->height());
    const int before = surfacePaints;
    for (auto _ : state) {
        state.PauseTiming();
        window->resize(atOne);
        window->repaint();
        state.ResumeTiming();
        window->resize(atTwo);
        window->repaint();
    }
    reportPaints(state, before);
    if (window->canvas().zoom() != 2.0)
        state.SkipWithError("the window did not zoom to 2");
    window->resize(atOne);
    settle();
}
BENCHMARK(BM_resizeToZoom2)->Unit(benchmark::kMillisecond);

// The line drawing, as its callers run it.

void BM_esperar(benchmark::State &state)
{
    for (auto _ : state)
        window->esperar();
}
BENCHMARK(BM_esperar)->Unit(benchmark::kMicrosecond);

void BM_dibuixarWithPause(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        esborrar();
        typePoints();
        state.ResumeTiming();
        window->dibuixar();
    }
    if (!drew(QStringLiteral("y = 2·x + 0")))
        state.SkipWithError("dibuixar did not draw the expected line");
}
BENCHMARK(BM_dibuixarWithPause)->Unit(benchmark::kMicrosecond);

void BM_dibuixarWithoutPause(benchmark::State &state)
{
    withoutPause(
        state, typePoints, [] { window->dibuixar(); },
        [] { return drew(QStringLiteral("y = 2·x + 0")); });
}
BENCHMARK(BM_dibuixarWithoutPause)->UseManualTime()->Iterations(30)->Unit(benchmark::kMicrosecond);

// Enter in B's y field: the key handler with the point test's fields opened, dibuixar, the
// lost focus of the field it disables.
void BM_enterToLine(benchmark::State &state)
{
    withoutPause(
        state, typePoints,
        [] { QTest::keyClick(field(QStringLiteral("txtAy(1)")), Qt::Key_Return); },
        [] { return drew(QStringLiteral("y = 2·x + 0")); });
}
BENCHMARK(BM_enterToLine)->UseManualTime()->Iterations(30)->Unit(benchmark::kMicrosecond);

// The same until the screen shows the line: the repaints it asked for are done too.
void BM_enterToScreen(benchmark::State &state)
{
    withoutPause(
        state, typePoints,
        [] {
            QTest::keyClick(field(QStringLiteral("txtAy(1)")), Qt::Key_Return);
            settle();
        },
        [] { return drew(QStringLiteral("y = 2·x + 0")); });
}
BENCHMARK(BM_enterToScreen)->UseManualTime()->Iterations(30)->Unit(benchmark::kMicrosecond);

// A click on the plane at B, with A typed, until the screen shows the line: the click found on
// the grid, B's fields written and marked, then all that Enter in B's y field does.
void BM_clickToScreen(benchmark::State &state)
{
    withoutPause(
        state,
        [] {
            typeInto(QStringLiteral("txtAx(0)"), QStringLiteral("1"));
            typeInto(QStringLiteral("txtAy(0)"), QStringLiteral("2"));
            settle();
        },
        [] {
            auto *surface = window->findChild<Surface *>();
            QTest::mouseClick(
                surface, Qt::LeftButton, {}, surface->toWidget(QPointF(3, 6)).toPoint());
            settle();
        },
        [] { return drew(QStringLiteral("y = 2·x + 0")); });
}
BENCHMARK(BM_clickToScreen)->UseManualTime()->Iterations(30)->Unit(benchmark::kMicrosecond);

void BM_equationToScreen(benchmark::State &state)
{
    withoutPause(
        state, [] { typeInto(QStringLiteral("txtequacio"), QStringLiteral("y=2x+3")); },
        [] {
            QTest::keyClick(field(QStringLiteral("txtequacio")), Qt::Key_Return);
            settle();
        },
        [] { return drew(QStringLiteral("y = 2·x + 3")); });
}
BENCHMARK(BM_equationToScreen)->UseManualTime()->Iterations(30)->Unit(benchmark::kMicrosecond);

// The pure parts, one call an iteration over a small mix of inputs.

const std::array<QString, 8> typedNumbers = {
    QStringLiteral("2"),
    QStringLiteral("-3.5"),
    QStringLiteral(" 1 2"),
    QStringLiteral("1.5E3"),
    QStringLiteral("&HFF"),
    QStringLiteral("abc"),
    QStringLiteral("123456.789"),
    QStringLiteral("-.25"),
};

const std::array<double, 8> values = { 2, -3, 0.5, -0.25, 1.0 / 3, 1e20, 123456.789, -2.675 };

const std::array<QString, 10> equations = {
    QStringLiteral("y=2x+3"),
    QStringLiteral("y=-0.5x-1"),
    QStringLiteral("x=3"),
    QStringLiteral("y=3"),
    QStringLiteral("Y = 2X + 3"),
    QStringLiteral("y=2x+"),
    QStringLiteral("y=x/2+1"),
    QStringLiteral("2x+3y=6"),
    QStringLiteral("y-3=2(x-1)"),
    QStringLiteral("y=x^2"),
};

void BM_parseLeadingNumber(benchmark::State &state)
{
    std::size_t k = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(numtext::parseLeadingNumber(typedNumbers[k]));
        k = (k + 1) % typedNumbers.size();
    }
}
BENCHMARK(BM_parseLeadingNumber);

void BM_numberToText(benchmark::State &state)
{
    std::size_t k = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(numtext::numberToText(values[k]));
        k = (k + 1) % values.size();
    }
}
BENCHMARK(BM_numberToText);

void BM_formatNumber(benchmark::State &state)
{
    std::size_t k = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(numtext::formatNumber(values[k], locale));
        k = (k + 1) % values.size();
    }
}
BENCHMARK(BM_formatNumber);

void BM_roundNumber(benchmark::State &state)
{
    std::size_t k = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(numtext::roundNumber(values[k], 2));
        k = (k + 1) % values.size();
    }
}
BENCHMARK(BM_roundNumber);

void BM_readEquation(benchmark::State &state)
{
    std::size_t k = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(readEquation(equations[k], locale));
        k = (k + 1) % equations.size();
    }
}
BENCHMARK(BM_readEquation);

// What dibuixar works out after its pause, before it draws.
void BM_slopedLine(benchmark::State &state)
{
    std::size_t k = 0;
    for (auto _ : state) {
        const double yB = values[(k + 3) % values.size()];
        benchmark::DoNotOptimize(slopedLine(0, values[k], 3, yB, locale));
        k = (k + 1) % values.size();
    }
}
BENCHMARK(BM_slopedLine);

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    frmRecta recta(locale);
    recta.show();
    recta.activateWindow();
    if (!QTest::qWaitForWindowActive(&recta))
        return 1;
    window = &recta;
    PaintCounter paintCounter;
    recta.centralWidget()->installEventFilter(&paintCounter);

    QTimer watchdog;
    QObject::connect(&watchdog, &QTimer::timeout, &watchdog, [] {
        if (QWidget *box = QApplication::activeModalWidget()) {
            messageShown = true;
            box->close();
        }
    });
    watchdog.start(100);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return messageShown ? 1 : 0;
}
