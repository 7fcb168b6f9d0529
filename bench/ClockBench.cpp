// (c) Clock accuracy: the accompaniment clock (StepTimer) at tempo 130, one
// tick per 58 ms, against a plain window timer re-armed at every tick, both on
// the window thread at once; first idle, then with that thread loaded by an
// 8 ms handler every 33 ms. Per tick: lateness against the clock's own
// deadline. Drift: how far the ticks slid against the ideal grid
// (start + n x 58 ms) from the first ticks to the last ones, medians of 50.
// Usage: dzq_bench_clock [ticks]   (default 2000)
#include "BenchSupport.h"

#include "platform/StepTimer.h"

#include <QApplication>
#include <QTimer>

#include <cstdlib>

using namespace dzq;
using namespace dzq::bench;

namespace {

constexpr int kIntervalMs = 58;

struct Figures {
    std::vector<double> lateness; // ms, against the clock's own deadline
    double drift = 0;             // ms
    double lastOffset = 0;        // ms, last tick against the ideal grid
};

Figures summarize(const std::vector<Clock::time_point> &at, const std::vector<double> &lateness, Clock::time_point start)
{
    Figures f;
    f.lateness = lateness;
    std::vector<double> offset;
    for (size_t n = 0; n < at.size(); ++n)
        offset.push_back(ms(at[n] - (start + std::chrono::milliseconds(kIntervalMs * int(n + 1)))));
    const size_t k = std::min<size_t>(50, offset.size());
    const std::vector<double> first(offset.begin(), offset.begin() + long(k));
    const std::vector<double> last(offset.end() - long(k), offset.end());
    f.drift = median(last) - median(first);
    f.lastOffset = offset.empty() ? 0 : offset.back();
    return f;
}

std::pair<Figures, Figures> runClocks(int ticks, bool loaded)
{
    StepTimer step;
    QTimer rearmed;
    rearmed.setSingleShot(true);
    rearmed.setTimerType(Qt::PreciseTimer);
    QTimer load;
    load.setTimerType(Qt::PreciseTimer);
    load.setInterval(33);
    QObject::connect(&load, &QTimer::timeout, [] { busyFor(std::chrono::milliseconds(8)); });

    std::vector<Clock::time_point> stepAt, rearmAt;
    std::vector<double> stepLate, rearmLate;
    stepAt.reserve(size_t(ticks));
    rearmAt.reserve(size_t(ticks));
    Clock::time_point start;
    Clock::time_point rearmDeadline;

    QObject::connect(&step, &StepTimer::timeout, [&] {
        const auto now = Clock::now();
        stepAt.push_back(now);
        stepLate.push_back(ms(now - step.idealTime()));
        if (int(stepAt.size()) == ticks)
            step.setEnabled(false);
        if (int(stepAt.size()) == ticks && int(rearmAt.size()) == ticks)
            QCoreApplication::quit();
    });
    QObject::connect(&rearmed, &QTimer::timeout, [&] {
        const auto now = Clock::now();
        rearmAt.push_back(now);
        rearmLate.push_back(ms(now - rearmDeadline));
        if (int(rearmAt.size()) < ticks) {
            // Re-armed from this tick: each one's lateness carries over.
            rearmDeadline = now + std::chrono::milliseconds(kIntervalMs);
            rearmed.start(kIntervalMs);
        }
        if (int(stepAt.size()) == ticks && int(rearmAt.size()) == ticks)
            QCoreApplication::quit();
    });

    QTimer::singleShot(0, [&] {
        if (loaded)
            load.start();
        start = Clock::now();
        step.setInterval(kIntervalMs);
        step.setEnabled(true);
        rearmDeadline = start + std::chrono::milliseconds(kIntervalMs);
        rearmed.start(kIntervalMs);
    });
    QCoreApplication::exec();
    load.stop();
    return {summarize(stepAt, stepLate, start), summarize(rearmAt, rearmLate, start)};
}

void row(const char *clock, const char *load, const Figures &f)
{
    std::printf("%-30s %-7s %8.3f %8.3f %8.3f %10.3f %10.3f\n", clock, load, median(f.lateness),
                percentile(f.lateness, 99), maxOf(f.lateness), f.drift, f.lastOffset);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int ticks = argc > 1 ? std::max(100, std::atoi(argv[1])) : 2000;

    title("(c) clock accuracy", "tempo 130 (58 ms per tick), window thread idle / loaded (8 ms handler every 33 ms)");
    std::printf("%d ticks per run; times in ms\n", ticks);
    const auto [stepIdle, rearmIdle] = runClocks(ticks, false);
    const auto [stepLoaded, rearmLoaded] = runClocks(ticks, true);

    std::printf("%-30s %-7s %8s %8s %8s %10s %10s\n", "clock", "thread", "late p50", "p99", "max", "drift", "last tick");
    row("StepTimer (absolute deadlines)", "idle", stepIdle);
    row("QTimer re-armed every tick", "idle", rearmIdle);
    row("StepTimer (absolute deadlines)", "loaded", stepLoaded);
    row("QTimer re-armed every tick", "loaded", rearmLoaded);
    auto ratio = [](double a, double b) { return std::abs(b) > 1e-9 ? std::abs(a) / std::abs(b) : 0.0; };
    std::printf("re-armed / StepTimer drift: idle %.0fx, loaded %.0fx; lateness p99: idle %.1fx, loaded %.1fx\n",
                ratio(rearmIdle.drift, stepIdle.drift), ratio(rearmLoaded.drift, stepLoaded.drift),
                ratio(percentile(rearmIdle.lateness, 99), percentile(stepIdle.lateness, 99)),
                ratio(percentile(rearmLoaded.lateness, 99), percentile(stepLoaded.lateness, 99)));
    std::printf("target drift <= 1 ms idle and loaded: %s; lateness p99 idle <= 2 ms: %s\n",
                verdict(std::abs(stepIdle.drift) <= 1 && std::abs(stepLoaded.drift) <= 1),
                verdict(percentile(stepIdle.lateness, 99) <= 2));
    std::fflush(stdout);
    return 0;
}
