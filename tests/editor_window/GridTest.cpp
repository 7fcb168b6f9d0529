// The percussion rows and the time signature.
#include "YYBJFixture.h"

namespace dzq::test {

TEST_F(YYBJTest, TimeSignatureSetsRowsBoxesAndWindow)
{
    const struct {
        int index;
        std::size_t boxes;
        int melodyWidth;
        int gridWidth;
        int windowWidth;
    } signatures[] = {{2, 32, 648, 652, 940}, {1, 24, 486, 490, 778}, {0, 16, 325, 465, 753}};
    for (const auto &t : signatures) {
        w->JPFL[std::size_t(t.index)]->click();
        for (int row = 0; row < PercussionLineCount; ++row)
            EXPECT_EQ(w->percussionRow(row).size(), t.boxes) << t.index;
        EXPECT_EQ(w->LoadedStepMax, int(t.boxes) - 1);
        EXPECT_EQ(w->YF1[3]->width(), t.melodyWidth);
        EXPECT_EQ(w->YF1[3]->maxLength(), int(2 * t.boxes));
        EXPECT_EQ(w->Picture1->width(), t.gridWidth);
        EXPECT_EQ(w->width(), t.windowWidth);
        EXPECT_EQ(w->Picture3->x(), t.gridWidth + 175);
        // Nothing on the right edge is cut off.
        EXPECT_LE(w->Picture3->geometry().right(), w->width());
    }
    // Boxes touch within a beat and leave a pixel after it.
    const int left0 = w->DJY1[0]->x();
    w->JPFL[2]->click();
    EXPECT_EQ(w->DJY3[4]->x() - left0, 81);
    EXPECT_EQ(w->DJY3[15]->x() - left0, 303);
    EXPECT_EQ(w->DJY3[31]->x() - left0, 627);
    EXPECT_EQ(YYBJ::boxColour(0), 13);
    EXPECT_EQ(YYBJ::boxColour(5), 10);
    EXPECT_EQ(YYBJ::boxColour(16), 13);
    EXPECT_EQ(YYBJ::boxLeft(32), 0);
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
