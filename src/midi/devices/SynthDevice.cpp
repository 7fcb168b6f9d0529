// The built-in synthesizer on libfluidsynth: soundfont and audio driver
// selection, decoding of packed short messages, offline rendering.
#include "midi/devices/SynthDevice.h"

#include "midi/devices/AlsaMidi.h"

#include <SDL2/SDL.h>
#include <fluidsynth.h>

#include <QFile>
#include <QStringList>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>

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

const char *const kKnownSoundfonts[] = {
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
    "/usr/share/sounds/sf3/default-GM.sf3",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
};

const char *const kDriverOrder[] = {"pulseaudio", "alsa", "sdl2"};

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

} // namespace

struct SynthDevice::Impl {
    SynthOptions options;
    fluid_settings_t *settings = nullptr;
    fluid_synth_t *synth = nullptr;
    fluid_audio_driver_t *driver = nullptr;
    QString driverName;
    QString failedDriver; // an explicitly named driver that did not start
    bool sdlStarted = false;
    QString soundfont;    // loaded file, empty = none
    float fullGain = 0.2f;
    double volume = 1.0;
    bool isOpen = false;

    bool loadSoundfont();
    bool tryLoad(const QString &path);
    void startDriver();
    bool tryDriver(const QString &name);
};

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
    driver = new_fluid_audio_driver(settings, synth);
    if (!driver)
        return false;
    driverName = name;
    return true;
}

void SynthDevice::Impl::startDriver()
{
    if (!options.audio || options.audioDriver == QLatin1String("none"))
        return;
    silenceAlsaLibraryErrors(); // the alsa and sdl2 drivers would print through libasound
    fluid_settings_setint(settings, "audio.period-size", options.periodSize);
    fluid_settings_setint(settings, "audio.periods", options.periods);
    if (!options.audioDriver.isEmpty()) {
        if (!tryDriver(options.audioDriver))
            failedDriver = options.audioDriver;
        return;
    }
    for (const char *name : kDriverOrder)
        if (tryDriver(QString::fromLatin1(name)))
            return;
}

SynthDevice::SynthDevice(const SynthOptions &options) : d(std::make_unique<Impl>())
{
    installFluidLog();
    d->options = options;
    d->settings = new_fluid_settings();
    fluid_settings_setnum(d->settings, "synth.sample-rate", options.sampleRate);
    d->synth = new_fluid_synth(d->settings);
    d->fullGain = fluid_synth_get_gain(d->synth);
    d->loadSoundfont();
    d->startDriver();
}

SynthDevice::~SynthDevice()
{
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
    if (!d->loadSoundfont())
        return MidiErrNoSoundfont;
    d->isOpen = true;
    return MidiOk;
}

int SynthDevice::close()
{
    if (!d->isOpen)
        return MidiOk;
    d->isOpen = false;
    for (int channel = 0; channel < 16; ++channel)
        for (int pedal : kPedals) {
            int value = 0;
            if (fluid_synth_get_cc(d->synth, channel, pedal, &value) == FLUID_OK && value != 0)
                fluid_synth_cc(d->synth, channel, pedal, 0);
        }
    fluid_synth_all_notes_off(d->synth, -1);
    return MidiOk;
}

int SynthDevice::send(uint32_t msg)
{
    if (!d->isOpen)
        return MidiErrNotOpen;
    if (!isWireSafe(msg))
        return MidiOk;
    const int status = msg & 0xFF;
    const int channel = status & 0x0F;
    const int data1 = (msg >> 8) & 0x7F;
    const int data2 = (msg >> 16) & 0x7F;
    fluid_synth_t *s = d->synth;
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
    return MidiOk;
}

QString SynthDevice::errorText(int code) const
{
    if (code == MidiErrNoSoundfont && !d->options.soundfont.isEmpty())
        return QStringLiteral("内置合成器无法读取音色库文件“%1”，无法发声。请检查 --soundfont 指定的文件。")
            .arg(d->options.soundfont);
    return midiResultText(code);
}

QString SynthDevice::statusText() const
{
    QStringList parts;
    if (d->soundfont.isEmpty())
        parts << (d->options.soundfont.isEmpty()
                      ? QStringLiteral("没有找到音色库，不会发声")
                      : QStringLiteral("无法读取音色库文件“%1”，不会发声").arg(d->options.soundfont));
    if (d->driver)
        parts << QStringLiteral("声音由 %1 输出").arg(driverLabel(d->driverName));
    else if (!d->failedDriver.isEmpty())
        parts << QStringLiteral("音频驱动“%1”无法启动，没有声音输出").arg(d->failedDriver);
    else if (!d->options.audio || d->options.audioDriver == QLatin1String("none"))
        parts << QStringLiteral("未使用音频输出");
    else
        parts << QStringLiteral("没有可用的音频输出设备，听不到声音");
    return QStringLiteral("内置合成器：") + parts.join(QStringLiteral("；"));
}

QString SynthDevice::audioDriver() const { return d->driverName; }
QString SynthDevice::soundfontPath() const { return d->soundfont; }

void SynthDevice::setVolume(double volume)
{
    d->volume = std::clamp(volume, 0.0, 1.0);
    fluid_synth_set_gain(d->synth, float(d->fullGain * d->volume));
}

double SynthDevice::volume() const { return d->volume; }

bool SynthDevice::render(float *stereo, int frames)
{
    if (d->driver || frames < 0)
        return false;
    return fluid_synth_write_float(d->synth, frames, stereo, 0, 2, stereo, 1, 2) == FLUID_OK;
}

bool SynthDevice::render(int16_t *stereo, int frames)
{
    if (d->driver || frames < 0)
        return false;
    return fluid_synth_write_s16(d->synth, frames, stereo, 0, 2, stereo, 1, 2) == FLUID_OK;
}

} // namespace dzq
