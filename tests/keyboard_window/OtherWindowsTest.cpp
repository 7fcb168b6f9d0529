// What another window asks of the keyboard window: its clocks held and
// restarted, the accompaniment inputs it holds, the device its list shows,
// its defaults put back after the editor, and the editor button's hook.
#include "Form1Fixture.h"

#include "keyboard/KeyboardWindowApi.h"
#include "midi/MidiOut.h"
#include "shared/Shared.h"

#include <vector>

using namespace dzq;

namespace {

using Msgs = std::vector<uint32_t>;

class OtherWindows : public test::Form1Test {
protected:
    KeyboardWindowApi &api() { return w; }
    std::vector<bool> running() const
    {
        std::vector<bool> out;
        for (const StepTimer *t : {w.Timer1, w.Timer2, w.Timer3, w.BZDS, w.HXYS})
            out.push_back(t->isEnabled());
        return out;
    }
};

uint32_t program(int channel, int p) { return packShortMsg(0xC0 + channel, p, 0); }
uint32_t bank(int channel) { return packShortMsg(0xB0 + channel, 0, 0); }

} // namespace

TEST_F(OtherWindows, SuspendStopsTheClocksThatRanAndResumeRestartsOnlyThose)
{
    w.BzQd->setValue(1); // the rhythm clock
    w.Timer1->setEnabled(true);
    ASSERT_EQ(running(), (std::vector<bool>{true, true, false, true, false}));
    api().suspendClocks();
    EXPECT_EQ(running(), (std::vector<bool>(5, false)));
    api().suspendClocks(); // a second suspend does not forget which ran
    api().resumeClocks();
    EXPECT_EQ(running(), (std::vector<bool>{true, true, false, true, false}));
    EXPECT_EQ(w.BZDS->interval(), StepMs);
    w.BZDS->setEnabled(false);
    api().resumeClocks(); // nothing suspended: nothing restarted
    EXPECT_FALSE(w.BZDS->isEnabled());
}

TEST_F(OtherWindows, SnapshotOfTheAccompanimentInputsAndTheDeviceShown)
{
    w.BZA[0]->setValue(1);
    w.BZB[16]->setValue(1);
    w.BZC[5]->setValue(0);
    w.LblInst[1]->setListIndex(9);
    w.Combo2->setListIndex(33);
    w.SD->setText(QStringLiteral("88"));
    const AccompanimentInputs in = api().accompanimentInputs();
    EXPECT_EQ(in.chordSeq, ChordSeq);
    EXPECT_EQ(in.chordSeqLen, ChordSeqLen);
    EXPECT_GT(in.chordSeqLen, 0);
    for (std::size_t i = 0; i < 17; ++i) {
        EXPECT_EQ(in.rhythmCells[0][i], w.BZA[i]->value()) << i;
        EXPECT_EQ(in.rhythmCells[1][i], w.BZB[i]->value()) << i;
        EXPECT_EQ(in.rhythmCells[2][i], w.BZC[i]->value()) << i;
    }
    EXPECT_EQ((std::array<int, 3>{in.rhythmCells[0][0], in.rhythmCells[1][16], in.rhythmCells[2][5]}),
              (std::array<int, 3>{1, 1, 0}));
    EXPECT_EQ(in.laneInstrument, (std::array<int, 3>{w.LblInst[0]->listIndex(), 9, w.LblInst[2]->listIndex()}));
    EXPECT_EQ(in.chordInstrument, (std::array<int, 3>{w.Combo1->listIndex(), 33, w.Combo3->listIndex()}));
    EXPECT_EQ(in.tempoIndex, -1);
    EXPECT_EQ(in.tempoText, QStringLiteral("88"));
    w.SD->setListIndex(3);
    EXPECT_EQ(api().accompanimentInputs().tempoIndex, 3);
    EXPECT_EQ(api().accompanimentInputs().tempoText, w.SD->itemText(3));

    EXPECT_EQ(api().selectedOutputDevice(), -1);
    env.midi.devices.push_back(std::make_unique<test::RecordingDevice>());
    ListMidiOutDevices(*w.ComDevies);
    w.ComDevies->setListIndex(1);
    EXPECT_EQ(api().selectedOutputDevice(), 0);
    EXPECT_EQ(openMidiOutId(), 0);
    w.ComDevies->clear();
    EXPECT_LT(api().selectedOutputDevice(), -1);
}

TEST_F(OtherWindows, RestoringTheDefaultsAfterTheEditor)
{
    // What an editor leaves: other instruments, volumes, key and tempo, its
    // own percussion notes in the lanes and in its extra lines.
    w.ComSounds[0]->setListIndex(1);
    w.Combo2->setListIndex(9);
    w.Zxlyl[1]->setListIndex(0);
    w.HxYL->setListIndex(6);
    w.YD->setListIndex(7);
    w.SD->setListIndex(1);
    w.VsbVol->setListIndex(1);
    w.LblInst[0]->setListIndex(3);
    w.LblInst[1]->setListIndex(11);
    w.LblInst[2]->setListIndex(7);
    KeyBase = 50;
    StepMs = 60;
    for (std::size_t r = 0; r < 5; ++r)
        for (std::size_t s : {0u, 7u, 15u, 16u, 40u})
            RhythmStepTable[r][s] = RhythmCell{-1, 60, 30, percussionMsg(60, 30)};
    env.take();

    api().RestoreKeyboardDefaults();

    // The handlers' program changes in the order of the choices, then the
    // six channels once more.
    const Msgs choices{bank(0), program(0, 51), bank(1), program(1, 14), bank(2), program(2, 78),
                       bank(3), program(3, 24), bank(3), program(3, 24), // xuanyue, then Combo1 from it
                       bank(3), program(3, 3),  bank(4), program(4, 34), bank(5), program(5, 46)};
    const Msgs programs{bank(0), program(0, 51), bank(1), program(1, 14), bank(2), program(2, 78),
                        bank(3), program(3, 3),  bank(4), program(4, 34), bank(5), program(5, 46)};
    Msgs want = choices;
    want.insert(want.end(), programs.begin(), programs.end());
    EXPECT_EQ(env.take(), want);

    EXPECT_EQ((std::array<int, 10>{w.ComSounds[0]->listIndex(), w.ComSounds[1]->listIndex(),
                                   w.ComSounds[2]->listIndex(), w.xuanyue->listIndex(), w.HxYL->listIndex(),
                                   w.Combo1->listIndex(), w.Combo2->listIndex(), w.Combo3->listIndex(),
                                   w.YD->listIndex(), w.SD->listIndex()}),
              (std::array<int, 10>{52, 15, 79, 25, 2, 4, 35, 47, 0, 6}));
    EXPECT_EQ((std::array<int, 3>{w.Zxlyl[0]->listIndex(), w.Zxlyl[1]->listIndex(), w.Zxlyl[2]->listIndex()}),
              (std::array<int, 3>{4, 3, 2}));
    EXPECT_EQ((std::array<int, 3>{MelodyProgram[0], MelodyProgram[1], MelodyProgram[2]}),
              (std::array<int, 3>{52, 15, 79}));
    EXPECT_EQ((std::array<int, 4>{VoiceVelocity[0], VoiceVelocity[1], VoiceVelocity[2], VoiceVelocity[3]}),
              (std::array<int, 4>{85, 70, 55, 55}));
    EXPECT_EQ(KeyBase, 36);
    EXPECT_EQ(StepMs, 107);
    EXPECT_EQ(w.VsbVol->listIndex(), 5);

    // Lanes 0..2, steps 0..15: the lane's instrument at the rhythm volume,
    // sounding where the editor left them sounding; beyond step 15 and in
    // the editor's extra lines nothing changes.
    for (std::size_t r = 0; r < 3; ++r) {
        const int note = w.LblInst[r]->listIndex() + 35;
        for (std::size_t s : {0u, 7u, 15u}) {
            const RhythmCell &c = RhythmStepTable[r][s];
            EXPECT_EQ((std::array<int, 3>{c.On, c.Note, c.Msg}), (std::array<int, 3>{-1, note, percussionMsg(note, 100)}))
                << r << ' ' << s;
        }
        EXPECT_EQ(RhythmStepTable[r][40].Msg, percussionMsg(60, 30));
    }
    EXPECT_EQ(RhythmStepTable[0][0].Note, 3 + 35);
    for (std::size_t r : {3u, 4u})
        EXPECT_EQ((std::array<int, 3>{RhythmStepTable[r][0].On, RhythmStepTable[r][0].Note, RhythmStepTable[r][0].Msg}),
                  (std::array<int, 3>{-1, 60, percussionMsg(60, 30)}));
}

TEST_F(OtherWindows, EditorButtonTakesTheScoreAlongThenCallsTheHook)
{
    w.BJCK_Click(); // no hook: nothing more
    EXPECT_TRUE(w.isVisible());
    w.Text3->setPlainText(QStringLiteral("KC2KD2"));
    QString seen;
    w.openEditor = [&] { seen = ScoreText; };
    w.BJCK_Click();
    EXPECT_EQ(seen, QStringLiteral("KC2KD2"));
    EXPECT_FALSE(w.isVisible());
    // The editor's way back shows the window again, and its activation runs.
    w.Text6->clear();
    api().showKeyboardWindow();
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.Text6->toPlainText().isEmpty()) << "a new progression drawn";
}
