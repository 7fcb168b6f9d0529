// When the built-in synthesizer plays what it is sent, on a scripted clock
// while it renders period by period as an audio driver would. The result must
// equal a reference run given the same messages by hand at their frames: a
// tick's on the block nearest its deadline plus the fixed delay however late
// the tick ran, live ones in the very next block.
#include "Fakes.h"
#include "SynthRender.h"

#include "midi/MidiOut.h"
#include "midi/devices/SynthDevice.h"
#include "platform/StepTimer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace dzq;
using namespace dzq::test;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kPeriod = 128;
constexpr int kDelayMs = 20;

std::chrono::nanoseconds timeOfFrame(int64_t frame) { return std::chrono::nanoseconds(frame * 1'000'000'000 / kRate); }

// The block (64 frames) whose start is nearest to a time after the start.
int64_t blockNearest(std::chrono::nanoseconds t)
{
    const double sample = double(t.count()) * kRate / 1e9;
    return 64 * int64_t(std::floor((sample + 32) / 64));
}

// A synthesizer rendered period by period on a scripted clock that starts at T0.
struct SynthRun {
    Clock::time_point t0{1000s};
    Clock::time_point now = t0;
    std::unique_ptr<SynthDevice> synth;
    std::vector<float> out;
    int64_t frames = 0;

    SynthRun()
    {
        SynthOptions options = offlineOptions();
        options.clockDelayMs = kDelayMs;
        options.now = [this] { return now; };
        synth = std::make_unique<SynthDevice>(options);
        EXPECT_EQ(synth->open(), MidiOk);
    }
    void renderFrames(int64_t count)
    {
        now = t0 + timeOfFrame(frames);
        out.resize(out.size() + size_t(count) * 2);
        synth->render(out.data() + 2 * frames, int(count));
        frames += count;
    }
    // Renders every period that starts before t, then sets the clock to t.
    void renderUntil(std::chrono::nanoseconds t)
    {
        while (timeOfFrame(frames) < t)
            renderFrames(kPeriod);
        now = t0 + t;
    }
    // The reference: each message applied live at its frame.
    void applyAt(const std::vector<std::pair<int64_t, uint32_t>> &plan, int64_t total)
    {
        for (const auto &[frame, msg] : plan) {
            if (frame > frames)
                renderFrames(frame - frames);
            EXPECT_EQ(synth->send(msg), MidiOk);
        }
        renderFrames(total - frames);
    }
};

float maxDifference(const std::vector<float> &a, const std::vector<float> &b)
{
    EXPECT_EQ(a.size(), b.size());
    float diff = 0;
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i)
        diff = std::max(diff, std::abs(a[i] - b[i]));
    return diff;
}

class SynthTiming : public ::testing::Test {
protected:
    void SetUp() override
    {
        DZQ_REQUIRE_SOUNDFONT();
        system = std::make_unique<SingleDeviceSystem>(*run.synth);
        setMidiSystem(system.get());
        ASSERT_TRUE(OpenMidiOut(-1));
    }
    void TearDown() override { CloseMidiOut(); }

    Environment env;
    SynthRun run;
    std::unique_ptr<SingleDeviceSystem> system;
};

} // namespace

TEST_F(SynthTiming, TickMessagesSoundOnTheClockGridHoweverLateTheTickRan)
{
    StepTimer timer(nullptr, [this] { return run.now; });
    const uint32_t drums[] = {0x643899, 0x642A99, 0x502E99, 0x702399};
    int tick = 0;
    QObject::connect(&timer, &StepTimer::timeout, [&] {
        EXPECT_EQ(midiSendTime(), timer.idealTime());
        MidiShortMsg(0x99, (drums[tick] >> 8) & 0x7F, drums[tick] >> 16);
        ++tick;
    });
    timer.setInterval(58);
    timer.setEnabled(true);

    // Handled on time, 7 ms and 13 ms late, then later than the delay allows.
    const std::chrono::milliseconds lateness[] = {0ms, 7ms, 13ms, 31ms};
    std::vector<std::pair<int64_t, uint32_t>> plan;
    for (int i = 0; i < 4; ++i) {
        const auto ideal = std::chrono::milliseconds(58 * (i + 1));
        run.renderUntil(ideal + lateness[i]);
        timer.expire();
        // Too late for its block: the next one, never lost.
        plan.emplace_back(std::max(blockNearest(ideal + std::chrono::milliseconds(kDelayMs)), run.frames), drums[i]);
    }
    EXPECT_EQ(tick, 4);
    EXPECT_FALSE(midiSendTime()) << "outside a tick everything is live";
    run.renderUntil(600ms);

    SynthRun reference;
    reference.applyAt(plan, run.frames);
    EXPECT_GT(rms(run.out), 1e-3);
    EXPECT_LT(maxDifference(run.out, reference.out), 1e-6);
}

TEST_F(SynthTiming, LiveMessagesAreNeverDelayedAndKeepTheirChannelsOrder)
{
    StepTimer timer(nullptr, [this] { return run.now; });
    QObject::connect(&timer, &StepTimer::timeout, [] {
        MidiShortMsg(0x99, 38, 100); // a drum on its time
        MidiShortMsg(0x90, 60, 90);  // and a melody note
        MidiShortMsg(0x91, 67, 90);
    });
    timer.setInterval(58);
    timer.setEnabled(true);
    run.renderUntil(60ms);
    timer.expire();
    const int64_t tickBlock = blockNearest(std::chrono::milliseconds(58 + kDelayMs));

    // A key 10 ms later, while the tick's notes still wait: it sounds in the
    // next block, and the note the tick struck on its channel comes first
    // rather than after it; channel 1 keeps its time.
    run.renderUntil(70ms);
    const int64_t keyBlock = run.frames;
    ASSERT_LT(keyBlock, tickBlock);
    MidiShortMsg(0x80, 60, 0);
    MidiShortMsg(0x90, 64, 100);
    // A key on a quiet channel goes straight through.
    MidiShortMsg(0x92, 72, 100);
    run.renderUntil(400ms);

    SynthRun reference;
    reference.applyAt({{keyBlock, 0x5A3C90}, {keyBlock, 0x003C80}, {keyBlock, 0x644090}, {keyBlock, 0x644892},
                       {tickBlock, 0x642699}, {tickBlock, 0x5A4391}},
                      run.frames);
    EXPECT_LT(maxDifference(run.out, reference.out), 1e-6);
}

TEST_F(SynthTiming, ClosingDropsWhatWaitsSoNothingStartsAfterIt)
{
    SynthDevice &synth = *run.synth;
    run.renderUntil(60ms);
    EXPECT_EQ(synth.sendAt(0x643C90, run.t0 + 58ms), MidiOk);
    run.renderUntil(62ms);
    EXPECT_EQ(synth.close(), MidiOk);
    run.renderUntil(500ms);
    EXPECT_LT(rms(run.out), 1e-6) << "the note waiting for its time was dropped by the close";

    // Opened again, it plays as before.
    ASSERT_EQ(synth.open(), MidiOk);
    EXPECT_EQ(synth.send(0x643C90), MidiOk);
    const size_t before = run.out.size();
    run.renderUntil(800ms);
    EXPECT_GT(rms(std::vector<float>(run.out.begin() + long(before), run.out.end())), 1e-3);
}

TEST_F(SynthTiming, AKeyStruckRightAfterAReopenSounds)
{
    // Closed and opened again between two audio periods, as a device list
    // choosing the synthesizer again does: the close's silence still waits
    // for the renderer when the key comes, and must not end the key's note.
    SynthDevice &synth = *run.synth;
    EXPECT_EQ(synth.send(0x643C90), MidiOk);
    run.renderUntil(100ms);
    EXPECT_EQ(synth.close(), MidiOk);
    ASSERT_EQ(synth.open(), MidiOk);
    EXPECT_EQ(synth.send(0x644091), MidiOk);
    const int64_t keyFrame = run.frames;
    run.renderUntil(700ms);

    // As loud as the same key struck alone, half a second after the strike.
    SynthRun reference;
    reference.applyAt({{keyFrame, 0x644091}}, run.frames);
    const auto tail = [&](const std::vector<float> &out) {
        const long from = long(keyFrame + kRate / 2) * 2;
        return rms(std::vector<float>(out.begin() + from, out.end()));
    };
    EXPECT_GT(tail(reference.out), 1e-3);
    EXPECT_NEAR(tail(run.out), tail(reference.out), 1e-6);
}

TEST_F(SynthTiming, AFullQueueKeepsTheOrderOfWhatWasSent)
{
    // Thousands of timed messages wait (more than the queue holds); a note
    // struck and released by the clock among them, and a live release behind
    // them on another channel, still come in the order sent: nothing hangs.
    SynthDevice &synth = *run.synth;
    run.renderUntil(10ms);
    const auto at = run.t0 + 10ms;
    EXPECT_EQ(synth.sendAt(0x643C90, at), MidiOk);
    EXPECT_EQ(synth.sendAt(0x644091, at), MidiOk);
    for (int i = 0; i < 5000; ++i)
        EXPECT_EQ(synth.sendAt(0x6407B2 + (i % 2) * 0x10000, at + std::chrono::microseconds(i)), MidiOk);
    EXPECT_EQ(synth.sendAt(0x003C80, at + 200ms), MidiOk);
    EXPECT_EQ(synth.send(0x004081), MidiOk);
    run.renderUntil(200ms);
    const std::vector<float> held(run.out.begin() + long(blockNearest(100ms)) * 2, run.out.end());
    run.renderUntil(3000ms);
    EXPECT_GT(rms(held), 1e-3) << "the clock's note sounds until its release";
    EXPECT_LT(rms(std::vector<float>(run.out.end() - kRate, run.out.end())), 1e-5) << "a note hangs";
}
