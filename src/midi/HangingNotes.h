#pragma once
// Finds the notes a stream of sent messages leaves sounding: the messages a
// device received, or a --midi-log file. Note messages are followed as the
// device follows them (SoundingNotes), and so are the two hold pedals a
// synthesizer obeys: a note ended while the sustain pedal (controller 64) is
// down, or one that was sounding when the sostenuto pedal (66) went down and
// is ended while it stays down, sounds on until that pedal comes up. What
// still sounds at the end hangs. Percussion (channel 9) is left out unless
// asked for: a drum sound ends by itself and the program sends it no note-off.
#include "midi/SoundingNotes.h"

#include <QString>

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace dzq {

constexpr int PercussionChannel = 9;

struct HangingNote {
    int channel = 0;
    int note = 0;
    std::size_t struckAt = 0; // index in the stream of the note-on that started it
    bool operator==(const HangingNote &) const = default;
};

class HangingNoteChecker {
public:
    void observe(uint32_t msg);
    void observe(const std::vector<uint32_t> &msgs);
    // Channel by channel, low notes first.
    std::vector<HangingNote> hanging(bool withPercussion = false) const;
    std::size_t seen() const { return seen_; }
    void clear();

private:
    void pedal(int channel, int controller, bool down);
    SoundingNotes keys_;          // struck and not yet ended
    std::bitset<16 * 128> held_;  // ended, but held by a pedal
    std::bitset<16 * 128> latched_; // caught by a sostenuto pedal that is down
    std::array<bool, 16> sustain_{};
    std::array<bool, 16> sostenuto_{};
    std::array<std::size_t, 16 * 128> struckAt_{};
    std::size_t seen_ = 0;
};

// The notes msgs leaves sounding.
std::vector<HangingNote> hangingNotes(const std::vector<uint32_t> &msgs, bool withPercussion = false);

// "channel 2 note 31 (struck by message 17)", one note a line.
QString describeHangingNotes(const std::vector<HangingNote> &notes);

// The messages of a --midi-log file in their order. Lines not in the log's
// format are skipped and counted; ok is false (with error) when the file
// cannot be read.
struct MidiLogMessages {
    std::vector<uint32_t> msgs;
    int badLines = 0;
    bool ok = false;
    QString error;
};
MidiLogMessages readMidiLogMessages(const QString &path);

} // namespace dzq
