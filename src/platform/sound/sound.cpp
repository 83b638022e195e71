#include "platform/sound/sound.h"

#include <alsa/asoundlib.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <mutex>
#include <numbers>
#include <thread>
#include <vector>

namespace platform {

namespace {

// --- the sink -------------------------------------------------------------------------------

std::mutex g_sinkMutex;
std::shared_ptr<const BeepSink> g_sink;

std::shared_ptr<const BeepSink> CurrentSink()
{
    std::lock_guard lock(g_sinkMutex);
    return g_sink;
}

// --- ALSA -----------------------------------------------------------------------------------

// ALSA prints its own complaints to standard error (no card, no server); a machine without
// sound is not an error here, so they are dropped.
void IgnoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

struct PcmCloser {
    void operator()(snd_pcm_t* pcm) const { snd_pcm_close(pcm); }
};
using Pcm = std::unique_ptr<snd_pcm_t, PcmCloser>;

struct HwParamsFree {
    void operator()(snd_pcm_hw_params_t* p) const { snd_pcm_hw_params_free(p); }
};

struct Format {
    unsigned rate = 48000;
    unsigned channels = 1;
};

// Opens the default output without blocking (a busy or absent device fails at once) and
// settles on 16-bit samples, one channel at 48 kHz or the nearest the device takes.
Pcm OpenOutput(Format& format)
{
    snd_pcm_t* raw = nullptr;
    if (snd_pcm_open(&raw, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0)
        return nullptr;
    Pcm pcm(raw);
    snd_pcm_hw_params_t* rawParams = nullptr;
    if (snd_pcm_hw_params_malloc(&rawParams) < 0)
        return nullptr;
    std::unique_ptr<snd_pcm_hw_params_t, HwParamsFree> params(rawParams);
    unsigned bufferUs = 100000;
    if (snd_pcm_hw_params_any(raw, rawParams) < 0 ||
        snd_pcm_hw_params_set_access(raw, rawParams, SND_PCM_ACCESS_RW_INTERLEAVED) < 0 ||
        snd_pcm_hw_params_set_format(raw, rawParams, SND_PCM_FORMAT_S16) < 0 ||
        snd_pcm_hw_params_set_channels_near(raw, rawParams, &format.channels) < 0 ||
        snd_pcm_hw_params_set_rate_near(raw, rawParams, &format.rate, nullptr) < 0 ||
        snd_pcm_hw_params_set_buffer_time_near(raw, rawParams, &bufferUs, nullptr) < 0 ||
        snd_pcm_hw_params(raw, rawParams) < 0 || format.rate == 0 || format.channels == 0)
        return nullptr;
    return pcm;
}

// Fills `chunk` with the next frames of the tone: a sine at a third of full scale, with
// 2 ms ramps at both ends so that the short beeps do not click.
void Synthesize(std::vector<int16_t>& chunk, size_t firstFrame, size_t frames, size_t totalFrames,
                double frequency, const Format& format)
{
    const size_t ramp = std::max<size_t>(1, format.rate / 500);
    chunk.resize(frames * format.channels);
    for (size_t i = 0; i < frames; ++i) {
        const size_t n = firstFrame + i;
        const double envelope =
            std::min({1.0, static_cast<double>(n) / ramp, static_cast<double>(totalFrames - n) / ramp});
        const double value = std::sin(2.0 * std::numbers::pi * frequency * n / format.rate);
        const auto sample = static_cast<int16_t>(std::lround(10000.0 * envelope * value));
        for (unsigned c = 0; c < format.channels; ++c)
            chunk[i * format.channels + c] = sample;
    }
}

void Play(unsigned frequency, unsigned milliseconds)
{
    Format format;
    Pcm pcm = OpenOutput(format);
    if (!pcm)
        return;
    // However the device behaves, the beep gives up a second after it should have ended.
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds) + std::chrono::seconds(1);
    const size_t total = static_cast<size_t>(uint64_t{format.rate} * milliseconds / 1000);
    std::vector<int16_t> chunk;
    size_t done = 0;
    while (done < total && Clock::now() < deadline) {
        const size_t frames = std::min<size_t>(1024, total - done);
        Synthesize(chunk, done, frames, total, frequency, format);
        size_t offset = 0;
        while (offset < frames && Clock::now() < deadline) {
            const snd_pcm_sframes_t put =
                snd_pcm_writei(pcm.get(), chunk.data() + offset * format.channels, frames - offset);
            if (put == -EAGAIN) {
                snd_pcm_wait(pcm.get(), 50);
            } else if (put < 0) {
                if (snd_pcm_recover(pcm.get(), static_cast<int>(put), 1) < 0)
                    return;
            } else {
                offset += static_cast<size_t>(put);
            }
        }
        done += frames;
    }
    // In non-blocking mode the drain runs on while the state is DRAINING; wait for it, but
    // not past the deadline (closing drops whatever is left).
    if (snd_pcm_drain(pcm.get()) == -EAGAIN) {
        while (snd_pcm_state(pcm.get()) == SND_PCM_STATE_DRAINING && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

}  // namespace

void Beep(unsigned frequency, unsigned milliseconds)
{
    if (const std::shared_ptr<const BeepSink> sink = CurrentSink(); sink && *sink) {
        (*sink)(frequency, milliseconds);
        return;
    }
    if (frequency == 0 || milliseconds == 0)
        return;
    static std::once_flag quiet;
    std::call_once(quiet, [] { snd_lib_error_set_handler(IgnoreAlsaMessage); });
    // One tone at a time: a beep is played to its end before the next begins.
    static std::mutex playing;
    std::lock_guard lock(playing);
    Play(frequency, milliseconds);
}

void SetBeepSink(BeepSink sink)
{
    std::shared_ptr<const BeepSink> next;
    if (sink)
        next = std::make_shared<const BeepSink>(std::move(sink));
    std::lock_guard lock(g_sinkMutex);
    g_sink = std::move(next);
}

}  // namespace platform
