#include "sonify.h"

#include "relation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace sonify {

namespace {

using numtext::StraightLine;

constexpr double twoPi = 2 * std::numbers::pi;
constexpr int sweepFrames = int(sweepSeconds * sampleRate);
constexpr int totalFrames = int((sweepSeconds + tailSeconds) * sampleRate);

// Levels chosen so that both tones, a tick and two bells together stay below full scale; only
// bells a few hundredths of a unit apart can pile up past it, and the player clips them.
constexpr float toneLevel = 0.22F;
constexpr float tickLevel = 0.12F;
constexpr float bellLevel = 0.2F;

// A tone fades in and out over a few milliseconds where its line enters or leaves the plane: a
// sudden start would click like a tick.
constexpr double fadeSeconds = 0.004;
// The tick is high and brief, a click that marks time without hiding the tone.
constexpr double tickHz = 5000;
constexpr double tickDecaySeconds = 0.0015;
constexpr double tickSeconds = 0.008;
// The bell is two octaves above the middle note, above every note of the plane, so that it is
// never taken for a line. Where two lines cross it rings twice, a third higher the second time.
constexpr double bellHz = 1760;
constexpr double secondBellHz = 2217.46;
constexpr double secondBellDelay = 0.07;
constexpr double bellDecaySeconds = 0.04;
constexpr double bellSeconds = 0.15;
// The notes of a vertical line's chord are plucked: short, so that each is heard alone.
constexpr double pluckDecaySeconds = 0.015;
constexpr double pluckSeconds = 0.08;
constexpr double attackSeconds = 0.001;

/// The current line sounds as a pure tone, the kept one as a reed, brighter with its overtones;
/// both have the same fundamental, which is the pitch heard.
enum class Timbre : std::uint8_t { Pure, Reed };

float wave(Timbre timbre, double phase)
{
    if (timbre == Timbre::Pure)
        return float(std::sin(phase));
    // Scaled so that its peak stays within that of the pure tone.
    return float((std::sin(phase) + std::sin(2 * phase) / 2 + std::sin(3 * phase) / 3) / 1.6);
}

double xAt(int frame)
{
    return -planeEdge + 2 * planeEdge * frame / double(sweepFrames);
}

bool onPlane(double value)
{
    return std::abs(value) <= planeEdge;
}

/// Adds a sample at x: equal-power panning, the left speaker alone at -20 and the right alone
/// at 20, both at 1/sqrt(2) in the middle, so that loudness does not change on the way.
void addPanned(std::vector<float> &out, int frame, float sample, double x)
{
    const double angle
        = (std::clamp(x, -planeEdge, planeEdge) + planeEdge) / (4 * planeEdge) * std::numbers::pi;
    out[std::size_t(frame) * channels] += sample * float(std::cos(angle));
    out[std::size_t(frame) * channels + 1] += sample * float(std::sin(angle));
}

/// A short decaying sound at x that starts at `seconds`.
struct Burst
{
    double seconds;
    double x;
    double hz;
    float level;
    double decaySeconds;
    double lengthSeconds;
    Timbre timbre = Timbre::Pure;
};

void addBurst(std::vector<float> &out, const Burst &burst)
{
    const int first = int(std::lround(burst.seconds * sampleRate));
    const int length = int(burst.lengthSeconds * sampleRate);
    const int attack = int(attackSeconds * sampleRate);
    for (int n = std::max(0, -first); n < length && first + n < totalFrames; ++n) {
        const double t = double(n) / sampleRate;
        const double envelope
            = std::min(1.0, double(n) / attack) * std::exp(-t / burst.decaySeconds);
        const float sample
            = burst.level * float(envelope) * wave(burst.timbre, twoPi * burst.hz * t);
        addPanned(out, first + n, sample, burst.x);
    }
}

/// The tone of a sloped line along the sweep, silent where the line is off the plane.
void addTone(std::vector<float> &out, const StraightLine &line, Timbre timbre)
{
    const double fade = 1 - std::exp(-1 / (fadeSeconds * sampleRate));
    double phase = 0;
    double gain = 0;
    for (int frame = 0; frame < totalFrames; ++frame) {
        const double x = std::min(xAt(frame), planeEdge);
        const double y = line.slope * x + line.intercept;
        const bool sounding = frame < sweepFrames && onPlane(y);
        gain += ((sounding ? 1.0 : 0.0) - gain) * fade;
        if (gain < 1e-5)
            continue;
        // Past the edge, while the tone fades, its pitch holds at the edge's.
        phase += twoPi * pitchHz(std::clamp(y, -planeEdge, planeEdge)) / sampleRate;
        phase = std::fmod(phase, twoPi);
        addPanned(out, frame, toneLevel * float(gain) * wave(timbre, phase), x);
    }
}

/// A vertical line: its chord from the bottom of the plane to the top, at its x.
void addChord(std::vector<float> &out, const StraightLine &line, Timbre timbre)
{
    if (!onPlane(line.x))
        return;
    int note = 0;
    for (int y = -int(planeEdge); y <= int(planeEdge); y += chordStepY, ++note) {
        addBurst(out,
            { secondsAt(line.x) + note * chordNoteSeconds, line.x, pitchHz(y), toneLevel,
                pluckDecaySeconds, pluckSeconds, timbre });
    }
}

/// Where a bell rings: an axis crossing, or the crossing of the two lines.
struct Mark
{
    double x;
    double seconds;
    bool meeting = false;
};

/// The places where bells ring, each once: two lines crossing the same axis at the same point,
/// or crossing each other on an axis, ring one bell there, the meeting's.
class Marks
{
public:
    void add(const Mark &mark)
    {
        const auto end = marks.begin() + count;
        if (count == int(marks.size()) || std::any_of(marks.begin(), end, [&](const Mark &m) {
                return std::abs(m.seconds - mark.seconds) < 1e-6;
            }))
            return;
        marks[std::size_t(count++)] = mark;
    }
    const Mark *begin() const { return marks.data(); }
    const Mark *end() const { return marks.data() + count; }

private:
    // Two axes for each line, and their meeting.
    std::array<Mark, 5> marks {};
    int count = 0;
};

/// The axis crossings of a line on the plane.
void addAxisMarks(const StraightLine &line, Marks &marks)
{
    const auto add = [&](double x, double seconds) { marks.add({ x, seconds }); };
    if (line.vertical) {
        // The chord passes y = 0 at its middle note.
        if (onPlane(line.x))
            add(line.x, secondsAt(line.x) + planeEdge / chordStepY * chordNoteSeconds);
        return;
    }
    if (onPlane(line.intercept))
        add(0, secondsAt(0));
    if (line.slope != 0) {
        const double x = -line.intercept / line.slope;
        if (onPlane(x))
            add(x, secondsAt(x));
    }
}

} // namespace

double pitchHz(double y)
{
    return middleHz * std::exp2(y / 12);
}

std::vector<float> sweep(const StraightLine &line, const std::optional<StraightLine> &kept)
{
    std::vector<float> out(std::size_t(totalFrames) * channels, 0.0F);
    const auto addLine = [&](const StraightLine &which, Timbre timbre) {
        if (which.vertical)
            addChord(out, which, timbre);
        else
            addTone(out, which, timbre);
    };
    addLine(line, Timbre::Pure);
    if (kept)
        addLine(*kept, Timbre::Reed);

    // A tick at each whole x where a sloped line is on the plane; a vertical line's chord is
    // ticks enough.
    const auto sounds = [](const std::optional<StraightLine> &which, int x) {
        return which && !which->vertical && onPlane(which->slope * x + which->intercept);
    };
    for (int x = -int(planeEdge); x <= int(planeEdge); ++x) {
        if (sounds(line, x) || sounds(kept, x)) {
            addBurst(
                out, { secondsAt(x), double(x), tickHz, tickLevel, tickDecaySeconds, tickSeconds });
        }
    }

    Marks marks;
    if (kept) {
        const Relation meeting = relate(*kept, line);
        if (meeting.kind == Relation::Kind::Crossing && onPlane(meeting.x) && onPlane(meeting.y))
            marks.add({ meeting.x, secondsAt(meeting.x), true });
    }
    addAxisMarks(line, marks);
    if (kept)
        addAxisMarks(*kept, marks);
    for (const Mark &mark : marks) {
        addBurst(out, { mark.seconds, mark.x, bellHz, bellLevel, bellDecaySeconds, bellSeconds });
        if (mark.meeting) {
            addBurst(out,
                { mark.seconds + secondBellDelay, mark.x, secondBellHz, bellLevel, bellDecaySeconds,
                    bellSeconds });
        }
    }
    return out;
}

} // namespace sonify
