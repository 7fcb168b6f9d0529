// Rhythm steps, chords, sound effects and waiting.
#include "Fakes.h"

#include "midi/MidiOut.h"
#include "midi/Prepared.h"
#include "platform/StepTimer.h"
#include "shared/Shared.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace dzq;
using Msgs = std::vector<uint32_t>;

namespace {

const QString Resource510 = QStringLiteral(
    "7,12,16,9,14,17,11,16,19,12,17,21,14,19,23,16,21,24,17,23,26,"
    "12,16,19,14,17,21,16,19,23,17,21,24,19,23,26,21,24,28,23,26,31,"
    "16,19,24,17,21,26,19,23,28,21,24,29,23,26,31,24,28,33,26,31,35\r\n\r\n\r\n");

void setCell(int record, int step, int on, int note, int vol)
{
    RhythmCell &c = RhythmStepTable[record][step];
    c.On = int16_t(on);
    c.Note = int16_t(note);
    c.Vol = int16_t(vol);
    c.Msg = percussionMsg(note, vol);
}

// Messages sent with the time each arrived.
struct TimedTap : MidiTap {
    QElapsedTimer clock;
    std::vector<std::pair<uint32_t, qint64>> seen;
    TimedTap() { clock.start(); }
    void record(uint32_t m) override { seen.emplace_back(m, clock.elapsed()); }
};

} // namespace

TEST(RhythmStep, SendsSoundingRecordsInOrder)
{
    test::Environment env;
    CurStep = 5;
    setCell(0, 5, -1, 36, 100);
    setCell(1, 5, 0, 38, 100);   // silent
    setCell(2, 5, 1, 42, 90);    // only exactly -1 sounds
    setCell(3, 5, -1, 46, 80);
    setCell(4, 5, -1, 49, 70);
    PlayRhythmStep();
    EXPECT_EQ(env.take(), (Msgs{0x642499u, 0x502E99u, 0x463199u}));
    CurStep = 6;
    PlayRhythmStep();
    EXPECT_TRUE(env.take().empty());
    // Another player passes its own cursor; the keyboard's stays where it is.
    PlayRhythmStep(5);
    EXPECT_EQ(env.take(), (Msgs{0x642499u, 0x502E99u, 0x463199u}));
    EXPECT_EQ(CurStep, 6);
    PlayRhythmStep(RhythmSteps);
    PlayRhythmStep(-1);
    CurStep = RhythmSteps; // outside the table: nothing, no crash
    PlayRhythmStep();
    CurStep = -1;
    PlayRhythmStep();
    EXPECT_TRUE(env.take().empty());
}

TEST(RhythmStep, FailingDeviceShowsAtMostOneBoxPerStep)
{
    test::Environment env;
    CurStep = 0;
    for (int r = 0; r <= 4; ++r)
        setCell(r, 0, -1, 36 + r, 100);
    env.synth().sendResult = MidiErrDeviceLost;
    PlayRhythmStep();
    env.deliverBoxes();
    EXPECT_EQ(env.messages.shown.size(), 1u);
    // Only the last message decides: a step whose last send succeeded is quiet.
    ASSERT_TRUE(OpenMidiOut(-1));
    env.synth().sendResult = MidiErrDeviceLost;
    env.synth().failAfter = 0;
    setCell(4, 1, -1, 40, 100);
    CurStep = 1;
    PlayRhythmStep();
    env.deliverBoxes();
    EXPECT_EQ(env.messages.shown.size(), 2u);
}

TEST(Chord, CodesPickGroupAndDegree)
{
    test::Environment env;
    ASSERT_TRUE(fillChordTable(Resource510));
    EXPECT_FALSE(fillChordTable(QStringLiteral("1,2,3"))); // refused, the table stays
    LineVolume[4] = 70;
    ChordChannel = 4;
    TimedTap tap;
    setMidiTap(&tap);
    ChordCode = 72; // "CC"
    PlayChord();
    ChordCode = 79;
    ChordChannel = 5;
    PlayChord(85, 4); // "BM" on channel 4: the arguments, not the shared inputs
    ChordChannel = 4;
    ChordCode = 64; // not a chord: three times KeyBase
    PlayChord();
    QTRY_COMPARE_WITH_TIMEOUT(tap.seen.size(), size_t(9), 2000);
    setMidiTap(nullptr);
    Msgs notes;
    for (auto &[m, t] : tap.seen)
        notes.push_back(m);
    EXPECT_EQ(notes, (Msgs{0x463094u, 0x463494u, 0x463794u, 0x463E94u, 0x464394u, 0x464794u,
                           0x462494u, 0x462494u, 0x462494u}));
    // Each chord spreads over 20 ms and the next starts where the last ended:
    // note i is due 10 * (i - i / 3) ms after the first; it may come late, never early.
    for (size_t i = 1; i < tap.seen.size(); ++i) {
        const qint64 due = 10 * qint64(i - i / 3);
        EXPECT_GE(tap.seen[i].second - tap.seen[0].second, due - 1) << "note " << i;
    }
    EXPECT_EQ(ChordNoteText[1], QStringLiteral("0"));
}

TEST(Chord, SpreadNotesKeepTheSettingsOfTheStartAndComeBeforeARelease)
{
    test::Environment env;
    ASSERT_TRUE(fillChordTable(Resource510));
    LineVolume[3] = 60;
    LineVolume[5] = 30;
    ChordChannel = 3;
    ChordCode = 65;
    PlayChord();
    // Whatever runs while the chord spreads changes the shared inputs.
    ChordChannel = 5;
    KeyBase = 40;
    QTRY_COMPARE_WITH_TIMEOUT(env.synth().sent.size(), size_t(3), 2000);
    EXPECT_EQ(env.take(), (Msgs{0x3C2B93u, 0x3C3093u, 0x3C3493u}));

    // A release on the channel while notes wait sends them first.
    KeyBase = 36;
    ChordChannel = 3;
    ChordCode = 72;
    PlayChord();
    for (int n = 0; n <= 63; ++n)
        MidiNoteOff(3, KeyBase + n);
    const Msgs sent = env.take();
    ASSERT_EQ(sent.size(), 3u + 64u);
    EXPECT_EQ(sent[2], 0x3C3793u); // the chord's third note came before the release loop
    QTest::qWait(40);
    EXPECT_TRUE(env.take().empty());
}

TEST(Effects, PlaysFoundFilesAndAlwaysNamesTheLabel)
{
    test::Environment env;
    QTemporaryDir dir;
    AppDir = dir.path() + QLatin1Char('/');
    QDir(dir.path()).mkdir(QStringLiteral("音效"));
    QFile f(AppDir + QStringLiteral("音效/钟声.wav"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("RIFF");
    f.close();
    EffectNames = {QStringLiteral("拍手1.wav"), QStringLiteral("钟声.wav "), QStringLiteral("锣2.wav"),
                   QString(), QStringLiteral("../钟声.wav"), QStringLiteral("钟声.WAV")};
    EffectKey = 36; // Home: the trailing blank is ignored as Windows does
    EXPECT_EQ(PlaySoundEffect(), QStringLiteral("钟声.wav _音效"));
    EffectKey = 34; // Page Down: case is ignored
    PlaySoundEffect();
    ASSERT_EQ(env.effects.played.size(), 2);
    EXPECT_TRUE(env.effects.played[0].endsWith(QStringLiteral("音效/钟声.wav")));
    EffectKey = 45; // missing file: nothing plays, the label is still named
    EXPECT_EQ(PlaySoundEffect(), QStringLiteral("拍手1.wav_音效"));
    EffectKey = 46; // empty name
    EXPECT_EQ(PlaySoundEffect(), QStringLiteral("_音效"));
    EffectKey = 35; // a path outside the folder is refused
    PlaySoundEffect();
    EXPECT_EQ(env.effects.played.size(), 2);
}

TEST(Waiting, ZeroReturnsAtOnceAndOthersLetEventsRun)
{
    QElapsedTimer t;
    t.start();
    WaitMs(0);
    WaitMs(-5);
    EXPECT_LT(t.elapsed(), 5);
    bool ran = false;
    QTimer::singleShot(5, [&] { ran = true; });
    t.restart();
    WaitMs(30);
    EXPECT_GE(t.elapsed(), 30);
    EXPECT_TRUE(ran);
}

#ifndef NDEBUG
TEST(Wait, DebugBuildsStopAtAWaitInsideAClockTick)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    StepTimer::Clock::time_point now{};
    StepTimer clock(nullptr, [&] { return now; });
    QObject::connect(&clock, &StepTimer::timeout, [] { WaitMs(5); });
    clock.setInterval(10);
    clock.setEnabled(true);
    now += std::chrono::milliseconds(10);
    EXPECT_DEATH(clock.expire(), "WaitMs was started inside a clock tick");
}
#endif
