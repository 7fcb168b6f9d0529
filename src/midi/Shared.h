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

// ---- the main window's instrument, shared with the editor -----------------

// Instrument list index of melody voice 0..2 (0 "0.无声", k: program k - 1).
inline std::array<int, 16> MelodyProgram{};
// Note-on velocity of melody voice 0..2; element 3 is the chord volume.
inline std::array<int, 16> VoiceVelocity{};
// The shortcut tables of the settings file: instrument list indexes of the
// three melody voices for F1..F12 (row 12 is all "0.无声"), the percussion
// list index of each keypad digit (note = index + 35).
inline int PresetTable[13][4] = {};
inline std::array<int, 11> DrumKeyTable{};

// ---- accompaniment counters and lengths ------------------------------------

inline int AccompTick = 0;      // tick within the expression cycle, 0..2 x RhythmLastStep + 1
inline int AccompStep = 0;      // index into ChordSeq, 0..ChordSeqLen - 1
inline int ChordStep = 1;       // chord of the progression, 1..ChordCycle
inline int NoteTick = 0;        // ticks of the current score note
inline int RhythmLastStep = 15; // 15 in 2/4 and 4/4, 11 in 3/4
inline int StepsPerChord = 8;   // accompaniment steps per chord (6 in 3/4)
inline int ChordCycle = 0;      // chords in the progression
inline int ChordSeqLen = 0;     // accompaniment steps in one progression cycle

// The counter reset: CurStep 0, AccompStep 0, NoteTick 0, ChordStep 1.
void resetAccompCounters();

// ---- the chord sequence the chord voices play --------------------------------

constexpr int ChordSeqSteps = 151;       // accompaniment steps 0..150
constexpr int MaxProgressionLength = 17; // chords in one progression
using ChordSequence = std::array<std::array<int32_t, ChordSeqSteps>, 4>;
// ChordSeq[v][i]: the note code chord voice v (1..3, channel 2 + v) takes at
// accompaniment step i (0..63 note above KeyBase, 65..85 chord, 254 rest, 255
// hold); row 0 is unused. Steps 0..ChordSeqLen - 1 make one progression cycle.
inline ChordSequence ChordSeq{};
// Scale degree 1..7 of chord c = 1..ChordCycle of the progression; entry 0 unused.
inline std::array<int, MaxProgressionLength + 1> ProgressionDegrees{};
// ChordSeq[voice][step], or a hold (255) for a voice outside 1..3 or a step
// outside the current cycle 0..ChordSeqLen - 1 (an empty progression has none).
int chordSeqCode(int voice, int step);

void resetSharedState();

} // namespace dzq
