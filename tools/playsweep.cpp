// Plays one sweep of the plane through the sound player, or compares a recording of it with the
// samples it was made from: the desktop check of the sound, on a sound server of its own.
//   recta-playsweep [--kept EQUATION] EQUATION
//       exit 0 once the sweep has played to its end, 3 when there is no sound device
//   recta-playsweep --compare RECORDING [--kept EQUATION] EQUATION
//       RECORDING: raw signed 16-bit little-endian stereo at the sweep's rate; exit 0 when it
//       holds the sweep
// With --stop-after SECONDS the sweep is stopped then, and the player lives on a while; the
// recording must hold the start of the sweep, and no more of it than that time.
#include "linearequation.h"
#include "sonify.h"
#include "soundplayer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <variant>
#include <vector>

namespace {

std::optional<numtext::StraightLine> lineOf(const QString &equation)
{
    const auto read = numtext::readLinearEquation(equation);
    if (const auto *line = std::get_if<numtext::StraightLine>(&read))
        return *line;
    return std::nullopt;
}

/// Both channels summed, and averaged over `step` frames: enough to find a lag of the sound,
/// at a fraction of the cost.
std::vector<double> coarse(const std::vector<float> &samples, std::size_t step)
{
    std::vector<double> out(samples.size() / 2 / step, 0.0);
    for (std::size_t i = 0; i < out.size() * step; ++i)
        out[i / step] += samples[2 * i] + samples[2 * i + 1];
    return out;
}

/// The lag of the recording behind the sweep, in frames: where a part of the sweep is found in
/// the recording, whose start the server may have cut or delayed.
std::ptrdiff_t lagOf(const std::vector<float> &sweep, const std::vector<float> &recorded,
    std::size_t from, std::size_t frames)
{
    constexpr std::size_t step = 8;
    const std::vector<double> made = coarse(sweep, step);
    const std::vector<double> heard = coarse(recorded, step);
    from /= step;
    const std::size_t length = frames / step;
    std::ptrdiff_t best = 0;
    double most = 0;
    for (std::ptrdiff_t lag = -std::ptrdiff_t(from); lag + from + length <= heard.size(); ++lag) {
        double sum = 0;
        for (std::size_t i = from; i < from + length; ++i)
            sum += made[i] * heard[std::size_t(std::ptrdiff_t(i) + lag)];
        if (sum > most) {
            most = sum;
            best = lag;
        }
    }
    return best * std::ptrdiff_t(step);
}

/// The correlation of one channel of the recording, shifted by `lag` frames, with the sweep's,
/// over `frames` frames from the sweep's `from`; with the gain of the recording against it.
struct Likeness
{
    double correlation = 0;
    double gain = 0;
};

Likeness likeness(const std::vector<float> &sweep, const std::vector<float> &recorded,
    std::ptrdiff_t lag, std::size_t from, std::size_t frames, int channel)
{
    double both = 0;
    double made = 0;
    double heard = 0;
    for (std::size_t i = from; i < std::min(from + frames, sweep.size() / 2); ++i) {
        const std::ptrdiff_t j = std::ptrdiff_t(i) + lag;
        const double a = sweep[2 * i + std::size_t(channel)];
        // What the recording lacks counts as silence.
        const double b = j >= 0 && std::size_t(j) < recorded.size() / 2
            ? recorded[2 * std::size_t(j) + std::size_t(channel)]
            : 0.0;
        both += a * b;
        made += a * a;
        heard += b * b;
    }
    if (made == 0 || heard == 0)
        return {};
    return { both / std::sqrt(made * heard), std::sqrt(heard / made) };
}

int compare(const QString &path, const std::vector<float> &sweep, std::optional<double> stopAfter)
{
    QTextStream err(stderr);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        err << "cannot read " << path << '\n';
        return 1;
    }
    const QByteArray bytes = file.readAll();
    std::vector<float> recorded(std::size_t(bytes.size()) / sizeof(std::int16_t));
    const auto *pcm = reinterpret_cast<const std::int16_t *>(bytes.constData());
    for (std::size_t i = 0; i < recorded.size(); ++i)
        recorded[i] = float(pcm[i]) / 32768.0F;

    // A stopped sweep ends where the recording was last loud.
    const auto loud = std::find_if(
        recorded.rbegin(), recorded.rend(), [](float sample) { return std::abs(sample) > 0.01F; });
    const std::size_t lastLoud = std::size_t(recorded.rend() - loud) / 2;
    if (lastLoud == 0) {
        err << "the recording is silent\n";
        return 1;
    }
    std::size_t heardFrames = stopAfter ? lastLoud : sweep.size() / 2;
    // The lag found roughly first, then to the frame, on the middle third of what is heard.
    const std::size_t from = heardFrames / 3;
    const std::size_t frames = heardFrames / 3;
    const std::ptrdiff_t rough = lagOf(sweep, recorded, from, frames);
    std::ptrdiff_t lag = rough;
    double best = -1;
    for (std::ptrdiff_t shift = -16; shift <= 16; ++shift) {
        const double c = likeness(sweep, recorded, rough + shift, from, frames, 0).correlation;
        if (c > best) {
            best = c;
            lag = rough + shift;
        }
    }
    QTextStream out(stdout);
    bool same = true;
    if (stopAfter) {
        // No more of the sweep than the time it was given before the stop; what was heard is
        // compared up to just before it was cut.
        heardFrames = std::size_t(std::max<std::ptrdiff_t>(std::ptrdiff_t(lastLoud) - lag, 0));
        const double heardSeconds = double(heardFrames) / sonify::sampleRate;
        out << "heard " << heardSeconds << " s of the sweep before the stop\n";
        same = heardSeconds <= *stopAfter + 0.3 && heardSeconds > 0.2;
        heardFrames -= std::min(heardFrames, std::size_t(0.05 * sonify::sampleRate));
    }
    for (int channel = 0; channel < sonify::channels; ++channel) {
        const Likeness whole = likeness(sweep, recorded, lag, 0, heardFrames, channel);
        out << (channel == 0 ? "left" : "right") << ": correlation " << whole.correlation
            << ", gain " << whole.gain << '\n';
        same = same && whole.correlation > 0.95 && whole.gain > 0.8 && whole.gain < 1.25;
    }
    out << "recording " << recorded.size() / 2 << " frames, sweep " << sweep.size() / 2
        << " frames, late by " << lag << " frames\n";
    return same ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption(
        { QStringLiteral("kept"), QStringLiteral("The kept line."), QStringLiteral("equation") });
    parser.addOption({ QStringLiteral("compare"),
        QStringLiteral("Compare this raw recording with the sweep instead of playing it."),
        QStringLiteral("recording") });
    parser.addOption({ QStringLiteral("stop-after"),
        QStringLiteral("Stop the sweep after this many seconds."), QStringLiteral("seconds") });
    parser.addPositionalArgument(QStringLiteral("equation"), QStringLiteral("The line."));
    parser.process(app);

    QTextStream err(stderr);
    const QStringList equations = parser.positionalArguments();
    const std::optional<numtext::StraightLine> line
        = equations.size() == 1 ? lineOf(equations.front()) : std::nullopt;
    const std::optional<numtext::StraightLine> kept = parser.isSet(QStringLiteral("kept"))
        ? lineOf(parser.value(QStringLiteral("kept")))
        : std::nullopt;
    if (!line || (parser.isSet(QStringLiteral("kept")) && !kept)) {
        err << "one line's equation, and at most one kept line's, are needed\n";
        return 2;
    }
    const std::optional<double> stopAfter = parser.isSet(QStringLiteral("stop-after"))
        ? std::optional(parser.value(QStringLiteral("stop-after")).toDouble())
        : std::nullopt;
    const std::vector<float> sweep = sonify::sweep(*line, kept);
    if (parser.isSet(QStringLiteral("compare")))
        return compare(parser.value(QStringLiteral("compare")), sweep, stopAfter);

    SoundPlayer player;
    int status = 1;
    QObject::connect(&player, &SoundPlayer::noSoundDevice, &app, [&] {
        err << "no sound device\n";
        status = 3;
        app.quit();
    });
    bool stopped = false;
    QObject::connect(&player, &SoundPlayer::finished, &app, [&] {
        if (status == 3)
            return;
        if (stopAfter && !stopped) {
            err << "the sweep ended before it was stopped\n";
            app.quit();
            return;
        }
        status = 0;
        // After a stop the player lives on, so that a sound that went on would be heard.
        QTimer::singleShot(stopped ? 1500 : 0, &app, &QCoreApplication::quit);
    });
    if (stopAfter) {
        QTimer::singleShot(int(*stopAfter * 1000), &app, [&] {
            stopped = true;
            player.stop();
            if (player.isPlaying() || status != 0) {
                err << "the sweep did not stop\n";
                status = 1;
                app.quit();
            }
        });
    }
    // A sweep that never ends is a failure, not a wait.
    QTimer::singleShot(int((sonify::sweepSeconds + sonify::tailSeconds) * 1000) + 5000, &app, [&] {
        err << "the sweep did not end\n";
        app.quit();
    });
    if (!player.play(sweep, sonify::sampleRate))
        return 3;
    app.exec();
    return status;
}
