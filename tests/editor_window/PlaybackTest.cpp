// The step player: what each step sends, how a range ends, and the stops.
#include "YYBJFixture.h"

#include <QApplication>

#include "editor/core/MeasureRecord.h"
#include "midi/Prepared.h"
#include "midi/SoundingNotes.h"
#include "platform/Resources.h"

#include <algorithm>

namespace dzq::test {

namespace {

bool contains(const std::vector<uint32_t> &sent, uint32_t m) { return std::find(sent.begin(), sent.end(), m) != sent.end(); }

// A note still sounds on a melody channel (drums on channel 9 are never
// ended and do not count).
bool melodySounding()
{
    const auto notes = soundingNotes().list();
    return std::any_of(notes.begin(), notes.end(), [](const auto &n) { return n.first < MelodyLineCount; });
}

class Playback : public YYBJTest {
protected:
    Playback() { dropChordNotes(); }
    ~Playback() override { dropChordNotes(); }
    // The messages of the next step (one tick of the clock).
    std::vector<uint32_t> tick()
    {
        w->YYDS_Timer();
        flushChordNotes(-1);
        return env.take();
    }
};

} // namespace

TEST_F(Playback, AMeasureSoundsItsNotesChordsRestsHoldsAndDrumsStepByStep)
{
    typeMelody(0, QStringLiteral("KC--XZ--KD"));
    typeMelody(1, QStringLiteral("CC"));
    w->DJY1[0]->setValue(1);
    w->DJY3[2]->setValue(1);
    env.take();

    w->ST1->click();
    EXPECT_TRUE(w->YYDS->isEnabled());
    EXPECT_EQ(w->YYDS->interval(), 214);
    EXPECT_FALSE(w->ST2->isEnabled());
    EXPECT_FALSE(w->BZWJ->isEnabled());
    flushChordNotes(-1);
    std::vector<uint32_t> step = env.take();
    // Step 0: vibrato off, expression, then middle C on channel 0 at its
    // volume, the chord on channel 1, the bass drum.
    EXPECT_EQ(step.front(), msg(0xB0, 1, 0));
    EXPECT_TRUE(contains(step, msg(0xB5, 11, 120)));
    EXPECT_TRUE(contains(step, msg(0x90, 60, 80)));
    EXPECT_TRUE(contains(step, msg(0x91, 36 + ChordTable[2][1][1], 80)));
    EXPECT_TRUE(contains(step, uint32_t(percussionMsg(36, 80))));
    EXPECT_EQ(w->PlayStep, 1);

    // Step 1 holds; step 2 rests: middle C ends and nothing starts.
    step = tick();
    EXPECT_FALSE(contains(step, msg(0x80, 60, 0)));
    step = tick();
    EXPECT_TRUE(contains(step, msg(0x80, 60, 0)));
    EXPECT_TRUE(contains(step, uint32_t(percussionMsg(39, 80))));
    step = tick();
    // Step 4: D, with the accent on channels 5, 6 and 9.
    step = tick();
    EXPECT_TRUE(contains(step, msg(0x90, 62, 80)));
    EXPECT_TRUE(contains(step, msg(0xB5, 11, 80)));
    EXPECT_TRUE(contains(step, msg(0xB9, 11, 80)));
    EXPECT_TRUE(contains(step, msg(0xB0, 11, 120)));

    // The rest of the measure, then the tick after the last step ends the
    // audition with everything on channels 0-6 released.
    for (int s = 5; s < 16; ++s)
        tick();
    EXPECT_TRUE(w->YYDS->isEnabled());
    step = tick();
    EXPECT_FALSE(w->YYDS->isEnabled());
    EXPECT_FALSE(w->ST1->value());
    EXPECT_TRUE(w->ST2->isEnabled());
    EXPECT_TRUE(w->BZWJ->isEnabled());
    EXPECT_TRUE(contains(step, msg(0x80, 62, 0)));
    EXPECT_TRUE(contains(step, msg(0x86, 36 + 64, 0)));
    EXPECT_FALSE(melodySounding());
}

TEST_F(Playback, TheEndCellStopsAtOnceAndTheStopButtonSilences)
{
    typeMelody(0, QStringLiteral("KCKD"));
    typeMelody(3, QStringLiteral("----TZ"));
    w->ST2->click();
    EXPECT_FALSE(w->ST1->isEnabled());
    tick();
    const std::vector<uint32_t> step = tick();
    // The end cell of line 3 stops the song on its step: D is released.
    EXPECT_TRUE(contains(step, msg(0x80, 62, 0)));
    EXPECT_FALSE(w->YYDS->isEnabled());
    EXPECT_EQ(w->ST2->value(), 0);
    EXPECT_EQ(w->PlayStep, 2);
    EXPECT_FALSE(melodySounding());

    // Stopping by hand while a note sounds releases it.
    typeMelody(3, QString());
    w->ST2->click();
    ASSERT_TRUE(soundingNotes().sounding(0, 60));
    w->ST2->click();
    EXPECT_FALSE(w->YYDS->isEnabled());
    EXPECT_FALSE(melodySounding());
}

TEST_F(Playback, CrescendoRampsAndAMeasuresRecordTakesOverAtItsBoundary)
{
    // Measure 1 plays in key D at tempo 100 with a falling crescendo.
    w->CHARU->click();
    w->HScroll1->setValue(1);
    w->DQYD->setListIndex(2);
    w->HScroll3->setValue(-3);
    w->Check1[1]->setValue(1);
    w->BCBXJ->click();
    typeMelody(0, QStringLiteral("KC"));
    // Measure 0 has no record: it plays what the controls show, C and a
    // rising crescendo.
    w->HScroll1->setValue(0);
    w->DQYD->setListIndex(0);
    w->HScroll3->setValue(10);
    typeMelody(0, QStringLiteral("KC"));
    env.take();

    w->ST2->click();
    flushChordNotes(-1);
    std::vector<uint32_t> step = env.take();
    // Rising by 10 from 0 per step.
    EXPECT_TRUE(contains(step, msg(0xB0, 11, 10)));
    for (int s = 1; s < 16; ++s)
        step = tick();
    EXPECT_TRUE(contains(step, msg(0xB4, 11, 120)));
    // Measure 1: the record's key is in force for its first note (D major's
    // C is MIDI 62), the view follows, and the first half holds 120.
    step = tick();
    EXPECT_EQ(w->CurMeasure, 1);
    EXPECT_EQ(KeyBase, 38);
    EXPECT_TRUE(contains(step, msg(0x90, 62, 80)));
    EXPECT_TRUE(contains(step, msg(0xB0, 11, 120)));
    for (int s = 1; s <= 8; ++s)
        step = tick();
    EXPECT_TRUE(contains(step, msg(0xB0, 11, 117)));
    // The note struck in C before the key changed was ended all the same.
    EXPECT_FALSE(soundingNotes().sounding(0, 60));
}

TEST_F(Playback, TheKeyboardsRhythmCursorNeverMovesThePlayer)
{
    typeMelody(0, QStringLiteral("KCKDKE"));
    w->ST1->click();
    CurStep = 9;
    const std::vector<uint32_t> step = tick();
    EXPECT_TRUE(contains(step, msg(0x90, 62, 80)));
    EXPECT_EQ(w->PlayStep, 2);
    EXPECT_EQ(CurStep, 9);

    // An audition number typed out of range plays the measure shown; a click
    // on the selected option starts it again.
    w->XJZS->setText(QStringLiteral("-7"));
    w->ST1->click();
    EXPECT_EQ(w->PlayLastStep, 15);
    w->XJZS->setText(QStringLiteral("abc"));
    w->ST1->click();
    EXPECT_EQ(w->PlayStep, 1);
}

TEST_F(Playback, AnAuditionWhoseSongGrewMeanwhileEndsSilent)
{
    // A measure inserted during the audition moves the song's last step past
    // the measure: the audition ends by its count, and its last note ends.
    typeMelody(0, QString(30, QLatin1Char('-')) + QStringLiteral("KC"));
    w->ST1->click();
    w->CHARU->click();
    for (int s = 1; s < 16; ++s)
        tick();
    ASSERT_TRUE(soundingNotes().sounding(0, 60));
    tick();
    EXPECT_FALSE(w->YYDS->isEnabled());
    EXPECT_FALSE(melodySounding());
}

TEST_F(Playback, TypingIsKeptWhenPlaybackMovesOnToTheNextMeasure)
{
    w->CHARU->click();
    w->ST2->click();
    w->activateWindow();
    QApplication::setActiveWindow(w);
    QLineEdit *box = w->YF1[2];
    box->setFocus();
    QCoreApplication::processEvents();
    ASSERT_TRUE(box->hasFocus());
    box->setText(QStringLiteral("HG"));
    box->setModified(true);
    for (int s = 1; s <= 16; ++s)
        tick();
    ASSERT_EQ(w->CurMeasure, 1);
    EXPECT_EQ(programSong().StepArr[2][0], QStringLiteral("HG"));
}

TEST_F(Playback, AStopWhileAChordIsSpreadLeavesNoneOfItsNotes)
{
    fillChordTable(LoadResString(510));
    typeMelody(1, QStringLiteral("FC"));
    w->ST2->click();
    ASSERT_TRUE(chordNotesPending());
    w->ST2->click();
    flushChordNotes(-1);
    EXPECT_FALSE(melodySounding());
}

TEST_F(Playback, ClosingTheWindowStopsTheClockFirst)
{
    typeMelody(0, QStringLiteral("KC"));
    w->ST2->click();
    ASSERT_TRUE(w->YYDS->isEnabled());
    w->close();
    EXPECT_FALSE(w->YYDS->isEnabled());
    EXPECT_FALSE(melodySounding());
    deletePending();
    EXPECT_TRUE(w.isNull());
}

} // namespace dzq::test
