// The melody voices (channels 0..2) and chord voices (3..5) as every player of
// the main window sounds and ends them, and the key pictures.
#include "keyboard/Form1.h"

#include "midi/MidiOut.h"
#include "platform/Resources.h"
#include "shared/Shared.h"

namespace dzq {

namespace {

// The four key pictures, decoded once: a key press must not wait for a file.
const QPixmap &keyPicture(int id)
{
    static const std::array<QPixmap, 4> pictures{
        LoadResPicture(WhiteKeyUpPicture), LoadResPicture(WhiteKeyDownPicture),
        LoadResPicture(BlackKeyUpPicture), LoadResPicture(BlackKeyDownPicture)};
    return pictures[std::size_t(id - WhiteKeyUpPicture)];
}

} // namespace

bool Form1::voiceOn(const ChoiceList *list) { return list && list->listIndex() > 0; }

void Form1::releaseNote(int midiNote)
{
    for (int channel = 0; channel < 3; ++channel)
        MidiNoteOff(channel, midiNote);
    MidiNoteOff(2, midiNote - 5);
}

void Form1::soundNote(int midiNote)
{
    for (std::size_t v = 0; v < 3; ++v)
        if (voiceOn(ComSounds[v]))
            MidiNoteOn(int(v), midiNote, VoiceVelocity[v]);
    if (voiceOn(ComSounds[2]))
        MidiNoteOn(2, midiNote - 5, VoiceVelocity[2]);
}

void Form1::releaseLastNote()
{
    releaseNote(LastNote + KeyBase);
    // A key change since the note was struck would leave it sounding.
    if (LastNoteMidi != 0 && LastNoteMidi != LastNote + KeyBase)
        releaseNote(LastNoteMidi);
    LastNoteMidi = 0;
}

void Form1::notesOff(std::initializer_list<int> channels)
{
    for (int i = 0; i < 64; ++i)
        for (const int channel : channels)
            MidiNoteOff(channel, KeyBase + i);
    // Notes struck in another key, and channel 2's lower doubling of the
    // lowest five offsets, lie outside the loop.
    releaseSoundingNotes(channels);
}

void Form1::QbTZ()
{
    for (int channel = 0; channel <= 6; ++channel)
        for (int i = 0; i < 64; ++i)
            MidiNoteOff(channel, KeyBase + i);
    releaseSoundingNotes({0, 1, 2, 3, 4, 5, 6});
}

void Form1::HX1K() { notesOff({3, 4, 5}); }

void Form1::showKeyUp(int key)
{
    if (key >= 0 && key < OnScreenKeyCount)
        Picture1[std::size_t(key)]->setPicture(keyPicture(keyUpPicture(key)));
}

void Form1::showKeyDown(int key)
{
    if (key >= 0 && key < OnScreenKeyCount)
        Picture1[std::size_t(key)]->setPicture(keyPicture(keyDownPicture(key)));
}

void Form1::wireVoices() {}

} // namespace dzq
