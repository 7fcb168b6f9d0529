// Playing from the computer keyboard and the performance clock: what a note
// key sends and records, the idle stop, the command keys, and that no key
// change or stop leaves a note hanging.
#include "Form1Fixture.h"

#include "keyboard/core/VirtualKeys.h"
#include "midi/HangingNotes.h"
#include "midi/SoundingNotes.h"
#include "platform/Resources.h"

#include <algorithm>

using namespace dzq;

namespace {

constexpr int KeyG = 71, KeyH = 72, KeyJ = 74, Key6 = 54; // KC, KD, KE, LC
constexpr int KeyS = 83, KeyD = 68, KeyQ = 81;
using Notes = std::vector<std::pair<int, int>>; // (channel, note)

class Playing : public test::Form1Test {
protected:
    Playing() { w.Check1->setValue(0); w.Check5->setValue(0); env.take(); }
    void press(int vk, int shift = 0) { w.SFYXYZ_KeyDown(vk, shift); }
    void lift(int vk) { w.SFYXYZ_KeyUp(vk, 0); }
    void tap(int vk) { press(vk); lift(vk); }
    void ticks(int n) { while (n-- > 0) w.Timer1_Timer(); }
    QString box() const { return w.Text3->toPlainText(); }
    bool shows(int key, int picture) const
    {
        return w.Picture1[std::size_t(key)]->picture().toImage() == LoadResPicture(picture).toImage();
    }
    // The notes the device was left sounding on channels first..last, as its
    // messages tell (hold pedals included).
    std::vector<HangingNote> hanging(int first = 0, int last = 15)
    {
        checker.observe(env.take());
        std::vector<HangingNote> out;
        for (const HangingNote &n : checker.hanging())
            if (n.channel >= first && n.channel <= last)
                out.push_back(n);
        return out;
    }
    HangingNoteChecker checker;
    static Notes soundingBelow(int channelEnd)
    {
        Notes out;
        for (const auto &cn : soundingNotes().list())
            if (cn.first < channelEnd)
                out.push_back(cn);
        return out;
    }
};

uint32_t msg(int status, int d1, int d2) { return packShortMsg(status, d1, d2); }

} // namespace

TEST_F(Playing, FirstNoteSoundsTheThreeVoicesAndStartsThePerformance)
{
    press(KeyG);
    // The silent release of offset 0 in the current key only (not at base 0),
    // then voices 0..2 with their pans and voice 2's lower doubling.
    EXPECT_EQ(env.take(), (std::vector<uint32_t>{
                              msg(0x80, 36, 0), msg(0x81, 36, 0), msg(0x82, 36, 0), msg(0x82, 31, 0),
                              msg(0xB0, 10, 64), msg(0x90, 60, 85), msg(0xB1, 10, 64), msg(0x91, 60, 70),
                              msg(0xB2, 10, 78), msg(0x92, 60, 55), msg(0xB2, 10, 78), msg(0x92, 55, 55)}));
    EXPECT_EQ(box(), QStringLiteral("KC"));
    EXPECT_EQ(w.XSWB->text(), LoadResString(415));
    EXPECT_TRUE(shows(24, WhiteKeyDownPicture));
    EXPECT_TRUE(w.Timer1->isRunning());
    EXPECT_EQ((std::array<int, 5>{CurStep, AccompStep, ChordStep, AccompTick, w.LiveNoteTicks}),
              (std::array<int, 5>{1, 1, 1, 1, 1}));
    press(KeyG); // a repeat of the held key
    EXPECT_TRUE(env.take().empty());
}

TEST_F(Playing, RecordsNotesRestsAndTheStopWithTheirLengths)
{
    tap(KeyG);
    tap(KeyH);
    tap(KeyJ); // before any tick of its note: 2, never 0
    ticks(7);
    tap(Key6); // 7 ticks record 8
    EXPECT_EQ(box(), QStringLiteral("KC2KD2KE8LC"));
    ticks(3);
    tap(vk::Back);
    EXPECT_EQ(soundingBelow(3), Notes{}) << "nor the lower doubling of LC";
    ticks(2);
    tap(KeyG); // the rest is timed from its own start
    ticks(8);
    tap(vk::Space);
    EXPECT_EQ(box(), QStringLiteral("KC2KD2KE8LC4XZ2KC8TZ"));
    EXPECT_EQ(ScoreText, box());
    EXPECT_FALSE(w.Timer1->isEnabled());
    EXPECT_EQ(soundingBelow(6), Notes{});

    w.Text3->setPlainText(QStringLiteral("KC8KD")); // the user's edit: recording appends
    tap(KeyH);
    EXPECT_EQ(box(), QStringLiteral("KC8KD8KD"));
}

TEST_F(Playing, PerformanceClockStopsAfter99IdleTicks)
{
    tap(KeyG);
    env.take();
    AccompTick = 31;
    ticks(2);
    EXPECT_EQ(env.take()[6], msg(0x83, 36, 0)) << "the chord voices off when AccompTick is 0";
    ticks(96);
    EXPECT_TRUE(w.Timer1->isEnabled());
    ticks(1);
    EXPECT_EQ(box(), QStringLiteral("KC99TZ"));
    EXPECT_EQ(ScoreText, box());
    EXPECT_FALSE(w.Timer1->isEnabled());
    EXPECT_EQ(soundingBelow(3), Notes{}) << "the live note ends with the performance";
    tap(KeyH); // a new performance behind the stop
    EXPECT_EQ(box(), QStringLiteral("KC99TZ99KD"));
}

TEST_F(Playing, ShiftAndCommandKeys)
{
    tap(KeyG);
    press(vk::Shift, ShiftBit);
    EXPECT_TRUE(w.Check5->value() == 1 && w.SyncToggle && !w.Timer1->isEnabled());
    press(vk::Shift, ShiftBit); // a repeat toggles nothing
    EXPECT_EQ(w.Check5->value(), 1);
    lift(vk::Shift);
    press(vk::Shift, ShiftBit);
    EXPECT_EQ(w.Check5->value(), 0);

    PresetTable[2][0] = 1;
    PresetTable[2][1] = 26;
    PresetTable[2][2] = 0;
    env.take();
    tap(vk::F1 + 2);
    auto sent = env.take();
    ASSERT_GE(sent.size(), 6u);
    EXPECT_EQ(std::vector<uint32_t>(sent.end() - 6, sent.end()),
              (std::vector<uint32_t>{msg(0xB0, 0, 0), msg(0xC0, 0, 0), msg(0xB1, 0, 0), msg(0xC1, 25, 0),
                                     msg(0xB2, 0, 0), msg(0xC2, -1, 0)}));
    PresetTable[11][0] = 500; // a damaged settings file leaves the voice alone
    tap(vk::F12);
    EXPECT_EQ(w.ComSounds[0]->listIndex(), 1);
    EXPECT_EQ(w.XSWB->text(), QStringLiteral("你已经选择了\r\n       乐器组合 12"));

    env.take();
    tap(KeyQ);
    EXPECT_EQ(env.take()[1], msg(0xC3, 11, 0));
    EXPECT_EQ(w.Combo1->listIndex(), 12);
    tap(KeyS);
    EXPECT_TRUE(KeyBase == 38 && w.PrevKeyBase == 36 && w.YD->listIndex() == 2);
    EXPECT_EQ(w.XSWB->text(), QStringLiteral("D调"));

    DrumKeyTable[3] = 5;
    RhythmStepTable[5][3].Msg = percussionMsg(40, 100);
    env.take();
    tap(vk::Numpad0 + 3);
    EXPECT_EQ(env.take(), (std::vector<uint32_t>{uint32_t(percussionMsg(40, 100))}));
    EXPECT_EQ(w.XSWB->text(), w.YQSZ[3]->itemText(5) + QStringLiteral("_打击乐"));
    DrumKeyTable[4] = 900; // outside the list: the display stays
    tap(vk::Numpad0 + 4);
    EXPECT_EQ(w.XSWB->text(), w.YQSZ[3]->itemText(5) + QStringLiteral("_打击乐"));
    press(vk::Decimal);
    press(vk::Decimal); // sounds again while held
    EXPECT_EQ(env.effects.beeps, 2);

    tap(vk::Add);
    EXPECT_TRUE(w.BZDS->isRunning());
    tap(vk::Subtract);
    EXPECT_FALSE(w.BZDS->isEnabled());
    w.Check5->setValue(1);
    tap(vk::Add);
    EXPECT_TRUE(w.Timer1->isRunning());
    tap(vk::Subtract);
    EXPECT_FALSE(w.Timer1->isEnabled());

    w.SFYXYZ_GotFocus();
    EXPECT_TRUE(std::none_of(w.KeyIsDown.begin(), w.KeyIsDown.end(), [](bool b) { return b; }));
}

TEST_F(Playing, NoKeyChangeOrStopLeavesANoteHanging)
{
    tap(KeyG); // 60 in C
    tap(KeyS);
    tap(KeyD); // two key changes: the next note ends the one struck in C too
    tap(KeyH);
    EXPECT_EQ(soundingBelow(3), (Notes{{0, 66}, {1, 66}, {2, 61}, {2, 66}}));
    tap(vk::Space);

    w.Check1->setValue(1); // released on key-up, whatever the key is by then
    press(KeyG);
    tap(KeyS);
    lift(KeyG);
    EXPECT_EQ(soundingBelow(3), Notes{});

    // Space stops a playing score and the third chord voice as well, and
    // draws the mouse's black key as a black key.
    w.LastNote = 1;
    w.Timer3->setInterval(107);
    w.Timer3->setEnabled(true);
    MidiNoteOn(5, 50, 60);
    tap(vk::Space);
    EXPECT_FALSE(w.Timer3->isEnabled());
    EXPECT_EQ(soundingBelow(16), Notes{});
    EXPECT_TRUE(shows(1, BlackKeyUpPicture));
}

// Found by the random sessions of StuckNotesTest.
TEST_F(Playing, LiveNotesEndWhateverReleaseOnKeyUpWasWhenTheyWereStruck)
{
    // Struck without "抬手静音" and let go: it sounds until the next note key,
    // also when the box has been ticked meanwhile.
    tap(KeyG);
    w.Check1->setValue(1);
    press(KeyH);
    EXPECT_EQ(hanging().size(), 4u) << "only the held note, on its four voices";
    lift(KeyH);
    EXPECT_TRUE(hanging().empty()) << qPrintable(describeHangingNotes(hanging()));

    // Held while the box changed both ways: the idle end of the performance
    // ends both notes.
    w.Check1->setValue(0);
    press(KeyG);
    w.Check1->setValue(1);
    press(KeyH);
    w.Check1->setValue(0);
    lift(KeyG);
    lift(KeyH);
    ticks(100);
    ASSERT_FALSE(w.Timer1->isEnabled());
    EXPECT_TRUE(hanging().empty()) << qPrintable(describeHangingNotes(hanging()));
}

TEST_F(Playing, KeypadMinusInSyncModeEndsTheChordVoices)
{
    w.Check5->setValue(1);
    tap(KeyG);
    ticks(11);
    ASSERT_FALSE(hanging(3, 5).empty()) << "the accompaniment sounds its chords";
    tap(vk::Subtract);
    EXPECT_FALSE(w.Timer1->isEnabled());
    EXPECT_TRUE(hanging(3, 5).empty()) << qPrintable(describeHangingNotes(hanging(3, 5)));
}

TEST_F(Playing, VibratoDoesNotHoldTheNoteSoundingWhenItIsSwitchedOn)
{
    // Its sostenuto pedal would hold the sustained live note through Space,
    // a device change and the exit.
    tap(KeyG);
    w.Check3[0]->setValue(1);
    w.Check3[2]->setValue(1);
    tap(vk::Space);
    EXPECT_TRUE(hanging().empty()) << qPrintable(describeHangingNotes(hanging()));
    tap(KeyH);
    tap(vk::Space);
    EXPECT_TRUE(hanging().empty()) << qPrintable(describeHangingNotes(hanging()));
}
