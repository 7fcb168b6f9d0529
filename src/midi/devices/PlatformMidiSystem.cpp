// The program's MIDI outputs: one built-in synthesizer for the whole run and
// the ALSA ports, re-read whenever the device list is filled.
#include "midi/devices/PlatformMidiSystem.h"

#include "midi/devices/AlsaMidi.h"

namespace dzq {

PlatformMidiSystem::PlatformMidiSystem(const SynthOptions &synthOptions)
    : synth_(std::make_unique<SynthDevice>(synthOptions)), ports_(std::make_unique<AlsaMidiSystem>())
{
}

PlatformMidiSystem::~PlatformMidiSystem() = default;

MidiDevice *PlatformMidiSystem::mapper() { return synth_.get(); }

int PlatformMidiSystem::deviceCount() { return ports_->refresh(); }

MidiDevice *PlatformMidiSystem::device(int id) { return ports_->device(id); }

} // namespace dzq
