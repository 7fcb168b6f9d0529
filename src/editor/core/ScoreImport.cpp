#include "editor/core/ScoreImport.h"

#include "editor/core/MeasureEditing.h"

#include "keyboard/core/ScoreLanguage.h"
#include "keyboard/core/Tempo.h"
#include "platform/Numbers.h"

#include <algorithm>

namespace dzq {

namespace {

const QString HoldCell = QStringLiteral("--");

// Steps the tables hold in whole measures: 0 when not even one measure fits.
int stepsThatFit(int stepMax)
{
    const int S = stepsPerMeasure(stepMax);
    return S * (lastMeasureThatFits(S) + 1);
}

// The song's last measure, kept within the measures that fit.
int lastMeasureOf(const Song &song, int stepMax)
{
    return std::clamp(song.TotalMeasures, 0, lastMeasureThatFits(stepsPerMeasure(stepMax)));
}

void writeMelodyCell(Song &song, int line, int step, const QString &cell)
{
    song.StepArr[line][step] = cell;
    song.NoteArr[line][step] = SYYPSB(cell);
}

} // namespace

ScoreImport YUEPUSB(Song &song, QStringView score, int stepMax, int &noteLen)
{
    ScoreImport r;
    const int capacity = stepsThatFit(stepMax);
    if (capacity == 0)
        return r;
    int step = 0;
    for (qsizetype pos = 1;;) {
        const ScoreToken t = readScoreToken(score, pos, ScoreReadMode::Import);
        if (t.atEnd())
            break;
        pos = t.next;
        if (t.number)
            noteLen = *t.number;
        const ImportTokenKind kind = importTokenKind(t.text);
        if (kind == ImportTokenKind::Skip)
            continue;
        if (step >= capacity) {
            // The tables are full. A note or rest still to come is music that
            // does not fit; holds and the end mark lose nothing.
            if (kind == ImportTokenKind::Cell) {
                r.cut = true;
                break;
            }
            if (kind == ImportTokenKind::End)
                break;
            continue;
        }
        if (kind == ImportTokenKind::Hold) {
            writeMelodyCell(song, 0, step, HoldCell);
            writeMelodyCell(song, 1, step, HoldCell);
            continue;
        }
        writeMelodyCell(song, 0, step, t.text);
        writeMelodyCell(song, 1, step, t.text);
        for (int line = 2; line < MelodyLineCount; ++line)
            song.NoteArr[line][step] = HoldCode;
        step += std::clamp(noteLen, 0, 99) / 2;
        if (kind == ImportTokenKind::End)
            break;
        // A note or rest that runs past the last step that fits is cut short.
        if (step > capacity)
            r.cut = true;
    }
    r.endStep = step;
    const int S = stepsPerMeasure(stepMax);
    r.totalMeasures = std::min(step / S, lastMeasureThatFits(S));
    r.playLastStep = playLastStep(r.totalMeasures, stepMax);
    song.TotalMeasures = r.totalMeasures;
    return r;
}

QString scoreCutMessage(const ScoreImport &imported, int stepMax)
{
    return QStringLiteral("乐谱太长，每小节%1步时只能导入到软件第%2小节，后面的部分没有导入！")
        .arg(stepsPerMeasure(stepMax))
        .arg(imported.totalMeasures);
}

void DrYpsb(Song &song, int stepMax)
{
    if (stepsThatFit(stepMax) == 0)
        return;
    const int last = lastMeasureOf(song, stepMax);
    const int lastStep = playLastStep(last, stepMax);
    for (int line = 0; line < 2; ++line)
        for (int step = 0; step <= lastStep; ++step)
            if (song.StepArr[line][step].isEmpty())
                writeMelodyCell(song, line, step, HoldCell);
    for (int line = 0; line < MelodyLineCount; ++line)
        for (int m = 0; m <= last; ++m)
            song.MeasureArr[line][m] = measureLineText(song, line, m, stepsPerMeasure(stepMax));
}

ScoreImport importScore(Song &song, MeasureStrings &strings, QStringView score, int stepMax, int &noteLen)
{
    if (stepsThatFit(stepMax) == 0)
        return {};
    clearAll(song, strings);
    const ScoreImport r = YUEPUSB(song, score, stepMax, noteLen);
    DrYpsb(song, stepMax);
    return r;
}

Accompaniment ZNHXTJ(Song &song, int stepMax, const AccompanimentInputs &keyboard)
{
    Accompaniment r;
    if (keyboard.chordSeqLen <= 0 || stepsThatFit(stepMax) == 0)
        return r;
    const int entries = std::min(keyboard.chordSeqLen, ChordSeqSteps);
    const int S = stepsPerMeasure(stepMax);
    const int last = lastMeasureOf(song, stepMax);
    const int lastStep = playLastStep(last, stepMax);

    // Chord voices 1..3 on lines 4..6: an entry on every even step, holds on
    // the odd ones. The cells are the master copy, so a code without a name
    // becomes a hold in both.
    constexpr int FirstChordLine = 4;
    for (int voice = 1; voice <= 3; ++voice) {
        const int line = FirstChordLine + voice - 1;
        for (int step = 0; step <= lastStep; ++step) {
            const int code = step % 2 == 0 ? keyboard.chordSeq[voice][(step / 2) % entries] : HoldCode;
            writeMelodyCell(song, line, step, cellForCode(code));
        }
        for (int m = 0; m <= last; ++m)
            song.MeasureArr[line][m] = measureLineText(song, line, m, S);
    }

    // Rhythm lanes 0..2 on percussion lines 7..9: grid cell j is step 2j of
    // every measure; cells past the grid and odd steps are silent.
    constexpr int FirstLaneLine = 7;
    for (int lane = 0; lane < 3; ++lane) {
        const int line = FirstLaneLine + lane;
        for (int m = 0; m <= last; ++m) {
            for (int s = 0; s < S; ++s) {
                const int cell = s / 2;
                const bool hit = s % 2 == 0 && cell < RhythmLaneCells && keyboard.rhythmCells[lane][cell] == 1;
                song.StepArr[line][S * m + s] = hit ? QStringLiteral("O") : QStringLiteral("-");
            }
            song.MeasureArr[line][m] = measureLineText(song, line, m, S);
        }
    }

    r.applied = true;
    r.chordInstrument = keyboard.chordInstrument;
    r.laneInstrument = keyboard.laneInstrument;
    // Both windows list the same tempos; a typed one is taken only within the
    // editor's own range, so the editor never gets a tempo it cannot play.
    if (keyboard.tempoIndex >= 0 && keyboard.tempoIndex < TempoListCount) {
        r.tempoIndex = keyboard.tempoIndex;
        r.stepMs = Int(15000.0 / tempoListEntry(keyboard.tempoIndex));
    } else {
        const double typed = Val(keyboard.tempoText);
        if (typed >= 50 && typed <= 255) {
            r.tempoText = keyboard.tempoText;
            r.stepMs = Int(15000.0 / typed);
        }
    }
    r.shownMeasure = 0;
    return r;
}

} // namespace dzq
