// What other windows read from and ask of the keyboard window while they are
// open and it is hidden: its clocks held and restarted, and the inputs of an
// accompaniment.
#include "keyboard/Form1.h"

#include "keyboard/core/RhythmFile.h"
#include "shared/Shared.h"

namespace dzq {

void Form1::suspendClocks()
{
    if (ClocksSuspended)
        return;
    ClocksSuspended = true;
    SuspendedClocks.clear();
    // Timer2 is the status clock, which also polls the recorder.
    for (StepTimer *clock : {Timer1, Timer2, Timer3, BZDS, HXYS}) {
        if (clock->isEnabled())
            SuspendedClocks.push_back(clock);
        clock->setEnabled(false);
    }
}

void Form1::resumeClocks()
{
    if (!ClocksSuspended)
        return;
    ClocksSuspended = false;
    for (StepTimer *clock : SuspendedClocks)
        clock->setEnabled(true);
    SuspendedClocks.clear();
}

static_assert(Form1::RhythmCellCount == RhythmLaneCells, "one snapshot cell per grid cell");

AccompanimentInputs Form1::accompanimentInputs() const
{
    AccompanimentInputs in;
    in.chordSeq = ChordSeq;
    in.chordSeqLen = ChordSeqLen;
    const std::array<const std::array<CheckBox *, RhythmCellCount> *, 3> lanes{&BZA, &BZB, &BZC};
    for (std::size_t k = 0; k < 3; ++k) {
        for (std::size_t i = 0; i < RhythmLaneCells; ++i)
            in.rhythmCells[k][i] = (*lanes[k])[i] ? (*lanes[k])[i]->value() : 0;
        in.laneInstrument[k] = LblInst[k]->listIndex();
    }
    in.chordInstrument = {Combo1->listIndex(), Combo2->listIndex(), Combo3->listIndex()};
    // A typed tempo leaves the list's index where it was; the box then shows
    // a text that is not the entry's, and the tempo has no list index.
    in.tempoText = SD->text();
    const int index = SD->listIndex();
    in.tempoIndex = index >= 0 && SD->itemText(index) == in.tempoText ? index : -1;
    return in;
}

} // namespace dzq
