#include "soundplayer.h"

#ifdef RECTA_HAVE_MULTIMEDIA
#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QMediaDevices>
#endif

#include <algorithm>
#include <cmath>
#include <cstdint>

#ifdef RECTA_HAVE_MULTIMEDIA

/// The sink and the bytes it reads, made on the first play.
struct SoundPlayer::Output
{
    std::unique_ptr<QAudioSink> sink;
    QBuffer buffer;
    bool playing = false;
};

SoundPlayer::SoundPlayer(QObject *parent)
    : QObject(parent)
{
}

SoundPlayer::~SoundPlayer()
{
    if (output && output->sink) {
        // No finished() from a player that is going away.
        output->sink->disconnect(this);
        output->sink->stop();
    }
}

bool SoundPlayer::play(const std::vector<float> &samples, int sampleRate)
{
    stop();
    if (!output) {
        // The sound system is first asked for here: asking at start-up would cost time, and
        // connect to the sound server of a pupil who never listens.
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull()) {
            reportNoDevice();
            return false;
        }
        output = std::make_unique<Output>();
        QAudioFormat format;
        format.setSampleRate(sampleRate);
        format.setChannelCount(2);
        format.setSampleFormat(QAudioFormat::Int16);
        output->sink = std::make_unique<QAudioSink>(device, format);
        connect(output->sink.get(), &QAudioSink::stateChanged, this, [this](QAudio::State state) {
            if (!output->playing)
                return;
            const QAudio::Error error = output->sink->error();
            if (state == QAudio::IdleState || state == QAudio::StoppedState) {
                output->playing = false;
                // Idle: every byte has been handed to the device.
                output->sink->stop();
                const bool failed = error == QAudio::OpenError || error == QAudio::FatalError;
                if (failed)
                    reportNoDevice();
                Q_EMIT finished(!failed);
            }
        });
    }
    if (output->sink->error() == QAudio::OpenError || output->sink->error() == QAudio::FatalError) {
        reportNoDevice();
        return false;
    }

    // Sixteen-bit samples, which every sound device takes.
    QByteArray bytes(qsizetype(samples.size() * sizeof(std::int16_t)), Qt::Uninitialized);
    auto *pcm = reinterpret_cast<std::int16_t *>(bytes.data());
    for (std::size_t i = 0; i < samples.size(); ++i)
        pcm[i] = std::int16_t(std::lround(std::clamp(samples[i], -1.0F, 1.0F) * 32767));
    output->buffer.close();
    output->buffer.setData(bytes);
    output->buffer.open(QIODevice::ReadOnly);
    output->playing = true;
    output->sink->start(&output->buffer);
    if (output->sink->error() != QAudio::NoError) {
        output->playing = false;
        reportNoDevice();
        return false;
    }
    return true;
}

void SoundPlayer::stop()
{
    if (!isPlaying())
        return;
    // Not playing before the sink stops, so that its state change is not taken for the end.
    output->playing = false;
    output->sink->stop();
    Q_EMIT finished(false);
}

bool SoundPlayer::isPlaying() const
{
    return output && output->playing;
}

#else

struct SoundPlayer::Output
{ };

SoundPlayer::SoundPlayer(QObject *parent)
    : QObject(parent)
{
}

SoundPlayer::~SoundPlayer() = default;

bool SoundPlayer::play(const std::vector<float> &, int)
{
    reportNoDevice();
    return false;
}

void SoundPlayer::stop() { }

bool SoundPlayer::isPlaying() const
{
    return false;
}

#endif

void SoundPlayer::reportNoDevice()
{
    if (noDeviceReported)
        return;
    noDeviceReported = true;
    Q_EMIT noSoundDevice();
}
