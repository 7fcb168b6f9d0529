// The platform's device list and the ALSA ports' failure path: with no
// sequencer only the built-in synthesizer is offered, silently, and the whole
// chain from MidiOut through the log tap to the synthesizer works.
#include "Fakes.h"
#include "SynthRender.h"

#include "midi/MidiOut.h"
#include "midi/devices/AlsaMidi.h"
#include "midi/devices/MidiLogFile.h"
#include "midi/devices/PlatformMidiSystem.h"

#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace dzq;
using namespace dzq::test;

namespace {

bool haveSequencer() { return QFile::exists(QStringLiteral("/dev/snd/seq")); }

#define DZQ_REQUIRE_NO_SEQUENCER()                                                                   \
    if (haveSequencer())                                                                             \
    GTEST_SKIP() << "this machine has an ALSA sequencer; the no-sequencer path cannot be seen"

} // namespace

TEST(AlsaPorts, NoSequencerMeansNoPortsAndNoNoise)
{
    DZQ_REQUIRE_NO_SEQUENCER();
    testing::internal::CaptureStderr();
    {
        AlsaMidiSystem ports;
        EXPECT_EQ(ports.refresh(), 0);
        EXPECT_EQ(ports.refresh(), 0);
        EXPECT_EQ(ports.count(), 0);
        EXPECT_EQ(ports.device(0), nullptr);
        EXPECT_EQ(ports.device(-1), nullptr);

        // A port device (as if listed earlier) fails to open with a readable
        // text that names it, and stays usable.
        AlsaPortDevice port(ports, 128, 0, QStringLiteral("外接音源 (128:0)"));
        const int rc = port.open();
        EXPECT_NE(rc, MidiOk);
        EXPECT_TRUE(port.errorText(rc).contains(QStringLiteral("外接音源 (128:0)"))) << port.errorText(rc).toStdString();
        EXPECT_EQ(port.send(0x643C90), MidiErrNotOpen);
        EXPECT_EQ(port.close(), MidiOk);
        EXPECT_FALSE(port.errorText(MidiErrDeviceLost).isEmpty());
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

class PlatformList : public ::testing::Test {
protected:
    void SetUp() override { DZQ_REQUIRE_NO_SEQUENCER(); }
};

TEST_F(PlatformList, OnlyTheSynthesizerIsListedAndItPlaysThroughMidiOut)
{
    DZQ_REQUIRE_SOUNDFONT();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString logPath = dir.filePath(QStringLiteral("midi.log"));
    PlatformMidiSystem platform(offlineOptions());
    {
        MidiLogFile log(logPath);
        ASSERT_TRUE(log.isOpen());
        Environment env; // scripted message boxes; replaced MIDI system below
        CloseMidiOut();
        setMidiSystem(&platform);
        setMidiTap(&log);

        QComboBox list;
        list.addItem(QStringLiteral("旧的"));
        EXPECT_TRUE(ListMidiOutDevices(list));
        ASSERT_EQ(list.count(), 1);
        EXPECT_EQ(list.itemText(0), QStringLiteral("内置合成器"));
        EXPECT_EQ(list.itemData(0).toInt(), -1);
        EXPECT_EQ(platform.deviceCount(), 0);
        EXPECT_EQ(platform.device(0), nullptr);

        ASSERT_TRUE(OpenMidiOut(-1));
        EXPECT_EQ(openMidiDevice(), &platform.synth());
        MidiProgramChange(0, 0, -1); // "0.无声": dropped by the device, still logged
        MidiNoteOn(0, 60, 100);
        EXPECT_TRUE(env.messages.shown.empty());
        EXPECT_GT(rmsFloat(platform.synth(), 0.3), 1e-3);
        CloseMidiOut();
        rmsInt16(platform.synth(), 1.5);
        EXPECT_LT(rmsInt16(platform.synth(), 0.5), 1e-4);
        EXPECT_FALSE(OpenMidiOut(0)); // no port 0
    }
    QFile file(logPath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    std::vector<uint32_t> logged;
    for (const QByteArray &line : file.readAll().split('\n'))
        if (!line.isEmpty()) {
            const auto entry = parseMidiLogLine(line.toStdString());
            ASSERT_TRUE(entry) << line.toStdString();
            logged.push_back(entry->msg);
        }
    // Closing ends the note that still sounds, and the log shows it.
    EXPECT_EQ(logged, (std::vector<uint32_t>{0x0000B0, 0xFFFFFFC0, 0x000AB0, 0x643C90, 0x003C80}));
}

TEST_F(PlatformList, MissingSoundfontIsReportedWhenTheSynthesizerIsChosen)
{
    SynthOptions options = offlineOptions(QStringLiteral("/nonexistent/音色库.sf2"));
    PlatformMidiSystem platform(options);
    EXPECT_TRUE(platform.synth().statusText().contains(QStringLiteral("音色库")));
    Environment env;
    CloseMidiOut();
    setMidiSystem(&platform);

    QComboBox list;
    EXPECT_TRUE(ListMidiOutDevices(list)); // still offered, so the user sees why it fails
    EXPECT_FALSE(OpenMidiOut(-1));
    ASSERT_EQ(env.messages.shown.size(), 1u);
    EXPECT_TRUE(env.messages.shown[0].text.contains(QStringLiteral("/nonexistent/音色库.sf2")));
    EXPECT_FALSE(midiOutIsOpen());
}
