// The time a message belongs to: a tick's deadline inside the tick, an
// explicit scope's time inside the scope, live elsewhere.
#include "Fakes.h"

#include "midi/MidiOut.h"
#include "midi/Prepared.h"
#include "platform/StepTimer.h"
#include "shared/Shared.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

using namespace dzq;
using namespace std::chrono_literals;

TEST(SendTime, ScopesAndTicksNameTheTimeAndRestoreTheOuterOne)
{
    const MidiClock::time_point t0(500s);
    MidiClock::time_point now = t0;
    StepTimer timer(nullptr, [&] { return now; });
    std::vector<std::optional<MidiClock::time_point>> seen;
    QObject::connect(&timer, &StepTimer::timeout, [&] {
        seen.push_back(midiSendTime());
        {
            MidiSendTime later(timer.idealTime() + 10ms);
            seen.push_back(midiSendTime());
        }
        seen.push_back(midiSendTime());
    });
    timer.setInterval(100);
    timer.setEnabled(true);
    now = t0 + 130ms; // handled 30 ms late
    timer.expire();
    EXPECT_EQ(seen, (std::vector<std::optional<MidiClock::time_point>>{t0 + 100ms, t0 + 110ms, t0 + 100ms}));
    EXPECT_FALSE(midiSendTime());

}

// A chord struck inside a tick keeps the tick's time for its later notes, each
// 10 ms further on, so the synthesizer sounds it on the grid like the drums.
TEST(SendTime, ChordNotesCarryTheTickTimeSpreadBy10Ms)
{
    test::Environment env;
    ChordTable[1][1][1] = 0;
    ChordTable[1][1][2] = 4;
    ChordTable[1][1][3] = 7;
    ChordCode = 65;
    ChordChannel = 3;
    LineVolume[3] = 55;
    env.take();
    env.synth().recordTimes = true;
    const MidiClock::time_point tick = MidiClock::now();
    {
        MidiSendTime at(tick);
        PlayChord();
    }
    while (chordNotesPending())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const auto &times = env.synth().sendTimes;
    ASSERT_EQ(times.size(), 3u);
    for (std::size_t n = 0; n < 3; ++n) {
        ASSERT_TRUE(times[n]);
        EXPECT_EQ(*times[n] - tick, std::chrono::milliseconds(10 * n)) << n;
    }
}
