#pragma once

#include <QObject>

#include <memory>
#include <vector>

/// Plays the plane's sound on the default sound device: on Linux through the sound server
/// (PulseAudio, or PipeWire's server for PulseAudio's clients), on Windows through waveOut. The
/// device is first asked for when the pupil first asks for sound, never at start-up; a machine
/// without one is reported, once.
class SoundPlayer : public QObject
{
    Q_OBJECT

public:
    explicit SoundPlayer(QObject *parent = nullptr);
    ~SoundPlayer() override;

    /// Plays interleaved stereo samples within -1 ... 1 at the given rate, in place of whatever
    /// was playing. False when there is no sound device to play them on.
    bool play(const std::vector<float> &samples, int sampleRate);
    /// Stops the sound; finished() follows if it was playing.
    void stop();
    bool isPlaying() const;

Q_SIGNALS:
    /// The sound played to its end (toTheEnd), or was stopped, or the device failed.
    void finished(bool toTheEnd);
    /// There is no sound device, or it failed: said once, the first time it is found.
    void noSoundDevice();

private:
    void reportNoDevice();

    struct Output;
    std::unique_ptr<Output> output;
    bool noDeviceReported = false;
};
