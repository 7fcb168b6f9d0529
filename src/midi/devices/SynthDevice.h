#pragma once
// The built-in synthesizer: FluidSynth with a General MIDI soundfont, playing
// through the first audio driver that starts. It is created once and lives for
// the whole run; open() and close() only mark it in use.
#include "midi/MidiDevice.h"

#include <QString>

#include <cstdint>
#include <memory>

namespace dzq {

struct SynthOptions {
    // Soundfont file; empty = FluidSynth's default GM soundfont, then the
    // usual Debian files.
    QString soundfont;
    // FluidSynth audio driver; empty = pulseaudio, alsa, sdl2 in turn.
    // "none" starts no driver.
    QString audioDriver;
    // false: no audio driver at all; the sound is only had through render().
    bool audio = true;
    int periodSize = 128; // frames per audio period
    int periods = 2;
    double sampleRate = 44100.0;
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
    int send(uint32_t msg) override;
    QString errorText(int code) const override;

    // One line for the main window's status bar: which driver plays, or that
    // there is no audio output / no soundfont.
    QString statusText() const;
    // Name of the running audio driver, empty when none runs.
    QString audioDriver() const;
    // The loaded soundfont file, empty when none is loaded.
    QString soundfontPath() const;

    // The program's wave output volume, 0..1 (1 = the synthesizer's own level).
    void setVolume(double volume);
    double volume() const;

    // Renders frames of interleaved stereo. Only without a running audio
    // driver (else false and nothing is written).
    bool render(float *stereo, int frames);
    bool render(int16_t *stereo, int frames);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace dzq
