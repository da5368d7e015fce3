#include "soundplayer.h"

#include <QMetaObject>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <thread>

#if defined(Q_OS_LINUX)
#include <dlfcn.h>
#elif defined(Q_OS_WIN)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// mmsystem.h takes the types that windows.h declares.
#include <mmsystem.h>
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

/// Where the sixteen-bit stereo samples go; used by the writer thread alone.
class Device
{
public:
    virtual ~Device() = default;
    /// Returns once the samples are queued; false when the device failed.
    virtual bool write(const std::int16_t *samples, std::size_t count) = 0;
    /// Returns once everything queued has been played, or as soon as `stopping` is set.
    virtual bool drain(const std::atomic<bool> &stopping) = 0;
    /// Drops what is queued, at once.
    virtual void flush() = 0;
};

class PulseDevice final : public Device
{
public:
    PulseDevice(const PulseSimple *api, PulseSimple::Stream *stream)
        : api(api)
        , stream(stream)
    {
    }
    ~PulseDevice() override { api->close(stream); }

    bool write(const std::int16_t *samples, std::size_t count) override
    {
        int error = 0;
        return api->write(stream, samples, count * sizeof(std::int16_t), &error) >= 0;
    }
    bool drain(const std::atomic<bool> & /*stopping: a tenth of a second at most*/) override
    {
        int error = 0;
        return api->drain(stream, &error) >= 0;
    }
    void flush() override
    {
        int error = 0;
        api->flush(stream, &error);
    }

private:
    const PulseSimple *api;
    PulseSimple::Stream *stream;
};

#if defined(Q_OS_WIN)
/// Windows's own waveOut, on every Windows: eight blocks of a twentieth of a second in flight,
/// each written again once played.
class WaveOutDevice final : public Device
{
public:
    static std::unique_ptr<Device> open(int sampleRate)
    {
        auto device = std::make_unique<WaveOutDevice>();
        WAVEFORMATEX format {};
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = 2;
        format.nSamplesPerSec = DWORD(sampleRate);
        format.wBitsPerSample = 16;
        format.nBlockAlign = 2 * sizeof(std::int16_t);
        format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
        device->played = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        if (!device->played
            || waveOutOpen(&device->handle, WAVE_MAPPER, &format, DWORD_PTR(device->played), 0,
                   CALLBACK_EVENT)
                != MMSYSERR_NOERROR) {
            device->handle = nullptr;
            return nullptr;
        }
        return device;
    }
    ~WaveOutDevice() override
    {
        if (handle) {
            waveOutReset(handle);
            for (Block &block : blocks)
                release(block);
            waveOutClose(handle);
        }
        if (played)
            CloseHandle(played);
    }

    bool write(const std::int16_t *samples, std::size_t count) override
    {
        Block &block = blocks[next];
        next = (next + 1) % blocks.size();
        if (!waitFor(block))
            return false;
        release(block);
        block.samples.assign(samples, samples + count);
        block.header = {};
        block.header.lpData = reinterpret_cast<LPSTR>(block.samples.data());
        block.header.dwBufferLength = DWORD(count * sizeof(std::int16_t));
        written += count / 2;
        return waveOutPrepareHeader(handle, &block.header, sizeof(WAVEHDR)) == MMSYSERR_NOERROR
            && waveOutWrite(handle, &block.header, sizeof(WAVEHDR)) == MMSYSERR_NOERROR;
    }
    bool drain(const std::atomic<bool> &stopping) override
    {
        if (!std::all_of(
                blocks.begin(), blocks.end(), [this](Block &block) { return waitFor(block); }))
            return false;
        // A block is given back once the system has taken its samples, which its own buffers
        // may hold for a while yet (Wine's, up to a second): the end is where the device has
        // played them all, or a second later than it should be.
        for (int wait = 0; wait < 40 && !stopping; ++wait) {
            MMTIME at {};
            at.wType = TIME_SAMPLES;
            if (waveOutGetPosition(handle, &at, sizeof at) != MMSYSERR_NOERROR
                || at.wType != TIME_SAMPLES || at.u.sample >= written)
                return true;
            Sleep(50);
        }
        return true;
    }
    void flush() override { waveOutReset(handle); }

private:
    struct Block
    {
        WAVEHDR header {};
        std::vector<std::int16_t> samples;
    };

    static DWORD flags(const Block &block)
    {
        return static_cast<const volatile DWORD &>(block.header.dwFlags);
    }
    /// Waits for the block to be played; a device that plays nothing for two seconds failed.
    bool waitFor(const Block &block) const
    {
        for (int wait = 0; wait < 40; ++wait) {
            if (!(flags(block) & WHDR_PREPARED) || (flags(block) & WHDR_DONE))
                return true;
            WaitForSingleObject(played, 50);
        }
        return false;
    }
    void release(Block &block)
    {
        if (flags(block) & WHDR_PREPARED)
            waveOutUnprepareHeader(handle, &block.header, sizeof(WAVEHDR));
    }

    HWAVEOUT handle = nullptr;
    HANDLE played = nullptr;
    std::array<Block, 8> blocks;
    std::size_t next = 0;
    std::size_t written = 0; // frames
};
#endif

/// The system's sound device, or nothing when it has none.
std::unique_ptr<Device> openDevice(int sampleRate)
{
#if defined(Q_OS_WIN)
    return WaveOutDevice::open(sampleRate);
#else
    const PulseSimple *api = PulseSimple::load();
    if (!api)
        return nullptr;
    const PulseSimple::SampleSpec sampleFormat { s16le, std::uint32_t(sampleRate), 2 };
    const std::uint32_t frameBytes = 2 * sizeof(std::int16_t);
    const PulseSimple::BufferAttr attr { serverDefault,
        std::uint32_t(queuedSeconds * sampleRate) * frameBytes, serverDefault, serverDefault,
        serverDefault };
    int error = 0;
    PulseSimple::Stream *stream = api->open(nullptr, "Recta", playback, nullptr, "La recta al pla",
        &sampleFormat, nullptr, &attr, &error);
    if (!stream)
        return nullptr;
    return std::make_unique<PulseDevice>(api, stream);
#endif
}

} // namespace

/// One sweep on its way to the device, written by a thread of its own.
struct SoundPlayer::Output
{
    std::unique_ptr<Device> device;
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
    std::unique_ptr<Device> device = openDevice(sampleRate);
    if (!device) {
        reportNoDevice();
        return false;
    }

    // Sixteen-bit samples, which every sound device takes.
    std::vector<std::int16_t> pcm(samples.size());
    std::transform(samples.begin(), samples.end(), pcm.begin(), [](float sample) {
        return std::int16_t(std::lround(std::clamp(sample, -1.0F, 1.0F) * 32767));
    });

    output = std::make_unique<Output>();
    output->device = std::move(device);
    output->playing = true;
    Output *out = output.get();
    const std::size_t chunk = std::size_t(chunkSeconds * sampleRate) * 2;
    out->writer = std::thread([this, out, pcm = std::move(pcm), chunk] {
        bool failed = false;
        for (std::size_t at = 0; at < pcm.size() && !out->stopping && !failed; at += chunk)
            failed = !out->device->write(pcm.data() + at, std::min(chunk, pcm.size() - at));
        if (out->stopping)
            out->device->flush();
        else if (!failed)
            failed = !out->device->drain(out->stopping);
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
