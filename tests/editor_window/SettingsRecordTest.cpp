// The settings of a measure stored with the save button and put back in force
// when the measure is shown again.
#include "YYBJFixture.h"

#include "editor/core/MeasureRecord.h"
#include "platform/TextFile.h"

#include <algorithm>

namespace dzq::test {

namespace {

uint32_t msg(int status, int data1, int data2) { return packShortMsg(status, data1, data2); }

} // namespace

TEST_F(YYBJTest, AMeasuresSettingsComeBackWithItAndOthersCarryOn)
{
    // Measure 300 (beyond the old 256-entry tables) with its own settings.
    env.messages.inputs.push_back(QStringLiteral("400"));
    w->ZDXJZS->click();
    w->HScroll1->setValue(300);
    w->SYYQ[2]->setListIndex(0);      // a silent melody line
    w->SYYQ[3]->setListIndex(83);
    w->YQYL[3]->setListIndex(8);      // 100
    w->SYYQ[11]->setListIndex(17);
    w->YQYL[11]->setListIndex(4);     // 60
    w->DQYD->setListIndex(9);
    w->DQSUDU->setText(QStringLiteral("255"));
    w->DQSUDU_LostFocus();
    w->HScroll3->setValue(-3);
    w->Check1[1]->setValue(1);
    w->BCBXJ->click();

    // Another measure keeps the settings shown; changing them there does not
    // touch measure 300's record.
    w->HScroll1->setValue(299);
    EXPECT_EQ(w->DQYD->listIndex(), 9);
    w->DQYD->setListIndex(0);
    w->SYYQ[2]->setListIndex(10);
    w->SYYQ[3]->setListIndex(1);
    w->HScroll3->setValue(5);
    w->Check1[1]->setValue(0);
    w->DQSUDU->setListIndex(6);
    env.take();

    w->HScroll1->setValue(300);
    EXPECT_EQ(w->SYYQ[2]->listIndex(), 0);
    EXPECT_EQ(w->SYYQ[3]->listIndex(), 83);
    EXPECT_EQ(w->YQYL[3]->text(), QStringLiteral("100"));
    EXPECT_EQ(w->SYYQ[11]->listIndex(), 17);
    EXPECT_EQ(w->DQYD->listIndex(), 9);
    EXPECT_EQ(KeyBase, 45);
    EXPECT_EQ(w->DQSUDU->text(), QStringLiteral("255"));
    EXPECT_EQ(StepMs, 58);
    EXPECT_EQ(w->HScroll3->value(), -3);
    EXPECT_EQ(w->Label7->text(), QStringLiteral("深度(-3)"));
    EXPECT_EQ(w->Check1[1]->value(), 1);
    EXPECT_EQ(w->Check1[0]->value(), 0);
    // Programs of the sounding melody lines, none for the silent one.
    const std::vector<uint32_t> sent = env.take();
    const auto count = [&sent](uint32_t m) { return std::count(sent.begin(), sent.end(), m); };
    EXPECT_GE(count(msg(0xC3, 82, 0)), 1);
    EXPECT_EQ(count(msg(0xC2, 9, 0)), 0);
    for (int c : {0, 1, 3, 4, 5, 6})
        EXPECT_GE(count(msg(0xC0 + c, w->SYYQ[std::size_t(c)]->listIndex() - 1, 0)), 1) << c;
    // The percussion line's note and volume at the measure's steps.
    for (int s = 0; s < 16; ++s)
        EXPECT_EQ(RhythmStepTable[4][std::size_t(300 * 16 + s)].Msg, percussionMsg(52, 60));
}

TEST_F(YYBJTest, ShowingAMeasureSendsWhatItsRecordSays)
{
    // A record with other instruments, a silent line, another depth and
    // both effects, applied over the defaults.
    MeasureSettings rec;
    for (int i = 0; i < SongLineCount; ++i) {
        rec.programs[std::size_t(i)] = isMelodyLine(i) ? 10 + i : i;
        rec.volumes[std::size_t(i)] = 30 + 5 * i;
    }
    rec.programs[5] = SilentProgram;
    rec.depth = 10;
    rec.vibrato = true;
    rec.crescendo = true;
    rec.key = 2;
    rec.tempo = 90;
    storeMeasureSettings(*w->Strings, 1, rec);
    w->CHARU->click();
    ControlsBeforeApply before;
    before.depth = w->HScroll3->value();
    env.take();

    w->HScroll1->setValue(1);
    std::vector<uint32_t> expected;
    // Every melody line holds (the song is empty) at the step the player is
    // at, so each instrument handler ends the note the line last started
    // (code 0, nothing played yet).
    for (const ApplyStep &step : recordApplySteps(rec, before))
        expected.push_back(step.kind == ApplyStep::Kind::Send ? step.msg : msg(0x80 + step.line, 36, 0));
    EXPECT_EQ(env.take(), expected);
    EXPECT_EQ(w->SYYQ[5]->listIndex(), 0);
    EXPECT_EQ(KeyBase, 38);
    EXPECT_EQ(StepMs, 166);
    EXPECT_EQ(w->ExprStart, 0);
}

TEST_F(YYBJTest, ADamagedRecordInAFileIsNeverAppliedHalf)
{
    // Measure 0's record has a key of 12: nothing of it is applied.
    QString record = buildMeasureRecord(0, MeasureSettings{});
    record.replace(56, 2, QStringLiteral("12"));
    QStringList lines{record};
    for (int line = 0; line < SongLineCount; ++line)
        lines << QString(isMelodyLine(line) ? 32 : 16, QLatin1Char('-'));
    const QString path = data.filePath(QStringLiteral("坏设置.lnk"));
    ASSERT_TRUE(writeTextFile(path, lines));
    env.dialogs.answers.push_back(path);
    w->DkBianji->click();
    EXPECT_TRUE(env.messages.shown.empty());
    EXPECT_EQ(w->SYYQ[0]->listIndex(), 1);
    EXPECT_EQ(w->YQYL[0]->text(), QStringLiteral("80"));
    EXPECT_EQ(w->DQYD->listIndex(), 0);
    EXPECT_EQ(StepMs, 214);
    // It stays as it was and is saved back unchanged.
    env.dialogs.answers.push_back(path);
    w->BCBJ->click();
    EXPECT_EQ(readTextFile(path).lines.value(0), record);
}

} // namespace dzq::test
