#pragma once
// The windows' clock. It runs while it is enabled and its interval is above 0
// (an interval of 0 stops it, where a Qt timer would fire without pause).
// Ticks fall on fixed deadlines, start + n x interval, so the clock never
// drifts whatever a tick costs; when a tick comes late the deadlines it missed
// are skipped and the phase is kept, so no burst of ticks follows. Setting the
// interval, also to the same value, restarts the countdown from that moment.
// A tick only emits timeout(); it never lets other window events run.
#include <QObject>
#include <QTimer>

class QSocketNotifier;

#include <chrono>
#include <functional>
#include <optional>

namespace dzq {

class StepTimer : public QObject {
    Q_OBJECT
public:
    using Clock = std::chrono::steady_clock;
    using NowFunction = std::function<Clock::time_point()>;

    // now: the clock that places the deadlines (steady_clock when empty);
    // tests give a scripted one.
    explicit StepTimer(QObject *parent = nullptr, NowFunction now = {});
    ~StepTimer() override;

    // Interval in milliseconds; 0 (or less) stops the clock until an interval
    // above 0 is set again. On an enabled clock the countdown restarts now.
    void setInterval(int ms);
    int interval() const { return interval_; }
    // Enabling a stopped clock starts the countdown now; enabling a running one
    // changes nothing.
    void setEnabled(bool enabled);
    bool isEnabled() const { return enabled_; }
    // Enabled and interval above 0.
    bool isRunning() const { return enabled_ && interval_ > 0; }

    // The deadline of the tick being handled (of the last tick outside one);
    // a default time_point before the first tick.
    Clock::time_point idealTime() const { return ideal_; }
    // The deadline the clock waits for; only meaningful while it runs.
    Clock::time_point nextDeadline() const { return next_; }

    // While a tick's handlers run on this thread: that tick's deadline, so
    // that what they send can be placed on the clock's grid (the MIDI layer
    // reads it); nullopt outside every tick.
    static std::optional<Clock::time_point> tickInProgress();

    // Debug builds (NDEBUG not defined) end the program with a message when
    // this is called while a tick is being handled, and likewise when any
    // event loop starts inside a tick. Code that runs an event loop of its own
    // (a wait, a modal box) calls it first: that loop would run other ticks
    // and handlers, and could close the window, in the middle of the tick.
    // Release builds do nothing.
    static void expectNoTick(const char *what);

    // Handles the expiry of the underlying timer: ticks when a deadline has
    // passed, else waits on. Public so that tests can drive it with a scripted
    // clock.
    void expire();

signals:
    void timeout();

private:
    void restart();
    void arm(Clock::time_point now);
    void disarm();

    NowFunction now_;
    // Wakes the clock at the deadline to the microsecond: a kernel timer
    // watched by the event loop. Where there is none, a window timer, which
    // counts whole milliseconds.
    int wakeFd_ = -1;
    QSocketNotifier *wakeNotifier_ = nullptr;
    QTimer timer_;
    int interval_ = 0;
    bool enabled_ = false;
    Clock::time_point next_{};
    Clock::time_point ideal_{};
};

} // namespace dzq
