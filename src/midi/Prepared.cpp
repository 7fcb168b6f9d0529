#include "midi/Prepared.h"

#include "midi/MidiOut.h"
#include "platform/EffectPlayer.h"
#include "platform/FileLookup.h"
#include "platform/StepTimer.h"
#include "shared/Shared.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <deque>
#include <optional>

namespace dzq {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto ChordSpread = std::chrono::milliseconds(10);

struct PendingNote {
    Clock::time_point due;
    int channel;
    uint32_t msg;
    // The time a clock tick gave the chord, spread like the note: the
    // synthesizer then sounds it on the tick's grid, not when it is sent.
    std::optional<Clock::time_point> sendTime;
};

// Delivers chord notes at their due times, in order.
class ChordSpreader {
public:
    void add(int channel, uint32_t msg, Clock::time_point due, std::optional<Clock::time_point> sendTime)
    {
        queue_.push_back({due, channel, msg, sendTime});
        arm();
    }
    Clock::time_point tail() const { return queue_.empty() ? Clock::time_point{} : queue_.back().due; }
    bool empty() const { return queue_.empty(); }
    void flush(int channel)
    {
        // Deliver the waiting notes of this channel now, keeping the others.
        std::deque<PendingNote> keep;
        std::deque<PendingNote> now;
        for (const PendingNote &p : queue_)
            (p.channel == channel ? now : keep).push_back(p);
        if (now.empty())
            return;
        queue_.swap(keep);
        for (const PendingNote &p : now)
            deliver(p);
        arm();
    }
    void drop()
    {
        queue_.clear();
        if (timer_)
            timer_->stop();
    }
    void deliverDue()
    {
        const auto now = Clock::now();
        while (!queue_.empty() && queue_.front().due <= now) {
            const PendingNote p = queue_.front();
            queue_.pop_front();
            deliver(p);
        }
        arm();
    }

private:
    static void deliver(const PendingNote &p)
    {
        std::optional<MidiSendTime> at;
        if (p.sendTime)
            at.emplace(*p.sendTime);
        if (const int rc = sendPackedMsg(p.msg); rc != MidiOk)
            ShowMidiError(rc);
    }
    void arm()
    {
        if (!timer_) {
            timer_ = new QTimer(QCoreApplication::instance());
            timer_->setSingleShot(true);
            timer_->setTimerType(Qt::PreciseTimer);
            QObject::connect(timer_, &QTimer::timeout, [this] { deliverDue(); });
        }
        if (queue_.empty()) {
            timer_->stop();
            return;
        }
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(queue_.front().due - Clock::now());
        timer_->start(int(std::max<int64_t>(0, wait.count())));
    }
    std::deque<PendingNote> queue_;
    QTimer *timer_ = nullptr;
};

ChordSpreader &spreader()
{
    static ChordSpreader s;
    return s;
}

} // namespace

void PlayRhythmStep(int step)
{
    if (step < 0 || step >= RhythmSteps)
        return;
    int last = MidiOk;
    bool sent = false;
    for (int record = 0; record <= 4; ++record) {
        const RhythmCell &cell = RhythmStepTable[std::size_t(record)][std::size_t(step)];
        if (cell.On == -1) {
            last = sendPackedMsg(static_cast<uint32_t>(cell.Msg));
            sent = true;
        }
    }
    if (sent && last != MidiOk)
        ShowMidiError(last);
}

void PlayRhythmStep() { PlayRhythmStep(CurStep); }

void PlayChord(int32_t code, int channel)
{
    int group = 0;
    int degree = 0;
    if (code >= 65 && code <= 71) {
        group = 1;
        degree = code - 64;
    } else if (code >= 72 && code <= 78) {
        group = 2;
        degree = code - 71;
    } else if (code >= 79 && code <= 85) {
        group = 3;
        degree = code - 78;
    }
    // Everything the three notes need is taken now, so whatever runs before
    // the later notes are due cannot move them to another key or velocity.
    const int velocity = (channel >= 0 && channel < 16) ? LineVolume[channel] : 0;
    const int base = KeyBase;
    ChordSpreader &s = spreader();
    const auto start = Clock::now();
    const auto tickTime = midiSendTime();
    auto due = std::max(start, s.tail());
    for (int n = 1; n <= 3; ++n) {
        ChordNoteText[n] = QString::number(ChordTable[group][degree][n]);
        const uint32_t msg = packShortMsg(0x90 + channel, ChordTable[group][degree][n] + base, velocity);
        if (n == 1 && s.empty() && due <= Clock::now()) {
            if (const int rc = sendPackedMsg(msg); rc != MidiOk)
                ShowMidiError(rc);
        } else {
            s.add(channel, msg, due, tickTime ? std::optional(*tickTime + (due - start)) : std::nullopt);
        }
        due += ChordSpread;
    }
}

void PlayChord() { PlayChord(ChordCode, ChordChannel); }

bool chordNotesPending() { return !spreader().empty(); }
void flushChordNotes(int channel) { spreader().flush(channel); }
void dropChordNotes() { spreader().drop(); }

void PlayKeypadDrum()
{
    if (KeypadDrumIndex < 0 || KeypadDrumIndex > 9)
        return;
    const RhythmCell &cell = RhythmStepTable[5][KeypadDrumIndex];
    if (const int rc = sendPackedMsg(static_cast<uint32_t>(cell.Msg)); rc != MidiOk)
        ShowMidiError(rc);
}

int effectIndexForKey(int keyCode)
{
    switch (keyCode) {
    case 45: return 0; // Insert
    case 36: return 1; // Home
    case 33: return 2; // Page Up
    case 46: return 3; // Delete
    case 35: return 4; // End
    case 34: return 5; // Page Down
    default: return 0;
    }
}

QString PlaySoundEffect()
{
    const int i = effectIndexForKey(EffectKey);
    const QString path = findFileLikeWindows(AppDir + QStringLiteral("音效"), EffectNames[i]);
    if (!path.isEmpty())
        EffectPlayer::instance().play(path);
    return EffectNames[i] + QStringLiteral("_音效");
}

void WaitMs(int ms)
{
    if (ms > 0)
        StepTimer::expectNoTick("WaitMs");
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QEventLoop loop;
        QTimer::singleShot(int(ms - clock.elapsed()), Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

} // namespace dzq
