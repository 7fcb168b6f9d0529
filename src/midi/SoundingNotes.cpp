#include "midi/SoundingNotes.h"

namespace dzq {

void SoundingNotes::observe(uint32_t msg)
{
    const int status = int(msg & 0xFF);
    const int note = int((msg >> 8) & 0xFF);
    const int velocity = int((msg >> 16) & 0xFF);
    // Bytes above the data range never reach a note (the device drops them).
    if (note > 127 || (msg >> 24) != 0)
        return;
    const int kind = status & 0xF0;
    const int channel = status & 0x0F;
    if (kind == 0x90 && velocity > 0 && velocity <= 127)
        on_.set(std::size_t(channel * 128 + note));
    else if (kind == 0x80 || (kind == 0x90 && velocity == 0))
        on_.reset(std::size_t(channel * 128 + note));
}

bool SoundingNotes::sounding(int channel, int note) const
{
    if (channel < 0 || channel > 15 || note < 0 || note > 127)
        return false;
    return on_.test(std::size_t(channel * 128 + note));
}

bool SoundingNotes::anySounding() const { return on_.any(); }

std::vector<std::pair<int, int>> SoundingNotes::list() const
{
    std::vector<std::pair<int, int>> out;
    for (int c = 0; c < 16; ++c)
        for (int n = 0; n < 128; ++n)
            if (on_.test(std::size_t(c * 128 + n)))
                out.emplace_back(c, n);
    return out;
}

void SoundingNotes::clear() { on_.reset(); }

} // namespace dzq
