// The program without its sound: no soundfont for the built-in synthesizer,
// no audio output (none chosen, or no sound server to reach), no audio input
// for the recorder. It starts, says what is missing once, plays on silently
// (the synthesizer still renders offline), and no button waits for a device
// that is not there.
#include "../devices/SynthRender.h"
#include "FaultsSupport.h"

#include "keyboard/core/VirtualKeys.h"
#include "midi/MidiOut.h"
#include "midi/devices/PlatformMidiSystem.h"
#include "platform/AppPaths.h"
#include "platform/EffectPlayer.h"
#include "shared/Shared.h"

#include <QElapsedTimer>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QTest>

#include <gtest/gtest.h>

using namespace dzq;
using namespace dzq::test;

namespace {

constexpr int KeyG = 71;  // KC
constexpr int Space = 32; // stop

// The program started on the real synthesizer with options.
class OnSynth : public ::testing::Test {
protected:
    void start(const SynthOptions &options)
    {
        platform = std::make_unique<PlatformMidiSystem>(options);
        program = std::make_unique<Program>(tmp.path() + QStringLiteral("/数据/"));
        CloseMidiOut();
        setMidiSystem(platform.get());
        ASSERT_TRUE(program->load());
        w = program->showMainWindow();
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(program->settingsErrors, 0);
    }
    SynthDevice &synth() { return platform->synth(); }

    QTemporaryDir tmp;
    std::unique_ptr<PlatformMidiSystem> platform; // outlives the program
    std::unique_ptr<Program> program;
    Form1 *w = nullptr;
};

// A sound server address where nothing can be reached, for the life of the object.
struct NoSoundServer {
    const QByteArray old = qgetenv("PULSE_SERVER");
    const bool had = qEnvironmentVariableIsSet("PULSE_SERVER");
    NoSoundServer() { qputenv("PULSE_SERVER", "unix:/nonexistent/pulse/native"); }
    ~NoSoundServer() { had ? void(qputenv("PULSE_SERVER", old)) : void(qunsetenv("PULSE_SERVER")); }
};

} // namespace

TEST_F(OnSynth, WithoutASoundfontTheProgramStartsSaysSoOnceAndPlaysSilently)
{
    const QString missing = tmp.filePath(QStringLiteral("没有的音色库.sf2"));
    start(offlineOptions(missing));
    EXPECT_TRUE(synth().statusText().contains(QStringLiteral("音色库"))) << synth().statusText().toStdString();
    EXPECT_TRUE(synth().statusText().contains(missing));
    playAWhile(*w);
    program->env.deliverBoxes();
    const QStringList texts = program->env.messages.texts();
    ASSERT_EQ(texts.size(), 1) << texts.join('|').toStdString();
    EXPECT_TRUE(texts[0].contains(missing)) << texts[0].toStdString();
    EXPECT_LT(rmsFloat(synth(), 0.2), 1e-6);
}

TEST_F(OnSynth, WithoutAudioOutputTheProgramPlaysAndRendersOffline)
{
    DZQ_REQUIRE_SOUNDFONT();
    SynthOptions options;
    options.soundfont = testSoundfont();
    options.audioDriver = QStringLiteral("none");
    start(options);
    EXPECT_TRUE(synth().audioDriver().isEmpty());
    EXPECT_TRUE(synth().statusText().contains(QStringLiteral("未使用音频输出"))) << synth().statusText().toStdString();
    playAWhile(*w);
    EXPECT_TRUE(program->env.messages.shown.empty());

    // What the window sends is heard in an offline render: a key, then quiet
    // after the stop.
    rmsInt16(synth(), 1.5);
    w->SFYXYZ_KeyDown(KeyG, 0);
    EXPECT_GT(rmsFloat(synth(), 0.3), 1e-3);
    w->SFYXYZ_KeyUp(KeyG, 0);
    w->SFYXYZ_KeyDown(Space, 0);
    rmsInt16(synth(), 3.0); // the string ensemble's long release
    EXPECT_LT(rmsInt16(synth(), 0.5), 1e-4);
}

TEST_F(OnSynth, WithoutASoundServerTheProgramStartsAtOnceAndSaysSo)
{
    DZQ_REQUIRE_SOUNDFONT();
    NoSoundServer server;
    SynthOptions options;
    options.soundfont = testSoundfont();
    options.audioDriver = QStringLiteral("pulseaudio");
    QElapsedTimer clock;
    clock.start();
    start(options);
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_TRUE(synth().audioDriver().isEmpty());
    EXPECT_TRUE(synth().statusText().contains(QStringLiteral("pulseaudio"))) << synth().statusText().toStdString();
    playAWhile(*w);
    EXPECT_TRUE(program->env.messages.shown.empty());
    // The key reaches the synthesizer, which plays on into nothing until a
    // server comes.
    w->SFYXYZ_KeyDown(KeyG, 0);
    EXPECT_GT(synth().activeVoices(), 0);

    // The effect keys and the audio player on the program's own sound
    // system, which has no server to play to: nothing waits for one.
    EffectPlayer::install(nullptr);
    MediaInterpreter media(makeQtMediaBackend());
    MediaControl::install(&media);
    clock.restart();
    for (const int key : {vk::Insert, vk::Home, vk::Prior, vk::Delete, vk::End, vk::Next}) {
        w->SFYXYZ_KeyDown(key, 0);
        w->SFYXYZ_KeyUp(key, 0);
    }
    program->env.dialogs.answers.push_back(AppDir + effectsFolderName() + QStringLiteral("/钟声.wav"));
    w->Image1_Click(0);
    QTest::qWait(200);
    w->Timer2_Timer();
    w->Image1_Click(1);
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_FALSE(w->IsPlayingFile);
    w->closeRecorder();
    MediaControl::install(&program->env.media);
    EffectPlayer::install(&program->env.effects);
    EXPECT_TRUE(program->env.messages.shown.empty());
}

// No audio input: the record button says so at once, the recorder stays
// idle, and an input that gives out during a recording keeps what it took.
TEST(RecorderWithoutInput, RecordReportsItAtOnceAndNothingHangs)
{
    NoSoundServer server;
    QTemporaryDir tmp;
    Program program(tmp.path() + QStringLiteral("/数据/"));
    ASSERT_TRUE(program.load());
    Form1 *w = program.showMainWindow();
    ASSERT_NE(w, nullptr);

    auto expectRefused = [&](MediaControl &media) {
        MediaControl::install(&media);
        QElapsedTimer clock;
        clock.start();
        w->Image1_Click(2);
        EXPECT_LT(clock.elapsed(), 3000);
        EXPECT_EQ(w->FJWZ->text(), QStringLiteral("无法录音：没有可用的录音设备"));
        EXPECT_FALSE(w->IsRecording);
        EXPECT_FALSE(w->RecorderBusy);
        EXPECT_FALSE(w->BcLY->isEnabled());
        EXPECT_EQ(w->Image1[2]->geometry(), QRect(Form1::RecorderLeft[2], Form1::RecorderTop, Form1::RecorderSize,
                                                  Form1::RecorderSize));
        w->Timer2_Timer();
        EXPECT_EQ(w->Label12->text(), QStringLiteral("00:00:00"));
        MediaControl::install(&program.env.media);
    };

    auto fake = std::make_unique<CaptureBackend>();
    CaptureBackend *input = fake.get();
    input->haveInput = false;
    MediaInterpreter withoutInput(std::move(fake));
    expectRefused(withoutInput);

    // The input comes, then gives out while recording: the status clock
    // notices, and the sound taken so far can still be saved.
    input->haveInput = true;
    MediaControl::install(&withoutInput);
    w->Image1_Click(2);
    EXPECT_TRUE(w->IsRecording);
    input->capturing = false;
    w->Timer2_Timer();
    EXPECT_FALSE(w->IsRecording);
    EXPECT_EQ(w->FJWZ->text(), QStringLiteral("录音机已停止。。。"));
    const QString saved = tmp.filePath(QStringLiteral("断了.wav"));
    program.env.dialogs.answers.push_back(saved);
    w->BcLY_Click();
    EXPECT_EQ(w->FJWZ->text(), QStringLiteral("成功保存录音。。。"));
    EXPECT_GT(bytesOf(saved).size(), 44);
    MediaControl::install(&program.env.media);

    // The program's own sound system on a machine without any input.
    if (!QMediaDevices::audioInputs().isEmpty())
        GTEST_SKIP() << "this machine has an audio input; the fake input above stood in for none";
    MediaInterpreter qtMedia(makeQtMediaBackend());
    expectRefused(qtMedia);
}

// No MIDI output at all (no synthesizer, no port): the device list is empty,
// the program starts, says once that nothing can sound, and plays on.
TEST(NoMidiOutput, TheProgramStartsSaysSoOnceAndPlaysOn)
{
    QTemporaryDir tmp;
    Program program(tmp.path() + QStringLiteral("/数据/"));
    CloseMidiOut();
    program.env.midi.hasMapper = false;
    ASSERT_TRUE(program.load());
    Form1 *w = program.showMainWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->ComDevies->count(), 0);
    EXPECT_FALSE(midiOutIsOpen());
    playAWhile(*w);
    playAWhile(*w);
    EXPECT_FALSE(w->ScorePlaying);
    program.env.deliverBoxes();
    EXPECT_EQ(program.env.messages.shown.size(), 1u) << program.env.messages.texts().join('|').toStdString();
}
