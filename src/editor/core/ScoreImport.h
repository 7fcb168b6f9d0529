#pragma once
// Importing a score of the keyboard window into the editor's song, and the
// accompaniment added to it from what the keyboard window holds.
//
// The editor window's "导入记录乐谱" does, once the user has chosen a file:
//     const ScoreFileRead read = readScoreFile(path);    // UTF-8 or GBK, lines joined
//     if (!read.ok) { report read.error; return; }         // the song is left as it was
//     ScoreText = read.score;
//     const ScoreImport imported = importScore(song, strings, ScoreText, StepMax, NoteLen);
//     if (imported.cut) show scoreCutMessage(imported, StepMax);
//     const Accompaniment added = ZNHXTJ(song, StepMax, <the keyboard window's AccompanimentInputs>);
//     apply added (instruments, tempo), then show measure 0.
// Nothing here touches a window; the functions work on the song tables only.
// stepMax is the editor's StepMax: S = stepMax + 1 steps per measure.
#include "editor/core/Song.h"

#include "keyboard/KeyboardWindowApi.h"

#include <QString>
#include <QStringView>

#include <array>

namespace dzq {

// What reading a score left in the song.
struct ScoreImport {
    int endStep = 0;       // the step after the last one the score filled (CurStep)
    int totalMeasures = 0; // the song's TotalMeasures: the measure endStep lies in,
                           // at most the last whole measure that fits the tables
    int playLastStep = 0;  // the song's last step: S x totalMeasures + S - 1
    bool cut = false;      // the score ran past the last measure that fits; what
                           // fits was imported, the rest was left out
};

// Reads the tokens of a score into melody lines 0 and 1 from step 0 on. A note
// name, "MA" and "XZ" are written into both lines at the current step, which
// then moves on by half the current length (lengths count eighths of a beat,
// steps sixteenths); "TZ" is written the same way and ends the reading. The
// commands "VS" "YQ" "YX" "JP" "HX" write nothing; any other pair writes a
// hold "--" at the current step without moving on. The digits after any token
// set the current length noteLen, which the caller keeps from one import to
// the next. A single last character is not read. The reading stops before a
// note or rest that would start past the last whole measure that fits, and the
// result says the score was cut. Sets song.TotalMeasures; expects a cleared
// song (the cells it does not write stay as they are).
ScoreImport YUEPUSB(Song &song, QStringView score, int stepMax, int &noteLen);

// What the window tells the user when an import was cut: how far the score
// was imported.
QString scoreCutMessage(const ScoreImport &imported, int stepMax);

// Completes what YUEPUSB wrote: every empty cell of lines 0 and 1 in measures
// 0..TotalMeasures becomes a hold "--", and the line texts of melody lines 0..6
// of those measures are built from their cells.
void DrYpsb(Song &song, int stepMax);

// The whole import of a score text: clears the song and its per-measure
// strings (clearAll), then YUEPUSB and DrYpsb. A stepMax for which not even
// one measure fits changes nothing and reports an empty song.
ScoreImport importScore(Song &song, MeasureStrings &strings, QStringView score, int stepMax, int &noteLen);

// ---- the accompaniment ------------------------------------------------------

// What the editor window applies after the accompaniment was written.
struct Accompaniment {
    bool applied = false;                 // false: no chord sequence, nothing was written
    std::array<int, 3> chordInstrument{}; // instrument list indexes of lines 4, 5, 6
    std::array<int, 3> laneInstrument{};  // percussion list indexes of lines 7, 8, 9
    int tempoIndex = -1;  // the tempo list entry to choose, or -1
    QString tempoText;    // with tempoIndex -1: a typed tempo to show (50..255), or
                          // empty when the editor keeps its tempo
    int stepMs = 0;       // StepMs of the tempo chosen or typed; 0 when kept
    int shownMeasure = 0; // the measure to show afresh
};

// Adds the accompaniment to an imported song of measures 0..TotalMeasures:
//  - lines 4, 5, 6 take voices 1, 2, 3 of the chord sequence on every second
//    step, entry after entry, starting again with entry 0 after chordSeqLen
//    entries; the steps between hold; codes without a cell name hold;
//  - lines 7, 8, 9 take rhythm lanes 0, 1, 2: grid cell j (ticked when its
//    value is 1) is step 2j of every measure;
//  - the lanes' and chord voices' instruments and the tempo come back for the
//    window to apply. A tempo list index in 0..18 is taken as it is; a typed
//    tempo (index -1) is taken when its value lies in 50..255, otherwise the
//    editor keeps its own.
// With chordSeqLen 0 (no progression) nothing is written or applied.
Accompaniment ZNHXTJ(Song &song, int stepMax, const AccompanimentInputs &keyboard);

} // namespace dzq
