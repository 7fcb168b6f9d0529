// Opening the editor (the defaults of every line with the messages they send)
// and the way back to the keyboard window.
#include "YYBJFixture.h"

#include "platform/Resources.h"

#include <QCloseEvent>

namespace dzq::test {

namespace {

void programChange(std::vector<uint32_t> &out, int channel, int program)
{
    out.push_back(msg(0xB0 + channel, 0, 0));
    out.push_back(msg(0xC0 + channel, program, 0));
}

constexpr std::array<int, 7> DefaultPrograms{0, 49, 78, 82, 34, 24, 4};

class EditorOpening : public YYBJTest {
protected:
    EditorOpening() : YYBJTest(false) {}
};

} // namespace

TEST_F(EditorOpening, FirstOpeningSetsEveryLineAndSendsItsMessagesInOrder)
{
    openEditor();

    std::vector<uint32_t> expected;
    // Line instruments 0..6, then twelve volumes (expression 120 on channel
    // 0 each), then the programs again, then once more after the device
    // opened, then the controller resets of the activation.
    for (std::size_t i = 0; i < DefaultPrograms.size(); ++i)
        programChange(expected, int(i), DefaultPrograms[i]);
    for (int v = 0; v < 12; ++v)
        expected.push_back(msg(0xB0, 11, 120));
    for (int round = 0; round < 2; ++round)
        for (std::size_t i = 0; i < DefaultPrograms.size(); ++i)
            programChange(expected, int(i), DefaultPrograms[i]);
    expected.push_back(msg(0xB0, 11, 120));
    for (int c = 0; c < 3; ++c)
        expected.push_back(msg(0xB0 + c, 1, 0));
    EXPECT_EQ(env.take(), expected);

    const std::array<int, 12> instruments{1, 50, 79, 83, 35, 25, 5, 1, 3, 4, 41, 17};
    const std::array<int, 12> volumes{80, 80, 80, 80, 60, 60, 60, 80, 80, 80, 80, 60};
    for (std::size_t i = 0; i < 12; ++i) {
        EXPECT_EQ(w->SYYQ[i]->listIndex(), instruments[i]) << i;
        EXPECT_EQ(w->YQYL[i]->text(), QString::number(volumes[i])) << i;
        EXPECT_EQ(LineVolume[i], volumes[i]) << i;
    }
    // Percussion lines carry their notes at the steps of the measure shown.
    const std::array<int, 5> notes{36, 38, 39, 76, 52};
    for (std::size_t r = 0; r < notes.size(); ++r) {
        EXPECT_EQ(RhythmStepTable[r][0].Note, notes[r]);
        EXPECT_EQ(RhythmStepTable[r][15].Note, notes[r]);
    }
    EXPECT_EQ(KeyBase, 36);
    EXPECT_EQ(StepMs, 214);
    EXPECT_EQ(w->DQSUDU->text(), QStringLiteral("70"));
    EXPECT_EQ(w->ComDevies->listIndex(), 0);
}

TEST_F(EditorOpening, EveryOpeningStartsFromTheDefaultsWithTheSongCleared)
{
    openEditor();
    w->DQYD->setListIndex(11);
    w->DQSUDU->setListIndex(12);
    w->SYYQ[2]->setListIndex(0);
    w->YF1[0]->setText(QStringLiteral("KC"));
    w->YF1_LostFocus(0);
    programSong().TotalMeasures = 3;
    w->close();
    deletePending();
    ASSERT_TRUE(w.isNull());

    openEditor();
    EXPECT_EQ(KeyBase, 36);
    EXPECT_EQ(StepMs, 214);
    EXPECT_EQ(w->SYYQ[2]->listIndex(), 79);
    EXPECT_EQ(programSong().TotalMeasures, 0);
    // Measure 0 is cleared too, though the song had only that one.
    EXPECT_TRUE(programSong().StepArr[0][0].isEmpty());
    EXPECT_EQ(programSong().NoteArr[0][0], HoldCode);
    EXPECT_TRUE(programSong().MeasureArr[0][0].isEmpty());
}

TEST_F(YYBJTest, LeavingHandsTheKeyboardItsDeviceRhythmAndDefaultsBack)
{
    env.midi.devices.push_back(std::make_unique<RecordingDevice>(QStringLiteral("外接")));
    keyboard.device = 0;
    w->DQYD->setListIndex(4); // E: the silence follows the key in force
    for (int s = 0; s < 16; ++s)
        for (auto &record : RhythmStepTable)
            record[std::size_t(s)].On = -1;
    CurStep = 40;
    AccompStep = 3;
    ChordStep = 2;
    NoteTick = 5;
    AccompTick = 7;
    int deviceAtRestore = -2;
    keyboard.onRestore = [&] { deviceAtRestore = openMidiOutId(); };
    env.take();

    w->TUICHU->click();

    std::vector<uint32_t> silence;
    for (int c = 0; c < 7; ++c)
        for (int n = 0; n <= 64; ++n)
            silence.push_back(msg(0x80 + c, 40 + n, 0));
    EXPECT_EQ(env.take(), silence);
    EXPECT_EQ(keyboard.restores, 1);
    EXPECT_EQ(keyboard.shows, 1);
    EXPECT_EQ(deviceAtRestore, 0);
    EXPECT_EQ(openMidiOutId(), 0);
    EXPECT_EQ(CurStep, 0);
    EXPECT_EQ(AccompStep, 0);
    EXPECT_EQ(ChordStep, 1);
    EXPECT_EQ(NoteTick, 0);
    EXPECT_EQ(AccompTick, 0);
    // Records 3 and 4 silenced, the others left as they were.
    for (std::size_t s = 0; s < 16; ++s)
        for (std::size_t r = 0; r < 5; ++r)
            EXPECT_EQ(RhythmStepTable[r][s].On, r >= 3 ? 0 : -1) << r << " " << s;
    deletePending();
    EXPECT_TRUE(w.isNull());
}

TEST_F(YYBJTest, TheCloseBoxLeavesOnceLikeTheExitButton)
{
    keyboard.device = -1;
    const int opens = env.synth().opens;
    QCloseEvent event;
    QCoreApplication::sendEvent(w, &event);
    w->TUICHU_Click();
    EXPECT_EQ(keyboard.restores, 1);
    EXPECT_EQ(keyboard.shows, 1);
    // The device in use is the keyboard's already: not reopened.
    EXPECT_EQ(env.synth().opens, opens);
    deletePending();
    EXPECT_TRUE(w.isNull());
}

TEST_F(YYBJTest, HelpShowsTheEditorsTextAndClosesByItself)
{
    w->BZWJ->click();
    ASSERT_EQ(env.messages.shown.size(), 1u);
    EXPECT_EQ(env.messages.shown[0].text, LoadResString(99));
    EXPECT_EQ(env.messages.shown[0].timeoutMs, 5000);
}

} // namespace dzq::test
