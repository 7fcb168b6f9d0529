// The cell converter and its reverse, and the capacity of the step tables.
#include "editor/core/Song.h"

#include <gtest/gtest.h>

using namespace dzq;

TEST(Song, CellConverterTokens)
{
    // Notes: register then pitch; chords: root then position.
    EXPECT_EQ(SYYPSB(QStringLiteral("LC")), 0);
    EXPECT_EQ(SYYPSB(QStringLiteral("WD")), 14);
    EXPECT_EQ(SYYPSB(QStringLiteral("KC")), 24);
    EXPECT_EQ(SYYPSB(QStringLiteral("HB")), 47);
    EXPECT_EQ(SYYPSB(QStringLiteral("MC")), 48);
    EXPECT_EQ(SYYPSB(QStringLiteral("MG")), 55);
    EXPECT_EQ(SYYPSB(QStringLiteral("CL")), 65);
    EXPECT_EQ(SYYPSB(QStringLiteral("CC")), 72);
    EXPECT_EQ(SYYPSB(QStringLiteral("CM")), 79);
    EXPECT_EQ(SYYPSB(QStringLiteral("BM")), 85);
    EXPECT_EQ(SYYPSB(QStringLiteral("XZ")), 254);
    // Everything else holds: no note above "MG", case matters, length matters.
    for (const char *cell : {"MA", "MB", "TZ", "--", "kc", "K", "", "KCK", "K-", "O", " KC", "XZ "})
        EXPECT_EQ(SYYPSB(QString::fromLatin1(cell)), 255) << cell;
}

TEST(Song, ReverseConverterInvertsEveryToken)
{
    int tokens = 0;
    for (int code = -1; code <= 256; ++code) {
        const QString cell = cellForCode(code);
        ASSERT_EQ(cell.size(), 2) << code;
        if (cell == QLatin1String("--")) {
            EXPECT_EQ(SYYPSB(cell), 255);
            continue;
        }
        ++tokens;
        EXPECT_EQ(SYYPSB(cell), code) << code;
    }
    // 5 registers x 7 pitches less "MA" and "MB", 21 chords, the rest.
    EXPECT_EQ(tokens, 33 + 21 + 1);
    EXPECT_EQ(cellForCode(49), QStringLiteral("--"));
    EXPECT_EQ(cellForCode(56), QStringLiteral("--"));
}

TEST(Song, MeasuresThatFitTheSteps)
{
    EXPECT_EQ(lastMeasureThatFits(16), 624);
    EXPECT_EQ(lastMeasureThatFits(24), 415); // measure 416 would end past step 9999
    EXPECT_EQ(lastMeasureThatFits(32), 311);
    EXPECT_EQ(lastMeasureThatFits(10000), 0);
    EXPECT_EQ(lastMeasureThatFits(0), -1);
    EXPECT_EQ(lastMeasureThatFits(10001), -1);
    // The program-wide song starts empty and stays the same instance.
    Song &song = programSong();
    EXPECT_EQ(&song, &programSong());
    EXPECT_EQ(song.TotalMeasures, 0);
}
