// StepMs from the tempo, and the tempo box's typed text.
#include "keyboard/core/Tempo.h"
#include "platform/Numbers.h"

#include <QString>

#include <gtest/gtest.h>

#include <limits>

using namespace dzq;

TEST(StepMs, FromTempoAndTheListsEntries)
{
    // Halves go to the even neighbour: 187.5 up, 62.5 and 2.5 down, 1.5 up.
    const std::pair<double, int> table[] = {{40, 188}, {45, 167}, {70.4, 107}, {120, 62}, {3000, 2},
                                            {5000, 2}, {7500, 1}, {7500.0 / 32767, 32767}};
    for (auto [tempo, ms] : table)
        EXPECT_EQ(stepMsForTempo(tempo), ms) << tempo;
    EXPECT_EQ(stepMsForTempo(tempoListEntry(DefaultTempoIndex)), 107);
}

TEST(StepMs, RefusesTemposAndBoxTextsThatGiveNoClock)
{
    const double inf = std::numeric_limits<double>::infinity();
    // A tick that rounds to 0 ms would stop the clock (15000: 0.5 -> 0); 0.1
    // gives a tick too long for the 16-bit StepMs.
    for (double tempo : {0.0, -0.0, -70.0, std::numeric_limits<double>::quiet_NaN(), inf, -inf, 15000.0, 20000.0, 0.1})
        EXPECT_FALSE(stepMsForTempo(tempo)) << tempo;
    // The box's text is read with Val; what cannot give a clock is refused,
    // never divided by.
    for (const QString &text : {QStringLiteral("abc"), QString(), QStringLiteral("0"), QStringLiteral("-70"),
                                QStringLiteral("1e9"), QString(400, QLatin1Char('9'))})
        EXPECT_FALSE(stepMsForTempo(Val(text))) << text.left(10).toStdString();
    EXPECT_EQ(stepMsForTempo(Val(u" 7 0")), 107);
}

TEST(TempoBox, TypedTempoRangeAndTheTempoShownOnRefusal)
{
    EXPECT_EQ(typedTempo(u"55"), 55);
    EXPECT_EQ(typedTempo(u"39.5"), 40);   // rounds to the even 40
    EXPECT_EQ(typedTempo(u"140.5"), 140); // rounds to the even 140
    for (const char16_t *bad : {u"200", u"abc", u"", u"39.4", u"140.6", u"141", u"0", u"-70", u"1e99"})
        EXPECT_FALSE(typedTempo(bad)) << QString::fromUtf16(bad).toStdString();

    // A refused text shows the whole tempo the current tick gives, rounded down.
    const std::pair<int, int> shown[] = {{40, 39}, {45, 44}, {70, 70}, {140, 138}};
    for (auto [tempo, expected] : shown)
        EXPECT_EQ(tempoShownForStepMs(*stepMsForTempo(tempo)), expected) << tempo;
    EXPECT_EQ(tempoShownForStepMs(0), 0);
    EXPECT_EQ(tempoShownForStepMs(-5), 0);
}
