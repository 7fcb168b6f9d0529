#include "midi/HangingNotes.h"

#include "midi/devices/MidiLogFile.h"

#include <QFile>

namespace dzq {

namespace {

constexpr int SustainPedal = 64;
constexpr int SostenutoPedal = 66;

std::size_t slot(int channel, int note) { return std::size_t(channel * 128 + note); }

} // namespace

void HangingNoteChecker::observe(uint32_t msg)
{
    const int kind = int(msg & 0xF0);
    const int channel = int(msg & 0x0F);
    const int d1 = int((msg >> 8) & 0xFF);
    const int d2 = int((msg >> 16) & 0xFF);
    ++seen_;
    // Bytes above the data range are dropped by the device.
    if ((msg >> 24) != 0 || d1 > 127 || d2 > 127)
        return;
    if (kind == 0xB0) {
        if (d1 == SustainPedal || d1 == SostenutoPedal)
            pedal(channel, d1, d2 >= 64);
        return;
    }
    const bool wasDown = keys_.sounding(channel, d1);
    keys_.observe(msg);
    const bool isDown = keys_.sounding(channel, d1);
    if (kind == 0x90 && d2 > 0) {
        // A new strike is a new sound, which no earlier pedal caught.
        held_.reset(slot(channel, d1));
        latched_.reset(slot(channel, d1));
        struckAt_[slot(channel, d1)] = seen_ - 1;
    } else if (wasDown && !isDown && (sustain_[std::size_t(channel)] || latched_[slot(channel, d1)])) {
        held_.set(slot(channel, d1));
    }
}

void HangingNoteChecker::pedal(int channel, int controller, bool down)
{
    const auto c = std::size_t(channel);
    bool &state = controller == SustainPedal ? sustain_[c] : sostenuto_[c];
    if (state == down)
        return;
    state = down;
    for (int note = 0; note < 128; ++note) {
        const std::size_t i = slot(channel, note);
        if (controller == SostenutoPedal) {
            // Going down it catches the notes sounding now; coming up it lets go.
            latched_[i] = down && keys_.sounding(channel, note);
            if (down)
                continue;
        } else if (down) {
            continue;
        }
        if (held_[i] && !sustain_[c] && !latched_[i])
            held_.reset(i);
    }
}

void HangingNoteChecker::observe(const std::vector<uint32_t> &msgs)
{
    for (const uint32_t m : msgs)
        observe(m);
}

std::vector<HangingNote> HangingNoteChecker::hanging(bool withPercussion) const
{
    std::vector<HangingNote> out;
    for (int channel = 0; channel < 16; ++channel)
        for (int note = 0; note < 128; ++note)
            if ((keys_.sounding(channel, note) || held_[slot(channel, note)])
                && (withPercussion || channel != PercussionChannel))
                out.push_back({channel, note, struckAt_[slot(channel, note)]});
    return out;
}

void HangingNoteChecker::clear() { *this = HangingNoteChecker(); }

std::vector<HangingNote> hangingNotes(const std::vector<uint32_t> &msgs, bool withPercussion)
{
    HangingNoteChecker checker;
    checker.observe(msgs);
    return checker.hanging(withPercussion);
}

QString describeHangingNotes(const std::vector<HangingNote> &notes)
{
    QString out;
    for (const HangingNote &n : notes)
        out += QStringLiteral("channel %1 note %2 (struck by message %3)\n").arg(n.channel).arg(n.note).arg(n.struckAt);
    return out;
}

MidiLogMessages readMidiLogMessages(const QString &path)
{
    MidiLogMessages out;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        out.error = file.errorString();
        return out;
    }
    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        if (line.endsWith('\n'))
            line.chop(1);
        if (const auto entry = parseMidiLogLine(std::string_view(line.constData(), std::size_t(line.size()))))
            out.msgs.push_back(entry->msg);
        else if (!line.isEmpty() && line != "\r")
            ++out.badLines;
    }
    out.ok = true;
    return out;
}

} // namespace dzq
