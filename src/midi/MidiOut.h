#pragma once
// The MIDI output layer: owns the one open output device of the program and is
// the only place where short messages are packed and sent.
#include "midi/MidiDevice.h"

#include <QString>

#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <optional>

class QComboBox;

namespace dzq {

// Receives every packed message handed to the open device, before the device
// may drop it (the --midi-log tap and test observers).
class MidiTap {
public:
    virtual ~MidiTap() = default;
    virtual void record(uint32_t msg) = 0;
};

// Installs the platform's MIDI outputs (not owned). Tests install fakes.
void setMidiSystem(MidiSystem *system);
MidiSystem *midiSystem();
// Installs the message tap (not owned); nullptr removes it.
void setMidiTap(MidiTap *tap);

// The signed 32-bit sum status + 256 * data1 + 65536 * data2; nothing masked.
uint32_t packShortMsg(int status, int data1, int data2);

// Clears the list and adds the mapper (item data -1) and each readable device
// (item data = id). True if at least one entry was added.
bool ListMidiOutDevices(QComboBox &list);
// Closes the open device, then opens device id (-1 = mapper). True on success.
bool OpenMidiOut(int id);
void CloseMidiOut();
bool midiOutIsOpen();
// Id of the open device, or -2 when none is open.
int openMidiOutId();
// The open device, or nullptr.
MidiDevice *openMidiDevice();

void MidiShortMsg(int status, int data1, int data2);
void MidiNoteOn(int channel, int note, int velocity);
void MidiNoteOff(int channel, int note);
void MidiControlChange(int channel, int controller, int value);
void MidiProgramChange(int channel, int bank, int program);
// Shows the device's text for a failure once the handler running now has
// returned (never inside a send or a clock tick). At most one such box is
// waiting or open at a time, and after one was shown further failures stay
// quiet until a device has been opened again, so a dead device cannot bury the
// window under boxes.
void ShowMidiError(int code);

// Hands an already packed message to the open device and returns its result
// without reporting it (the prepared rhythm and keypad messages).
int sendPackedMsg(uint32_t msg);

// The time a message being sent belongs to. Messages sent by a clock's tick
// belong to the tick's deadline, not to the moment the handler got round to
// them: a device that can schedule (the built-in synthesizer) plays them a
// fixed delay after that time, so they sound on the clock's grid. Everything
// else is live and is played at once.
using MidiClock = std::chrono::steady_clock;
// Within a MidiSendTime scope, its time; else inside a window clock's tick,
// the tick's deadline; else nullopt (live).
std::optional<MidiClock::time_point> midiSendTime();

// Marks what is sent during its lifetime as belonging to `time` (code that
// delivers a tick's messages later, e.g. the notes of a spread chord).
class MidiSendTime {
public:
    explicit MidiSendTime(MidiClock::time_point time);
    ~MidiSendTime();
    MidiSendTime(const MidiSendTime &) = delete;
    MidiSendTime &operator=(const MidiSendTime &) = delete;

private:
    std::optional<MidiClock::time_point> outer_;
};

// The notes the open device was told to sound and not yet to end.
class SoundingNotes;
const SoundingNotes &soundingNotes();
// Sends a note-off for every note still sounding on the given channels, low
// notes first: the stop paths call it after their own release loops, so that
// a note struck in another key, or below the loops' range, cannot hang.
void releaseSoundingNotes(std::initializer_list<int> channels);
// Puts the layer back to "no device open, no error shown" (tests).
void resetMidiOut();

} // namespace dzq
