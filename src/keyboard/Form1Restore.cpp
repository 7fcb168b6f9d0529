// What the music editor hands back when it closes. The editor shares the
// device, the channel programs, the key, the tempo and the rhythm records with
// this window and overwrites them while it plays; on its way out it asks this
// window to put its instruments, volumes, key, tempo and rhythm back to a
// fixed setup and to show itself again.
#include "keyboard/Form1.h"

#include "keyboard/core/Tempo.h"
#include "midi/MidiOut.h"
#include "shared/Shared.h"

namespace dzq {

namespace {

// The fixed setup: list indexes of the melody voices, the chord instrument and
// volume, the chord voices and the melody velocities.
constexpr std::array<int, 3> MelodyVoices{52, 15, 79};
constexpr int ChordInstrument = 25;
constexpr int ChordVolume = 2;
constexpr std::array<int, 3> ChordVoices{4, 35, 47};
constexpr std::array<int, 3> MelodyVelocities{4, 3, 2};
constexpr int RhythmVolume = 5;

} // namespace

int Form1::selectedOutputDevice() const
{
    const int index = ComDevies->listIndex();
    return index < 0 ? -2 : ComDevies->itemData(index).toInt();
}

void Form1::RestoreKeyboardDefaults()
{
    // Each choice runs the list's own handler, as a user's would.
    for (std::size_t v = 0; v < 3; ++v)
        ComSounds[v]->setListIndex(MelodyVoices[v]);
    xuanyue->setListIndex(ChordInstrument);
    HxYL->setListIndex(ChordVolume);
    for (std::size_t v = 0; v < 3; ++v)
        MelodyProgram[v] = MelodyVoices[v];
    Combo1->setListIndex(ChordVoices[0]);
    Combo2->setListIndex(ChordVoices[1]);
    Combo3->setListIndex(ChordVoices[2]);
    for (std::size_t v = 0; v < 3; ++v)
        Zxlyl[v]->setListIndex(MelodyVelocities[v]);
    YD->setListIndex(0);
    SD->setListIndex(DefaultTempoIndex);
    VsbVol->setListIndex(RhythmVolume);

    KeyBase = keyBaseForKeyIndex(YD->listIndex());
    // The lanes' instruments at the rhythm volume over steps 0-15; which
    // steps sound stays as it is.
    for (int lane = 0; lane < 3; ++lane)
        LblInst_Click(lane);
    if (const auto ms = stepMsForTempo(tempoListEntry(SD->listIndex())))
        StepMs = *ms;
    for (int v = 0; v < 3; ++v)
        MidiProgramChange(v, 0, ComSounds[std::size_t(v)]->listIndex() - 1);
    MidiProgramChange(3, 0, Combo1->listIndex() - 1);
    MidiProgramChange(4, 0, Combo2->listIndex() - 1);
    MidiProgramChange(5, 0, Combo3->listIndex() - 1);
}

void Form1::showKeyboardWindow()
{
    // Showing the window activates it again.
    show();
    raise();
    activateWindow();
}

} // namespace dzq
