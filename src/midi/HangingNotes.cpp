#include "midi/HangingNotes.h"

#include "midi/devices/MidiLogFile.h"

#include <QFile>

namespace dzq {

void HangingNoteChecker::observe(uint32_t msg)
{
    const int channel = int(msg & 0x0F);
    const int note = int((msg >> 8) & 0xFF);
    const bool before = sounding_.sounding(channel, note);
    sounding_.observe(msg);
    // A note struck again while it sounds is dated from its last strike.
    const int velocity = int((msg >> 16) & 0xFF);
    const bool strike = (msg & 0xF0) == 0x90 && velocity > 0 && velocity <= 127 && (msg >> 24) == 0;
    if (sounding_.sounding(channel, note) && (!before || strike))
        struckAt_[std::size_t(channel * 128 + note)] = seen_;
    ++seen_;
}

void HangingNoteChecker::observe(const std::vector<uint32_t> &msgs)
{
    for (const uint32_t m : msgs)
        observe(m);
}

std::vector<HangingNote> HangingNoteChecker::hanging(bool withPercussion) const
{
    std::vector<HangingNote> out;
    for (const auto &[channel, note] : sounding_.list())
        if (withPercussion || channel != PercussionChannel)
            out.push_back({channel, note, struckAt_[std::size_t(channel * 128 + note)]});
    return out;
}

void HangingNoteChecker::clear()
{
    sounding_.clear();
    seen_ = 0;
}

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
