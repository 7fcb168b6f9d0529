#pragma once
// The --midi-log tap: every packed message handed to the open device becomes a
// line "<ms since program start, three decimals> <8 upper-case hex digits>",
// e.g. "12.345 00553C90". A background thread writes the lines every few
// milliseconds, so recording never waits for the disk.
#include "midi/MidiOut.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace dzq {

class MidiLogFile final : public MidiTap {
public:
    // Appends to path (created when missing).
    explicit MidiLogFile(const QString &path);
    // Writes every line recorded so far before it returns.
    ~MidiLogFile() override;
    MidiLogFile(const MidiLogFile &) = delete;
    MidiLogFile &operator=(const MidiLogFile &) = delete;

    bool isOpen() const;
    QString errorString() const;

    // Safe from any thread; takes a brief lock, no I/O.
    void record(uint32_t msg) override;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Microseconds since program start on the log's clock.
int64_t midiLogClockMicros();

// One line (without its line end) for a time and a message.
std::string midiLogLine(int64_t micros, uint32_t msg);

struct MidiLogEntry {
    int64_t micros = 0;
    uint32_t msg = 0;
};

// Reads one line of the log; a trailing CR is allowed. nullopt when the line
// is not in the log's format.
std::optional<MidiLogEntry> parseMidiLogLine(std::string_view line);

} // namespace dzq
