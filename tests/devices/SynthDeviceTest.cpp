// The built-in synthesizer really sounds: key presses rendered offline are
// audible and fall silent after their release, programs change the sound, and
// what a MIDI cable cannot carry is dropped without a trace.
#include "SynthRender.h"

#include "midi/devices/SynthDevice.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace dzq;
using namespace dzq::test;

namespace {

constexpr double kAudible = 1e-3;
constexpr double kSilent = 1e-4; // the 16-bit output is dithered by about one LSB

class Synth : public ::testing::Test {
protected:
    void SetUp() override
    {
        DZQ_REQUIRE_SOUNDFONT();
        synth = makeOpen();
    }
    std::unique_ptr<SynthDevice> makeOpen()
    {
        auto s = std::make_unique<SynthDevice>(offlineOptions());
        EXPECT_EQ(s->open(), MidiOk);
        return s;
    }
    std::unique_ptr<SynthDevice> synth;
};

// Loudness of middle C held for a second after the given messages.
double heldNoteRms(SynthDevice &s, std::initializer_list<uint32_t> before, uint32_t noteOn = 0x643C90)
{
    for (uint32_t msg : before)
        EXPECT_EQ(s.send(msg), MidiOk);
    EXPECT_EQ(s.send(noteOn), MidiOk);
    return rmsFloat(s, 1.0);
}

} // namespace

TEST_F(Synth, KeyIsAudibleWhileHeldAndSilentAfterItsRelease)
{
    // Both forms of release: a note-on with velocity 0 and a note-off.
    const std::pair<uint32_t, uint32_t> keys[] = {{0x643C90, 0x003C90}, {0x504092, 0x004082}};
    for (auto [on, off] : keys) {
        SCOPED_TRACE(testing::Message() << std::hex << on);
        EXPECT_EQ(synth->send(on), MidiOk);
        EXPECT_GT(rmsFloat(*synth, 0.5), kAudible);
        EXPECT_EQ(synth->send(off), MidiOk);
        rmsInt16(*synth, 1.5);
        EXPECT_LT(rmsInt16(*synth, 0.5), kSilent);
    }
}

TEST_F(Synth, ProgramChangeChangesTheSound)
{
    const double piano = heldNoteRms(*synth, {0x0000B0, 0x0000C0});
    const double violin = heldNoteRms(*makeOpen(), {0x0000B0, 0x0028C0});
    EXPECT_GT(piano, kAudible);
    EXPECT_GT(violin, kAudible);
    EXPECT_GT(std::max(piano, violin) / std::min(piano, violin), 1.5) << piano << " vs " << violin;

    // Channel 9 plays the percussion kit: a snare sounds.
    EXPECT_GT(heldNoteRms(*makeOpen(), {}, 0x642699), kAudible);
}

TEST_F(Synth, MessagesAWireCannotCarryAreDroppedAndChangeNothing)
{
    // Program -1 ("0.无声") after program 40 leaves the violin in place.
    auto reference = makeOpen();
    EXPECT_EQ(reference->send(0x0028C0), MidiOk);
    EXPECT_EQ(reference->send(0x643C90), MidiOk);
    const std::vector<float> expected = renderFloat(*reference, 0.5);

    EXPECT_EQ(synth->send(0x0028C0), MidiOk);
    EXPECT_EQ(synth->send(0xFFFFFFC0), MidiOk);
    EXPECT_EQ(synth->send(0x643C90), MidiOk);
    EXPECT_EQ(renderFloat(*synth, 0.5), expected);

    // Notes whose bytes would sound if masked, a status-less message and
    // system messages: none of them reaches the synthesizer.
    auto quiet = makeOpen();
    for (uint32_t msg : {0x00C83C90u, 0x0064BC90u, 0x00643C00u, 0x00643C7Fu, 0x000000FFu, 0x00643CF0u}) {
        SCOPED_TRACE(testing::Message() << std::hex << msg);
        EXPECT_EQ(quiet->send(msg), MidiOk);
    }
    EXPECT_LT(rmsFloat(*quiet, 0.5), 1e-6);
}

TEST_F(Synth, BlindReleasesAndUnknownProgramsAreNoErrors)
{
    // The program ends notes by sending note-offs over whole ranges; an error
    // here would be shown to the user.
    for (int note = 36; note < 100; ++note)
        EXPECT_EQ(synth->send(0x80 + note * 256), MidiOk);
    // A bank the soundfont does not have and a program in it, pitch bend,
    // channel and key pressure.
    for (uint32_t msg : {0x003C90u, 0x7F00B3u, 0x7FC3u, 0x4000E0u, 0x40D0u, 0x403CA0u})
        EXPECT_EQ(synth->send(msg), MidiOk) << std::hex << msg;
}

TEST_F(Synth, CloseReleasesEverythingEvenUnderHeldPedals)
{
    EXPECT_EQ(synth->send(0x7F40B0), MidiOk);  // sustain down on channel 0
    EXPECT_EQ(synth->send(0x643C90), MidiOk);
    EXPECT_EQ(synth->send(0x644091), MidiOk);
    EXPECT_EQ(synth->send(0x7F42B1), MidiOk);  // sostenuto on channel 1 catches its note
    EXPECT_EQ(synth->send(0x644392), MidiOk);
    EXPECT_EQ(synth->send(0x004091), MidiOk);  // released, but held by sostenuto
    EXPECT_GT(rmsFloat(*synth, 0.2), kAudible);

    EXPECT_EQ(synth->close(), MidiOk);
    EXPECT_EQ(synth->send(0x643C90), MidiErrNotOpen);
    rmsInt16(*synth, 1.5);
    EXPECT_LT(rmsInt16(*synth, 0.5), kSilent);
}

TEST_F(Synth, VolumeScalesTheOutput)
{
    const double full = heldNoteRms(*synth, {});
    auto half = makeOpen();
    half->setVolume(0.5);
    EXPECT_NEAR(heldNoteRms(*half, {}) / full, 0.5, 0.05);
    auto mute = makeOpen();
    mute->setVolume(-1.0);
    EXPECT_LT(heldNoteRms(*mute, {}), 1e-6);
}

TEST(SynthSoundfont, UnreadableSoundfontFailsOpenReadably)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString junk = dir.filePath(QStringLiteral("坏的.sf2"));
    {
        QFile f(junk);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("RIFF\x10\0\0\0sfbkLIST", 16);
    }
    for (const QString &path : {dir.filePath(QStringLiteral("没有这个文件.sf2")), junk}) {
        SCOPED_TRACE(path.toStdString());
        SynthDevice synth(offlineOptions(path));
        EXPECT_TRUE(synth.soundfontPath().isEmpty());
        EXPECT_EQ(synth.open(), MidiErrNoSoundfont);
        EXPECT_TRUE(synth.errorText(MidiErrNoSoundfont).contains(path));
        EXPECT_TRUE(synth.statusText().contains(QStringLiteral("音色库")));
        // Still a working object: nothing is sent, rendering gives silence.
        EXPECT_EQ(synth.send(0x643C90), MidiErrNotOpen);
        EXPECT_EQ(synth.close(), MidiOk);
        EXPECT_LT(rmsFloat(synth, 0.1), 1e-6);
    }
}

TEST(SynthDriver, RunsWithoutAnAudioDevice)
{
    DZQ_REQUIRE_SOUNDFONT();
    // The usual driver order: whatever this machine offers, the device opens
    // and its status line names the driver or the missing output. While a
    // driver plays, or the output waits for a sound server to come, offline
    // rendering is refused. (A driver that cannot start is among the sound
    // faults.)
    SynthOptions options;
    options.soundfont = testSoundfont();
    SynthDevice synth(options);
    EXPECT_EQ(synth.open(), MidiOk);
    EXPECT_EQ(synth.send(0x643C90), MidiOk);
    float frames[2 * 64];
    if (synth.audioDriver().isEmpty())
        EXPECT_TRUE(synth.statusText().contains(QStringLiteral("没有可用的音频输出设备")));
    else
        EXPECT_TRUE(synth.statusText().contains(QStringLiteral("输出")));
    EXPECT_FALSE(synth.render(frames, 64));
    EXPECT_EQ(synth.close(), MidiOk);
}
