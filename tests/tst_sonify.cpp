#include "landmarks.h"
#include "linearequation.h"
#include "sonify.h"

#include <QTest>

#include <cmath>
#include <numbers>
#include <optional>
#include <variant>

using numtext::StraightLine;

namespace {

/// What is heard at one moment: the notes, as y, and where, as x; no notes is silence.
struct Heard
{
    double from = 0; // seconds
    double length = 0;
    double x = 0;
    QList<double> ys;
};

/// Around the sweep's x, over a tenth of a unit.
Heard at(double x, QList<double> ys)
{
    constexpr double length = 0.09;
    return { sonify::secondsAt(x) - length / 2, length, x, std::move(ys) };
}

/// Note `k` of a vertical line's chord at x, from the bottom: a short note, heard just after it
/// starts.
Heard chordNote(double x, int k)
{
    return { sonify::secondsAt(x) + k * sonify::chordNoteSeconds + 0.002, 0.03, x,
        { -sonify::planeEdge + k * sonify::chordStepY } };
}

StraightLine lineOf(const QString &equation)
{
    const auto read = numtext::readLinearEquation(equation);
    return std::get<StraightLine>(read);
}

int frameAt(double seconds)
{
    return int(std::lround(seconds * sonify::sampleRate));
}

/// A sample of channel 0 (left) or 1 (right); before the start and after the end, silence.
double sampleAt(const std::vector<float> &samples, int frame, int channel)
{
    const auto at = std::size_t(2 * frame + channel);
    return frame >= 0 && at < samples.size() ? samples[at] : 0.0;
}

/// The mean energy of one channel (0 left, 1 right) over `length` seconds from `seconds`; with
/// `clicks`, of its second difference, which keeps a click and all but drops the plane's notes.
double energy(const std::vector<float> &samples, double seconds, double length, int channel,
    bool clicks = false)
{
    const int first = frameAt(seconds);
    double sum = 0;
    for (int i = first; i < first + frameAt(length); ++i) {
        const double d = clicks ? sampleAt(samples, i + 1, channel)
                - 2 * sampleAt(samples, i, channel) + sampleAt(samples, i - 1, channel)
                                : sampleAt(samples, i, channel);
        sum += d * d;
    }
    return sum / frameAt(length);
}

double bothChannels(
    const std::vector<float> &samples, double seconds, double length, bool clicks = false)
{
    return energy(samples, seconds, length, 0, clicks)
        + energy(samples, seconds, length, 1, clicks);
}

/// Where the sound is between the speakers, as x: the inverse of equal-power panning.
double balanceX(const std::vector<float> &samples, double seconds, double length)
{
    const double angle = std::atan2(std::sqrt(energy(samples, seconds, length, 1)),
        std::sqrt(energy(samples, seconds, length, 0)));
    return angle / (std::numbers::pi / 2) * 2 * sonify::planeEdge - sonify::planeEdge;
}

/// The note heard for y: y = 0 is the A of 440 Hz, and each unit a semitone.
double hzOf(double y)
{
    return 440 * std::pow(2.0, y / 12);
}

/// The power of the pitch of y in both channels from `seconds` on, through a Hann window.
double power(const std::vector<float> &samples, double seconds, double length, double y)
{
    const int n = frameAt(length);
    const int first = frameAt(seconds);
    const double w = 2 * std::numbers::pi * hzOf(y) / sonify::sampleRate;
    double re = 0;
    double im = 0;
    for (int i = 0; i < n; ++i) {
        const double hann = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / (n - 1));
        const double s = hann * (sampleAt(samples, first + i, 0) + sampleAt(samples, first + i, 1));
        re += s * std::cos(w * i);
        im += s * std::sin(w * i);
    }
    return re * re + im * im;
}

/// The `count` notes heard from `seconds` on, as y: the strongest peaks of the spectrum over the
/// plane's notes, found in quarters of a semitone and then placed to a fiftieth.
QList<double> notes(const std::vector<float> &samples, double seconds, double length, int count)
{
    constexpr double lowest = -22;
    constexpr double step = 0.25;
    QList<double> powers;
    for (double y = lowest; y <= -lowest; y += step)
        powers << power(samples, seconds, length, y);
    QList<std::pair<double, double>> peaks; // power, y
    for (qsizetype i = 1; i + 1 < powers.size(); ++i) {
        if (powers[i] > powers[i - 1] && powers[i] >= powers[i + 1])
            peaks.append({ powers[i], lowest + double(i) * step });
    }
    std::sort(peaks.begin(), peaks.end(), std::greater<>());
    QList<double> ys;
    for (qsizetype i = 0; i < std::min<qsizetype>(count, peaks.size()); ++i) {
        std::pair<double, double> finest { 0, 0 };
        for (double y = peaks[i].second - step; y <= peaks[i].second + step; y += 0.02)
            finest = std::max(finest, std::pair { power(samples, seconds, length, y), y });
        ys << finest.second;
    }
    std::sort(ys.begin(), ys.end());
    return ys;
}

/// The power of the strongest pitch above every note of the plane.
double highest(const std::vector<float> &samples, double seconds, double length)
{
    double most = 0;
    for (double y = sonify::planeEdge + 2; y <= sonify::planeEdge + 10; y += 0.25)
        most = std::max(most, power(samples, seconds, length, y));
    return most;
}

} // namespace

class tst_Sonify : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void heard_data();
    void heard();
    void said_data();
    void said();
    void sweepTime();
};

void tst_Sonify::heard_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("kept");
    QTest::addColumn<QList<Heard>>("moments");
    // Every whole x from the first to the last has its tick.
    QTest::addColumn<int>("firstTick");
    QTest::addColumn<int>("lastTick");
    // Where a bell rings: the line crosses an axis, or the lines cross.
    QTest::addColumn<QList<double>>("bells");

    QTest::newRow("rising") << "y=x/2+3" << QString()
                            << QList<Heard> { at(-15.5, { -4.75 }), at(-8.5, { -1.25 }),
                                   at(4.5, { 5.25 }), at(17.5, { 11.75 }) }
                            << -20 << 20 << QList<double> { -6, 0 };
    QTest::newRow("falling, steep") << "y=-3x+6" << QString()
                                    << QList<Heard> { at(-8.5, {}), at(-3.5, { 16.5 }),
                                           at(1.5, { 1.5 }), at(6.5, { -13.5 }), at(9.5, {}) }
                                    << -4 << 8 << QList<double> { 0, 2 };
    QTest::newRow("horizontal") << "y=-7" << QString()
                                << QList<Heard> { at(-17.5, { -7 }), at(12.5, { -7 }) } << -20 << 20
                                << QList<double> { 0 };
    QTest::newRow("leaving the plane")
        << "y=2x+30" << QString()
        << QList<Heard> { at(-17.5, { -5 }), at(-6.5, { 17 }), at(-2.5, {}), at(8.5, {}) } << -20
        << -5 << QList<double> { -15 };
    QTest::newRow("vertical") << "x=6" << QString()
                              << QList<Heard> { at(-10.5, {}), chordNote(6, 0), chordNote(6, 2),
                                     chordNote(6, 6), chordNote(6, 8), at(13.5, {}) }
                              << 1 << 0 << QList<double> {};
    QTest::newRow("parallel") << "y=x/4+5"
                              << "y=x/4-4"
                              << QList<Heard> { at(-14.5, { -7.625, 1.375 }),
                                     at(10.5, { -1.375, 7.625 }) }
                              << -20 << 20 << QList<double> { -20, 0, 16 };
    QTest::newRow("crossing") << "y=x/2+2"
                              << "y=-x/2-4"
                              << QList<Heard> { at(-16.5, { -6.25, 4.25 }), at(-6.02, { -1 }),
                                     at(5.5, { -6.75, 4.75 }) }
                              << -20 << 20 << QList<double> { -8, -6, -4, 0 };
}

void tst_Sonify::heard()
{
    QFETCH(QString, line);
    QFETCH(QString, kept);
    QFETCH(QList<Heard>, moments);
    QFETCH(int, firstTick);
    QFETCH(int, lastTick);
    QFETCH(QList<double>, bells);

    const std::optional<StraightLine> keptLine
        = kept.isEmpty() ? std::nullopt : std::optional(lineOf(kept));
    const std::vector<float> samples = sonify::sweep(lineOf(line), keptLine);
    QCOMPARE(samples.size(),
        std::size_t((sonify::sweepSeconds + sonify::tailSeconds) * sonify::sampleRate) * 2);
    QVERIFY(std::all_of(samples.begin(), samples.end(), [](float s) { return std::abs(s) < 1; }));

    for (const Heard &moment : moments) {
        const QByteArray where = QByteArray::number(moment.x);
        if (moment.ys.isEmpty()) {
            QVERIFY2(bothChannels(samples, moment.from, moment.length) < 1e-8,
                "not silent at x " + where);
            continue;
        }
        const QList<double> ys = notes(samples, moment.from, moment.length, int(moment.ys.size()));
        QCOMPARE(ys.size(), moment.ys.size());
        for (qsizetype i = 0; i < ys.size(); ++i) {
            QVERIFY2(std::abs(ys[i] - moment.ys[i]) < 0.3,
                "at x " + where + " heard y " + QByteArray::number(ys[i]) + ", not "
                    + QByteArray::number(moment.ys[i]));
        }
        const double x = balanceX(samples, moment.from, moment.length);
        QVERIFY2(
            std::abs(x - moment.x) < 0.5, "at x " + where + " heard at x " + QByteArray::number(x));
    }

    // Where both lines sound apart, their timbres differ: one of them has an overtone an octave
    // up that the other lacks.
    if (keptLine && !keptLine->vertical) {
        const Heard &both = moments.front();
        const StraightLine current = lineOf(line);
        const auto octaveRatio = [&](const StraightLine &which) {
            const double y = which.slope * both.x + which.intercept;
            return power(samples, both.from, both.length, y + 12)
                / power(samples, both.from, both.length, y);
        };
        const double keptOctave = octaveRatio(*keptLine);
        const double currentOctave = octaveRatio(current);
        QVERIFY2(std::max(keptOctave, currentOctave) > 0.05
                && std::min(keptOctave, currentOctave) < 0.01,
            "the two lines sound alike");
    }

    // A tick is a click at the whole x, none halfway to the next.
    for (int x = firstTick; x <= lastTick; ++x) {
        const double tick = bothChannels(samples, sonify::secondsAt(x), 0.003, true);
        const double between = bothChannels(samples, sonify::secondsAt(x + 0.5), 0.003, true);
        QVERIFY2(tick > 4 * between, "no tick at x " + QByteArray::number(x));
    }

    // A bell rings above the notes of the plane; a unit before it, or a unit after it, none does.
    for (double x : bells) {
        const auto bellAt
            = [&](double at) { return highest(samples, sonify::secondsAt(at) + 0.002, 0.03); };
        QVERIFY2(bellAt(x) > 10 * std::min(bellAt(x - 1), bellAt(x + 1)),
            "no bell at x " + QByteArray::number(x));
    }
}

void tst_Sonify::said_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("kept");
    QTest::addColumn<QString>("sentences");

    QTest::newRow("both axes") << "y=2x+3" << QString()
                               << "Talla l'eix de les y a 3 i l'eix de les x a menys 1,5. Puja "
                                  "d'esquerra a dreta, 2 unitats per cada unitat de x.";
    QTest::newRow("falling, two decimals")
        << "y=-x/3+1" << QString()
        << "Talla l'eix de les y a 1 i l'eix de les x a 3. Baixa d'esquerra a dreta, 0,33 "
           "unitats per cada unitat de x.";
    QTest::newRow("origin, one unit") << "y=x" << QString()
                                      << "Talla els dos eixos a l'origen. Puja d'esquerra a "
                                         "dreta, 1 unitat per cada unitat de x.";
    QTest::newRow("horizontal") << "y=-2,5" << QString()
                                << "Talla l'eix de les y a menys 2,5 i no talla l'eix de les x. "
                                   "És horitzontal.";
    QTest::newRow("on the x axis") << "y=0" << QString() << "És l'eix de les x. És horitzontal.";
    QTest::newRow("vertical") << "x=-4" << QString()
                              << "Talla l'eix de les x a menys 4 i no talla l'eix de les y. "
                                 "És vertical.";
    QTest::newRow("on the y axis") << "x=0" << QString() << "És l'eix de les y. És vertical.";
    QTest::newRow("crossing") << "y=x/2+2"
                              << "y=-x/2-4"
                              << "Talla l'eix de les y a 2 i l'eix de les x a menys 4. Puja "
                                 "d'esquerra a dreta, 0,5 unitats per cada unitat de x. Es "
                                 "tallen al punt x menys 6, y menys 1.";
    QTest::newRow("parallel") << "y=3x"
                              << "y=3x-1"
                              << QStringLiteral("Talla els dos eixos a l'origen. Puja d'esquerra "
                                                "a dreta, 3 unitats per cada unitat de x. Són "
                                                "paraŀleles.");
    QTest::newRow("coincident") << "x=2"
                                << "2x=4"
                                << "Talla l'eix de les x a 2 i no talla l'eix de les y. És "
                                   "vertical. Són coincidents.";
}

void tst_Sonify::said()
{
    QFETCH(QString, line);
    QFETCH(QString, kept);
    QFETCH(QString, sentences);

    const std::optional<StraightLine> keptLine
        = kept.isEmpty() ? std::nullopt : std::optional(lineOf(kept));
    QCOMPARE(landmarks::landmarkSentences(lineOf(line), keptLine), sentences);
}

void tst_Sonify::sweepTime()
{
    const StraightLine line = lineOf(QStringLiteral("y=x/2+2"));
    const StraightLine kept = lineOf(QStringLiteral("y=-x/2-4"));
    QBENCHMARK
    {
        const std::vector<float> samples = sonify::sweep(line, kept);
        QVERIFY(!samples.empty());
    }
}

QTEST_GUILESS_MAIN(tst_Sonify)

#include "tst_sonify.moc"
