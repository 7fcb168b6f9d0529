#pragma once
// Things other parts prepare in shared tables and this layer plays: one step of
// the percussion grid, a three-note chord, a keypad drum and a sound effect,
// and the short wait that keeps the window alive.
#include <QString>

#include <cstdint>

namespace dzq {

// Sends the prepared message of each sounding record 0..4 of RhythmStepTable
// at step; at most one error box, for the last message sent. A step outside
// the table sends nothing. Each player passes its own cursor.
void PlayRhythmStep(int step);
// The keyboard window's rhythm step: PlayRhythmStep(CurStep).
void PlayRhythmStep();

// Sounds the chord named by code (65..85; any other code sounds KeyBase three
// times) on channel with that channel's LineVolume, above KeyBase; the three
// notes follow each other 10 ms apart and their offsets are left in
// ChordNoteText. Velocity and key are taken when the call starts. The window
// is not held up: the later notes are delivered by a timer.
void PlayChord(int32_t code, int channel);
// PlayChord(ChordCode, ChordChannel).
void PlayChord();

// Sends the prepared keypad drum of record 5 at KeypadDrumIndex.
void PlayKeypadDrum();

// Plays the effect file named for EffectKey from the effects folder under
// AppDir, if it exists. Returns the text the main window shows in its label
// ("<name>_音效") whether or not a file was found.
QString PlaySoundEffect();

// Index into EffectNames for an effect key code (Insert 0, Home 1, Page Up 2,
// Delete 3, End 4, Page Down 5, any other 0).
int effectIndexForKey(int keyCode);

// Waits ms milliseconds of the monotonic clock while pending window events run.
// WaitMs(0) returns at once. Never inside a clock tick (debug builds stop there).
void WaitMs(int ms);

// Chord notes still waiting for their turn. Sending any other message on a
// channel first delivers that channel's waiting notes, so a release loop can
// never run ahead of a chord note it should end; closing the device drops them.
bool chordNotesPending();
void flushChordNotes(int channel);
void dropChordNotes();

} // namespace dzq
