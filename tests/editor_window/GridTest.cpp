// The percussion rows and the time signature.
#include "YYBJFixture.h"

namespace dzq::test {

TEST_F(YYBJTest, TimeSignatureSetsRowsBoxesAndWindow)
{
    for (const std::size_t boxes : {32u, 24u, 16u}) {
        w->JPFL[boxes / 8 - 2]->click();
        for (int row = 0; row < PercussionLineCount; ++row)
            EXPECT_EQ(w->percussionRow(row).size(), boxes) << boxes;
        EXPECT_EQ(w->LoadedStepMax, int(boxes) - 1);
        EXPECT_EQ(w->YF1[3]->maxLength(), int(2 * boxes));
        // Nothing on the right edge is cut off.
        EXPECT_LE(w->Picture3->geometry().right(), w->width());
    }
}

TEST_F(YYBJTest, ANewTimeSignatureNeverLetsAnOldLineTextOverwriteCells)
{
    // Two 2/4 measures: a note at the start of each, a drum on step 1 of the
    // second.
    typeMelody(0, QStringLiteral("KC"));
    w->CHARU->click();
    w->HScroll1->setValue(1);
    typeMelody(0, QStringLiteral("KD"));
    w->DJY1[1]->setValue(1);
    ASSERT_EQ(programSong().StepArr[0][16], QStringLiteral("KD"));
    w->HScroll1->setValue(0);

    // In 4/4 both lie in measure 0: the box shows them where they are, and
    // leaving it unchanged keeps every cell.
    w->JPFL[2]->click();
    EXPECT_EQ(w->CurMeasure, 0);
    const QString line = w->YF1[0]->text();
    ASSERT_EQ(line.size(), 64);
    EXPECT_EQ(line.mid(0, 2), QStringLiteral("KC"));
    EXPECT_EQ(line.mid(32, 2), QStringLiteral("KD"));
    EXPECT_EQ(w->DJY1[17]->value(), 1);
    w->YF1_LostFocus(0);
    EXPECT_EQ(programSong().StepArr[0][16], QStringLiteral("KD"));
    EXPECT_EQ(programSong().NoteArr[0][16], SYYPSB(QStringLiteral("KD")));
    EXPECT_EQ(programSong().StepArr[7][17], QStringLiteral("O"));
}

} // namespace dzq::test
