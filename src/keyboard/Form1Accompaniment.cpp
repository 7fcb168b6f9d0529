// The accompaniment routine the window's four clocks share: the expression
// ramp, the step (chord voices, chord change, rhythm step) and the tick
// counter; and the rhythm clock BZDS with its button and the sync box.
#include "keyboard/Form1.h"

#include "midi/MidiOut.h"
#include "midi/Prepared.h"
#include "shared/Shared.h"

namespace dzq {

void Form1::expressionRamp(bool percussion)
{
    const int value = 120 - 2 * AccompTick;
    MidiShortMsg(0xB3, 11, value);
    MidiShortMsg(0xB4, 11, value);
    if (percussion)
        MidiShortMsg(0xB9, 11, value);
}

void Form1::accompanimentStep(AccompClock clock)
{
    if (voiceOn(Combo1))
        BZHX();
    if (voiceOn(Combo2))
        BZHX2();
    if (voiceOn(Combo3) && ChordStep == ChordCycle)
        ZHHXJ();
    ++AccompStep;
    if (StepsPerChord > 0 && AccompStep % StepsPerChord == 0) {
        if (clock == AccompClock::Preview) {
            ++ChordStep;
        } else {
            HX1K();
            if (++ChordStep > ChordCycle)
                ChordStep = 1;
        }
    }
    // The sequence may have become shorter while the clock ran (a new
    // progression): an equality test would let the step run past its end.
    if (AccompStep >= ChordSeqLen) {
        AccompStep = 0;
        if (clock == AccompClock::Preview) {
            HX1K();
            HXYS->setEnabled(false);
            Check6->setValue(0);
        }
    }
    if (clock == AccompClock::Preview)
        return;
    PlayRhythmStep();
    if (++CurStep > RhythmLastStep)
        CurStep = 0;
}

void Form1::advanceAccompTick()
{
    if (++AccompTick > 2 * RhythmLastStep + 1)
        AccompTick = 0;
}

void Form1::BZDS_Timer()
{
    expressionRamp(true);
    if (AccompTick % 4 == 0)
        accompanimentStep(AccompClock::Rhythm);
    advanceAccompTick();
}

void Form1::BzQd_Click()
{
    BZDS->setInterval(StepMs);
    if (BzQd->value() == 1) {
        resetAccompCounters();
        AccompTick = 0;
        BZDS->setEnabled(true);
        BzQd->setText(QStringLiteral("停止"));
    } else {
        BZDS->setEnabled(false);
        BzQd->setText(QStringLiteral("启动"));
        HX1K();
    }
}

void Form1::Check5_Click() { SyncToggle = Check5->value() == 1; }

void Form1::wireAccompaniment()
{
    connect(BZDS, &StepTimer::timeout, this, [this] { BZDS_Timer(); });
    BzQd->setClickHandler(this, [this] { BzQd_Click(); });
    Check5->setClickHandler(this, [this] { Check5_Click(); });
}

} // namespace dzq
