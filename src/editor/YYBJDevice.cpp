// The output device, the tempo and the key of the editor. The tempo gives the
// editor's step (a sixteenth note), StepMs = Int(15000 / tempo) ms; the key
// gives KeyBase, the note of code 0. Both are the variables the keyboard window
// uses too; the way back restores its own.
#include "editor/YYBJ.h"

#include "keyboard/EventHook.h"
#include "midi/MidiOut.h"
#include "shared/Shared.h"
#include "platform/Numbers.h"

#include <cmath>

namespace dzq {

namespace {

// A typed tempo must lie in this range; the list itself starts at 40.
constexpr double LowestTypedTempo = 50;
constexpr double HighestTypedTempo = 255;

} // namespace

int YYBJ::stepMsFor(double tempo)
{
    // A text without a number (or a tempo of 0) gives no step length: the one
    // in force stays.
    if (!(tempo > 0) || !std::isfinite(tempo))
        return StepMs;
    return Int(15000.0 / tempo);
}

void YYBJ::ComDevies_Click()
{
    const int index = ComDevies->listIndex();
    if (index < 0)
        return;
    OpenMidiOut(ComDevies->itemData(index).toInt());
    for (int i = 0; i < MelodyLineCount; ++i) {
        const int k = SYYQ[std::size_t(i)]->listIndex();
        if (k >= 1)
            MidiProgramChange(i, 0, k - 1);
    }
}

void YYBJ::DQSUDU_Click()
{
    StepMs = stepMsFor(Val(DQSUDU->text()));
}

void YYBJ::DQSUDU_LostFocus()
{
    const double v = Val(DQSUDU->text());
    if (v < LowestTypedTempo || v > HighestTypedTempo || !std::isfinite(v)) {
        // The tempo in force goes back into the box.
        if (StepMs > 0)
            DQSUDU->setText(QString::number(int(15000 / StepMs)));
        return;
    }
    StepMs = stepMsFor(v);
}

void YYBJ::DQYD_Click()
{
    const int index = DQYD->listIndex();
    if (index >= 0)
        KeyBase = 36 + index;
}

void YYBJ::wireDevice()
{
    ComDevies->setClickHandler(this, [this] { ComDevies_Click(); });
    ComDevies->setChangeHandler(this, [this] { ComDevies_Click(); });
    DQSUDU->setClickHandler(this, [this] { DQSUDU_Click(); });
    DQYD->setClickHandler(this, [this] { DQYD_Click(); });
    // Leaving the tempo box checks what was typed.
    EventHook::onLostFocus(DQSUDU, [this] { DQSUDU_LostFocus(); });
}

} // namespace dzq
