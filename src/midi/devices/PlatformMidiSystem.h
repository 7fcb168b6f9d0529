#pragma once
// The program's MIDI outputs: the built-in synthesizer as the mapper entry
// (id -1), then the ALSA sequencer ports as devices 0..n-1.
#include "midi/MidiDevice.h"
#include "midi/devices/SynthDevice.h"

#include <memory>

namespace dzq {

class AlsaMidiSystem;

class PlatformMidiSystem final : public MidiSystem {
public:
    explicit PlatformMidiSystem(const SynthOptions &synthOptions = {});
    ~PlatformMidiSystem() override;

    MidiDevice *mapper() override;
    // Re-reads the sequencer's ports.
    int deviceCount() override;
    MidiDevice *device(int id) override;

    SynthDevice &synth() { return *synth_; }

private:
    std::unique_ptr<SynthDevice> synth_;
    std::unique_ptr<AlsaMidiSystem> ports_;
};

} // namespace dzq
