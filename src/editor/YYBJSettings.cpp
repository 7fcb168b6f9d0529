// The settings of a measure: the instrument and volume of every line, the
// vibrato and crescendo boxes with the crescendo depth, and the settings
// record that stores them (with key and tempo) for the current measure and
// puts them back in force when the measure is shown or played.
#include "editor/YYBJ.h"

#include "midi/MidiOut.h"
#include "shared/Shared.h"
#include "platform/Numbers.h"

#include <algorithm>

namespace dzq {

namespace {

// Percussion list index k is General MIDI percussion note k + 35.
constexpr int PercussionNoteBase = 35;

} // namespace

int YYBJ::lineVolumeOf(int line) const
{
    // A typed volume is a record field of two hexadecimal digits: it is kept
    // within 0..255 so that it never widens the record.
    return std::clamp(Int(Val(YQYL[std::size_t(line)]->text())), 0, 255);
}

void YYBJ::releaseLine(int line)
{
    const int last = LineLastNote[std::size_t(line)];
    if (last >= 65 && last <= 85) {
        for (int k = 0; k <= 64; ++k)
            MidiNoteOff(line, KeyBase + k);
        return;
    }
    MidiNoteOff(line, last + KeyBase);
}

void YYBJ::preparePercussion(int line)
{
    const int k = SYYQ[std::size_t(line)]->listIndex();
    if (k < 0)
        return;
    const int note = k + PercussionNoteBase;
    const int msg = percussionMsg(note, lineVolumeOf(line));
    const int S = stepsPerMeasure();
    auto &record = RhythmStepTable[std::size_t(line - MelodyLineCount)];
    for (int s = 0; s < S; ++s) {
        const int step = S * CurMeasure + s;
        if (step < 0 || step >= RhythmSteps)
            break;
        record[std::size_t(step)].Note = int16_t(note);
        record[std::size_t(step)].Msg = msg;
    }
}

void YYBJ::SYYQ_Click(int line)
{
    const int k = SYYQ[std::size_t(line)]->listIndex();
    if (line >= MelodyLineCount) {
        preparePercussion(line);
        return;
    }
    if (k > 0)
        MidiProgramChange(line, 0, k - 1);
    // A note the line holds goes on sounding in the old instrument: it ends.
    const int step = std::clamp(PlayStep, 0, SongStepCapacity - 1);
    if (programSong().NoteArr[std::size_t(line)][std::size_t(step)] == 255)
        releaseLine(line);
}

void YYBJ::YQYL_Click(int line)
{
    LineVolume[std::size_t(line)] = lineVolumeOf(line);
    ExprStart = Depth > 0 ? 0 : 120;
    MidiShortMsg(0xB0, 11, ExprStart);
}

void YYBJ::Check1_Click()
{
    const int v = Check1[0]->value();
    const int c = Check1[1]->value();
    if (CurMeasure >= 0 && CurMeasure < SongMeasureCapacity)
        Strings->MeasureFx[std::size_t(CurMeasure)] = QString::number(v) + QString::number(c);
    MidiShortMsg(0xB0, 1, v == 1 ? 120 : 0);
    MidiShortMsg(0xB0, 11, ExprStart);
}

void YYBJ::HScroll3_Change()
{
    Depth = HScroll3->value();
    ExprStart = Depth > 0 ? 0 : 120;
    Label7->setText(QStringLiteral("深度(%1)").arg(Depth));
}

void YYBJ::BCBXJ_Click()
{
    BCXJ();
}

bool YYBJ::hasRecord(int measure) const
{
    return measure >= 0 && measure < SongMeasureCapacity && Strings->MeasureHead[std::size_t(measure)].size() > 4;
}

void YYBJ::BCXJ() {}

void YYBJ::CXTSB() {}

void YYBJ::wireSettings()
{
    for (int i = 0; i < 12; ++i) {
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
