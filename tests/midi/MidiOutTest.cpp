// The packing, pan and program-change rules of the MIDI output layer, device
// listing and opening, and the error reporting that must not bury the window.
#include "Fakes.h"

#include "midi/MidiOut.h"
#include "midi/SoundingNotes.h"
#include "shared/Shared.h"

#include <QComboBox>

#include <gtest/gtest.h>

using namespace dzq;
using Msgs = std::vector<uint32_t>;

TEST(Packing, SignedSumMasksNothing)
{
    EXPECT_EQ(packShortMsg(0x84, 60, 0), 0x003C84u);
    EXPECT_EQ(packShortMsg(0x90, 60, 100), 0x643C90u);
    // Program -1 ("none") spills into the upper bytes.
    EXPECT_EQ(packShortMsg(0xC2, -1, 0), 0xFFFFFFC2u);
    EXPECT_EQ(packShortMsg(0x99, 35, 100), uint32_t(percussionMsg(35, 100)));
}

TEST(Messages, PanBeforeEachNoteAndBankSelectBeforeEachProgram)
{
    test::Environment env;
    // Channel 1's pan follows the pitch; the others use their fixed pan.
    KeyBase = 36;
    for (auto [offset, pan] : {std::pair{0, 20}, {9, 20}, {39, 107}, {20, 52}}) {
        MidiNoteOn(1, KeyBase + offset, 90);
        EXPECT_EQ(env.take(), (Msgs{packShortMsg(0xB1, 10, pan), packShortMsg(0x91, KeyBase + offset, 90)}))
            << "offset " << offset;
    }
    ChannelPan = {64, 50, 78, 40, 88, 35, 93, 64};
    MidiNoteOn(3, 60, 80);
    EXPECT_EQ(env.take(), (Msgs{0x280AB3u, 0x503C93u}));
    MidiNoteOn(9, 42, 100);
    EXPECT_EQ(env.take(), (Msgs{0x000AB9u, 0x642A99u}));

    MidiProgramChange(0, 0, 24);
    EXPECT_EQ(env.take(), (Msgs{0x0000B0u, 0x0018C0u}));
    MidiProgramChange(2, 0, -1);
    EXPECT_EQ(env.take(), (Msgs{0x0000B2u, 0xFFFFFFC2u}));
    MidiNoteOff(4, 60);
    MidiControlChange(5, 91, 40);
    EXPECT_EQ(env.take(), (Msgs{0x003C84u, 0x285BB5u}));
}

TEST(Devices, ListShowsMapperFirstAndSkipsUnreadableDevices)
{
    test::Environment env;
    env.midi.devices.push_back(std::make_unique<test::RecordingDevice>(QStringLiteral("端口甲")));
    env.midi.devices.push_back(std::make_unique<test::RecordingDevice>(QStringLiteral("端口乙")));
    env.midi.devices.push_back(std::make_unique<test::RecordingDevice>(QStringLiteral("端口丙")));
    env.midi.readable = {true, false, true};
    QComboBox list;
    list.addItem(QStringLiteral("旧的"));
    EXPECT_TRUE(ListMidiOutDevices(list));
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.itemText(0), QStringLiteral("内置合成器"));
    EXPECT_EQ(list.itemData(0).toInt(), -1);
    EXPECT_EQ(list.itemData(1).toInt(), 0);
    EXPECT_EQ(list.itemData(2).toInt(), 2);

    // Nothing to list: the list is left empty.
    env.midi.hasMapper = false;
    env.midi.devices.clear();
    EXPECT_FALSE(ListMidiOutDevices(list));
    EXPECT_EQ(list.count(), 0);
}

TEST(Devices, OpeningClosesTheOldDeviceFirstAndReportsAFailure)
{
    test::Environment env;
    env.midi.devices.push_back(std::make_unique<test::RecordingDevice>());
    ASSERT_TRUE(midiOutIsOpen());
    EXPECT_TRUE(OpenMidiOut(0));
    EXPECT_EQ(env.synth().closes, 1);
    EXPECT_FALSE(env.synth().isOpen);
    EXPECT_EQ(openMidiOutId(), 0);
    MidiNoteOff(0, 60);
    EXPECT_EQ(env.midi.devices[0]->sent, (Msgs{0x003C80u}));
    EXPECT_TRUE(env.messages.shown.empty());

    // A failed open is reported and leaves no device open.
    env.midi.devices[0]->openResult = MidiErrOpenFailed;
    EXPECT_FALSE(OpenMidiOut(0));
    EXPECT_FALSE(midiOutIsOpen());
    env.deliverBoxes();
    ASSERT_EQ(env.messages.shown.size(), 1u);
    EXPECT_EQ(env.messages.shown[0].kind, test::ShownMessage::Plain);
    EXPECT_EQ(env.messages.shown[0].text, QStringLiteral("测试设备错误 5"));
    // A missing id is reported too.
    EXPECT_FALSE(OpenMidiOut(7));
    env.deliverBoxes();
    EXPECT_EQ(env.messages.shown.size(), 2u);
}

// Ports as a sequencer offers them: plugged in and out at any time, numbered
// anew by each listing.
class PluggedPorts final : public MidiSystem {
public:
    std::vector<test::RecordingDevice *> present;
    MidiDevice *mapper() override { return nullptr; }
    int deviceCount() override
    {
        listed = present;
        return int(listed.size());
    }
    MidiDevice *device(int id) override { return id >= 0 && id < int(listed.size()) ? listed[size_t(id)] : nullptr; }

private:
    std::vector<test::RecordingDevice *> listed;
};

TEST(Devices, APortOpensAsListedThoughPortsCameAndWentSince)
{
    test::Environment env;
    test::RecordingDevice a(QStringLiteral("端口甲")), b(QStringLiteral("端口乙")), c(QStringLiteral("端口丙"));
    PluggedPorts ports;
    ports.present = {&a, &b};
    setMidiSystem(&ports);
    QComboBox list;
    ASSERT_TRUE(ListMidiOutDevices(list));
    ASSERT_EQ(list.itemText(1), QStringLiteral("端口乙"));

    // A port is plugged in before the listed ones, then the user chooses the
    // second entry: it is the one shown there that opens.
    ports.present = {&c, &a, &b};
    EXPECT_TRUE(OpenMidiOut(list.itemData(1).toInt()));
    EXPECT_TRUE(b.isOpen);
    EXPECT_FALSE(a.isOpen);
    EXPECT_EQ(openMidiDevice()->name(), QStringLiteral("端口乙"));
    CloseMidiOut();
    setMidiSystem(&env.midi);
}

TEST(Errors, DeadDeviceShowsOneBoxUntilReopened)
{
    test::Environment env;
    env.synth().failAfter = 2;
    env.synth().sendResult = MidiErrDeviceLost;
    for (int i = 0; i < 50; ++i)
        MidiNoteOn(0, 60, 100);
    EXPECT_EQ(env.synth().sent.size(), 2u);
    env.deliverBoxes();
    EXPECT_EQ(env.messages.shown.size(), 1u);
    // Reopening recovers; a later failure is reported again.
    env.synth().failAfter = -1;
    env.synth().sendResult = MidiOk;
    ASSERT_TRUE(OpenMidiOut(-1));
    MidiNoteOff(0, 60);
    EXPECT_EQ(env.synth().sent.back(), 0x003C80u);
    env.synth().sendResult = MidiErrDeviceLost;
    MidiNoteOff(0, 61);
    env.deliverBoxes();
    EXPECT_EQ(env.messages.shown.size(), 2u);
}

TEST(Errors, NoNestedBoxWhileOneIsOpen)
{
    test::Environment env;
    CloseMidiOut();
    int nested = 0;
    env.messages.onShow = [&] {
        // Clock ticks keep sending while the box waits for the user.
        for (int i = 0; i < 10; ++i)
            MidiNoteOff(0, 60 + i);
        ++nested;
    };
    MidiNoteOn(0, 60, 100);
    // The box opens after the sending handler, not inside the send.
    EXPECT_TRUE(env.messages.shown.empty());
    env.deliverBoxes();
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(env.messages.shown.size(), 1u);
}

TEST(Wire, IllegalBytesAreRecognised)
{
    EXPECT_TRUE(isWireSafe(0x643C90));
    EXPECT_TRUE(isWireSafe(0x0018C0));
    EXPECT_TRUE(isWireSafe(0xFF0018C0)); // program change: only one data byte counts
    EXPECT_FALSE(isWireSafe(0xFFFFFFC2)); // program -1
    EXPECT_FALSE(isWireSafe(0x00000000)); // an empty rhythm record
    EXPECT_FALSE(isWireSafe(0x00FB82));   // note-off of a negative note
    EXPECT_FALSE(isWireSafe(0x8A3C90));   // velocity above 127
    EXPECT_FALSE(isWireSafe(0x0000FF));   // system reset
}

// The layer knows what sounds: stop paths end notes struck in another key,
// and closing a device ends what it still sounds before letting go of it.
TEST(SoundingNotesTest, FollowsNotesAndReleasesWhatStillSounds)
{
    test::Environment env;
    MidiNoteOn(2, 31, 55);                 // channel 2's lower doubling
    MidiNoteOn(0, 60, 85);
    MidiShortMsg(0x90, 62, 0);             // velocity 0 counts as an end
    MidiNoteOn(0, 64, 85);
    MidiNoteOff(0, 64);
    EXPECT_TRUE(soundingNotes().sounding(2, 31));
    EXPECT_TRUE(soundingNotes().sounding(0, 60));
    EXPECT_FALSE(soundingNotes().sounding(0, 64));
    env.take();
    releaseSoundingNotes({2});
    EXPECT_EQ(env.take(), (std::vector<uint32_t>{packShortMsg(0x82, 31, 0)}));
    CloseMidiOut();
    EXPECT_EQ(env.synth().sent.back(), packShortMsg(0x80, 60, 0));
    EXPECT_FALSE(soundingNotes().anySounding());
}
