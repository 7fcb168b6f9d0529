// Moving between measures and editing the measure shown, through the window's
// controls.
#include "YYBJFixture.h"

namespace dzq::test {

TEST_F(YYBJTest, MelodyAndPercussionEntryReachTheSongThroughTheControls)
{
    // The core tests check the cells and codes entry writes; here the boxes
    // reach them in the measure shown.
    typeMelody(0, QStringLiteral("kc"));
    EXPECT_EQ(w->YF1[0]->text(), QStringLiteral("KC") + QString(30, QLatin1Char('-')));
    EXPECT_EQ(programSong().NoteArr[0][0], 24);

    // Measure 2: box 5 of the second row writes line 8 at step 37.
    env.messages.inputs.push_back(QStringLiteral("3"));
    w->ZDXJZS->click();
    w->HScroll1->setValue(2);
    EXPECT_EQ(w->XJZS->text(), QStringLiteral("2"));
    w->DJY2[5]->setValue(1);
    EXPECT_EQ(programSong().MeasureArr[8][2], QStringLiteral("-----O----------"));

    // Back to measure 0 and to 2 again: the boxes show each measure's cells.
    w->HScroll1->setValue(0);
    EXPECT_EQ(w->DJY2[5]->value(), 0);
    EXPECT_EQ(w->YF1[0]->text().left(2), QStringLiteral("KC"));
    w->HScroll1->setValue(2);
    EXPECT_EQ(w->DJY2[5]->value(), 1);
    EXPECT_TRUE(w->YF1[0]->text().isEmpty());

    // Clearing the measure empties its boxes and its cells; the line whose
    // box was ticked is left all "-" by the box's handler.
    typeMelody(0, QStringLiteral("HC"));
    w->QinKong->click();
    EXPECT_EQ(w->DJY2[5]->value(), 0);
    EXPECT_TRUE(w->YF1[0]->text().isEmpty());
    EXPECT_EQ(programSong().MeasureArr[8][2], QString(16, QLatin1Char('-')));
    EXPECT_EQ(programSong().MeasureArr[7][2], QString());
}

TEST_F(YYBJTest, InsertingAndTheNumberOfMeasures)
{
    // Inserting at the last measure adds a measure after the new one.
    w->CHARU->click();
    EXPECT_EQ(w->CurMeasure, 1);
    EXPECT_EQ(w->XJZS->text(), QStringLiteral("1"));
    EXPECT_EQ(programSong().TotalMeasures, 2);
    EXPECT_EQ(w->HScroll1->maximum(), 2);
    EXPECT_EQ(w->PlayLastStep, 16 * 2 + 15);

    // Cancel changes nothing quietly; text changes nothing and says what is
    // expected (the core tests sweep the other answers).
    for (const char *answer : {"", "abc"}) {
        env.messages.shown.clear();
        env.messages.inputs.push_back(QString::fromLatin1(answer));
        w->ZDXJZS->click();
        EXPECT_EQ(programSong().TotalMeasures, 2) << answer;
        EXPECT_EQ(env.messages.shown.size(), *answer ? 2u : 1u) << answer;
    }
    env.messages.shown.clear();

    env.messages.inputs.push_back(QStringLiteral("5"));
    w->ZDXJZS->click();
    EXPECT_EQ(programSong().TotalMeasures, 5);
    EXPECT_EQ(w->HScroll1->maximum(), 5);
    EXPECT_EQ(env.messages.shown.size(), 1u);

    // A count past the last measure that fits 10,000 steps is refused with a
    // message.
    env.messages.shown.clear();
    env.messages.inputs.push_back(QStringLiteral("625"));
    w->ZDXJZS->click();
    EXPECT_EQ(programSong().TotalMeasures, 5);
    ASSERT_EQ(env.messages.shown.size(), 2u);
    EXPECT_TRUE(env.messages.shown[1].text.contains(QStringLiteral("624")));

    // Inserting from measure 0 of a longer song empties measure 1 only.
    w->HScroll1->setValue(0);
    w->CHARU->click();
    EXPECT_EQ(programSong().TotalMeasures, 5);

    // At the last measure that fits, no measure can follow.
    env.messages.inputs.push_back(QStringLiteral("624"));
    w->ZDXJZS->click();
    w->HScroll1->setValue(624);
    env.messages.shown.clear();
    w->CHARU->click();
    EXPECT_EQ(w->CurMeasure, 624);
    EXPECT_EQ(programSong().TotalMeasures, 624);
    ASSERT_EQ(env.messages.shown.size(), 1u);
}

} // namespace dzq::test
