#include "editor/core/MeasureRecord.h"

#include "midi/MidiOut.h"
#include "platform/Numbers.h"
#include "shared/Shared.h"

#include <algorithm>
#include <cmath>

namespace dzq {

namespace {

// Character positions (0-based) of the fields.
constexpr int ProgramAt = 4;  // + 4i
constexpr int VolumeAt = 6;   // + 4i
constexpr int DepthAt = 52;
constexpr int VibratoAt = 54;
constexpr int CrescendoAt = 55;
constexpr int KeyAt = 56;
constexpr int TempoAt = 58;

constexpr int SilentField = 0xFF;
constexpr int MaxProgram = 127;
constexpr int KeyCount = 12;
constexpr int MaxTempo = 255;
constexpr int FullExpression = 120;
constexpr int VibratoLevel = 120;

uint32_t controller(int channel, int number, int value) { return packShortMsg(0xB0 + channel, number, value); }

std::optional<int> hexPair(QStringView record, int at)
{
    return parseHexField(record.mid(at, 2));
}

std::optional<int> decimalPair(QStringView record, int at)
{
    return parseDecimalField(record.mid(at, 2));
}

std::optional<bool> flag(QChar c)
{
    if (c == u'0' || c == u'1')
        return c == u'1';
    return std::nullopt;
}

QString flagText(bool set) { return set ? QStringLiteral("1") : QStringLiteral("0"); }

} // namespace

QString buildMeasureRecord(int measure, const MeasureSettings &s)
{
    QString record = decimalField(std::clamp(measure, 0, SongMeasureCapacity - 1), 4);
    for (int i = 0; i < SongLineCount; ++i) {
        const int program = s.programs[std::size_t(i)];
        int field = 0;
        if (isMelodyLine(i))
            field = program >= 0 && program <= MaxProgram ? program : SilentField;
        else
            field = std::clamp(program, 0, PercussionListCount - 1);
        record += hexField(field, 2);
        record += hexField(std::clamp(s.volumes[std::size_t(i)], 0, MaxRecordVolume), 2);
    }
    record += decimalField(std::clamp(s.depth, -MaxDepth, MaxDepth) + MaxDepth, 2);
    record += flagText(s.vibrato) + flagText(s.crescendo);
    record += decimalField(std::clamp(s.key, 0, KeyCount - 1), 2);
    record += hexField(std::clamp(s.tempo, 1, MaxTempo), 2);
    return record;
}

void storeMeasureSettings(MeasureStrings &strings, int measure, const MeasureSettings &settings)
{
    if (measure < 0 || measure >= SongMeasureCapacity)
        return;
    const QString record = buildMeasureRecord(measure, settings);
    const auto m = std::size_t(measure);
    strings.MeasureKey[m] = record.mid(KeyAt, 2);
    strings.MeasureTempo[m] = record.mid(TempoAt, 2);
    strings.MeasureFx[m] = record.mid(VibratoAt, 2);
    strings.MeasureDepth[m] = record.mid(DepthAt, 2);
    strings.MeasureHead[m] = record;
}

std::optional<MeasureSettings> decodeMeasureRecord(QStringView record)
{
    if (record.size() != MeasureRecordLength || !parseDecimalField(record.first(4)))
        return std::nullopt;
    MeasureSettings s;
    for (int i = 0; i < SongLineCount; ++i) {
        const std::optional<int> program = hexPair(record, ProgramAt + 4 * i);
        const std::optional<int> volume = hexPair(record, VolumeAt + 4 * i);
        if (!program || !volume)
            return std::nullopt;
        if (isMelodyLine(i)) {
            if (*program == SilentField)
                s.programs[std::size_t(i)] = SilentProgram;
            else if (*program <= MaxProgram)
                s.programs[std::size_t(i)] = *program;
            else
                return std::nullopt;
        } else {
            if (*program >= PercussionListCount)
                return std::nullopt;
            s.programs[std::size_t(i)] = *program;
        }
        s.volumes[std::size_t(i)] = *volume;
    }
    const std::optional<int> depth = decimalPair(record, DepthAt);
    const std::optional<bool> vibrato = flag(record[VibratoAt]);
    const std::optional<bool> crescendo = flag(record[CrescendoAt]);
    const std::optional<int> key = decimalPair(record, KeyAt);
    const std::optional<int> tempo = hexPair(record, TempoAt);
    if (!depth || *depth > 2 * MaxDepth || !vibrato || !crescendo || !key || *key >= KeyCount || !tempo ||
        *tempo < 1)
        return std::nullopt;
    s.depth = *depth - MaxDepth;
    s.vibrato = *vibrato;
    s.crescendo = *crescendo;
    s.key = *key;
    s.tempo = *tempo;
    return s;
}

std::optional<MeasureSettings> takeMeasureRecord(MeasureStrings &strings, int measure)
{
    if (measure < 0 || measure >= SongMeasureCapacity)
        return std::nullopt;
    const auto m = std::size_t(measure);
    const QString &head = strings.MeasureHead[m];
    if (!hasMeasureRecord(head))
        return std::nullopt;
    std::optional<MeasureSettings> s = decodeMeasureRecord(head);
    if (s) {
        strings.MeasureKey[m] = head.mid(KeyAt, 2);
        strings.MeasureTempo[m] = head.right(2);
    }
    return s;
}

int instrumentListIndex(int line, int program)
{
    if (isMelodyLine(line))
        return program >= 0 && program <= MaxProgram ? program + 1 : 0;
    return program;
}

int lineProgramForListIndex(int line, int listIndex)
{
    return isMelodyLine(line) ? listIndex - 1 : listIndex;
}

int lineVolumeFromText(QStringView text)
{
    const double v = std::floor(Val(text));
    if (!(v > 0)) // negative, NaN
        return 0;
    return v >= MaxRecordVolume ? MaxRecordVolume : int(v);
}

int exprStartForDepth(int depth)
{
    return depth > 0 ? 0 : FullExpression;
}

std::optional<int> editorStepMs(int tempo)
{
    if (tempo < 1)
        return std::nullopt;
    return 15000 / tempo;
}

void preparePercussionSteps(int line, int measure, int stepMax, int listIndex, int volume)
{
    if (!isPercussionLine(line) || measure < 0)
        return;
    const int s = stepsPerMeasure(stepMax);
    auto &record = RhythmStepTable[std::size_t(line - FirstPercussionLine)];
    const int note = listIndex + EditorPercussionNoteOffset;
    for (int t = s * measure; t < s * (measure + 1) && t < RhythmSteps; ++t) {
        record[std::size_t(t)].Note = int16_t(note);
        record[std::size_t(t)].Msg = percussionMsg(note, volume);
    }
}

std::vector<uint32_t> lineVolumeMessages(int exprStart)
{
    return {controller(0, 11, exprStart)};
}

std::vector<uint32_t> melodyInstrumentMessages(int line, int listIndex)
{
    if (listIndex <= 0)
        return {};
    return {controller(line, 0, 0), packShortMsg(0xC0 + line, listIndex - 1, 0)};
}

std::vector<uint32_t> effectMessages(bool vibrato, int exprStart)
{
    return {controller(0, 1, vibrato ? VibratoLevel : 0), controller(0, 11, exprStart)};
}

std::vector<ApplyStep> recordApplySteps(const MeasureSettings &record, const ControlsBeforeApply &before)
{
    std::vector<ApplyStep> steps;
    const auto send = [&steps](const std::vector<uint32_t> &msgs) {
        for (uint32_t msg : msgs)
            steps.push_back({ApplyStep::Kind::Send, msg, 0});
    };
    const int exprBefore = exprStartForDepth(before.depth);
    for (int i = 0; i < SongLineCount; ++i) {
        send(lineVolumeMessages(exprBefore));
        if (isMelodyLine(i)) {
            send(melodyInstrumentMessages(i, instrumentListIndex(i, record.programs[std::size_t(i)])));
            steps.push_back({ApplyStep::Kind::ReleaseHeldNote, 0, i});
        }
    }
    const int exprAfter = exprStartForDepth(record.depth);
    if (record.vibrato != before.vibrato)
        send(effectMessages(record.vibrato, exprAfter));
    if (record.crescendo != before.crescendo)
        send(effectMessages(record.vibrato, exprAfter));
    for (int i = 0; i < MelodyLineCount; ++i)
        send(melodyInstrumentMessages(i, instrumentListIndex(i, record.programs[std::size_t(i)])));
    return steps;
}

} // namespace dzq
