// (d) The rhythm on the grid: the accompaniment clock at tempo 130 plays the
// rhythm the way the rhythm clock does (the expression ramp every tick, a
// rhythm step every fourth tick through the rhythm table, here a snare on
// every step) into the built-in synthesizer, while a separate thread renders
// its audio period by period on the steady clock, as a sound card would pull
// it. The snare onsets found in that audio are compared with the ideal grid
// (the ticks' deadlines): deviation after removing the constant delay. Once
// with the window thread idle, once loaded as in (c).
// The music editor's step player is measured the same way: a real editor
// window (offscreen) plays a song with a snare on every fourth step at tempo
// 255 (58 ms a step) on its own step clock; its other lines are silent.
// Usage: dzq_bench_grid [ticks]   (default 1000 per run)
#include "BenchSupport.h"

#include "editor/YYBJ.h"
#include "keyboard/KeyboardWindowApi.h"
#include "midi/MidiOut.h"
#include "midi/Prepared.h"
#include "midi/devices/SynthDevice.h"
#include "platform/StepTimer.h"
#include "shared/Shared.h"

#include <QApplication>
#include <QTimer>

#include <pthread.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <thread>

using namespace dzq;
using namespace dzq::bench;

namespace {

constexpr int kRate = 44100;
constexpr int kPeriod = 128;
constexpr int kIntervalMs = 58;
constexpr int kSnare = 38;

// Renders the synthesizer in periods on absolute deadlines into one buffer.
class PacedRenderer {
public:
    PacedRenderer(SynthDevice &synth, double seconds) : synth_(synth), audio_(size_t(seconds * kRate + kPeriod) * 2) {}
    ~PacedRenderer() { stop(); }
    void start()
    {
        thread_ = std::thread([this] { run(); });
        while (!started_.load())
            std::this_thread::yield();
    }
    void stop()
    {
        running_ = false;
        if (thread_.joinable())
            thread_.join();
    }
    Clock::time_point startTime() const { return start_; }
    const std::vector<float> &audio() const { return audio_; }
    int64_t frames() const { return frames_; }

private:
    void run()
    {
        // As an audio driver's thread would, if the system allows it.
        sched_param param{};
        param.sched_priority = 60;
        pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
        start_ = Clock::now();
        started_ = true;
        for (int64_t k = 0; running_; ++k) {
            const int64_t at = k * kPeriod;
            if (size_t(at + kPeriod) * 2 > audio_.size())
                break;
            std::this_thread::sleep_until(start_ + std::chrono::nanoseconds(at * 1'000'000'000 / kRate));
            synth_.render(audio_.data() + at * 2, kPeriod);
            frames_ = at + kPeriod;
        }
    }
    SynthDevice &synth_;
    std::vector<float> audio_;
    std::thread thread_;
    std::atomic<bool> running_{true};
    std::atomic<bool> started_{false};
    std::atomic<int64_t> frames_{0};
    Clock::time_point start_;
};

struct GridResult {
    std::vector<double> deviation; // ms
    std::vector<double> lateness;  // ms, of the ticks that played a step
    int missing = 0;
};

// What plays the snare: a clock, and what each of its ticks does after the
// clock's own handlers; true when the tick struck the snare.
class Player {
public:
    virtual ~Player() = default;
    virtual StepTimer &clock() = 0;
    virtual void start() = 0;
    virtual bool afterTick() = 0;
};

// The rhythm clock of the keyboard window: the expression ramp every tick, a
// rhythm step every fourth, tempo 130.
class RhythmPlayer final : public Player {
public:
    RhythmPlayer()
    {
        for (int step = 0; step <= RhythmLastStep; ++step) {
            RhythmCell &cell = RhythmStepTable[0][size_t(step)];
            cell.On = -1;
            cell.Note = kSnare;
            cell.Vol = 100;
            cell.Msg = percussionMsg(kSnare, 100);
        }
        CurStep = 0;
        AccompTick = 0;
    }
    StepTimer &clock() override { return clock_; }
    void start() override
    {
        clock_.setInterval(kIntervalMs);
        clock_.setEnabled(true);
    }
    bool afterTick() override
    {
        const int ramp = 120 - 2 * AccompTick;
        MidiShortMsg(0xB3, 11, ramp);
        MidiShortMsg(0xB4, 11, ramp);
        MidiShortMsg(0xB9, 11, ramp);
        const bool struck = AccompTick % 4 == 0;
        if (struck) {
            PlayRhythmStep();
            if (++CurStep > RhythmLastStep)
                CurStep = 0;
        }
        if (++AccompTick > 2 * RhythmLastStep + 1)
            AccompTick = 0;
        return struck;
    }

private:
    StepTimer clock_;
};

// The keyboard window the editor would return to: nothing to do here.
class NoKeyboard final : public KeyboardWindowApi {
public:
    void suspendClocks() override {}
    void resumeClocks() override {}
    AccompanimentInputs accompanimentInputs() const override { return {}; }
    int selectedOutputDevice() const override { return -1; }
    void RestoreKeyboardDefaults() override {}
    void showKeyboardWindow() override {}
};

// The music editor playing from the start a song with a snare on every
// fourth step of percussion line 7 (hits closer together ring into each
// other's onsets), tempo 255.
class EditorPlayer final : public Player {
public:
    explicit EditorPlayer(int ticks)
    {
        w_ = std::make_unique<YYBJ>(keyboard_);
        w_->Form_Load();
        w_->show();
        w_->SYYQ[7]->setListIndex(kSnare - 35);
        const int S = w_->stepsPerMeasure();
        Song &song = programSong();
        song.TotalMeasures = std::min((ticks + 10) / S, lastMeasureThatFits(S));
        for (int t = 0; t < S * (song.TotalMeasures + 1); ++t)
            song.StepArr[7][size_t(t)] = t % 4 == 0 ? QStringLiteral("O") : QStringLiteral("-");
        w_->DQSUDU->setText(QStringLiteral("255"));
        w_->DQSUDU_LostFocus();
    }
    ~EditorPlayer() override { w_->YYDS->setEnabled(false); }
    StepTimer &clock() override { return *w_->YYDS; }
    void start() override { w_->ST2->setValue(1); }
    // The step just played.
    bool afterTick() override { return (w_->PlayStep - 1) % 4 == 0; }

private:
    NoKeyboard keyboard_;
    std::unique_ptr<YYBJ> w_;
};

enum class Rhythm { KeyboardClock, Editor };

GridResult runGrid(int ticks, bool loaded, const QString &soundfont, Rhythm what)
{
    SynthOptions options;
    options.soundfont = soundfont;
    options.audio = false;
    SynthDevice synth(options);
    SingleDeviceSystem system(synth);
    setMidiSystem(&system);
    OpenMidiOut(-1);

    std::unique_ptr<Player> player;
    if (what == Rhythm::Editor)
        player = std::make_unique<EditorPlayer>(ticks);
    else
        player = std::make_unique<RhythmPlayer>();
    const int interval = what == Rhythm::Editor ? 58 : kIntervalMs;
    PacedRenderer renderer(synth, (ticks + 20) * interval / 1000.0 + 1.0);
    renderer.start();

    StepTimer &clock = player->clock();
    QTimer load;
    load.setTimerType(Qt::PreciseTimer);
    load.setInterval(33);
    QObject::connect(&load, &QTimer::timeout, [] { busyFor(std::chrono::milliseconds(8)); });
    std::vector<Clock::time_point> stepIdeal;
    GridResult result;
    int tick = 0;
    // The editor's first step sounds at the start, before any tick: the
    // ticks that follow are measured.
    QObject::connect(&clock, &StepTimer::timeout, [&] {
        if (player->afterTick()) {
            stepIdeal.push_back(clock.idealTime());
            result.lateness.push_back(ms(Clock::now() - clock.idealTime()));
        }
        if (++tick == ticks) {
            clock.setEnabled(false);
            QTimer::singleShot(600, [] { QCoreApplication::quit(); });
        }
    });
    QTimer::singleShot(0, [&] {
        if (loaded)
            load.start();
        player->start();
    });
    QCoreApplication::exec();
    load.stop();
    renderer.stop();
    player.reset();
    CloseMidiOut();
    setMidiSystem(nullptr);

    // Onset of each step: where the left channel first reaches a fifth of
    // that hit's peak, searched from 15 ms before to 40 ms after the grid
    // point (the delay is found first, from the median hit).
    const std::vector<float> &audio = renderer.audio();
    const int64_t frames = renderer.frames();
    auto onsetNear = [&](int64_t expected) -> int64_t {
        const int64_t from = std::max<int64_t>(0, expected - kRate * 15 / 1000);
        const int64_t to = std::min<int64_t>(frames, expected + kRate * 40 / 1000);
        float peak = 0;
        for (int64_t i = from; i < to; ++i)
            peak = std::max(peak, std::abs(audio[size_t(i) * 2]));
        if (peak < 1e-3f)
            return -1;
        for (int64_t i = from; i < to; ++i)
            if (std::abs(audio[size_t(i) * 2]) >= 0.2f * peak)
                return i;
        return -1;
    };
    auto gridFrame = [&](Clock::time_point ideal) {
        return double(std::chrono::duration_cast<std::chrono::nanoseconds>(ideal - renderer.startTime()).count()) *
               kRate / 1e9;
    };
    // The delay: clock delay, the attack up to the threshold, all constant.
    // The search starts from the clock delay (a hit sent outside a tick, as
    // the editor's first step is, sounds earlier and is not measured).
    std::vector<double> offsets;
    const double roughDelay = double(options.clockDelayMs) * kRate / 1000.0;
    for (const auto ideal : stepIdeal) {
        const int64_t onset = onsetNear(int64_t(gridFrame(ideal) + roughDelay));
        if (onset < 0) {
            ++result.missing;
            continue;
        }
        offsets.push_back(double(onset) - gridFrame(ideal));
    }
    const double delay = median(offsets);
    for (double o : offsets)
        result.deviation.push_back(std::abs(o - delay) * 1000.0 / kRate);
    std::printf("  constant delay tick -> onset: %.2f ms (clock delay %d ms + attack)\n", delay * 1000.0 / kRate,
                options.clockDelayMs);
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int ticks = argc > 1 ? std::max(100, std::atoi(argv[1])) : 1000;
    const QString soundfont = qEnvironmentVariableIsEmpty("DZQ_TEST_SOUNDFONT")
                                  ? QStringLiteral("/usr/share/sounds/sf2/TimGM6mb.sf2")
                                  : qEnvironmentVariable("DZQ_TEST_SOUNDFONT");
    std::printf("%d ticks per run, %d-frame periods at %d Hz, soundfont %s\n", ticks, kPeriod, kRate,
                qPrintable(soundfont));
    for (const Rhythm what : {Rhythm::KeyboardClock, Rhythm::Editor}) {
        if (what == Rhythm::KeyboardClock)
            title("(d) rhythm on the grid", "snare onsets in the synthesizer's audio vs the ideal grid, tempo 130, "
                                            "a step every 4th tick");
        else
            title("(d') the editor's steps on the grid",
                  "snare onsets of the music editor's step player vs its step clock's grid, tempo 255 (58 ms)");
        const GridResult idle = runGrid(ticks, false, soundfont, what);
        const GridResult loaded = runGrid(ticks, true, soundfont, what);
        std::printf("%-8s %6s %8s %12s %12s %12s %14s\n", "thread", "hits", "missing", "dev p50 ms", "dev p99 ms",
                    "dev max ms", "hit late max");
        for (const auto &[name, r] : {std::pair{"idle", &idle}, std::pair{"loaded", &loaded}})
            std::printf("%-8s %6zu %8d %12.3f %12.3f %12.3f %14.3f\n", name, r->deviation.size(), r->missing,
                        median(r->deviation), percentile(r->deviation, 99), maxOf(r->deviation),
                        maxOf(r->lateness));
        std::printf("target p99 <= 1 ms idle and loaded: %s (blocks of 64 frames: +-0.73 ms is the floor)\n",
                    verdict(percentile(idle.deviation, 99) <= 1 && percentile(loaded.deviation, 99) <= 1 &&
                            idle.missing == 0 && loaded.missing == 0));
    }
    std::fflush(stdout);
    return 0;
}
