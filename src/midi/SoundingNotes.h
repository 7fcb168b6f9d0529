#pragma once
// Which notes sound on which channel, followed from the short messages sent:
// a note-on with a velocity above 0 starts a note, a note-off (or a note-on
// with velocity 0) ends it. The MIDI layer keeps one of these for the open
// device so that stop paths can end what is really sounding, whatever key the
// note was struck in; checkers of recorded message streams use it as well.
#include <bitset>
#include <cstdint>
#include <utility>
#include <vector>

namespace dzq {

class SoundingNotes {
public:
    // Follows one packed short message; anything but a note message on a
    // valid channel and note number is ignored.
    void observe(uint32_t msg);
    bool sounding(int channel, int note) const;
    bool anySounding() const;
    // (channel, note) of every sounding note, channel by channel, low notes first.
    std::vector<std::pair<int, int>> list() const;
    void clear();

private:
    std::bitset<16 * 128> on_;
};

} // namespace dzq
