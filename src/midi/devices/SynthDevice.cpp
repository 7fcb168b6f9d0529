// The built-in synthesizer on libfluidsynth: soundfont and audio driver
// selection, decoding of packed short messages, offline rendering.
#include "midi/devices/SynthDevice.h"

#include "midi/MidiOut.h"
#include "midi/devices/AlsaMidi.h"
#include "midi/devices/PulseOutput.h"

#include <SDL2/SDL.h>
#include <fluidsynth.h>

#include <QFile>
#include <QStringList>

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <limits>
#include <mutex>
#include <thread>
#include <vector>

namespace dzq {

namespace {

// While positive, FluidSynth's error messages are expected (a driver or a
// soundfont being tried) and are not printed.
std::atomic<int> g_probing{0};

void printFluidError(int level, const char *message, void *)
{
    if (level == FLUID_ERR && g_probing.load() > 0)
        return;
    std::fprintf(stderr, "fluidsynth: %s\n", message);
}

void installFluidLog()
{
    static std::once_flag once;
    std::call_once(once, [] {
        fluid_set_log_function(FLUID_PANIC, printFluidError, nullptr);
        fluid_set_log_function(FLUID_ERR, printFluidError, nullptr);
        fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
        fluid_set_log_function(FLUID_INFO, nullptr, nullptr);
        fluid_set_log_function(FLUID_DBG, nullptr, nullptr);
    });
}

struct Probing {
    Probing() { ++g_probing; }
    ~Probing() { --g_probing; }
    Probing(const Probing &) = delete;
    Probing &operator=(const Probing &) = delete;
};

// Interleaved stereo output of FluidSynth in the sample type of the buffer.
int writeInterleaved(fluid_synth_t *synth, int count, float *at)
{
    return fluid_synth_write_float(synth, count, at, 0, 2, at, 1, 2);
}

int writeInterleaved(fluid_synth_t *synth, int count, int16_t *at)
{
    return fluid_synth_write_s16(synth, count, at, 0, 2, at, 1, 2);
}

const char *const kKnownSoundfonts[] = {
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
    "/usr/share/sounds/sf3/default-GM.sf3",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
};

// Tried when the sound server refuses at once.
const char *const kOtherDrivers[] = {"alsa", "sdl2"};
// How long start-up waits for the sound server to answer; a server that
// takes longer is waited for in the background.
constexpr int kServerAnswerMs = 300;

QString driverLabel(const QString &driver)
{
    if (driver == QLatin1String("pulseaudio"))
        return QStringLiteral("PulseAudio");
    if (driver == QLatin1String("alsa"))
        return QStringLiteral("ALSA");
    if (driver == QLatin1String("sdl2"))
        return QStringLiteral("SDL2");
    return driver;
}

constexpr int kPedals[] = {64, 66}; // sustain and sostenuto hold notes past their note-off

// FluidSynth renders in blocks of this many frames; a message takes effect at
// the start of a block.
constexpr int kBlock = 64;
// The audio clock may run this much slower than the steady clock (a sound
// card's crystal); the time of the audio periods is followed that fast.
constexpr double kClockCreep = 2e-4;

int64_t nanos(std::chrono::steady_clock::time_point t)
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(t.time_since_epoch()).count();
}

// A message on its way from the sending thread to the rendering one.
struct Scheduled {
    enum Kind : uint8_t {
        Timed,        // play at `due`
        AfterPending, // live: play now, after the channel's waiting messages
        Silence,      // the device closed: drop what waits, end every note;
                      // it is pending on every channel until it is applied
    };
    int64_t due = 0; // steady clock, nanoseconds
    uint32_t msg = 0;
    Kind kind = Timed;
};

// Fixed-size queue for one sending and one rendering thread; never allocates
// or locks.
class ScheduleRing {
public:
    static constexpr size_t Capacity = 4096;
    bool push(const Scheduled &e)
    {
        const size_t t = tail_.load(std::memory_order_relaxed);
        if (t - head_.load(std::memory_order_acquire) == Capacity)
            return false;
        slots_[t % Capacity] = e;
        tail_.store(t + 1, std::memory_order_release);
        return true;
    }
    bool pop(Scheduled &e)
    {
        const size_t h = head_.load(std::memory_order_relaxed);
        if (h == tail_.load(std::memory_order_acquire))
            return false;
        e = slots_[h % Capacity];
        head_.store(h + 1, std::memory_order_release);
        return true;
    }

private:
    std::array<Scheduled, Capacity> slots_{};
    std::atomic<size_t> head_{0};
    std::atomic<size_t> tail_{0};
};

} // namespace

struct SynthDevice::Impl {
    SynthOptions options;
    fluid_settings_t *settings = nullptr;
    fluid_synth_t *synth = nullptr;
    fluid_audio_driver_t *driver = nullptr;
    std::unique_ptr<PulseOutput> pulse; // our own output on the sound server
    QString driverName;
    std::mutex listenerLock;
    std::function<void()> listener;
    QString failedDriver; // an explicitly named driver that did not start
    bool sdlStarted = false;
    QString soundfont;    // loaded file, empty = none
    float fullGain = 0.2f;
    double volume = 1.0;
    bool isOpen = false;

    // Scheduling. The sending thread writes `ring`, `pending` and `lastDue`;
    // the rendering thread (the driver's callback, or render()) owns the rest.
    std::atomic<bool> scheduling{false}; // something renders through process()
    ScheduleRing ring;
    std::array<std::atomic<int>, 16> pending{}; // per channel: queued, not yet applied
    std::atomic<int> inFlight{0};               // entries queued, not yet applied
    std::array<int64_t, 16> lastDue{};          // per channel: latest due queued
    // What did not fit into the ring, in the order sent. While it holds
    // anything, everything sent goes behind it; the renderer takes from it
    // when the ring is empty and never waits for its lock.
    std::mutex overflowLock;
    std::vector<Scheduled> overflow;
    size_t overflowHead = 0;
    std::atomic<bool> overflowing{false};
    std::vector<Scheduled> waiting;              // drained from the ring, by due time
    int64_t framesDone = 0;                      // frames rendered so far
    double periodOrigin = 0;                     // steady ns at which frame 0 was rendered
    bool haveOrigin = false;

    // The soundfont is read in the background from the constructor on (the
    // default one takes a sixth of a second, while the start-up window shows
    // anyway); whatever needs it waits for it.
    std::thread loader;
    void waitForSoundfont()
    {
        if (loader.joinable())
            loader.join();
    }
    bool loadSoundfont();
    bool tryLoad(const QString &path);
    void startDriver();
    bool tryDriver(const QString &name);
    PulseOutput::State startPulse();
    void statusChanged()
    {
        std::lock_guard<std::mutex> lock(listenerLock);
        if (listener)
            listener();
    }

    int64_t nowNanos() const { return nanos(options.now ? options.now() : std::chrono::steady_clock::now()); }
    void apply(uint32_t msg);
    void silence();
    void enqueue(const Scheduled &e);
    // Renders `frames` in block-sized parts through write(offset, count),
    // applying what is due before each block.
    template <class Write> void process(int frames, Write &&write);
    void drainRing();
    void take(const Scheduled &e);
    int64_t blockOf(const Scheduled &e) const;
    void applyDue(int64_t blockStart);
    void applied(uint32_t msg)
    {
        pending[msg & 0x0F].fetch_sub(1, std::memory_order_release);
        inFlight.fetch_sub(1, std::memory_order_relaxed);
    }
    static int audioCallback(void *data, int len, int nfx, float *fx[], int nout, float *out[]);
};

void SynthDevice::Impl::apply(uint32_t msg)
{
    const int status = msg & 0xFF;
    const int channel = status & 0x0F;
    const int data1 = (msg >> 8) & 0x7F;
    const int data2 = (msg >> 16) & 0x7F;
    fluid_synth_t *s = synth;
    // FluidSynth fails a note-off of a silent note and a program that the
    // soundfont lacks; neither is a fault of the device, so results are not
    // passed on.
    switch (status & 0xF0) {
    case 0x80:
        fluid_synth_noteoff(s, channel, data1);
        break;
    case 0x90:
        if (data2 == 0)
            fluid_synth_noteoff(s, channel, data1);
        else
            fluid_synth_noteon(s, channel, data1, data2);
        break;
    case 0xA0:
        fluid_synth_key_pressure(s, channel, data1, data2);
        break;
    case 0xB0:
        fluid_synth_cc(s, channel, data1, data2);
        break;
    case 0xC0:
        fluid_synth_program_change(s, channel, data1);
        break;
    case 0xD0:
        fluid_synth_channel_pressure(s, channel, data1);
        break;
    case 0xE0:
        fluid_synth_pitch_bend(s, channel, data1 | (data2 << 7));
        break;
    }
}

void SynthDevice::Impl::silence()
{
    for (int channel = 0; channel < 16; ++channel)
        for (int pedal : kPedals) {
            int value = 0;
            if (fluid_synth_get_cc(synth, channel, pedal, &value) == FLUID_OK && value != 0)
                fluid_synth_cc(synth, channel, pedal, 0);
        }
    fluid_synth_all_notes_off(synth, -1);
}

// Never fails and never reorders: what does not fit into the ring (thousands
// of messages wait, nothing has rendered for that long) waits behind it.
void SynthDevice::Impl::enqueue(const Scheduled &e)
{
    // A silence ends the notes of every channel: a live message sent after
    // it must not reach the synthesizer before it, whatever its channel.
    if (e.kind == Scheduled::Silence) {
        for (auto &p : pending)
            p.fetch_add(1, std::memory_order_relaxed);
    } else {
        pending[e.msg & 0x0F].fetch_add(1, std::memory_order_relaxed);
    }
    // The renderer's list holds what the ring held, so it never grows.
    const bool room = inFlight.fetch_add(1, std::memory_order_relaxed) < int(ScheduleRing::Capacity) - 1;
    if (room && !overflowing.load(std::memory_order_acquire) && ring.push(e))
        return;
    std::lock_guard<std::mutex> lock(overflowLock);
    overflow.push_back(e);
    overflowing.store(true, std::memory_order_release);
}

void SynthDevice::Impl::take(const Scheduled &e)
{
    switch (e.kind) {
    case Scheduled::Timed: {
        // After everything due no later, so equal times keep their order.
        const auto at = std::upper_bound(waiting.begin(), waiting.end(), e.due,
                                         [](int64_t due, const Scheduled &w) { return due < w.due; });
        waiting.insert(at, e);
        break;
    }
    case Scheduled::AfterPending: {
        const int channel = e.msg & 0x0F;
        auto keep = waiting.begin();
        for (auto it = waiting.begin(); it != waiting.end(); ++it) {
            if (int(it->msg & 0x0F) == channel) {
                apply(it->msg);
                applied(it->msg);
            } else {
                *keep++ = *it;
            }
        }
        waiting.erase(keep, waiting.end());
        apply(e.msg);
        applied(e.msg);
        break;
    }
    case Scheduled::Silence:
        for (const Scheduled &w : waiting)
            applied(w.msg);
        waiting.clear();
        silence();
        for (auto &p : pending)
            p.fetch_sub(1, std::memory_order_release);
        inFlight.fetch_sub(1, std::memory_order_relaxed);
        break;
    }
}

void SynthDevice::Impl::drainRing()
{
    Scheduled e;
    while (ring.pop(e))
        take(e);
    if (!overflowing.load(std::memory_order_acquire))
        return;
    std::unique_lock<std::mutex> lock(overflowLock, std::try_to_lock);
    if (!lock.owns_lock())
        return; // the next block
    // The sender stopped using the ring when it began the overflow: what the
    // ring holds now came before it. A timed message is taken only while the
    // list has room, so the render thread never allocates.
    while (ring.pop(e))
        take(e);
    while (overflowHead < overflow.size() &&
           (overflow[overflowHead].kind != Scheduled::Timed || waiting.size() < waiting.capacity()))
        take(overflow[overflowHead++]);
    if (overflowHead == overflow.size()) {
        overflow.clear();
        overflowHead = 0;
        overflowing.store(false, std::memory_order_release);
    }
}

int64_t SynthDevice::Impl::blockOf(const Scheduled &e) const
{
    // The block whose start is nearest to the message's sample.
    const double sample = (double(e.due) - periodOrigin) * options.sampleRate / 1e9;
    return kBlock * int64_t(std::floor((sample + kBlock / 2) / kBlock));
}

void SynthDevice::Impl::applyDue(int64_t blockStart)
{
    auto it = waiting.begin();
    for (; it != waiting.end() && blockOf(*it) <= blockStart; ++it) {
        apply(it->msg);
        applied(it->msg);
    }
    waiting.erase(waiting.begin(), it);
}

template <class Write> void SynthDevice::Impl::process(int frames, Write &&write)
{
    // Frame framesDone is rendered now. Periods are rendered late by varying
    // amounts but never early, so the earliest origin seen is the audio
    // clock's; it may rise slowly, as a sound card's clock may be slow.
    const double rate = options.sampleRate;
    const double origin = double(nowNanos()) - double(framesDone) * 1e9 / rate;
    periodOrigin = haveOrigin ? std::min(periodOrigin + frames * 1e9 / rate * kClockCreep, origin) : origin;
    haveOrigin = true;
    const int64_t end = framesDone + frames;
    int64_t position = framesDone;
    while (position < end) {
        drainRing();
        if (position % kBlock == 0)
            applyDue(position);
        // In one piece up to the next block at which something is due: the
        // synthesizer renders several blocks at once faster.
        int64_t until = end;
        if (!waiting.empty())
            until = std::min(until, std::max(blockOf(waiting.front()), position + kBlock - position % kBlock));
        write(int(position - framesDone), int(until - position));
        position = until;
    }
    framesDone = end;
}

int SynthDevice::Impl::audioCallback(void *data, int len, int, float *[], int nout, float *out[])
{
    auto *d = static_cast<Impl *>(data);
    if (nout < 2) {
        // Not a layout this device knows; keep the clock and the queue going.
        d->process(len, [](int, int) {});
        return FLUID_OK;
    }
    d->process(len, [d, out](int offset, int count) {
        fluid_synth_write_float(d->synth, count, out[0] + offset, 0, 1, out[1] + offset, 0, 1);
    });
    return FLUID_OK;
}

bool SynthDevice::Impl::tryLoad(const QString &path)
{
    if (path.isEmpty() || !QFile::exists(path))
        return false;
    const QByteArray file = QFile::encodeName(path);
    Probing quiet;
    if (fluid_synth_sfload(synth, file.constData(), 1) == FLUID_FAILED)
        return false;
    soundfont = path;
    return true;
}

bool SynthDevice::Impl::loadSoundfont()
{
    if (!soundfont.isEmpty())
        return true;
    // An explicitly named file is what the user wants; no silent substitute.
    if (!options.soundfont.isEmpty())
        return tryLoad(options.soundfont);
    char *fallback = nullptr;
    if (fluid_settings_dupstr(settings, "synth.default-soundfont", &fallback) == FLUID_OK && fallback) {
        const QString path = QFile::decodeName(fallback);
        fluid_free(fallback);
        if (tryLoad(path))
            return true;
    }
    for (const char *path : kKnownSoundfonts)
        if (tryLoad(QString::fromLatin1(path)))
            return true;
    return false;
}

bool SynthDevice::Impl::tryDriver(const QString &name)
{
    if (name == QLatin1String("sdl2") && !sdlStarted) {
        // SDL would otherwise take over SIGINT and SIGTERM.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
            return false;
        sdlStarted = true;
    }
    Probing quiet;
    if (fluid_settings_setstr(settings, "audio.driver", name.toUtf8().constData()) != FLUID_OK)
        return false;
    // Through our callback, which plays clock-driven messages on their
    // sample; a driver without callbacks plays everything at once.
    driver = new_fluid_audio_driver2(settings, &Impl::audioCallback, this);
    if (driver)
        scheduling = true;
    else
        driver = new_fluid_audio_driver(settings, synth);
    if (!driver)
        return false;
    driverName = name;
    return true;
}

PulseOutput::State SynthDevice::Impl::startPulse()
{
    PulseOutput::Options out;
    out.sampleRate = int(options.sampleRate);
    out.periodFrames = options.periodSize;
    out.bufferFrames = options.periodSize * options.periods;
    out.grow = !options.pinBuffer;
    scheduling = true;
    pulse = std::make_unique<PulseOutput>(
        out,
        [this](float *stereo, int frames) {
            process(frames, [&](int offset, int count) { writeInterleaved(synth, count, stereo + 2 * offset); });
        },
        [this] { statusChanged(); });
    return pulse->waitForFirstAttempt(kServerAnswerMs);
}

void SynthDevice::Impl::startDriver()
{
    if (!options.audio || options.audioDriver == QLatin1String("none"))
        return;
    silenceAlsaLibraryErrors(); // the alsa and sdl2 drivers would print through libasound
    fluid_settings_setint(settings, "audio.period-size", options.periodSize);
    fluid_settings_setint(settings, "audio.periods", options.periods);
    if (options.audioDriver == QLatin1String("pulseaudio")) {
        startPulse(); // waits for a server that is not there yet
        return;
    }
    if (!options.audioDriver.isEmpty()) {
        if (!tryDriver(options.audioDriver))
            failedDriver = options.audioDriver;
        return;
    }
    // The sound server first; when it refuses at once, the other drivers;
    // when none of them starts either, the server is waited for.
    if (startPulse() != PulseOutput::State::NoServer)
        return;
    pulse.reset();
    scheduling = false;
    for (const char *name : kOtherDrivers)
        if (tryDriver(QString::fromLatin1(name)))
            return;
    startPulse();
}

SynthDevice::SynthDevice(const SynthOptions &options) : d(std::make_unique<Impl>())
{
    installFluidLog();
    d->options = options;
    d->settings = new_fluid_settings();
    fluid_settings_setnum(d->settings, "synth.sample-rate", options.sampleRate);
    fluid_settings_setint(d->settings, "synth.polyphony", options.polyphony);
    d->synth = new_fluid_synth(d->settings);
    d->waiting.reserve(ScheduleRing::Capacity);
    d->lastDue.fill(std::numeric_limits<int64_t>::min());
    d->fullGain = fluid_synth_get_gain(d->synth);
    d->loader = std::thread([impl = d.get()] { impl->loadSoundfont(); });
    d->startDriver();
}

SynthDevice::~SynthDevice()
{
    d->waitForSoundfont();
    d->pulse.reset();
    if (d->driver)
        delete_fluid_audio_driver(d->driver);
    delete_fluid_synth(d->synth);
    delete_fluid_settings(d->settings);
    if (d->sdlStarted)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

QString SynthDevice::name() const { return QStringLiteral("内置合成器"); }

int SynthDevice::open()
{
    d->waitForSoundfont();
    if (!d->loadSoundfont())
        return MidiErrNoSoundfont;
    d->isOpen = true;
    // In use: from now on the output sizes its buffer by what it meets.
    if (d->pulse)
        d->pulse->allowGrowth();
    return MidiOk;
}

int SynthDevice::close()
{
    if (!d->isOpen)
        return MidiOk;
    d->isOpen = false;
    // Whatever still waits for its time must not start after the close: the
    // renderer drops it, then ends every note.
    d->lastDue.fill(std::numeric_limits<int64_t>::min());
    if (d->scheduling)
        d->enqueue({0, 0, Scheduled::Silence});
    else
        d->silence();
    return MidiOk;
}

int SynthDevice::send(uint32_t msg)
{
    if (const auto time = midiSendTime())
        return sendAt(msg, *time);
    if (!d->isOpen)
        return MidiErrNotOpen;
    if (!isWireSafe(msg))
        return MidiOk;
    const int channel = msg & 0x0F;
    // Straight to the synthesizer, unless timed messages of this channel
    // still wait: then the renderer plays them and this one right away.
    if (d->scheduling && d->pending[channel].load(std::memory_order_acquire) > 0) {
        d->lastDue[channel] = std::numeric_limits<int64_t>::min();
        d->enqueue({0, msg, Scheduled::AfterPending});
        return MidiOk;
    }
    d->apply(msg);
    return MidiOk;
}

int SynthDevice::sendAt(uint32_t msg, std::chrono::steady_clock::time_point time)
{
    if (!d->isOpen)
        return MidiErrNotOpen;
    if (!isWireSafe(msg))
        return MidiOk;
    if (!d->scheduling) {
        d->apply(msg);
        return MidiOk;
    }
    // Never before a message sent earlier on the same channel.
    const int channel = msg & 0x0F;
    const int64_t due = std::max(nanos(time) + int64_t(d->options.clockDelayMs) * 1000000, d->lastDue[channel]);
    d->lastDue[channel] = due;
    d->enqueue({due, msg, Scheduled::Timed});
    return MidiOk;
}

const SynthOptions &SynthDevice::options() const { return d->options; }

QString SynthDevice::errorText(int code) const
{
    if (code == MidiErrNoSoundfont && !d->options.soundfont.isEmpty())
        return QStringLiteral("内置合成器无法读取音色库文件“%1”，无法发声。请检查 --soundfont 指定的文件。")
            .arg(d->options.soundfont);
    return midiResultText(code);
}

QString SynthDevice::statusText() const
{
    d->waitForSoundfont();
    QStringList parts;
    if (d->soundfont.isEmpty())
        parts << (d->options.soundfont.isEmpty()
                      ? QStringLiteral("没有找到音色库，不会发声")
                      : QStringLiteral("无法读取音色库文件“%1”，不会发声").arg(d->options.soundfont));
    const auto server = d->pulse ? d->pulse->state() : PulseOutput::State::NoServer;
    if (d->pulse && server == PulseOutput::State::Playing)
        parts << QStringLiteral("声音由 PulseAudio 输出");
    else if (d->pulse && server == PulseOutput::State::Connecting)
        parts << QStringLiteral("正在连接声音服务器，暂时没有声音");
    else if (d->pulse && d->pulse->everPlayed())
        parts << QStringLiteral("声音服务器已断开，暂时没有声音；服务器恢复后声音自动恢复");
    else if (d->pulse && d->options.audioDriver == QLatin1String("pulseaudio"))
        parts << QStringLiteral("音频驱动“pulseaudio”连接不到声音服务器，没有声音输出；服务器出现后声音自动恢复");
    else if (d->driver)
        parts << QStringLiteral("声音由 %1 输出").arg(driverLabel(d->driverName));
    else if (!d->failedDriver.isEmpty())
        parts << QStringLiteral("音频驱动“%1”无法启动，没有声音输出").arg(d->failedDriver);
    else if (!d->options.audio || d->options.audioDriver == QLatin1String("none"))
        parts << QStringLiteral("未使用音频输出");
    else
        parts << QStringLiteral("没有可用的音频输出设备，听不到声音");
    return QStringLiteral("内置合成器：") + parts.join(QStringLiteral("；"));
}

QString SynthDevice::audioDriver() const
{
    if (d->pulse)
        return d->pulse->state() == PulseOutput::State::Playing ? QStringLiteral("pulseaudio") : QString();
    return d->driverName;
}

void SynthDevice::setStatusListener(std::function<void()> listener)
{
    std::lock_guard<std::mutex> lock(d->listenerLock);
    d->listener = std::move(listener);
}

QString SynthDevice::soundfontPath() const
{
    d->waitForSoundfont();
    return d->soundfont;
}

void SynthDevice::setVolume(double volume)
{
    d->volume = std::clamp(volume, 0.0, 1.0);
    fluid_synth_set_gain(d->synth, float(d->fullGain * d->volume));
}

double SynthDevice::volume() const { return d->volume; }

template <class Sample> bool SynthDevice::renderInto(Sample *stereo, int frames)
{
    d->waitForSoundfont();
    if (d->driver || d->pulse || frames < 0)
        return false;
    d->scheduling = true;
    bool ok = true;
    d->process(frames, [&](int offset, int count) {
        ok = writeInterleaved(d->synth, count, stereo + 2 * offset) == FLUID_OK && ok;
    });
    return ok;
}

bool SynthDevice::render(float *stereo, int frames) { return renderInto(stereo, frames); }
bool SynthDevice::render(int16_t *stereo, int frames) { return renderInto(stereo, frames); }

int SynthDevice::activeVoices() const { return fluid_synth_get_active_voice_count(d->synth); }

} // namespace dzq
