// The time a message belongs to: a tick's deadline inside the tick, an
// explicit scope's time inside the scope, live elsewhere.
#include "midi/MidiOut.h"
#include "platform/StepTimer.h"

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
