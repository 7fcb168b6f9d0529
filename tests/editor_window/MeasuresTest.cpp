// Moving between measures and editing the measure shown, through the window's
// controls.
#include "YYBJFixture.h"

namespace dzq::test {

TEST_F(YYBJTest, MelodyAndPercussionEntryReachTheSongThroughTheControls)
{
    typeMelody(0, QStringLiteral("kc"));
    EXPECT_EQ(w->YF1[0]->text(), QStringLiteral("KC") + QString(30, QLatin1Char('-')));
    QStringList expected{QStringLiteral("KC")};
    for (int s = 1; s < 16; ++s)
        expected << QStringLiteral("--");
    EXPECT_EQ(cells(0, 0, 16), expected);
    EXPECT_EQ(programSong().NoteArr[0][0], 24);
    EXPECT_EQ(programSong().NoteArr[0][1], HoldCode);

    // Measure 2: the label names its bars 5 and 6; box 5 of the second row
    // writes line 8 at step 37 and fills the measure's line.
    env.messages.inputs.push_back(QStringLiteral("3"));
    w->ZDXJZS->click();
    w->HScroll1->setValue(2);
    EXPECT_EQ(w->XJZS->text(), QStringLiteral("2"));
    EXPECT_EQ(w->XJXSS->text(), QStringLiteral("实际小节数是(5-6)小节"));
    w->DJY2[5]->setValue(1);
    EXPECT_EQ(programSong().StepArr[8][37], QStringLiteral("O"));
    EXPECT_EQ(programSong().StepArr[8][32], QStringLiteral("-"));
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
    EXPECT_EQ(programSong().StepArr[0][32], QString());
    EXPECT_EQ(programSong().NoteArr[0][32], HoldCode);
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

    // Cancel and 0 change nothing quietly; text or a negative number change
    // nothing and say what is expected.
    for (const char *answer : {"", "0", "abc", "-3"}) {
        env.messages.shown.clear();
        env.messages.inputs.push_back(QString::fromLatin1(answer));
        w->ZDXJZS->click();
        EXPECT_EQ(programSong().TotalMeasures, 2) << answer;
        ASSERT_FALSE(env.messages.shown.empty());
        EXPECT_EQ(env.messages.shown[0].kind, ShownMessage::Input);
        EXPECT_EQ(env.messages.shown[0].caption, QStringLiteral("选择小节总数"));
        EXPECT_EQ(env.messages.shown.size(), QByteArray(answer).toInt() < 0 || QByteArray(answer) == "abc" ? 2u : 1u)
            << answer;
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
