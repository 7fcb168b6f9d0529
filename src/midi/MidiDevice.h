#pragma once
// One MIDI output device behind a common interface: the built-in synthesizer,
// an ALSA sequencer port, or a test double. Results are 0 for success and a
// device-specific nonzero code otherwise; errorText() turns a code into a
// readable (Chinese) text.
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace dzq {

class MidiDevice {
public:
    virtual ~MidiDevice() = default;

    virtual QString name() const = 0;
    virtual int open() = 0;
    virtual int close() = 0;
    // Hands one packed short message to the device (low byte = status).
    virtual int send(uint32_t msg) = 0;
    virtual QString errorText(int code) const = 0;
};

// True when the message can travel on a MIDI cable: a channel-voice status
// (0x80..0xEF) and data bytes of 0..0x7F for the bytes that status uses.
bool isWireSafe(uint32_t msg);

// Number of data bytes a channel-voice status carries (1 for program change
// and channel pressure, else 2).
int dataBytesOf(uint8_t status);

// Error codes shared by our devices. Devices may add their own above 100.
enum MidiResult : int {
    MidiOk = 0,
    MidiErrNotOpen = 1,      // no device is open / handle invalid
    MidiErrNoDevice = 2,     // the device id does not exist
    MidiErrNoSoundfont = 3,  // the built-in synthesizer has no instruments
    MidiErrDeviceLost = 4,   // the device went away while in use
    MidiErrOpenFailed = 5,   // the device could not be opened
};

// Text for the shared codes; devices fall back to it.
QString midiResultText(int code);

// What the platform offers as MIDI outputs: an optional "mapper" entry (id -1,
// here the built-in synthesizer) and numbered devices 0..count-1. A device
// whose capabilities cannot be read is returned as nullptr and skipped.
class MidiSystem {
public:
    virtual ~MidiSystem() = default;
    virtual MidiDevice *mapper() = 0;
    // Reads the devices again and numbers them.
    virtual int deviceCount() = 0;
    // Device `id` as numbered by the last deviceCount(), even if it has gone
    // since (its open() then fails), or nullptr.
    virtual MidiDevice *device(int id) = 0;
};

// The outputs of a tool or benchmark that plays through one device: it is the
// mapper, and no port is listed.
class SingleDeviceSystem final : public MidiSystem {
public:
    explicit SingleDeviceSystem(MidiDevice &device) : device_(device) {}
    MidiDevice *mapper() override { return &device_; }
    int deviceCount() override { return 0; }
    MidiDevice *device(int) override { return nullptr; }

private:
    MidiDevice &device_;
};

} // namespace dzq
