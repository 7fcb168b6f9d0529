// The measure settings record: built from the settings, read back, refused
// whole when damaged, and the messages that applying it sends.
#include "editor/core/MeasureRecord.h"

#include "midi/MidiOut.h"
#include "shared/Shared.h"

#include <gtest/gtest.h>

#include <memory>

using namespace dzq;

namespace {

// The editor's start-up settings of the 12 lines, key C, tempo 70.
MeasureSettings defaults()
{
    MeasureSettings s;
    s.programs = {0, 49, 78, 82, 34, 24, 4, 1, 3, 4, 41, 17};
    s.volumes = {80, 80, 80, 80, 60, 60, 60, 80, 80, 80, 80, 60};
    return s;
}

uint32_t cc(int channel, int number, int value) { return packShortMsg(0xB0 + channel, number, value); }

} // namespace

TEST(MeasureRecord, BuiltFieldByFieldAndReadBack)
{
    MeasureSettings s = defaults();
    s.volumes[3] = 100;
    s.depth = -3;
    s.crescendo = true;
    s.key = 9;
    const QString record = buildMeasureRecord(7, s);
    EXPECT_EQ(record.toStdString(), "0007" "0050" "3150" "4E50" "5264" "223C" "183C" "043C"
                                    "0150" "0350" "0450" "2950" "113C" "17" "01" "09" "46");
    EXPECT_EQ(decodeMeasureRecord(record), s);

    // The ends of depth and tempo.
    s.depth = -20;
    s.tempo = 255;
    const QString ends = buildMeasureRecord(9999, s);
    EXPECT_EQ(ends.mid(52, 2), QStringLiteral("00"));
    EXPECT_EQ(ends.right(2), QStringLiteral("FF"));
    EXPECT_EQ(decodeMeasureRecord(ends), s);
    EXPECT_EQ(editorStepMs(70), 214);
    EXPECT_EQ(editorStepMs(0), std::nullopt);
}

TEST(MeasureRecord, SilentLinesAndTypedVolumesKeepTheFieldsInPlace)
{
    MeasureSettings s = defaults();
    s.programs[2] = SilentProgram;
    s.volumes[0] = lineVolumeFromText(u"300");
    s.volumes[1] = lineVolumeFromText(u"-5");
    EXPECT_EQ(lineVolumeFromText(u"99.9"), 99);
    EXPECT_EQ(lineVolumeFromText(u"abc"), 0);
    const QString record = buildMeasureRecord(0, s);
    ASSERT_EQ(record.size(), MeasureRecordLength);
    EXPECT_EQ(record.mid(4, 8), QStringLiteral("00FF3100"));
    EXPECT_EQ(record.mid(12, 2), QStringLiteral("FF"));
    EXPECT_EQ(decodeMeasureRecord(record), s);
    EXPECT_EQ(instrumentListIndex(2, SilentProgram), 0);
    EXPECT_EQ(lineProgramForListIndex(2, 0), SilentProgram);

    // Values no field can hold are clamped into it.
    s.programs[0] = 200;
    s.programs[8] = 60;
    s.depth = 35;
    s.key = -1;
    s.tempo = 300;
    const QString clamped = buildMeasureRecord(12345, s);
    ASSERT_EQ(clamped.size(), MeasureRecordLength);
    EXPECT_TRUE(decodeMeasureRecord(clamped));
    EXPECT_EQ(clamped.first(6), QStringLiteral("9999FF"));
    EXPECT_EQ(clamped.mid(52), QStringLiteral("40" "00" "00" "FF"));
}

TEST(MeasureRecord, DamagedRecordIsRefusedWholeAndKeptAsText)
{
    const QString good = buildMeasureRecord(3, defaults());
    ASSERT_TRUE(decodeMeasureRecord(good));
    const std::pair<int, const char *> damage[] = {
        {0, "00a3"},  // measure number
        {4, "G0"},    // program no hexadecimal number
        {4, "80"},    // melody program past 127
        {32, "2F"},   // percussion index past 46 (line 7)
        {6, "-1"},    // volume
        {52, "41"},   // depth field past 40
        {54, "2"},    // vibrato flag
        {55, "x"},    // crescendo flag
        {56, "12"},   // key past B
        {58, "00"},   // tempo 0 would divide by zero
    };
    for (auto [at, text] : damage) {
        QString bad = good;
        bad.replace(at, int(qstrlen(text)), QLatin1String(text));
        EXPECT_FALSE(decodeMeasureRecord(bad)) << at << " " << text;
    }
    // Lengths: the 66 characters of a silent line written as "FFFFFFFF", one short, one long.
    QString wide = good;
    wide.replace(12, 2, QStringLiteral("FFFFFFFF"));
    for (const QString &bad : {wide, good.chopped(1), good + QLatin1Char('0')})
        EXPECT_FALSE(decodeMeasureRecord(bad)) << bad.toStdString();

    // An invalid record is not applied and stays as it was; a valid one sets key and tempo.
    auto strings = std::make_unique<MeasureStrings>();
    strings->MeasureHead[300] = wide;
    strings->MeasureKey[300] = QStringLiteral("05");
    EXPECT_FALSE(takeMeasureRecord(*strings, 300));
    EXPECT_EQ(strings->MeasureHead[300], wide);
    EXPECT_EQ(strings->MeasureKey[300], QStringLiteral("05"));
    strings->MeasureHead[301] = QStringLiteral("0301");
    EXPECT_FALSE(takeMeasureRecord(*strings, 301));
    strings->MeasureHead[302] = good;
    EXPECT_EQ(takeMeasureRecord(*strings, 302), defaults());
    EXPECT_EQ(strings->MeasureKey[302], QStringLiteral("00"));
    EXPECT_EQ(strings->MeasureTempo[302], QStringLiteral("46"));
    EXPECT_FALSE(takeMeasureRecord(*strings, SongMeasureCapacity));
}

TEST(MeasureRecord, StoredForEveryMeasureOfTheCapacity)
{
    auto strings = std::make_unique<MeasureStrings>();
    MeasureSettings s = defaults();
    s.vibrato = true;
    s.depth = 10;
    s.key = 11;
    s.tempo = 130;
    storeMeasureSettings(*strings, 9999, s);
    EXPECT_EQ(strings->MeasureHead[9999], buildMeasureRecord(9999, s));
    EXPECT_EQ(strings->MeasureFx[9999] + strings->MeasureDepth[9999] + strings->MeasureKey[9999] +
                  strings->MeasureTempo[9999],
              QStringLiteral("10" "30" "11" "82"));
    storeMeasureSettings(*strings, SongMeasureCapacity, s); // out of the tables: nothing to write
}

TEST(MeasureRecord, MessagesOfApplyingARecord)
{
    MeasureSettings s = defaults();
    s.programs[1] = SilentProgram;
    s.depth = 10;       // rising: expression starts at 0
    s.vibrato = true;   // changes
    s.crescendo = false; // stays
    const std::vector<ApplyStep> steps = recordApplySteps(s, {-3, false, false});

    std::vector<ApplyStep> expected;
    const auto send = [&](uint32_t m) { expected.push_back({ApplyStep::Kind::Send, m, 0}); };
    const auto program = [&](int ch, int p) {
        send(cc(ch, 0, 0));
        send(packShortMsg(0xC0 + ch, p, 0));
    };
    for (int line = 0; line < SongLineCount; ++line) {
        send(cc(0, 11, 120)); // the volume handler runs before the depth changes
        if (line < MelodyLineCount) {
            if (line != 1)
                program(line, s.programs[std::size_t(line)]);
            expected.push_back({ApplyStep::Kind::ReleaseHeldNote, 0, line});
        }
    }
    send(cc(0, 1, 120));
    send(cc(0, 11, 0));
    for (int ch = 0; ch < MelodyLineCount; ++ch)
        if (ch != 1)
            program(ch, s.programs[std::size_t(ch)]);
    EXPECT_EQ(steps, expected);

    // Ticking only the crescendo box sends modulation 0.
    EXPECT_EQ(effectMessages(false, 120), (std::vector<uint32_t>{0x000001B0, 0x00780BB0}));
    EXPECT_TRUE(melodyInstrumentMessages(4, 0).empty());
}

TEST(MeasureRecord, PercussionOfAMeasurePrepared)
{
    resetSharedState();
    const auto &record = RhythmStepTable[1];
    const RhythmCell before = record[31], after = record[48];
    preparePercussionSteps(8, 2, 15, 3, 100); // snare in measure 2 of a 16-step song
    for (int t = 32; t < 48; ++t) {
        EXPECT_EQ(record[std::size_t(t)].Note, 38);
        EXPECT_EQ(record[std::size_t(t)].Msg, percussionMsg(38, 100));
    }
    EXPECT_EQ(record[31].Msg, before.Msg);
    EXPECT_EQ(record[48].Msg, after.Msg);
    preparePercussionSteps(11, 312, 31, 1, 80); // past step 9999: nothing written, nothing broken
    preparePercussionSteps(6, 0, 15, 1, 80);    // a melody line has no percussion record
    resetSharedState();
}
