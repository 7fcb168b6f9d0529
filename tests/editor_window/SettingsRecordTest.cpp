// The settings of a measure stored with the save button and put back in force
// when the measure is shown again.
#include "YYBJFixture.h"

#include "editor/core/MeasureRecord.h"
#include "platform/TextFile.h"


namespace dzq::test {

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
