// Editing the song measure by measure: melody and percussion entry, clearing,
// inserting, the number of measures, clearing all and a new time signature.
#include "editor/core/MeasureEditing.h"

#include <gtest/gtest.h>

#include <memory>

using namespace dzq;

namespace {

constexpr int Steps16 = 15, Steps24 = 23, Steps32 = 31;

QString cells(const Song &song, int line, int from, int count)
{
    QString joined;
    for (int t = from; t < from + count; ++t)
        joined += song.StepArr[std::size_t(line)][std::size_t(t)] + QLatin1Char('|');
    return joined;
}

} // namespace

TEST(MeasureEditing, MelodyEntryPadsAndWritesCellsAndCodes)
{
    auto song = std::make_unique<Song>();
    const QString shown = enterMelodyLine(*song, 0, 0, Steps16, QStringLiteral("kc"));
    EXPECT_EQ(shown, QStringLiteral("KC") + QString(30, QLatin1Char('-')));
    EXPECT_EQ(song->MeasureArr[0][0], shown);
    EXPECT_EQ(song->NoteArr[0][0], 24);
    for (int t = 1; t < 16; ++t) {
        EXPECT_EQ(song->StepArr[0][std::size_t(t)], QStringLiteral("--"));
        EXPECT_EQ(song->NoteArr[0][std::size_t(t)], 255);
    }
    EXPECT_TRUE(song->StepArr[0][16].isEmpty());

    // An odd character makes a cell of its own with the filler.
    enterMelodyLine(*song, 6, 0, Steps16, QStringLiteral("KCK"));
    EXPECT_EQ(cells(*song, 6, 0, 3), QStringLiteral("KC|K-|--|"));
    EXPECT_EQ(song->NoteArr[6][1], 255);

    // Measure 3 of a 24-step song covers steps 72..95; 4/4 lines are 64 characters.
    enterMelodyLine(*song, 2, 3, Steps24, QStringLiteral("xzcc"));
    EXPECT_EQ(song->StepArr[2][72], QStringLiteral("XZ"));
    EXPECT_EQ(song->NoteArr[2][73], 72);
    EXPECT_TRUE(song->StepArr[2][96].isEmpty());

    // Past the capacity nothing is written.
    enterMelodyLine(*song, 3, 312, Steps32, QStringLiteral("KC"));
    EXPECT_TRUE(song->MeasureArr[3][312].isEmpty());
}

TEST(MeasureEditing, PercussionEntryFillsTheLineOfTheMeasure)
{
    auto song = std::make_unique<Song>();
    enterPercussionStep(*song, 8, 2, Steps16, 5, true);
    EXPECT_EQ(song->StepArr[8][37], QStringLiteral("O"));
    EXPECT_EQ(song->MeasureArr[8][2], QStringLiteral("-----O----------"));
    EXPECT_TRUE(song->StepArr[8][31].isEmpty());
    EXPECT_TRUE(song->StepArr[8][48].isEmpty());
    enterPercussionStep(*song, 8, 2, Steps16, 0, true);
    enterPercussionStep(*song, 8, 2, Steps16, 5, false);
    EXPECT_EQ(song->MeasureArr[8][2], QStringLiteral("O---------------"));

    // Boxes past the measure, melody lines and measures past the capacity are ignored.
    enterPercussionStep(*song, 8, 2, Steps16, 16, true);
    enterPercussionStep(*song, 11, 625, Steps16, 0, true);
    EXPECT_TRUE(song->StepArr[8][48].isEmpty());
}

TEST(MeasureEditing, ClearAndInsertMeasure)
{
    auto song = std::make_unique<Song>();
    for (int m = 0; m < 3; ++m) {
        enterMelodyLine(*song, 0, m, Steps16, QStringLiteral("KCKDKE"));
        enterPercussionStep(*song, 7, m, Steps16, 0, true);
    }
    song->TotalMeasures = 5;

    clearMeasure(*song, 1, Steps16);
    EXPECT_TRUE(song->MeasureArr[0][1].isEmpty());
    EXPECT_TRUE(song->StepArr[7][16].isEmpty());
    EXPECT_EQ(song->NoteArr[0][16], 255);
    EXPECT_EQ(song->StepArr[0][32], QStringLiteral("KC"));

    // Inserting after measure 1 overwrites measure 2; the song keeps its length.
    EXPECT_EQ(insertMeasure(*song, 1, Steps16), 2);
    EXPECT_EQ(song->TotalMeasures, 5);
    EXPECT_TRUE(song->StepArr[0][32].isEmpty());
    EXPECT_EQ(song->NoteArr[0][32], 255);

    // Inserting at the last measure adds the new one and an empty one after it.
    EXPECT_EQ(insertMeasure(*song, 5, Steps16), 6);
    EXPECT_EQ(song->TotalMeasures, 7);

    // The capacity: at 2/4 the last measure is 624.
    song->TotalMeasures = 624;
    EXPECT_EQ(insertMeasure(*song, 622, Steps16), 623);
    EXPECT_EQ(song->TotalMeasures, 624);
    enterMelodyLine(*song, 0, 623, Steps16, QStringLiteral("KC"));
    song->TotalMeasures = 623;
    EXPECT_EQ(insertMeasure(*song, 623, Steps16), std::nullopt); // 624 and an empty 625
    EXPECT_EQ(insertMeasure(*song, 624, Steps16), std::nullopt);
    EXPECT_EQ(song->TotalMeasures, 623);
    EXPECT_EQ(song->StepArr[0][623 * 16], QStringLiteral("KC"));
    EXPECT_EQ(measureCapacityMessage(Steps24), QStringLiteral("每小节24步时音乐最多只能编辑到软件第415小节，不能再增加小节！"));
    EXPECT_EQ(barsCaption(0), QStringLiteral("实际小节数是(1-2)小节"));
}

TEST(MeasureEditing, NumberOfMeasuresAnswer)
{
    struct Case {
        const char *answer;
        std::optional<int> count;
        bool message;
    };
    const Case cases[] = {
        {"", {}, false},   // Cancel
        {"0", {}, false},  // no change as always
        {" 12 ", 12, false},
        {"624", 624, false},
        {"625", {}, true}, // past the capacity
        {"-3", {}, true},
        {"abc", {}, true},
        {"3.5", {}, true},
    };
    for (const Case &c : cases) {
        const MeasureCountAnswer a = parseMeasureCountAnswer(QString::fromLatin1(c.answer), Steps16);
        EXPECT_EQ(a.count, c.count) << c.answer;
        EXPECT_EQ(!a.message.isEmpty(), c.message) << c.answer;
    }
    EXPECT_EQ(parseMeasureCountAnswer(QStringLiteral("x"), Steps24).message,
              QStringLiteral("请输入1到415之间的整数！小节总数没有改变。"));
}

TEST(MeasureEditing, ClearAllEmptiesEverythingAlsoOfAOneMeasureSong)
{
    auto song = std::make_unique<Song>();
    auto strings = std::make_unique<MeasureStrings>();
    enterMelodyLine(*song, 0, 0, Steps16, QStringLiteral("KC"));
    enterPercussionStep(*song, 11, 0, Steps16, 3, true);
    // Cells an earlier 4/4 song left far out, and settings of measure 0.
    enterMelodyLine(*song, 4, 300, Steps32, QStringLiteral("HC"));
    strings->MeasureHead[0] = QString(60, QLatin1Char('0'));
    strings->MeasureTempo[300] = QStringLiteral("46");
    strings->MeasureFx[9999] = QStringLiteral("10");
    song->TotalMeasures = 0;

    clearAll(*song, *strings);
    for (int line = 0; line < SongLineCount; ++line)
        for (int t = 0; t < SongStepCapacity; ++t) {
            ASSERT_TRUE(song->StepArr[std::size_t(line)][std::size_t(t)].isEmpty());
            if (isMelodyLine(line)) {
                ASSERT_EQ(song->NoteArr[std::size_t(line)][std::size_t(t)], 255);
            }
        }
    EXPECT_TRUE(song->MeasureArr[0][0].isEmpty());
    EXPECT_TRUE(song->MeasureArr[4][300].isEmpty());
    EXPECT_TRUE(strings->MeasureHead[0].isEmpty());
    EXPECT_TRUE(strings->MeasureTempo[300].isEmpty());
    EXPECT_TRUE(strings->MeasureFx[9999].isEmpty());
    EXPECT_EQ(song->TotalMeasures, 0);
}

TEST(MeasureEditing, NewTimeSignatureNeverLetsOldTextsOverwriteCells)
{
    auto song = std::make_unique<Song>();
    // Two 4/4 measures: measure 0 holds steps 0..31, measure 1 steps 32..63.
    enterMelodyLine(*song, 0, 0, Steps32, QStringLiteral("KCKD") + QString(60, QLatin1Char('A')));
    enterMelodyLine(*song, 0, 1, Steps32, QStringLiteral("HC"));
    enterPercussionStep(*song, 9, 0, Steps32, 20, true);
    song->TotalMeasures = 1;

    // Now 2/4: measure 1 is steps 16..31, and its texts say so.
    rebuildLineTexts(*song, Steps16);
    EXPECT_EQ(song->MeasureArr[0][1], QString(32, QLatin1Char('A')));
    EXPECT_EQ(song->MeasureArr[0][2], QStringLiteral("HC") + QString(30, QLatin1Char('-')));
    EXPECT_EQ(song->MeasureArr[9][1], QStringLiteral("----O-----------"));

    // Leaving the box of measure 1 unchanged writes back the same cells.
    const QString before = cells(*song, 0, 0, 64);
    enterMelodyLine(*song, 0, 1, Steps16, song->MeasureArr[0][1]);
    EXPECT_EQ(cells(*song, 0, 0, 64), before);
    EXPECT_EQ(song->StepArr[0][32], QStringLiteral("HC"));
}
