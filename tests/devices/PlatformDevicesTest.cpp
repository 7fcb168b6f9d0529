// With no ALSA sequencer the ports fail quietly and readably, and only the
// built-in synthesizer is offered.
#include "Fakes.h"
#include "SynthRender.h"

#include "midi/MidiOut.h"
#include "midi/devices/AlsaMidi.h"
#include "midi/devices/PlatformMidiSystem.h"

#include <QComboBox>
#include <QFile>

#include <gtest/gtest.h>

using namespace dzq;

TEST(AlsaPorts, NoSequencerMeansNoPortsAndNoNoise)
{
    if (QFile::exists(QStringLiteral("/dev/snd/seq")))
        GTEST_SKIP() << "this machine has an ALSA sequencer; the no-sequencer path cannot be seen";
    testing::internal::CaptureStderr();
    {
        AlsaMidiSystem ports;
        EXPECT_EQ(ports.refresh(), 0);
        EXPECT_EQ(ports.refresh(), 0);
        EXPECT_EQ(ports.device(0), nullptr);

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

    // The program's list: the synthesizer alone, and no port 0 to open.
    PlatformMidiSystem platform(test::offlineOptions());
    test::Environment env;
    CloseMidiOut();
    setMidiSystem(&platform);
    QComboBox list;
    list.addItem(QStringLiteral("旧的"));
    EXPECT_TRUE(ListMidiOutDevices(list));
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(list.itemData(0).toInt(), -1);
    EXPECT_FALSE(OpenMidiOut(0));
    env.deliverBoxes();
    EXPECT_EQ(env.messages.shown.size(), 1u);
}
