#include "midi/MidiOut.h"

#include "midi/Prepared.h"
#include "midi/SoundingNotes.h"
#include "platform/MessageService.h"
#include "platform/StepTimer.h"
#include "shared/Shared.h"

#include <QComboBox>

#include <algorithm>
#include <type_traits>
#include <utility>

namespace dzq {

namespace {

MidiSystem *g_system = nullptr;
MidiTap *g_tap = nullptr;
MidiDevice *g_open = nullptr; // the open device; null = no handle
int g_openId = -2;
bool g_errorBoxOpen = false;  // a MIDI error box is on screen
bool g_errorsQuiet = false;   // one box was shown since the last successful open
SoundingNotes g_sounding;     // notes the open device was told to sound
std::optional<MidiClock::time_point> g_sendTime; // innermost MidiSendTime scope

static_assert(std::is_same_v<MidiClock, StepTimer::Clock>, "ticks and messages share one clock");

MidiDevice *deviceFor(int id)
{
    if (!g_system)
        return nullptr;
    if (id == -1)
        return g_system->mapper();
    // The entry of the list the user chose from: reading the ports again here
    // would open whatever has this number now, after a port came or went.
    return id < 0 ? nullptr : g_system->device(id);
}

} // namespace

void setMidiSystem(MidiSystem *system) { g_system = system; }
MidiSystem *midiSystem() { return g_system; }
void setMidiTap(MidiTap *tap) { g_tap = tap; }

uint32_t packShortMsg(int status, int data1, int data2)
{
    const int64_t sum = int64_t(status) + 256 * int64_t(data1) + 65536 * int64_t(data2);
    return static_cast<uint32_t>(sum);
}

bool ListMidiOutDevices(QComboBox &list)
{
    list.clear();
    if (!g_system)
        return false;
    if (MidiDevice *mapper = g_system->mapper())
        list.addItem(mapper->name(), -1);
    const int n = g_system->deviceCount();
    for (int id = 0; id < n; ++id)
        if (MidiDevice *dev = g_system->device(id))
            list.addItem(dev->name(), id);
    return list.count() > 0;
}

bool OpenMidiOut(int id)
{
    CloseMidiOut();
    // Choosing a device is a deliberate act: its failure is always reported.
    g_errorsQuiet = false;
    MidiDevice *dev = deviceFor(id);
    if (!dev) {
        ShowMidiError(MidiErrNoDevice);
        return false;
    }
    if (const int rc = dev->open(); rc != MidiOk) {
        // Report through the device that failed, then forget it.
        g_open = dev;
        ShowMidiError(rc);
        g_open = nullptr;
        return false;
    }
    g_open = dev;
    g_openId = id;
    g_errorsQuiet = false;
    return true;
}

void CloseMidiOut()
{
    if (!g_open)
        return;
    dropChordNotes();
    MidiDevice *dev = g_open;
    // Whatever still sounds is ended first: an outside device would otherwise
    // hold those notes after we let go of it.
    for (const auto &[channel, note] : g_sounding.list()) {
        const uint32_t off = packShortMsg(0x80 + channel, note, 0);
        if (g_tap)
            g_tap->record(off);
        dev->send(off);
    }
    g_sounding.clear();
    const int rc = dev->close();
    if (rc != MidiOk)
        ShowMidiError(rc);
    g_open = nullptr;
    g_openId = -2;
}

bool midiOutIsOpen() { return g_open != nullptr; }
int openMidiOutId() { return g_openId; }
MidiDevice *openMidiDevice() { return g_open; }

int sendPackedMsg(uint32_t msg)
{
    if (!g_open)
        return MidiErrNotOpen;
    if (g_tap)
        g_tap->record(msg);
    const int rc = g_open->send(msg);
    if (rc == MidiOk)
        g_sounding.observe(msg);
    return rc;
}

std::optional<MidiClock::time_point> midiSendTime()
{
    return g_sendTime ? g_sendTime : StepTimer::tickInProgress();
}

MidiSendTime::MidiSendTime(MidiClock::time_point time) : outer_(std::exchange(g_sendTime, time)) {}
MidiSendTime::~MidiSendTime() { g_sendTime = outer_; }

const SoundingNotes &soundingNotes() { return g_sounding; }

void releaseSoundingNotes(std::initializer_list<int> channels)
{
    for (const int channel : channels)
        for (int note = 0; note < 128; ++note)
            if (g_sounding.sounding(channel, note))
                MidiNoteOff(channel, note);
}

void MidiShortMsg(int status, int data1, int data2)
{
    if (chordNotesPending())
        flushChordNotes(status & 0x0F);
    if (const int rc = sendPackedMsg(packShortMsg(status, data1, data2)); rc != MidiOk)
        ShowMidiError(rc);
}

void MidiNoteOn(int channel, int note, int velocity)
{
    const int pan = std::clamp((note - KeyBase) * 3 - 8, 20, 107);
    if (channel == 1)
        MidiShortMsg(0xB1, 10, pan);
    else
        MidiShortMsg(0xB0 + channel, 10, (channel >= 0 && channel < 16) ? ChannelPan[channel] : 0);
    MidiShortMsg(0x90 + channel, note, velocity);
}

void MidiNoteOff(int channel, int note) { MidiShortMsg(0x80 + channel, note, 0); }

void MidiControlChange(int channel, int controller, int value)
{
    MidiShortMsg(0xB0 + channel, controller, value);
}

void MidiProgramChange(int channel, int bank, int program)
{
    MidiControlChange(channel, 0, bank);
    MidiShortMsg(0xC0 + channel, program, 0);
}

void ShowMidiError(int code)
{
    if (g_errorBoxOpen || g_errorsQuiet)
        return;
    const QString text = g_open ? g_open->errorText(code) : midiResultText(code);
    g_errorBoxOpen = true;
    g_errorsQuiet = true;
    // Not inside the send, nor the tick or handler around it: the box's own
    // event loop would run other ticks and handlers in their middle.
    showBoxLater([text] {
        MessageService::instance().plain(text);
        g_errorBoxOpen = false;
    });
}

void resetMidiOut()
{
    g_open = nullptr;
    g_openId = -2;
    g_sounding.clear();
    g_errorBoxOpen = false;
    g_errorsQuiet = false;
}

} // namespace dzq
