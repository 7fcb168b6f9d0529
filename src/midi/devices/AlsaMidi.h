#pragma once
// ALSA sequencer output ports as MIDI devices. Without a sequencer (no
// /dev/snd/seq) there are simply no ports, and nothing is printed.
#include "midi/MidiDevice.h"

#include <QString>

#include <array>
#include <bitset>
#include <cstdint>
#include <memory>
#include <vector>

struct _snd_seq;
struct snd_midi_event;

namespace dzq {

// Stops libasound from printing its own error messages (process wide).
void silenceAlsaLibraryErrors();

// Device-specific result codes of a port device.
enum AlsaResult : int {
    AlsaErrNoSequencer = 101, // the ALSA sequencer cannot be opened
    AlsaErrNoPort = 102,      // our own output port cannot be created
    AlsaErrConnect = 103,     // the connection to the port is refused
    AlsaErrEncode = 104,      // a message could not be turned into an event
};

class AlsaMidiSystem;

// One sequencer port. Opening creates an output port of our own and connects
// it to the target; closing first ends the notes this device left sounding.
class AlsaPortDevice final : public MidiDevice {
public:
    AlsaPortDevice(AlsaMidiSystem &system, int client, int port, QString name);
    ~AlsaPortDevice() override;
    AlsaPortDevice(const AlsaPortDevice &) = delete;
    AlsaPortDevice &operator=(const AlsaPortDevice &) = delete;

    QString name() const override { return name_; }
    int open() override;
    int close() override;
    int send(uint32_t msg) override;
    QString errorText(int code) const override;

    int client() const { return client_; }
    int port() const { return port_; }
    void setName(const QString &name) { name_ = name; }

private:
    int output(const uint8_t *bytes, int length);
    void track(uint32_t msg);

    AlsaMidiSystem &system_;
    int client_;
    int port_;
    QString name_;
    int ownPort_ = -1;     // >= 0 while open
    snd_midi_event *encoder_ = nullptr;
    int lastErrno_ = 0;    // errno of the last failed ALSA call, for errorText
    std::array<std::bitset<128>, 16> sounding_{};
    std::array<std::bitset<2>, 16> pedals_{}; // sustain (bit 0) and sostenuto (bit 1) held down
};

// The list of writable sequencer ports, excluding our own client and the
// system client. Devices are kept for the whole run (the open one must stay
// valid when the list is refreshed); refresh() only re-reads which are listed.
class AlsaMidiSystem {
public:
    AlsaMidiSystem();
    ~AlsaMidiSystem();
    AlsaMidiSystem(const AlsaMidiSystem &) = delete;
    AlsaMidiSystem &operator=(const AlsaMidiSystem &) = delete;

    // Re-reads the ports; returns how many are listed.
    int refresh();
    int count() const { return int(listed_.size()); }
    // The port at `index` in the last listing (read now if there was none).
    AlsaPortDevice *device(int index);

    // The sequencer handle, opened on first use; nullptr when there is none.
    _snd_seq *sequencer();

private:
    _snd_seq *seq_ = nullptr;
    std::vector<std::unique_ptr<AlsaPortDevice>> pool_;
    std::vector<AlsaPortDevice *> listed_;
    bool everListed_ = false;
};

} // namespace dzq
