#include "soundplayer.h"

#include <QMetaObject>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <thread>

#if defined(Q_OS_LINUX)
#include <dlfcn.h>
#endif

namespace {

// The sound server's own client library, PulseAudio's simple API, which PipeWire serves too. It
// is opened when the pupil first asks for sound: linked in, it and its dependencies would be
// loaded at every start-up. Its C interface has been stable since PulseAudio 0.9; the few types
// it takes are written here, so that building needs none of its headers.
struct PulseSimple
{
    struct SampleSpec
    {
        int format; // PA_SAMPLE_S16LE is 3
        std::uint32_t rate;
        std::uint8_t channels;
    };
    struct BufferAttr
    {
        std::uint32_t maxlength, tlength, prebuf, minreq, fragsize;
    };
    using Stream = void;

    Stream *(*open)(const char *server, const char *name, int direction, const char *device,
        const char *streamName, const SampleSpec *sampleFormat, const void *map,
        const BufferAttr *attr, int *error)
        = nullptr;
    int (*write)(Stream *, const void *data, std::size_t bytes, int *error) = nullptr;
    int (*drain)(Stream *, int *error) = nullptr;
    int (*flush)(Stream *, int *error) = nullptr;
    void (*close)(Stream *) = nullptr;

    /// The library, loaded once; nothing where it is not installed.
    static const PulseSimple *load()
    {
#if defined(Q_OS_LINUX)
        static const PulseSimple loaded = [] {
            PulseSimple api;
            void *library = dlopen("libpulse-simple.so.0", RTLD_NOW | RTLD_LOCAL);
            if (!library)
                return api;
            api.open = reinterpret_cast<decltype(api.open)>(dlsym(library, "pa_simple_new"));
            api.write = reinterpret_cast<decltype(api.write)>(dlsym(library, "pa_simple_write"));
            api.drain = reinterpret_cast<decltype(api.drain)>(dlsym(library, "pa_simple_drain"));
            api.flush = reinterpret_cast<decltype(api.flush)>(dlsym(library, "pa_simple_flush"));
            api.close = reinterpret_cast<decltype(api.close)>(dlsym(library, "pa_simple_free"));
            return api;
        }();
        return loaded.open && loaded.write && loaded.drain && loaded.flush && loaded.close
            ? &loaded
            : nullptr;
#else
        return nullptr;
#endif
    }
};

constexpr int playback = 1; // PA_STREAM_PLAYBACK
constexpr int s16le = 3; // PA_SAMPLE_S16LE
constexpr std::uint32_t serverDefault = std::uint32_t(-1);
// Written a twentieth of a second at a time, with a tenth of a second queued at the server, so
// that a stop is heard at once.
constexpr double chunkSeconds = 0.05;
constexpr double queuedSeconds = 0.1;

} // namespace

/// One sweep on its way to the server, written by a thread of its own.
struct SoundPlayer::Output
{
    const PulseSimple *api = nullptr;
    PulseSimple::Stream *stream = nullptr;
    std::thread writer;
    std::atomic<bool> stopping = false;
    std::atomic<bool> playing = false;
};

SoundPlayer::SoundPlayer(QObject *parent)
    : QObject(parent)
{
}

SoundPlayer::~SoundPlayer()
{
    // No finished() from a player that is going away.
    disconnect(this, &SoundPlayer::finished, nullptr, nullptr);
    stop();
}

bool SoundPlayer::play(const std::vector<float> &samples, int sampleRate)
{
    stop();
    const PulseSimple *api = PulseSimple::load();
    if (!api) {
        reportNoDevice();
        return false;
    }
    const PulseSimple::SampleSpec sampleFormat { s16le, std::uint32_t(sampleRate), 2 };
    const std::uint32_t frameBytes = 2 * sizeof(std::int16_t);
    const PulseSimple::BufferAttr attr { serverDefault,
        std::uint32_t(queuedSeconds * sampleRate) * frameBytes, serverDefault, serverDefault,
        serverDefault };
    int error = 0;
    PulseSimple::Stream *stream = api->open(nullptr, "Recta", playback, nullptr, "La recta al pla",
        &sampleFormat, nullptr, &attr, &error);
    if (!stream) {
        reportNoDevice();
        return false;
    }

    // Sixteen-bit samples, which every sound device takes.
    std::vector<std::int16_t> pcm(samples.size());
    std::transform(samples.begin(), samples.end(), pcm.begin(), [](float sample) {
        return std::int16_t(std::lround(std::clamp(sample, -1.0F, 1.0F) * 32767));
    });

    output = std::make_unique<Output>();
    output->api = api;
    output->stream = stream;
    output->playing = true;
    Output *out = output.get();
    const std::size_t chunk = std::size_t(chunkSeconds * sampleRate) * 2;
    out->writer = std::thread([this, out, pcm = std::move(pcm), chunk] {
        int error = 0;
        bool failed = false;
        for (std::size_t at = 0; at < pcm.size() && !out->stopping && !failed; at += chunk) {
            const std::size_t count = std::min(chunk, pcm.size() - at);
            failed = out->api->write(
                         out->stream, pcm.data() + at, count * sizeof(std::int16_t), &error)
                < 0;
        }
        if (out->stopping)
            out->api->flush(out->stream, &error);
        else if (!failed)
            failed = out->api->drain(out->stream, &error) < 0;
        // The end, told on the player's own thread; a stop has told it already.
        if (!out->stopping.exchange(true)) {
            out->playing = false;
            QMetaObject::invokeMethod(
                this,
                [this, failed] {
                    if (failed)
                        reportNoDevice();
                    Q_EMIT finished(!failed);
                },
                Qt::QueuedConnection);
        }
    });
    return true;
}

void SoundPlayer::stop()
{
    if (!output)
        return;
    const bool wasPlaying = !output->stopping.exchange(true);
    output->writer.join();
    output->api->close(output->stream);
    output.reset();
    if (wasPlaying)
        Q_EMIT finished(false);
}

bool SoundPlayer::isPlaying() const
{
    return output && output->playing;
}

void SoundPlayer::reportNoDevice()
{
    if (noDeviceReported)
        return;
    noDeviceReported = true;
    Q_EMIT noSoundDevice();
}
