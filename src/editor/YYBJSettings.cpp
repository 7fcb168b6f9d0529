// The settings of a measure: the instrument and volume of every line, the
// vibrato and crescendo boxes with the crescendo depth, and the settings
// record that stores them (with key and tempo) for the current measure and
// puts them back in force when the measure is shown or played.
#include "editor/YYBJ.h"

#include "editor/core/MeasureRecord.h"
#include "midi/MidiOut.h"
#include "shared/Shared.h"
#include "platform/Numbers.h"

#include <algorithm>

namespace dzq {

void YYBJ::sendMessages(const std::vector<uint32_t> &messages)
{
    for (const uint32_t m : messages)
        MidiShortMsg(int(m & 0xFF), int((m >> 8) & 0xFF), int((m >> 16) & 0xFF));
}

void YYBJ::releaseLine(int line)
{
    const int last = LineLastNote[std::size_t(line)];
    if (last >= 65 && last <= 85) {
        for (int k = 0; k <= 64; ++k)
            MidiNoteOff(line, KeyBase + k);
    } else {
        MidiNoteOff(line, last + KeyBase);
    }
    // A note started in another key (a measure's record changed it since)
    // lies elsewhere: it ends too.
    releaseSoundingNotes({line});
}

void YYBJ::preparePercussion(int line)
{
    const int k = SYYQ[std::size_t(line)]->listIndex();
    if (k >= 0)
        preparePercussionSteps(line, CurMeasure, StepMax, k, lineVolumeFromText(YQYL[std::size_t(line)]->text()));
}

void YYBJ::SYYQ_Click(int line)
{
    if (isPercussionLine(line)) {
        preparePercussion(line);
        return;
    }
    sendMessages(melodyInstrumentMessages(line, SYYQ[std::size_t(line)]->listIndex()));
    // A note the line holds at the step being played ends with the old
    // instrument.
    const int step = std::clamp(PlayStep, 0, SongStepCapacity - 1);
    if (programSong().NoteArr[std::size_t(line)][std::size_t(step)] == HoldCode)
        releaseLine(line);
}

void YYBJ::YQYL_Click(int line)
{
    LineVolume[std::size_t(line)] = lineVolumeFromText(YQYL[std::size_t(line)]->text());
    ExprStart = exprStartForDepth(Depth);
    sendMessages(lineVolumeMessages(ExprStart));
}

void YYBJ::Check1_Click()
{
    const int v = Check1[0]->value();
    const int c = Check1[1]->value();
    if (CurMeasure >= 0 && CurMeasure < SongMeasureCapacity)
        Strings->MeasureFx[std::size_t(CurMeasure)] = QString::number(v) + QString::number(c);
    sendMessages(effectMessages(v == 1, ExprStart));
}

void YYBJ::HScroll3_Change()
{
    Depth = HScroll3->value();
    ExprStart = exprStartForDepth(Depth);
    Label7->setText(QStringLiteral("深度(%1)").arg(Depth));
}

void YYBJ::BCBXJ_Click()
{
    BCXJ();
}

bool YYBJ::hasRecord(int measure) const
{
    return measure >= 0 && measure < SongMeasureCapacity && hasMeasureRecord(Strings->MeasureHead[std::size_t(measure)]);
}

void YYBJ::BCXJ()
{
    MeasureSettings m;
    Song &song = programSong();
    for (int i = 0; i < SongLineCount; ++i) {
        const auto li = std::size_t(i);
        LineVolume[li] = lineVolumeFromText(YQYL[li]->text());
        song.LineProgram[li] = lineProgramForListIndex(i, SYYQ[li]->listIndex());
        m.programs[li] = song.LineProgram[li];
        m.volumes[li] = LineVolume[li];
    }
    m.depth = HScroll3->value();
    m.vibrato = Check1[0]->value() == 1;
    m.crescendo = Check1[1]->value() == 1;
    m.key = DQYD->listIndex();
    m.tempo = CInt(Val(DQSUDU->text()));
    storeMeasureSettings(*Strings, CurMeasure, m);
}

void YYBJ::CXTSB()
{
    // A record that does not read as a whole (a damaged file) is not applied
    // at all, rather than half.
    const std::optional<MeasureSettings> rec = takeMeasureRecord(*Strings, CurMeasure);
    if (!rec)
        return;
    Song &song = programSong();
    for (int i = 0; i < SongLineCount; ++i) {
        const auto li = std::size_t(i);
        song.LineProgram[li] = rec->programs[li];
        LineVolume[li] = rec->volumes[li];
        YQYL[li]->setText(QString::number(rec->volumes[li]));
        YQYL_Click(i);
        SYYQ[li]->setListIndex(instrumentListIndex(i, rec->programs[li]));
    }
    DQYD->setListIndex(rec->key);
    DQSUDU->setText(QString::number(rec->tempo));
    HScroll3->setValue(rec->depth);
    Check1[0]->setValue(rec->vibrato ? 1 : 0);
    Check1[1]->setValue(rec->crescendo ? 1 : 0);
    for (int i = 0; i < MelodyLineCount; ++i)
        sendMessages(melodyInstrumentMessages(i, instrumentListIndex(i, song.LineProgram[std::size_t(i)])));
    for (int line = FirstPercussionLine; line < SongLineCount; ++line)
        preparePercussion(line);
    if (const std::optional<int> ms = editorStepMs(rec->tempo))
        StepMs = *ms;
}

void YYBJ::wireSettings()
{
    for (int i = 0; i < SongLineCount; ++i) {
        const auto li = std::size_t(i);
        SYYQ[li]->setClickHandler(this, [this, i] { SYYQ_Click(i); });
        SYYQ[li]->setChangeHandler(this, [this, i] { SYYQ_Click(i); });
        YQYL[li]->setClickHandler(this, [this, i] { YQYL_Click(i); });
        YQYL[li]->setChangeHandler(this, [this, i] { YQYL_Click(i); });
    }
    for (CheckBox *box : Check1)
        box->setClickHandler(this, [this] { Check1_Click(); });
    HScroll3->setChangeHandler(this, [this] { HScroll3_Change(); });
    connect(BCBXJ, &QPushButton::clicked, this, &YYBJ::BCBXJ_Click);
}

} // namespace dzq
