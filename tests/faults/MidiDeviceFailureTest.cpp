// The MIDI device dies in the middle of a score with rhythm and chords. The
// user gets one error box; the window's clocks go on ticking inside that box's
// event loop (as they do in the program) without opening another or running
// wild; choosing the device again in the device list brings the sound back,
// and when the score is stopped nothing is left sounding on the device.
#include "../keyboard_window/Form1Fixture.h"
#include "FaultsSupport.h"

#include "midi/HangingNotes.h"
#include "midi/MidiOut.h"
#include "midi/Shared.h"

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
    MidiDeviceFailure()
    {
        MessageService::install(&user);
        connect();
    }
    ~MidiDeviceFailure() override
    {
        for (StepTimer *clock : {w.Timer2, w.Timer3, w.BZDS, w.HXYS})
            clock->setEnabled(false);
        MessageService::install(&env.messages);
    }
    void connect()
    {
        QObject::connect(w.Timer3, &StepTimer::timeout, &w, [this] {
            ++ticks;
            if (user.open > 0)
                ++ticksInBox;
        });
    }
    // The clocks' counters within their ranges.
    void expectSaneCounters() const
    {
        EXPECT_GE(AccompTick, 0);
        EXPECT_LE(AccompTick, 2 * RhythmLastStep + 1);
        EXPECT_GE(CurStep, 0);
        EXPECT_LE(CurStep, RhythmLastStep);
        EXPECT_GE(AccompStep, 0);
        EXPECT_LT(AccompStep, std::max(1, int(ChordSeqLen)));
        EXPECT_GE(ChordStep, 1);
        EXPECT_LE(ChordStep, ChordCycle);
        EXPECT_GE(w.ScorePos, 1);
        EXPECT_LE(w.ScorePos, ScoreText.size() + 1);
    }
    static bool anyNoteOn(const std::vector<uint32_t> &msgs)
    {
        return std::any_of(msgs.begin(), msgs.end(),
                           [](uint32_t m) { return (m & 0xF0) == 0x90 && (m >> 16 & 0xFF) > 0; });
    }

    ReadingUser user;
    int ticks = 0;
    int ticksInBox = 0;
};

} // namespace

TEST_F(MidiDeviceFailure, OneBoxNoCascadeSaneClocksAndReopeningRecovers)
{
    // A long score with the rhythm and the chords following it.
    w.Check5->setValue(1);
    w.Text3->setPlainText(QStringLiteral("KC2KE2KG2HC2KG2KE2").repeated(40) + QStringLiteral("TZ"));
    w.Yuepu_Click(0);
    ASSERT_TRUE(w.Timer3->isRunning());
    QTest::qWait(400);
    ASSERT_GT(ticks, 0);
    std::vector<uint32_t> stream = env.take();
    ASSERT_TRUE(anyNoteOn(stream));

    // The device gives out a few messages later.
    env.synth().sendResult = MidiErrDeviceLost;
    env.synth().failAfter = 5;
    QElapsedTimer clock;
    clock.start();
    const int ticksBefore = ticks;
    QTest::qWait(1500);
    const int ticksWhileDead = ticks - ticksBefore;
    const qint64 elapsed = clock.elapsed();

    ASSERT_EQ(user.texts.size(), 1) << user.texts.join('|').toStdString();
    EXPECT_EQ(user.texts[0], env.synth().errorText(MidiErrDeviceLost));
    EXPECT_EQ(user.deepest, 1);
    EXPECT_GE(ticksInBox, 2) << "the clocks ran on while the box was open";
    // One tick an interval, neither stopped nor catching up in a burst.
    EXPECT_TRUE(w.Timer3->isRunning());
    EXPECT_EQ(w.Timer3->interval(), StepMs);
    EXPECT_LE(ticksWhileDead, elapsed / StepMs + 2);
    EXPECT_GE(ticksWhileDead, elapsed / StepMs / 2);
    EXPECT_TRUE(w.ScorePlaying);
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
    EXPECT_TRUE(anyNoteOn(after)) << "the score sounds again";
    stream.insert(stream.end(), after.begin(), after.end());
    expectSaneCounters();

    w.Yuepu_MouseDown(0);
    w.Yuepu_Click(0);
    EXPECT_FALSE(w.ScorePlaying);
    const std::vector<uint32_t> stop = env.take();
    stream.insert(stream.end(), stop.begin(), stop.end());
    EXPECT_EQ(describeHangingNotes(hangingNotes(stream)).toStdString(), "");
}
