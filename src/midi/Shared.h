#pragma once
// The program-wide variables that the windows share. They live for the whole
// run; resetSharedState() puts them back to their start values (tests use it).
#include <QString>

#include <array>
#include <cstdint>

namespace dzq {

// MIDI note number of the lowest note "LC" in the current key: 36 + key index.
inline int KeyBase = 36;
// Timer interval of the playing window in milliseconds.
inline int StepMs = 107;
// The step being played (0..9999), shared by the rhythm player and the editor.
inline int CurStep = 0;
// Note velocity per channel (chord channels 3..5 in the main window, one per
// line in the editor).
inline std::array<int, 16> LineVolume{};
// Pan value (controller 10) per channel; only MidiNoteOn reads it.
inline std::array<int, 16> ChannelPan{};
// The score text shared by the score box, the interpreter, the recorder and the
// editor's import.
inline QString ScoreText;
// The program folder, ending in "/".
inline QString AppDir;

// One prepared percussion event of the rhythm table.
struct RhythmCell {
    int16_t On = 0;   // -1 sounds the cell, 0 is silent; players test for exactly -1
    int16_t Note = 0; // General MIDI percussion note
    int16_t Vol = 0;  // velocity
    int32_t Msg = 0;  // 0x99 + Note * 256 + Vol * 65536, kept in step by its writers
};

constexpr int RhythmRecords = 7;
constexpr int RhythmSteps = 10000;
// Records 0..2: the main window's rhythm lanes; 0..4: the editor's percussion
// lines; record 5 steps 0..9: the keypad drums; record 6 is unused.
inline std::array<std::array<RhythmCell, RhythmSteps>, RhythmRecords> RhythmStepTable{};

// Packs a percussion note-on on channel 9 the way rhythm cells hold it.
int32_t percussionMsg(int note, int velocity);

// Chord offsets above KeyBase: (voicing group 0..3, degree 0..7, note 0..3),
// indexes 1..3 / 1..7 / 1..3 used, filled from string resource 510.
inline int32_t ChordTable[4][8][4] = {};

// Inputs and outputs of PlayChord.
inline int32_t ChordCode = 0;
inline int ChordChannel = 3;
inline std::array<QString, 4> ChordNoteText{}; // indexes 1..3: the offsets last played

// Input of PlayKeypadDrum: the keypad digit 0..9.
inline int KeypadDrumIndex = 0;
// Inputs of PlaySoundEffect: the virtual-key code of the effect key and the six
// effect file names (from the settings file).
inline int EffectKey = 0;
inline std::array<QString, 6> EffectNames{};

// Fills ChordTable from the text of string resource 510 (63 comma-separated
// numbers, group after group, degree after degree, three notes each). Returns
// false, leaving the table unchanged, when the text does not hold 63 numbers.
bool fillChordTable(const QString &resourceText);

void resetSharedState();

} // namespace dzq
