#pragma once
// The built-in synthesizer: FluidSynth with a General MIDI soundfont, playing
// through the first audio driver that starts. It is created once and lives for
// the whole run; open() and close() only mark it in use.
//
// Timing: a live message (a key) goes to the synthesizer at once and sounds in
// the next audio period. A message a clock's tick sent (it has a send time,
// see midiSendTime()) is played clockDelayMs after that time, on the audio
// block nearest to it, so the rhythm sounds on the clock's grid however late
// the tick's handler ran. Per channel the messages keep the order they were
// sent in: a live message on a channel that still has timed messages waiting
// brings those forward instead of waiting for them.
#include "midi/MidiDevice.h"

#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

namespace dzq {

struct SynthOptions {
    // Soundfont file; empty = FluidSynth's default GM soundfont, then the
    // usual Debian files.
    QString soundfont;
    // Audio driver; empty = pulseaudio, alsa, sdl2 in turn. "pulseaudio" is
    // the synthesizer's own output on the sound server (see PulseOutput.h),
    // the others are FluidSynth's. "none" starts no driver.
    QString audioDriver;
    // false: no audio driver at all; the sound is only had through render().
    bool audio = true;
    // The audio buffer: periods x periodSize frames. On the sound server it
    // is where the buffer starts, and it grows while the server reports
    // underflows, unless pinned.
    int periodSize = 128; // frames per audio period
    int periods = 2;
    bool pinBuffer = false;
    double sampleRate = 44100.0;
    // Voices rendered at once (FluidSynth's own default). The densest
    // accompaniment would keep about 550 busy, mostly overlapping release
    // tails; 256 of them leave out what is 30 dB below the music and render
    // it about 15 x faster than real time on one core. 64 voices render
    // three and a half times faster, but what they cut is only 8 dB below
    // the music: an audible thinning.
    int polyphony = 256;
    // How long after its send time a clock-driven message sounds: room for a
    // late tick and one audio period.
    int clockDelayMs = 20;
    // The clock that places the audio periods in time (steady_clock when
    // empty); tests give a scripted one.
    std::function<std::chrono::steady_clock::time_point()> now;
};

class SynthDevice final : public MidiDevice {
public:
    explicit SynthDevice(const SynthOptions &options = {});
    ~SynthDevice() override;
    SynthDevice(const SynthDevice &) = delete;
    SynthDevice &operator=(const SynthDevice &) = delete;

    QString name() const override;
    // Fails with MidiErrNoSoundfont when no soundfont could be loaded.
    int open() override;
    // Lifts the pedals and releases every note, so nothing keeps sounding.
    int close() override;
    // Live unless midiSendTime() gives the message a time: then sendAt().
    int send(uint32_t msg) override;
    // Plays msg clockDelayMs after `time`, on the audio block nearest to that
    // moment; at once when nothing renders the scheduled way (no audio driver
    // and no render() yet, or a driver without callbacks).
    int sendAt(uint32_t msg, std::chrono::steady_clock::time_point time);
    QString errorText(int code) const override;
    const SynthOptions &options() const;

    // One line for the main window's status bar: which driver plays, or that
    // there is no audio output / no soundfont / no sound server for now.
    QString statusText() const;
    // Name of the audio driver that plays now, empty when none does (also
    // while the sound server is away).
    QString audioDriver() const;
    // Called, on the audio output's thread, whenever statusText() or
    // audioDriver() may have changed (the sound server went or came).
    void setStatusListener(std::function<void()> listener);
    // The loaded soundfont file, empty when none is loaded.
    QString soundfontPath() const;

    // The program's wave output volume, 0..1 (1 = the synthesizer's own level).
    void setVolume(double volume);
    double volume() const;

    // Renders frames of interleaved stereo. Only without an audio output
    // (else false and nothing is written). Each call stands for one
    // audio period rendered at options().now(), as a driver's would be.
    bool render(float *stereo, int frames);
    bool render(int16_t *stereo, int frames);
    // Voices sounding now (for the render benchmark).
    int activeVoices() const;

private:
    template <class Sample> bool renderInto(Sample *stereo, int frames);
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace dzq
