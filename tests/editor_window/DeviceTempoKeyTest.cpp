// The editor's device, tempo and key lists, and the settings controls'
// messages.
#include "YYBJFixture.h"

namespace dzq::test {

TEST_F(YYBJTest, ATypedTempoCountsWhenTheBoxIsLeftAndOnlyWithin50To255)
{
    const struct {
        const char *typed;
        int stepMs;
        const char *shown;
    } cases[] = {
        {"100", 150, "100"},
        {"300", 150, "100"}, // refused: the tempo in force goes back
        {"80abc", 187, "80abc"},
        {"", 187, "80"},
    };
    for (const auto &c : cases) {
        w->DQSUDU->setText(QString::fromLatin1(c.typed));
        w->DQSUDU_LostFocus();
        EXPECT_EQ(StepMs, c.stepMs) << c.typed;
        EXPECT_EQ(w->DQSUDU->text(), QString::fromLatin1(c.shown)) << c.typed;
    }
    // The list's own 40 stays in force although a typed 40 would not.
    w->DQSUDU->setListIndex(0);
    w->DQSUDU_LostFocus();
    EXPECT_EQ(StepMs, 375);
    EXPECT_EQ(w->DQSUDU->text(), QStringLiteral("40"));
}

TEST_F(YYBJTest, KeyAndDeviceChoices)
{
    w->DQYD->setListIndex(11);
    EXPECT_EQ(KeyBase, 47);

    // A device chosen gets the programs of the melody lines that sound.
    w->SYYQ[2]->setListIndex(0);
    env.take();
    env.midi.devices.push_back(std::make_unique<RecordingDevice>(QStringLiteral("外接")));
    ListMidiOutDevices(*w->ComDevies);
    w->ComDevies->setListIndex(1);
    EXPECT_EQ(openMidiOutId(), 0);
    std::vector<uint32_t> expected;
    for (int line : {0, 1, 3, 4, 5, 6}) {
        const int program = w->SYYQ[std::size_t(line)]->listIndex() - 1;
        expected.push_back(msg(0xB0 + line, 0, 0));
        expected.push_back(msg(0xC0 + line, program, 0));
    }
    EXPECT_EQ(env.midi.devices[0]->sent, expected);
}

TEST_F(YYBJTest, ATypedVolumeNeverWidensItsRecordField)
{
    w->YQYL[9]->setText(QStringLiteral("999"));
    w->YQYL_Click(9);
    EXPECT_EQ(LineVolume[9], 255);
    w->HScroll3->setValue(10);
    // The depth sets where the expression starts; a volume sends it.
    env.take();
    w->YQYL[4]->setListIndex(2);
    EXPECT_EQ(env.take(), std::vector<uint32_t>{msg(0xB0, 11, 0)});
}

} // namespace dzq::test
