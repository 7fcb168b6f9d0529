// The hanging-note checker over a message stream and over a --midi-log file.
#include "midi/HangingNotes.h"

#include "midi/MidiOut.h"
#include "midi/devices/MidiLogFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace dzq;

namespace {

uint32_t msg(int status, int d1, int d2) { return packShortMsg(status, d1, d2); }

} // namespace

TEST(HangingNotes, FollowsNoteOnsAndBothKindsOfNoteOff)
{
    const std::vector<uint32_t> stream{
        msg(0x90, 60, 85),  // 0: ends with a note-off
        msg(0x92, 55, 55),  // 1: ends with a note-on of velocity 0
        msg(0x93, 48, 55),  // 2: struck again below, hangs from there
        msg(0xB3, 48, 10),  // 3: a controller naming the same number
        msg(0x80, 60, 0),
        msg(0x92, 55, 0),
        msg(0x93, 48, 60),  // 6
        msg(0x99, 36, 100), // 7: percussion ends by itself
        msg(0x81, 200, 0),  // 8: no note
        msg(0x91, 64, 0x80), // 9: velocity beyond a data byte: nothing struck
        msg(0x85, 70, 0),   // 10: a note-off of a silent note
    };
    EXPECT_EQ(hangingNotes(stream), (std::vector<HangingNote>{{3, 48, 6}}));
    EXPECT_EQ(hangingNotes(stream, true), (std::vector<HangingNote>{{3, 48, 6}, {9, 36, 7}}));
    EXPECT_EQ(describeHangingNotes(hangingNotes(stream)), QStringLiteral("channel 3 note 48 (struck by message 6)\n"));

    HangingNoteChecker checker;
    checker.observe(stream);
    checker.observe(msg(0x83, 48, 0));
    EXPECT_TRUE(checker.hanging().empty());
    EXPECT_EQ(checker.seen(), stream.size() + 1);
}

TEST(HangingNotes, HoldPedalsKeepEndedNotesSounding)
{
    HangingNoteChecker checker;
    // Sustain: everything ended while it is down sounds until it comes up.
    checker.observe({msg(0xB0, 64, 127), msg(0x90, 60, 80), msg(0x80, 60, 0)});
    EXPECT_EQ(checker.hanging(), (std::vector<HangingNote>{{0, 60, 1}}));
    checker.observe(msg(0xB0, 64, 0));
    EXPECT_TRUE(checker.hanging().empty());

    // Sostenuto catches only what sounds when it goes down, on its channel.
    checker.observe({msg(0x91, 62, 80), msg(0x92, 62, 80), msg(0xB1, 66, 100), msg(0x91, 64, 80)});
    checker.observe({msg(0x81, 62, 0), msg(0x82, 62, 0), msg(0x81, 64, 0)});
    EXPECT_EQ(checker.hanging(), (std::vector<HangingNote>{{1, 62, 4}}));
    checker.observe(msg(0xB1, 66, 100)); // still down: nothing changes
    checker.observe({msg(0x91, 62, 80), msg(0x81, 62, 0)}); // struck again: a new sound, not caught
    EXPECT_TRUE(checker.hanging().empty());
    checker.observe({msg(0xB1, 66, 20), msg(0x91, 65, 80), msg(0xB1, 66, 100), msg(0xB1, 64, 127)});
    checker.observe({msg(0x81, 65, 0), msg(0xB1, 66, 20)});
    EXPECT_EQ(checker.hanging().size(), 1u) << "the sustain pedal still holds it";
    checker.observe(msg(0xB1, 64, 0));
    EXPECT_TRUE(checker.hanging().empty());
}

TEST(HangingNotes, ReadsTheMessageLog)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("演奏.log"));
    {
        MidiLogFile log(path);
        ASSERT_TRUE(log.isOpen());
        for (const uint32_t m : {msg(0x90, 60, 85), msg(0x91, 62, 70), msg(0x80, 60, 0)})
            log.record(m);
    }
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("garbage\r\n\r\n1.000 00003E81\r\n"); // a CR LF line ends the note as well
    }
    const MidiLogMessages read = readMidiLogMessages(path);
    ASSERT_TRUE(read.ok);
    EXPECT_EQ(read.badLines, 1);
    EXPECT_EQ(read.msgs, (std::vector<uint32_t>{msg(0x90, 60, 85), msg(0x91, 62, 70), msg(0x80, 60, 0), msg(0x81, 62, 0)}));
    EXPECT_TRUE(hangingNotes(read.msgs).empty());

    const MidiLogMessages missing = readMidiLogMessages(dir.filePath(QStringLiteral("无.log")));
    EXPECT_FALSE(missing.ok);
    EXPECT_FALSE(missing.error.isEmpty());
}
