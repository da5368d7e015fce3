#pragma once

#include "linearequation.h"

#include <optional>
#include <vector>

/// The plane played as sound: x swept from left to right in time and across the speakers, y
/// heard as pitch. Pure functions: the same lines give the same samples, on any machine.
namespace sonify {

/// The samples' format: interleaved stereo, left first, floats within -1 ... 1.
constexpr int sampleRate = 44100;
constexpr int channels = 2;
/// The plane's half width: x and y run from -planeEdge to planeEdge.
constexpr double planeEdge = 20;
/// The sweep takes this long; the sound rings on a little after it.
constexpr double sweepSeconds = 4;
constexpr double tailSeconds = 0.5;
/// y = 0 is this note (the A above middle C); each unit of y is a semitone.
constexpr double middleHz = 440;
/// A vertical line is a rolled chord: a short note every chordStepY of y, from the bottom of the
/// plane to its top, one every chordNoteSeconds.
constexpr int chordStepY = 5;
constexpr double chordNoteSeconds = 0.04;

/// When the sweep is at x.
constexpr double secondsAt(double x)
{
    return (x + planeEdge) / (2 * planeEdge) * sweepSeconds;
}

/// The pitch of y.
double pitchHz(double y);

/// One sweep of the current line and, when there is one, the kept line in a timbre of its own:
/// a soft tick at each whole x, a bell where a line crosses an axis, two bells where the lines
/// cross, silence where no line is on the plane.
std::vector<float> sweep(
    const numtext::StraightLine &line, const std::optional<numtext::StraightLine> &kept = {});

} // namespace sonify
