#include "platform/StepTimer.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QThread>
#include <QtGlobal>

#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <utility>

namespace dzq {

namespace {
// The deadline of the tick being handled on this thread, if any.
thread_local std::optional<StepTimer::Clock::time_point> t_tick;

#ifndef NDEBUG
// The event-loop depth the tick being handled started at.
thread_local int t_tickLoopLevel = 0;

// Sees every event of the program: one delivered deeper than the loop a tick
// started in means an event loop was started inside that tick.
class NestedLoopWatch final : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *, QEvent *) override
    {
        if (t_tick && QThread::currentThread()->loopLevel() > t_tickLoopLevel)
            qFatal("an event loop was started inside a clock tick");
        return false;
    }
};

void watchNestedLoops()
{
    static bool installed = false;
    QCoreApplication *app = QCoreApplication::instance();
    if (installed || !app)
        return;
    installed = true;
    app->installEventFilter(new NestedLoopWatch(app));
}
#endif
} // namespace

std::optional<StepTimer::Clock::time_point> StepTimer::tickInProgress() { return t_tick; }

void StepTimer::expectNoTick([[maybe_unused]] const char *what)
{
#ifndef NDEBUG
    if (t_tick)
        qFatal("%s was started inside a clock tick", what);
#endif
}

StepTimer::StepTimer(QObject *parent, NowFunction now)
    : QObject(parent), now_(now ? std::move(now) : NowFunction([] { return Clock::now(); }))
{
    wakeFd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (wakeFd_ >= 0) {
        wakeNotifier_ = new QSocketNotifier(wakeFd_, QSocketNotifier::Read, this);
        connect(wakeNotifier_, &QSocketNotifier::activated, this, [this] {
            uint64_t expirations = 0;
            if (read(wakeFd_, &expirations, sizeof expirations) > 0)
                expire();
        });
        return;
    }
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &StepTimer::expire);
}

StepTimer::~StepTimer()
{
    delete wakeNotifier_;
    if (wakeFd_ >= 0)
        close(wakeFd_);
}

void StepTimer::setInterval(int ms)
{
    interval_ = std::max(ms, 0);
    restart();
}

void StepTimer::setEnabled(bool enabled)
{
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    restart();
}

void StepTimer::restart()
{
    if (!isRunning()) {
        disarm();
        return;
    }
    const Clock::time_point now = now_();
    next_ = now + std::chrono::milliseconds(interval_);
    arm(now);
}

void StepTimer::arm(Clock::time_point now)
{
    if (wakeFd_ >= 0) {
        // At least a nanosecond: a zero time would disarm the kernel timer.
        const int64_t ns = std::max<int64_t>(std::chrono::nanoseconds(next_ - now).count(), 1);
        itimerspec spec{};
        spec.it_value.tv_sec = time_t(ns / 1'000'000'000);
        spec.it_value.tv_nsec = long(ns % 1'000'000'000);
        timerfd_settime(wakeFd_, 0, &spec, nullptr);
        return;
    }
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(next_ - now);
    timer_.start(int(std::max<std::chrono::milliseconds::rep>(wait.count(), 0)));
}

void StepTimer::disarm()
{
    if (wakeFd_ >= 0) {
        const itimerspec off{};
        timerfd_settime(wakeFd_, 0, &off, nullptr);
    }
    timer_.stop();
}

void StepTimer::expire()
{
    if (!isRunning())
        return;
    const Clock::time_point now = now_();
    if (now < next_) {
        arm(now); // woken early: wait for the rest
        return;
    }
    const std::chrono::milliseconds step(interval_);
    const auto missed = (now - next_) / step;
    ideal_ = next_ + missed * step;
    next_ = ideal_ + step;
    // Armed before the handlers run, so that a handler that changes the
    // interval or stops the clock has the last word.
    arm(now);
    // Restored afterwards, also for a tick that runs inside another's handler.
    const std::optional<Clock::time_point> outer = std::exchange(t_tick, ideal_);
#ifndef NDEBUG
    watchNestedLoops();
    const int outerLevel = std::exchange(t_tickLoopLevel, QThread::currentThread()->loopLevel());
#endif
    emit timeout();
#ifndef NDEBUG
    t_tickLoopLevel = outerLevel;
#endif
    t_tick = outer;
}

} // namespace dzq
