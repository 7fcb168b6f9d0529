// The MIDI device dies in the middle of a score with rhythm and chords. The
// user gets one error box; the window's clocks go on ticking inside that box's
// event loop (as they do in the program) without opening another or running
// wild; choosing the device again in the device list brings the sound back,
// and when the score is stopped nothing is left sounding on the device.
#include "../keyboard_window/Form1Fixture.h"
#include "FaultsSupport.h"

#include "midi/HangingNotes.h"
#include "midi/MidiOut.h"
#include "shared/Shared.h"

#include <QElapsedTimer>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

using namespace dzq;
using namespace dzq::test;

namespace {

// A user who reads every box for a while: the box is a real modal one, so
// the clocks tick inside its event loop.
class ReadingUser final : public MessageService {
public:
    int readingMs = 700;
    QStringList texts;
    int open = 0;     // boxes open now
    int deepest = 0;  // most boxes open at once
    void timedInfo(const QString &caption, const QString &text, int) override { show(caption, text); }
    void plain(const QString &text) override { show(programTitle(), text); }
    bool ask(const QString &caption, const QString &text) override
    {
        show(caption, text);
        return true;
    }

private:
    void show(const QString &caption, const QString &text)
    {
        texts << text;
        deepest = std::max(deepest, ++open);
        QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok);
        QTimer::singleShot(readingMs, &box, &QMessageBox::accept);
        box.exec();
        --open;
    }
};

class MidiDeviceFailure : public Form1Test {
protected:
    MidiDeviceFailure() { MessageService::install(&user); }
    ~MidiDeviceFailure() override
    {
        for (StepTimer *clock : {w.Timer1, w.Timer2, w.Timer3, w.BZDS, w.HXYS})
            clock->setEnabled(false);
        MessageService::install(&env.messages);
    }

    // The clocks' counters within their ranges.
    void expectSaneCounters() const
    {
        const auto in = [](qint64 v, qint64 low, qint64 high) { return low <= v && v <= high; };
        EXPECT_TRUE(in(AccompTick, 0, 2 * RhythmLastStep + 1)) << AccompTick;
        EXPECT_TRUE(in(CurStep, 0, RhythmLastStep)) << CurStep;
        EXPECT_TRUE(in(AccompStep, 0, std::max(1, int(ChordSeqLen)) - 1)) << AccompStep;
        EXPECT_TRUE(in(ChordStep, 1, std::max(1, int(ChordCycle)))) << ChordStep;
        EXPECT_TRUE(in(w.ScorePos, 1, ScoreText.size() + 1)) << w.ScorePos;
        EXPECT_TRUE(in(w.LiveNoteTicks, 0, 99)) << w.LiveNoteTicks;
    }
    static bool anyNoteOn(const std::vector<uint32_t> &msgs, int channel)
    {
        return std::any_of(msgs.begin(), msgs.end(), [channel](uint32_t m) {
            return m == ((m & 0xFFFF00) | 0x90 | uint32_t(channel)) && (m >> 16 & 0xFF) > 0;
        });
    }

    // What plays runs on clock for a while, the device dies, runs on without
    // it, is chosen again in the list and plays on; then stop() ends it. The
    // whole stream the device received must leave nothing sounding.
    void dieAndRecover(StepTimer *clock, int soundingChannel, const std::function<void()> &stop)
    {
        int ticks = 0, ticksInBox = 0;
        QObject::connect(clock, &StepTimer::timeout, &w, [&] {
            ++ticks;
            ticksInBox += user.open > 0;
        });
        ASSERT_TRUE(clock->isRunning());
        QTest::qWait(500);
        std::vector<uint32_t> stream = env.take();
        ASSERT_TRUE(anyNoteOn(stream, soundingChannel));

        // The device gives out a few messages later.
        env.synth().sendResult = MidiErrDeviceLost;
        env.synth().failAfter = 5;
        QElapsedTimer elapsed;
        elapsed.start();
        const int ticksBefore = ticks;
        QTest::qWait(1500);
        const int ticksWhileDead = ticks - ticksBefore;
        const qint64 ms = elapsed.elapsed();

        ASSERT_EQ(user.texts.size(), 1) << user.texts.join('|').toStdString();
        EXPECT_EQ(user.texts[0], env.synth().errorText(MidiErrDeviceLost));
        EXPECT_EQ(user.deepest, 1);
        EXPECT_GE(ticksInBox, 2) << "the clocks ran on while the box was open";
        // One tick an interval, neither stopped nor catching up in a burst.
        EXPECT_TRUE(clock->isRunning());
        EXPECT_EQ(clock->interval(), StepMs);
        EXPECT_LE(ticksWhileDead, ms / StepMs + 2);
        EXPECT_GE(ticksWhileDead, ms / StepMs / 2);
        expectSaneCounters();
        const std::vector<uint32_t> whileDead = env.take();
        stream.insert(stream.end(), whileDead.begin(), whileDead.end());

        // The device works again; choosing it in the list reopens it.
        env.synth().failAfter = -1;
        env.synth().sendResult = MidiOk;
        w.ComDevies->setListIndex(0);
        EXPECT_TRUE(midiOutIsOpen());
        QTest::qWait(500);
        EXPECT_EQ(user.texts.size(), 1);
        const std::vector<uint32_t> after = env.take();
        EXPECT_TRUE(anyNoteOn(after, soundingChannel)) << "it sounds again";
        stream.insert(stream.end(), after.begin(), after.end());
        expectSaneCounters();

        stop();
        const std::vector<uint32_t> end = env.take();
        stream.insert(stream.end(), end.begin(), end.end());
        EXPECT_EQ(describeHangingNotes(hangingNotes(stream)).toStdString(), "");
    }

    ReadingUser user;
};

} // namespace

TEST_F(MidiDeviceFailure, DuringAScoreWithRhythmAndChords)
{
    w.Check5->setValue(1);
    w.Text3->setPlainText(QStringLiteral("KC2KE2KG2HC2KG2KE2").repeated(40) + QStringLiteral("TZ"));
    w.Yuepu_Click(0);
    dieAndRecover(w.Timer3, 0, [&] {
        EXPECT_TRUE(w.ScorePlaying);
        w.Yuepu_MouseDown(0);
        w.Yuepu_Click(0);
        EXPECT_FALSE(w.ScorePlaying);
    });
}

TEST_F(MidiDeviceFailure, DuringTheRhythmAndChordsWithoutAScore)
{
    for (std::size_t i = 0; i < 16; ++i) // a drum on every step (half a beat)
        w.BZA[i]->setValue(1);
    w.BzQd->setValue(1);
    dieAndRecover(w.BZDS, 9, [&] {
        w.SFYXYZ_KeyDown(32, 0); // Space stops everything
        w.SFYXYZ_KeyUp(32, 0);
        EXPECT_FALSE(w.BZDS->isRunning());
    });
}
