#pragma once
// The music editor's song: a row of measures, each with 12 lines of steps
// (lines 0-6 melody, lines 7-11 percussion). The tables are program-wide and
// outlive the editor window; every per-step table is indexed by the absolute
// step S x measure + step-in-measure, where S = StepMax + 1 (16, 24 or 32).
//
// Cells: a melody cell is two characters (a note or chord token, "--" hold,
// "XZ" rest, "TZ" end of the song); a percussion cell is one character, and
// only "O" is a hit. A cell that was never written is empty.
// Line texts: a melody line of a measure is its S cells joined (2S
// characters), a percussion line its S one-character cells joined
// (measureLineText).
#include "keyboard/core/ScoreLanguage.h"

#include <QString>

#include <array>
#include <cstdint>

namespace dzq {

constexpr int SongLineRows = 17;          // rows 0..16; lines 0..11 used (0..6 melody, 7..11 percussion)
constexpr int MelodyLineCount = 7;
constexpr int PercussionLineCount = 5;    // line 7 + r plays RhythmStepTable record r
constexpr int SongLineCount = MelodyLineCount + PercussionLineCount;
constexpr int FirstPercussionLine = MelodyLineCount;
constexpr int SongStepCapacity = 10000;   // absolute steps 0..9999
constexpr int SongMeasureCapacity = 10000;

// Note codes are those of the score language (0..55 notes, 65..85 chords,
// RestCode 254); a hold, like anything that is no note, is 255.
constexpr int16_t HoldCode = NoNoteCode;

// The program-wide song tables. About 10 MB: never put one on the stack
// (tests use std::make_unique<Song>()).
struct Song {
    std::array<std::array<QString, SongStepCapacity>, SongLineRows> StepArr;     // cell of line at abs step
    std::array<std::array<QString, SongMeasureCapacity>, SongLineRows> MeasureArr; // line text of a measure
    std::array<std::array<int16_t, SongStepCapacity>, SongLineRows> NoteArr{};   // note code of a melody cell
    int32_t TotalMeasures = 0;                 // highest measure index (0-based)
    std::array<int32_t, 16> LineProgram{};     // 0..6: GM program (-1 none); 7..11: percussion list index
};
Song &programSong();                           // the one program-wide instance (function-local static)

// The per-measure setting strings of the editor window (the window owns one
// and drops it when it closes). Every table holds the whole measure capacity.
//   MeasureHead   empty (no settings), a bare four-digit measure number (what
//                 saving writes for a measure without settings), or the
//                 60-character settings record; a record is present when the
//                 text is longer than 4 characters
//   MeasureFx     vibrato flag then crescendo flag, "0" or "1" each ("10")
//   MeasureDepth  crescendo depth + 20, two decimal digits ("00" .. "40")
//   MeasureKey    key index 0..11, two decimal digits
//   MeasureTempo  tempo, two upper-case hexadecimal digits
// About 1.2 MB: keep it on the heap.
struct MeasureStrings {
    std::array<QString, SongMeasureCapacity> MeasureHead;
    std::array<QString, SongMeasureCapacity> MeasureFx;
    std::array<QString, SongMeasureCapacity> MeasureDepth;
    std::array<QString, SongMeasureCapacity> MeasureKey;
    std::array<QString, SongMeasureCapacity> MeasureTempo;
};

constexpr bool isMelodyLine(int line) { return line >= 0 && line < MelodyLineCount; }
constexpr bool isPercussionLine(int line) { return line >= FirstPercussionLine && line < SongLineCount; }

// Cell converter: the note code of a two-character cell ("KC" 24, "CC" 72, "XZ" 254, anything else 255).
// The comparison is exact and case-sensitive: "kc", "K", "", "--", "TZ", "MA" are all 255.
int16_t SYYPSB(const QString &cell);
// The reverse: 0..55 and 65..85 to their tokens, 254 to "XZ", any other code to "--".
// Codes inside 0..55 that no token stands for (1, 3, 49 …) also give "--".
QString cellForCode(int code);

// The line text of a measure: the S cells of the line in measure m joined in
// step order (an empty cell adds nothing). Empty when the measure does not fit
// the tables or the line is no row of them.
QString measureLineText(const Song &song, int line, int measure, int stepsPerMeasure);

// A percussion cell sounds only when it is exactly "O".
inline bool isPercussionHit(const QString &cell) { return cell == QLatin1String("O"); }

// Steps per measure S for StepMax (15, 23, 31 -> 16, 24, 32).
constexpr int stepsPerMeasure(int stepMax) { return stepMax + 1; }
// The last measure index that fits the step capacity for S steps per
// measure: 10000 / S - 1 (624, 415, 311 for 16, 24, 32). -1 when S is not
// in 1..10000 (no measure fits).
int lastMeasureThatFits(int stepsPerMeasure);

} // namespace dzq
