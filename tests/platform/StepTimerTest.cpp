// The windows' clock: when it runs, where its deadlines fall, and what a late
// or busy tick does to them. The deadline arithmetic runs on a scripted clock;
// one loose test runs on the real one.
#include "platform/StepTimer.h"

#include <QEventLoop>
#include <QThread>

#include <gtest/gtest.h>

#include <vector>

using namespace dzq;
using namespace std::chrono_literals;
using Clock = StepTimer::Clock;
using Ticks = std::vector<Clock::time_point>;

namespace {

class StepTimerTest : public ::testing::Test {
protected:
    Clock::time_point now = at(0ms);
    StepTimer timer{nullptr, [this] { return now; }};
    Ticks ticks; // ideal times seen by the handler

    void SetUp() override
    {
        QObject::connect(&timer, &StepTimer::timeout, [this] { ticks.push_back(timer.idealTime()); });
    }
    static Clock::time_point at(std::chrono::microseconds t) { return Clock::time_point(1000s) + t; }
    // Moves the scripted clock and lets the underlying timer expire.
    void expireAt(std::chrono::microseconds t)
    {
        now = at(t);
        timer.expire();
    }
    void startAt(std::chrono::milliseconds t, int interval)
    {
        now = at(t);
        timer.setInterval(interval);
        timer.setEnabled(true);
    }
};

} // namespace

TEST_F(StepTimerTest, RunsOnlyWhenEnabledWithAnIntervalAboveZero)
{
    timer.setInterval(100);
    expireAt(500ms);
    EXPECT_TRUE(ticks.empty()) << "not enabled";

    timer.setEnabled(true);
    EXPECT_EQ(timer.nextDeadline(), at(600ms));
    now = at(650ms);
    timer.setInterval(0);
    EXPECT_FALSE(timer.isRunning());
    expireAt(5000ms);
    EXPECT_TRUE(ticks.empty()) << "an interval of 0 is a stopped clock";

    timer.setInterval(50);
    EXPECT_TRUE(timer.isRunning()) << "still enabled";
    EXPECT_EQ(timer.nextDeadline(), at(5050ms));
    timer.setInterval(-5);
    EXPECT_FALSE(timer.isRunning());
}

TEST_F(StepTimerTest, TicksKeepTheirDeadlinesWhetherLateOrEarly)
{
    startAt(0ms, 100);
    expireAt(103ms);
    expireAt(250ms);    // 50 ms late: no shift
    expireAt(299ms);    // woken early: no tick
    expireAt(300ms);
    expireAt(1250ms);   // 850 ms late: one tick for the latest deadline, no burst
    expireAt(1300500us);
    EXPECT_EQ(ticks, (Ticks{at(100ms), at(200ms), at(300ms), at(1200ms), at(1300ms)}));
    EXPECT_EQ(timer.nextDeadline(), at(1400ms));
}

TEST_F(StepTimerTest, SettingTheIntervalRestartsTheCountdown)
{
    startAt(0ms, 100);
    now = at(130ms);
    timer.setInterval(100);
    EXPECT_EQ(timer.nextDeadline(), at(230ms)) << "the same value restarts as well";
    now = at(215ms);
    timer.setInterval(107);
    expireAt(322ms);
    EXPECT_EQ(ticks, Ticks{at(322ms)});

    now = at(330ms);
    timer.setEnabled(true); // already running: the phase stays
    EXPECT_EQ(timer.nextDeadline(), at(429ms));
    timer.setEnabled(false);
    timer.setEnabled(true);
    EXPECT_EQ(timer.nextDeadline(), at(437ms)) << "enabling a stopped clock starts it now";
}

TEST_F(StepTimerTest, AHandlerCanStopOrReprogramTheClock)
{
    startAt(0ms, 100);
    auto c = QObject::connect(&timer, &StepTimer::timeout, [this] { timer.setEnabled(false); });
    expireAt(100ms);
    expireAt(300ms);
    EXPECT_EQ(ticks.size(), 1u);
    QObject::disconnect(c);

    timer.setEnabled(true); // at 300 ms
    c = QObject::connect(&timer, &StepTimer::timeout, [this] { timer.setInterval(40); });
    expireAt(402ms);
    QObject::disconnect(c);
    EXPECT_EQ(timer.nextDeadline(), at(442ms)) << "the handler's interval counts from its call";
}

TEST(StepTimerRealTime, KeepsItsPhaseOnTheRealClock)
{
    // Loose by design: only the phase is exact, the count has wide margins.
    StepTimer timer;
    Ticks ideals;
    QObject::connect(&timer, &StepTimer::timeout, [&] {
        ideals.push_back(timer.idealTime());
        if (ideals.size() % 2 == 0)
            QThread::msleep(15); // an expensive tick
    });
    timer.setInterval(20);
    timer.setEnabled(true);
    QEventLoop loop;
    QTimer::singleShot(300, &loop, &QEventLoop::quit);
    loop.exec();
    timer.setEnabled(false);

    ASSERT_GE(ideals.size(), 5u);
    EXPECT_LE(ideals.size(), 16u);
    for (size_t i = 1; i < ideals.size(); ++i) {
        const auto step = ideals[i] - ideals[i - 1];
        EXPECT_GT(step, 0ms);
        EXPECT_EQ(step % 20ms, 0ns) << "tick " << i << " left the 20 ms grid";
    }
}

#ifndef NDEBUG
// Debug builds stop at once when an event loop starts inside a tick: it would
// run other ticks and handlers, and could close the window, in the middle of it.
TEST_F(StepTimerTest, DebugBuildsStopAtAnEventLoopInsideATick)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    QObject::connect(&timer, &StepTimer::timeout, [] {
        QEventLoop loop;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
        loop.exec();
    });
    startAt(0ms, 100);
    EXPECT_DEATH(expireAt(100ms), "an event loop was started inside a clock tick");
}
#endif
