// PulseAudio output on a threaded main loop: connection, stream, underflows
// and buffer growth, the silent clock and the retries while there is no server.
#include "midi/devices/PulseOutput.h"

#include <pulse/pulseaudio.h>

#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <vector>

namespace dzq {

namespace {

constexpr int kFrameBytes = 2 * sizeof(float);
constexpr int kIdleTickMs = 10;
// Stream buffers are kept in whole blocks of the synthesizer.
constexpr int kBlockFrames = 64;

using SteadyClock = std::chrono::steady_clock;

// The same priority FluidSynth asks for its own audio threads; refused
// quietly where the user may not have it.
void preferRealtime()
{
    sched_param param{};
    param.sched_priority = 60;
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
}

} // namespace

struct PulseOutput::Impl {
    Options options;
    Render render;
    std::function<void()> changed;

    pa_threaded_mainloop *loop = nullptr;
    pa_mainloop_api *api = nullptr;
    pa_context *context = nullptr;
    pa_stream *stream = nullptr;
    pa_time_event *retry = nullptr;
    pa_time_event *idleClock = nullptr;

    // Written on the loop's thread, read anywhere.
    std::atomic<State> state{State::Connecting};
    std::atomic<bool> everPlayed{false};
    std::atomic<int> granted{0};
    std::atomic<int> underflows{0};
    std::atomic<bool> growing{false};
    std::mutex decidedLock;
    std::condition_variable decided;

    // The loop's thread only.
    int target = 0; // frames asked for
    SteadyClock::time_point lastGrowth{};
    SteadyClock::time_point idleFrom{};
    double idleCarry = 0; // frames of the silent clock not rendered yet
    std::vector<float> scratch;
    bool realtimeTried = false;

    void setState(State s)
    {
        {
            std::lock_guard<std::mutex> lock(decidedLock);
            state = s;
        }
        decided.notify_all();
        if (changed)
            changed();
    }
    pa_buffer_attr attrFor(int frames) const
    {
        pa_buffer_attr attr;
        attr.maxlength = uint32_t(-1);
        attr.tlength = uint32_t(frames * kFrameBytes);
        attr.prebuf = uint32_t(-1);
        attr.minreq = uint32_t(std::min(options.periodFrames, frames / 2) * kFrameBytes);
        attr.fragsize = uint32_t(-1);
        return attr;
    }

    void connect();
    void dropConnection();
    void lost();
    void startStream();
    void readGranted();
    void grow();
    void armTimer(pa_time_event *&event, int ms, pa_time_event_cb_t callback);
    void idleTick();

    static void contextState(pa_context *c, void *self);
    static void streamState(pa_stream *s, void *self);
    static void write(pa_stream *s, size_t bytes, void *self);
    static void underflow(pa_stream *s, void *self);
    static void attrSet(pa_stream *s, int success, void *self);
    static void retryNow(pa_mainloop_api *, pa_time_event *, const struct timeval *, void *self);
    static void idleNow(pa_mainloop_api *, pa_time_event *, const struct timeval *, void *self);
};

void PulseOutput::Impl::armTimer(pa_time_event *&event, int ms, pa_time_event_cb_t callback)
{
    timeval when;
    pa_gettimeofday(&when);
    pa_timeval_add(&when, pa_usec_t(ms) * PA_USEC_PER_MSEC);
    if (event)
        api->time_restart(event, &when);
    else
        event = api->time_new(api, &when, callback, this);
}

void PulseOutput::Impl::connect()
{
    dropConnection();
    context = pa_context_new(api, "电子琴");
    if (!context) {
        lost();
        return;
    }
    pa_context_set_state_callback(context, &Impl::contextState, this);
    // No server of our own making: a desktop starts its server itself, and
    // one started here would not be the user's.
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        lost();
}

void PulseOutput::Impl::dropConnection()
{
    if (stream) {
        pa_stream_set_state_callback(stream, nullptr, nullptr);
        pa_stream_set_write_callback(stream, nullptr, nullptr);
        pa_stream_set_underflow_callback(stream, nullptr, nullptr);
        pa_stream_disconnect(stream);
        pa_stream_unref(stream);
        stream = nullptr;
    }
    if (context) {
        pa_context_set_state_callback(context, nullptr, nullptr);
        pa_context_disconnect(context);
        pa_context_unref(context);
        context = nullptr;
    }
}

// No server, or it went away: silence goes on in real time, and a new
// connection is tried soon. The old one is dropped then, outside its own
// callbacks.
void PulseOutput::Impl::lost()
{
    if (state != State::NoServer) {
        idleFrom = SteadyClock::now();
        idleCarry = 0;
        armTimer(idleClock, kIdleTickMs, &Impl::idleNow);
        setState(State::NoServer);
    }
    armTimer(retry, kRetryMs, &Impl::retryNow);
}

void PulseOutput::Impl::startStream()
{
    const pa_sample_spec format{PA_SAMPLE_FLOAT32LE, uint32_t(options.sampleRate), 2};
    stream = pa_stream_new(context, "内置合成器", &format, nullptr);
    if (!stream) {
        lost();
        return;
    }
    pa_stream_set_state_callback(stream, &Impl::streamState, this);
    pa_stream_set_write_callback(stream, &Impl::write, this);
    pa_stream_set_underflow_callback(stream, &Impl::underflow, this);
    const pa_buffer_attr attr = attrFor(target);
    const auto flags = pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | PA_STREAM_INTERPOLATE_TIMING |
                                         PA_STREAM_AUTO_TIMING_UPDATE);
    if (pa_stream_connect_playback(stream, nullptr, &attr, flags, nullptr, nullptr) < 0)
        lost();
}

void PulseOutput::Impl::readGranted()
{
    const pa_buffer_attr *attr = stream ? pa_stream_get_buffer_attr(stream) : nullptr;
    if (!attr)
        return;
    const int frames = int(attr->tlength / kFrameBytes);
    // What the server chose is the size to grow from.
    if (options.grow)
        target = std::max(target, frames);
    if (frames != granted.exchange(frames)) {
        std::fprintf(stderr, "音频输出：缓冲 %d 帧（%.1f 毫秒）\n", frames, frames * 1000.0 / options.sampleRate);
        if (changed)
            changed();
    }
}

void PulseOutput::Impl::grow()
{
    const auto now = SteadyClock::now();
    if (!options.grow || !growing || !stream || now - lastGrowth < std::chrono::milliseconds(kGrowthPauseMs))
        return;
    const int grown = std::min(kMaxBufferFrames, (target * 3 / 2 + kBlockFrames - 1) / kBlockFrames * kBlockFrames);
    if (grown <= target)
        return;
    target = grown;
    lastGrowth = now;
    const pa_buffer_attr attr = attrFor(target);
    if (pa_operation *op = pa_stream_set_buffer_attr(stream, &attr, &Impl::attrSet, this))
        pa_operation_unref(op);
}

void PulseOutput::Impl::idleTick()
{
    if (state == State::Playing)
        return;
    const auto now = SteadyClock::now();
    idleCarry += std::chrono::duration<double>(now - idleFrom).count() * options.sampleRate;
    idleFrom = now;
    while (idleCarry >= 1) {
        const int frames = std::min(int(idleCarry), int(scratch.size() / 2));
        render(scratch.data(), frames);
        idleCarry -= frames;
    }
    armTimer(idleClock, kIdleTickMs, &Impl::idleNow);
}

void PulseOutput::Impl::contextState(pa_context *c, void *self)
{
    auto *d = static_cast<Impl *>(self);
    switch (pa_context_get_state(c)) {
    case PA_CONTEXT_READY:
        d->startStream();
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        d->lost();
        break;
    default:
        break;
    }
}

void PulseOutput::Impl::streamState(pa_stream *s, void *self)
{
    auto *d = static_cast<Impl *>(self);
    switch (pa_stream_get_state(s)) {
    case PA_STREAM_READY:
        d->readGranted();
        d->everPlayed = true;
        d->setState(State::Playing);
        break;
    case PA_STREAM_FAILED:
    case PA_STREAM_TERMINATED:
        d->lost();
        break;
    default:
        break;
    }
}

void PulseOutput::Impl::write(pa_stream *s, size_t bytes, void *self)
{
    auto *d = static_cast<Impl *>(self);
    if (!d->realtimeTried) {
        d->realtimeTried = true;
        preferRealtime();
    }
    while (bytes >= size_t(kFrameBytes)) {
        void *data = nullptr;
        size_t size = bytes;
        if (pa_stream_begin_write(s, &data, &size) < 0 || !data)
            return;
        size = std::min(size, bytes);
        size -= size % kFrameBytes;
        if (size == 0) {
            pa_stream_cancel_write(s);
            return;
        }
        d->render(static_cast<float *>(data), int(size / kFrameBytes));
        pa_stream_write(s, data, size, nullptr, 0, PA_SEEK_RELATIVE);
        bytes -= size;
    }
}

void PulseOutput::Impl::underflow(pa_stream *, void *self)
{
    auto *d = static_cast<Impl *>(self);
    const int count = ++d->underflows;
    std::fprintf(stderr, "音频输出：声音服务器报告欠载（第 %d 次），缓冲 %d 帧\n", count, d->granted.load());
    d->grow();
}

void PulseOutput::Impl::attrSet(pa_stream *, int success, void *self)
{
    if (success)
        static_cast<Impl *>(self)->readGranted();
}

void PulseOutput::Impl::retryNow(pa_mainloop_api *, pa_time_event *, const struct timeval *, void *self)
{
    static_cast<Impl *>(self)->connect();
}

void PulseOutput::Impl::idleNow(pa_mainloop_api *, pa_time_event *, const struct timeval *, void *self)
{
    static_cast<Impl *>(self)->idleTick();
}

PulseOutput::PulseOutput(const Options &options, Render render, std::function<void()> changed)
    : d(std::make_unique<Impl>())
{
    d->options = options;
    d->render = std::move(render);
    d->changed = std::move(changed);
    d->target = std::clamp(options.bufferFrames, kBlockFrames, kMaxBufferFrames);
    d->scratch.resize(2 * 1024);
    d->loop = pa_threaded_mainloop_new();
    if (!d->loop) {
        d->state = State::NoServer;
        return;
    }
    d->api = pa_threaded_mainloop_get_api(d->loop);
    pa_threaded_mainloop_set_name(d->loop, "dzq-audio");
    pa_threaded_mainloop_lock(d->loop);
    d->idleFrom = SteadyClock::now();
    d->armTimer(d->idleClock, kIdleTickMs, &Impl::idleNow);
    d->connect();
    pa_threaded_mainloop_unlock(d->loop);
    if (pa_threaded_mainloop_start(d->loop) < 0) {
        pa_threaded_mainloop_lock(d->loop);
        d->dropConnection();
        pa_threaded_mainloop_unlock(d->loop);
        d->state = State::NoServer;
    }
}

PulseOutput::~PulseOutput()
{
    if (!d->loop)
        return;
    pa_threaded_mainloop_lock(d->loop);
    d->changed = nullptr;
    d->dropConnection();
    for (pa_time_event *event : {d->retry, d->idleClock})
        if (event)
            d->api->time_free(event);
    pa_threaded_mainloop_unlock(d->loop);
    pa_threaded_mainloop_stop(d->loop);
    pa_threaded_mainloop_free(d->loop);
}

PulseOutput::State PulseOutput::waitForFirstAttempt(int ms)
{
    std::unique_lock<std::mutex> lock(d->decidedLock);
    d->decided.wait_for(lock, std::chrono::milliseconds(ms), [this] { return d->state != State::Connecting; });
    return d->state;
}

void PulseOutput::allowGrowth() { d->growing = true; }
PulseOutput::State PulseOutput::state() const { return d->state; }
bool PulseOutput::everPlayed() const { return d->everPlayed; }

} // namespace dzq
