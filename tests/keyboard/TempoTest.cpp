// StepMs from the tempo, and the tempo box's typed text.
#include "keyboard/core/Tempo.h"
#include "platform/Numbers.h"

#include <QString>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace dzq;

TEST(StepMs, FromTempo)
{
    const std::pair<double, int> table[] = {{40, 188}, {45, 167}, {60, 125}, {70, 107}, {80, 94},
                                            {100, 75}, {130, 58}, {140, 54}, {55, 136}};
    for (auto [tempo, ms] : table)
        EXPECT_EQ(stepMsForTempo(tempo), ms) << tempo;
    // Halves go to the even neighbour: 187.5 up, 62.5 and 2.5 down.
    EXPECT_EQ(stepMsForTempo(120), 62);
    EXPECT_EQ(stepMsForTempo(3000), 2);
    EXPECT_EQ(stepMsForTempo(5000), 2); // 1.5
    EXPECT_EQ(stepMsForTempo(70.4), 107);
}

TEST(StepMs, RefusesTemposThatGiveNoClock)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (double tempo : {0.0, -0.0, -70.0, nan, inf, -inf})
        EXPECT_FALSE(stepMsForTempo(tempo)) << tempo;
    // A tick that rounds to 0 ms would stop the clock.
    EXPECT_FALSE(stepMsForTempo(15000)); // 0.5 -> 0
    EXPECT_FALSE(stepMsForTempo(20000));
    EXPECT_EQ(stepMsForTempo(7500), 1);
    // A tick too long for the 16-bit StepMs.
    EXPECT_FALSE(stepMsForTempo(0.1));
    EXPECT_EQ(stepMsForTempo(7500.0 / 32767), 32767);
}

TEST(TempoBox, TextsThatGiveNoClock)
{
    // The box's text is read with Val; what cannot give a clock is refused,
    // never divided by.
    for (const char16_t *text : {u"abc", u"", u"0", u"-70", u"1e9"})
        EXPECT_FALSE(stepMsForTempo(Val(text))) << QString::fromUtf16(text).toStdString();
    EXPECT_FALSE(stepMsForTempo(Val(QString(400, QLatin1Char('9')))));
    EXPECT_EQ(stepMsForTempo(Val(u" 7 0")), 107);
}

TEST(TempoBox, TypedTempoRange)
{
    EXPECT_EQ(typedTempo(u"40"), 40);
    EXPECT_EQ(typedTempo(u"140"), 140);
    EXPECT_EQ(typedTempo(u"55"), 55);
    EXPECT_EQ(typedTempo(u"39.5"), 40);   // rounds to the even 40
    EXPECT_EQ(typedTempo(u"140.5"), 140); // rounds to the even 140
    for (const char16_t *bad : {u"200", u"abc", u"", u"39.4", u"140.6", u"141", u"0", u"-70", u"1e99"})
        EXPECT_FALSE(typedTempo(bad)) << QString::fromUtf16(bad).toStdString();
}

TEST(TempoBox, RefusedTextShowsTheCurrentTempo)
{
    EXPECT_EQ(tempoShownForStepMs(*stepMsForTempo(40)), 39);
    EXPECT_EQ(tempoShownForStepMs(*stepMsForTempo(45)), 44);
    EXPECT_EQ(tempoShownForStepMs(*stepMsForTempo(70)), 70);
    EXPECT_EQ(tempoShownForStepMs(*stepMsForTempo(140)), 138);
    EXPECT_EQ(tempoShownForStepMs(0), 0);
    EXPECT_EQ(tempoShownForStepMs(-5), 0);
}

TEST(TempoList, EntriesAndPresets)
{
    EXPECT_EQ(tempoListEntry(TempoListCount - 1), 130);
    EXPECT_EQ(stepMsForTempo(tempoListEntry(DefaultTempoIndex)), 107);
    EXPECT_EQ(tempoListEntry(TempoPresetIndexes[0]), 60);
    EXPECT_EQ(tempoListEntry(TempoPresetIndexes[2]), 100);
}
