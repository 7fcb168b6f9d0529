#pragma once
// The program-wide variables that the windows and the MIDI layer share. They
// live for the whole run; resetSharedState() puts them back to their start
// values (tests use it). Each says who writes it; everyone else only reads.
// Nothing here depends on a window, a device or the platform layer.
#include <QString>

#include <array>
#include <cstdint>

namespace dzq {

// MIDI note number of the lowest note "LC" in the current key: 36 + key index.
// Writers: the keyboard window's key list (YD_Click), key-choice keys
// (SFYXYZ_KeyDown), the score's key command (YSCX) and start-up (QDCSH); the
// music editor's key list (DQYD_Click) and its defaults (BJQD).
inline int KeyBase = 36;
// Clock interval of the playing window in milliseconds.
// Writers: the keyboard window's tempo box (SD_Click, SD_LostFocus), the
// score's tempo command (YSCX) and start-up (QDCSH); the music editor's tempo
// box (DQSUDU_Click, DQSUDU_LostFocus), defaults (BJQD) and measure settings
// (CXTSB), whose step is a sixteenth: Int(15000 / tempo).
inline int StepMs = 107;
// The keyboard window's rhythm cursor (0..RhythmLastStep): the step its clocks
// play next. Another window's player keeps its own cursor and passes it to
// PlayRhythmStep(step); it only resets this one (resetAccompCounters).
// Writers: the keyboard window's accompaniment step and first live note,
// resetAccompCounters.
inline int CurStep = 0;
// Note velocity per channel (the chord channels 3..5 of the keyboard window,
// the lines of the music editor).
// Writers: the keyboard window's chord voices (BZHX, BZHX2, ZHHXJ); the music
// editor's line volumes 0..11 (YQYL_Click, BCXJ, CXTSB).
inline std::array<int, 16> LineVolume{};
// Pan value (controller 10) per channel; only MidiNoteOn reads it.
// Writer: the keyboard window's start-up (Form_Load).
inline std::array<int, 16> ChannelPan{};
// The score text shared by the score box, the interpreter and the recorder.
// Writers: the keyboard window's score box (Yuepu_Click, XINJIAN_Click), its
// Space key and score recording (SFYXYZ_KeyDown, Text3_Change), its end.
inline QString ScoreText;
// The program's data folder, ending in "/".
// Writers: the start-up window (DZQQD::prepare), or Form_Load when a keyboard
// window was made without one (tests, tools).
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
// Writers: records 0..2 the keyboard window's rhythm grid, lane instruments,
// rhythm volume and rhythm files (Form1Rhythm) and RestoreKeyboardDefaults
// (through those handlers); record 5 the settings file
// reader (applySettings) and the preset editor (YQSZ_Click); records 0..4 the
// music editor's percussion lines (SYYQ_Click, CXTSB) and its step player
// (convertSong, YYSB), and its way back
// silences records 3 and 4.
inline std::array<std::array<RhythmCell, RhythmSteps>, RhythmRecords> RhythmStepTable{};

// Packs a percussion note-on on channel 9 the way rhythm cells hold it.
int32_t percussionMsg(int note, int velocity);

// Chord offsets above KeyBase: (voicing group 0..3, degree 0..7, note 0..3),
// indexes 1..3 / 1..7 / 1..3 used, filled from string resource 510.
// Writer: fillChordTable (program start and the chord tab).
inline int32_t ChordTable[4][8][4] = {};

// The chord code and channel last given to PlayChord (the keyboard window's
// PlayChord() plays them). Writers: the keyboard window's chord voices, the
// music editor's step (XJFS).
inline int32_t ChordCode = 0;
inline int ChordChannel = 3;
// Indexes 1..3: the offsets PlayChord last played. Writer: PlayChord.
inline std::array<QString, 4> ChordNoteText{};

// Input of PlayKeypadDrum: the keypad digit 0..9.
// Writers: the keypad keys (SFYXYZ_KeyDown), the preset editor (YQSZ_Click).
inline int KeypadDrumIndex = 0;
// Inputs of PlaySoundEffect: the virtual-key code of the effect key and the six
// effect file names. Writers: EffectKey the effect keys (SFYXYZ_KeyDown);
// EffectNames the settings file reader and the effect settings (File2_Click).
inline int EffectKey = 0;
inline std::array<QString, 6> EffectNames{};

// Fills ChordTable from the text of string resource 510 (63 comma-separated
// numbers, group after group, degree after degree, three notes each). Returns
// false, leaving the table unchanged, when the text does not hold 63 numbers.
bool fillChordTable(const QString &resourceText);

// ---- the main window's instrument, shared with the editor -----------------

// Instrument list index of melody voice 0..2 (0 "0.无声", k: program k - 1).
// Writers: the keyboard window's instrument lists (ComSounds_Click,
// ComSounds_Change), presets (SFYXYZ_KeyDown, YSCX) and start-up (QDCSH).
inline std::array<int, 16> MelodyProgram{};
// Note-on velocity of melody voice 0..2; element 3 is the chord volume.
// Writers: the volume lists (Zxlyl_Click, HxYL_Click) and start-up (QDCSH).
inline std::array<int, 16> VoiceVelocity{};
// The shortcut tables of the settings file: instrument list indexes of the
// three melody voices for F1..F12 (row 12 is all "0.无声"), the percussion
// list index of each keypad digit (note = index + 35).
// Writers: the settings file reader (applySettings), the preset editor (YQSZ_Click).
inline int PresetTable[13][4] = {};
inline std::array<int, 11> DrumKeyTable{};

// ---- accompaniment counters and lengths ------------------------------------
// Writers: the keyboard window's clocks (accompanimentStep, Timer3_Timer), its
// first live note, rhythm start, chord preview and score start, and
// resetAccompCounters (also the music editor's way back, with AccompTick 0);
// RhythmLastStep the metre buttons (Option1_Click) and
// start-up; StepsPerChord, ChordCycle and ChordSeqLen the chord panel (HXJS,
// CSHX) and the metre buttons.

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
// Writer: the chord panel (HXJS).
inline ChordSequence ChordSeq{};
// Scale degree 1..7 of chord c = 1..ChordCycle of the progression; entry 0 unused.
// Writer: the chord panel when it takes a progression (Text6, CSHX).
inline std::array<int, MaxProgressionLength + 1> ProgressionDegrees{};
// ChordSeq[voice][step], or a hold (255) for a voice outside 1..3 or a step
// outside the current cycle 0..ChordSeqLen - 1 (an empty progression has none).
int chordSeqCode(int voice, int step);

void resetSharedState();

} // namespace dzq
