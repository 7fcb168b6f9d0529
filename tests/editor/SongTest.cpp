// The cell converter with its reverse, and the capacity of the step tables.
#include "editor/core/Song.h"

#include <gtest/gtest.h>

using namespace dzq;

TEST(Song, CellConverterAndItsReverse)
{
    // Exact and case-sensitive; no note above "MG"; chords are root then position.
    for (const char *cell : {"MA", "MB", "TZ", "--", "kc", "K", "", "KCK", " KC"})
        EXPECT_EQ(SYYPSB(QString::fromLatin1(cell)), 255) << cell;
    EXPECT_EQ(SYYPSB(QStringLiteral("CM")), 79);
    EXPECT_EQ(SYYPSB(QStringLiteral("MC")), 48);

    // Every code with a token comes back through it: 33 notes, 21 chords, the rest.
    int tokens = 0;
    for (int code = -1; code <= 256; ++code) {
        const QString cell = cellForCode(code);
        if (cell != QLatin1String("--")) {
            ++tokens;
            EXPECT_EQ(SYYPSB(cell), code) << code;
        }
    }
    EXPECT_EQ(tokens, 33 + 21 + 1);
}

TEST(Song, MeasuresThatFitTheSteps)
{
    EXPECT_EQ(lastMeasureThatFits(16), 624);
    EXPECT_EQ(lastMeasureThatFits(24), 415); // measure 416 would end past step 9999
    EXPECT_EQ(lastMeasureThatFits(32), 311);
    EXPECT_EQ(lastMeasureThatFits(0), -1);
}
