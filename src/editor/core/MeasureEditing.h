#pragma once
// Editing the song measure by measure: what the editor window's handlers do
// to the song tables. n is the measure being edited, S = stepMax + 1 steps
// per measure. Every operation stays inside the step capacity: a measure
// whose steps would end past step 9999 is never written (measureFits), so no
// caller can index past the tables.
//
// What stays with the window: the boxes and the scroll bar. In particular
// clearing (or inserting) a measure also unticks the percussion boxes, and
// each box that was ticked runs its click handler, which calls
// enterPercussionStep and so turns that line of the measure into S "-".
#include "editor/core/Song.h"

#include <QString>

#include <optional>

namespace dzq {

// Measure m lies within the step capacity: 0 <= m <= lastMeasureThatFits(S).
bool measureFits(int measure, int stepMax);
// The last absolute step that playing the whole song reaches: S x total + stepMax.
int playLastStep(int totalMeasures, int stepMax);
// The caption of the bars a measure holds: measure 2 gives "实际小节数是(5-6)小节".
QString barsCaption(int measure);

// Melody line entry (a melody box losing the focus): the text is upper-cased
// and padded with "-" to 2S characters (a longer text is kept whole); it
// becomes the line text of the measure, and its cells 2k, 2k + 1 (0-based)
// become the cells k = 0..S-1 with their note codes. Returns the text the box
// then shows. A line outside 0..6 or a measure past the capacity changes
// nothing in the song.
QString enterMelodyLine(Song &song, int line, int measure, int stepMax, const QString &typed);

// Percussion step entry (box `step` of line 7..11 changed): the cell becomes
// "O" (ticked) or "-", every empty cell of the line in the measure becomes "-",
// and the line text is rebuilt from the S cells.
void enterPercussionStep(Song &song, int line, int measure, int stepMax, int step, bool ticked);

// Clear measure: the line texts of lines 0..11 and their cells in the measure
// become empty, the melody codes hold (255). Settings records stay.
void clearMeasure(Song &song, int measure, int stepMax);

// Insert measure after curMeasure: measure curMeasure + 1 is cleared (whatever
// it held is overwritten; later measures do not move) and the song grows to
// at least curMeasure + 2 measures when it ended at or before the new one.
// Returns the new current measure, or nothing (the song unchanged) when the
// new measure or the grown song would run past the step capacity; the window
// then shows measureCapacityMessage.
std::optional<int> insertMeasure(Song &song, int curMeasure, int stepMax);

// The answer of the number-of-measures prompt. count holds the new
// TotalMeasures when the answer is a whole number in 1..lastMeasureThatFits(S)
// (blanks around it allowed). Cancel, an empty answer and 0 give no count and
// no message; any other answer (text, a fraction, a negative or too large
// number) gives no count and a message for the user.
struct MeasureCountAnswer {
    std::optional<int> count;
    QString message;
};
MeasureCountAnswer parseMeasureCountAnswer(const QString &answer, int stepMax);

// Clear all: every cell of lines 0..11 at all 10,000 steps, every line text of
// lines 0..11 and every per-measure string become empty, the melody codes hold
// (255), and TotalMeasures is 0. Nothing depends on the time signature, so
// nothing of an earlier song can come back.
void clearAll(Song &song, MeasureStrings &strings);

// After a change of the time signature: the line texts of every measure that
// fits are rebuilt from the cells under the new S, so an old text never
// overwrites cells of the new layout. A line without any written cell in the
// measure gets an empty text; otherwise empty melody cells read "--", a
// one-character melody cell is completed with "-", and empty percussion
// cells read "-". The cells themselves are not changed.
void rebuildLineTexts(Song &song, int stepMax);

// A melody cell as line texts and files hold it: empty gives "--", one
// character is completed with "-", two characters stay.
QString melodyCellText(const QString &cell);

// The message when the song cannot grow by another measure.
QString measureCapacityMessage(int stepMax);

} // namespace dzq
