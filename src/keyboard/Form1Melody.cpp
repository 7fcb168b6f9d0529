// The melody panel: the instrument and velocity of the three melody voices
// (channels 0, 1, 2), their vibrato switches, the key, the output device and
// the tempo with its three presets.
#include "keyboard/EventHook.h"
#include "keyboard/Form1.h"

#include "keyboard/core/Tempo.h"
#include "midi/MidiOut.h"
#include "platform/Numbers.h"
#include "shared/Shared.h"

#include <algorithm>

namespace dzq {

namespace {

// The controllers a vibrato switch sends, in this order, with their values
// for on and off: modulation, portamento on/off, portamento time, sostenuto,
// reverb depth.
struct EffectController {
    int controller;
    int on;
    int off;
};
constexpr std::array<EffectController, 5> VibratoControllers{{
    {1, 75, 0},
    {65, 127, 0},
    {5, 25, 0},
    {66, 100, 20},
    {91, 100, 20},
}};

} // namespace

void Form1::ComSounds_Click(int v)
{
    const int k = ComSounds[std::size_t(v)]->listIndex();
    if (k > 0) {
        MelodyProgram[std::size_t(v)] = k;
        MidiProgramChange(v, 0, k - 1);
        return;
    }
    if (k < 0)
        return;
    // "0.无声" silences the voice's part of the last score or mouse note, also
    // where it was struck in an earlier key, and on channel 2 its lower
    // doubling too.
    const int struck = LastNote + KeyBase;
    const auto release = [v](int note) {
        MidiNoteOff(v, note);
        if (v == 2)
            MidiNoteOff(2, note - 5);
    };
    release(struck);
    if (LastNoteMidi != 0 && LastNoteMidi != struck)
        release(LastNoteMidi);
}

void Form1::ComSounds_Change(int v)
{
    const int k = ComSounds[std::size_t(v)]->listIndex();
    if (k < 0)
        return;
    MelodyProgram[std::size_t(v)] = k;
    MidiProgramChange(v, 0, k - 1);
}

void Form1::Zxlyl_Click(int v)
{
    // A typed velocity beyond a MIDI data byte would corrupt the note-on.
    VoiceVelocity[std::size_t(v)] = std::clamp(CInt(Val(Zxlyl[std::size_t(v)]->text())), 0, 127);
}

void Form1::YD_Click()
{
    const int index = YD->listIndex();
    if (index >= 0 && index < int(KeyListEntries.size()))
        KeyBase = keyBaseForKeyIndex(index);
}

void Form1::YD_Change()
{
    // The key is only chosen from the list; typing puts the first key back
    // into the box and leaves the chosen one sounding.
    YD->setText(YD->itemText(0));
}

void Form1::ComDevies_Click()
{
    // An empty list (no output at all) has nothing to open.
    const int index = ComDevies->listIndex();
    if (index < 0)
        return;
    OpenMidiOut(ComDevies->itemData(index).toInt());
    for (int v = 0; v < 3; ++v)
        MidiProgramChange(v, 0, MelodyProgram[std::size_t(v)] - 1);
}

void Form1::Check3_Click(int v)
{
    const bool on = Check3[std::size_t(v)]->value() != 0;
    // The sostenuto pedal going down holds every note sounding on the voice
    // at that moment until it comes up again, through every later note-off:
    // a note left sounding (without "抬手静音" the last live note sounds on)
    // would outlast every stop. The voice's notes end first.
    if (on)
        releaseSoundingNotes({v});
    for (const EffectController &c : VibratoControllers)
        MidiShortMsg(0xB0 + v, c.controller, on ? c.on : c.off);
}

void Form1::SD_Click()
{
    // Only a tempo of 40..140 sets the clocks: a box being typed into may hold
    // "", "0" or "999" at this moment.
    const QString text = SD->text();
    if (!typedTempo(text))
        return;
    const auto ms = stepMsForTempo(Val(text));
    if (!ms)
        return;
    StepMs = *ms;
    BZDS->setInterval(StepMs);
    Timer1->setInterval(StepMs);
}

void Form1::SD_LostFocus()
{
    if (typedTempo(SD->text()))
        SD_Click();
    else
        SD->setText(QString::number(tempoShownForStepMs(StepMs)));
}

void Form1::Option4_Click(int index)
{
    SD->setListIndex(TempoPresetIndexes[std::size_t(index)]);
    if (const auto ms = stepMsForTempo(Val(SD->text()))) {
        StepMs = *ms;
        BZDS->setInterval(StepMs);
    }
}

void Form1::wireMelody()
{
    for (int v = 0; v < 3; ++v) {
        const auto i = std::size_t(v);
        ComSounds[i]->setClickHandler(this, [this, v] { ComSounds_Click(v); });
        ComSounds[i]->setChangeHandler(this, [this, v] { ComSounds_Change(v); });
        Zxlyl[i]->setClickHandler(this, [this, v] { Zxlyl_Click(v); });
        Zxlyl[i]->setChangeHandler(this, [this, v] { Zxlyl_Click(v); });
        Check3[i]->setClickHandler(this, [this, v] { Check3_Click(v); });
        Option4[i]->setClickHandler(this, [this, v] { Option4_Click(v); });
    }
    YD->setClickHandler(this, [this] { YD_Click(); });
    YD->setChangeHandler(this, [this] { YD_Change(); });
    ComDevies->setClickHandler(this, [this] { ComDevies_Click(); });
    ComDevies->setChangeHandler(this, [this] { ComDevies_Click(); });
    SD->setClickHandler(this, [this] { SD_Click(); });
    // Leaving the tempo box checks what was typed.
    EventHook::onLostFocus(SD, [this] { SD_LostFocus(); });
}

} // namespace dzq
