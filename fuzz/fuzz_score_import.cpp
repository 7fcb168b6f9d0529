// A score file imported into the editor's song in one of the three time
// signatures, then accompanied: the song never ends past the tables, every melody code is the
// code of its cell, the imported lines are whole from the first to the last
// step of the song and empty after it, every line text is its cells joined
// at its full length, and the tempo handed to the editor is one it can play.
#include "FuzzCheck.h"

#include "editor/core/ScoreImport.h"
#include "platform/TextFile.h"

#include <algorithm>
#include <memory>

using namespace dzq;

namespace {

// The keyboard window's state for the accompaniment, drawn from the input so
// that each input also picks its chord cycle, grid and tempo.
struct KeyboardState : AccompanimentInputs {
    int stepMax = 15; // the editor's time signature
};

KeyboardState stateFrom(const QByteArray &bytes, const QString &text)
{
    KeyboardState k;
    uint32_t h = 2166136261u;
    for (char c : bytes)
        h = (h ^ uint8_t(c)) * 16777619u;
    const auto next = [&h] {
        h ^= h << 13;
        h ^= h >> 17;
        h ^= h << 5;
        return h;
    };
    constexpr int StepMaxes[] = {15, 23, 31};
    k.stepMax = StepMaxes[next() % 3];
    // Lengths past the sequence's 151 entries and the empty progression too.
    k.chordSeqLen = int(next() % 200);
    for (int v = 1; v <= 3; ++v)
        for (int e = 0; e < ChordSeqSteps; ++e)
            k.chordSeq[v][e] = int(next() % 300) - 20;
    for (auto &lane : k.rhythmCells)
        for (int &cell : lane)
            cell = int(next() % 3);
    k.tempoIndex = int(next() % 24) - 3;
    k.tempoText = text.left(int(next() % 8));
    return k;
}

void checkSong(const Song &song, const ScoreImport &r, int stepMax, bool accompanied)
{
    const int S = stepMax + 1;
    const int last = lastMeasureThatFits(S);
    FUZZ_CHECK(song.TotalMeasures == r.totalMeasures);
    FUZZ_CHECK(r.totalMeasures >= 0 && r.totalMeasures <= last);
    FUZZ_CHECK(r.playLastStep == S * r.totalMeasures + stepMax && r.playLastStep < SongStepCapacity);
    FUZZ_CHECK(r.cut == false || r.endStep >= S * (last + 1));
    // The song and one measure after it (the tables were cleared before, and
    // nothing is written further on), and the last step of the tables.
    const int stepsChecked = std::min(r.playLastStep + 1 + S, SongStepCapacity);
    const int measuresChecked = std::min(r.totalMeasures + 2, SongMeasureCapacity);
    for (int line = 0; line < MelodyLineCount; ++line)
        for (int step = 0; step < stepsChecked; ++step)
            FUZZ_CHECK(song.NoteArr[line][step] == SYYPSB(song.StepArr[line][step]));
    for (int line = 0; line < SongLineCount; ++line) {
        const bool melody = isMelodyLine(line);
        const bool whole = line <= 1 || (accompanied && line >= 4 && line <= 9);
        FUZZ_CHECK(song.StepArr[line][SongStepCapacity - 1].isEmpty() || r.playLastStep == SongStepCapacity - 1);
        for (int step = 0; step < stepsChecked; ++step) {
            const QString &cell = song.StepArr[line][step];
            if (step > r.playLastStep || !whole)
                FUZZ_CHECK(cell.isEmpty());
            else if (melody)
                FUZZ_CHECK(cell.size() == 2);
            else
                FUZZ_CHECK(cell == QLatin1String("O") || cell == QLatin1String("-"));
        }
        for (int m = 0; m < measuresChecked; ++m) {
            const QString &text = song.MeasureArr[line][m];
            if (m > r.totalMeasures || !whole) {
                FUZZ_CHECK(text.isEmpty());
                continue;
            }
            FUZZ_CHECK(text.size() == (melody ? 2 * S : S));
            FUZZ_CHECK(text == measureLineText(song, line, m, S));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const auto song = std::make_unique<Song>();
    static const auto strings = std::make_unique<MeasureStrings>();
    const QByteArray bytes = fuzz::bytesOf(data, size);
    // The editor reads a score file as the score box does: its lines joined.
    const QString text = splitTextLines(decodeTextBytes(bytes)).join(QString());
    const KeyboardState k = stateFrom(bytes, text);
    const int stepMax = k.stepMax;
    int noteLen = int(size % 100);
    const ScoreImport r = importScore(*song, *strings, text, stepMax, noteLen);
    FUZZ_CHECK(noteLen >= 0 && noteLen <= 99);
    checkSong(*song, r, stepMax, false);

    const Accompaniment a = ZNHXTJ(*song, stepMax, k);
    FUZZ_CHECK(a.applied == (k.chordSeqLen > 0));
    checkSong(*song, r, stepMax, a.applied);
    // Chord entries on the even steps, cycling within the sequence.
    if (a.applied)
        for (int step = 0; step <= r.playLastStep; step += 2)
            for (int v = 1; v <= 3; ++v)
                FUZZ_CHECK(song->StepArr[3 + v][step]
                           == cellForCode(k.chordSeq[v][(step / 2) % std::min(k.chordSeqLen, ChordSeqSteps)]));
    // A tempo the editor can play, or none: never both, never an empty one.
    FUZZ_CHECK(!(a.tempoIndex >= 0 && !a.tempoText.isEmpty()));
    if (a.tempoIndex >= 0 || !a.tempoText.isEmpty())
        FUZZ_CHECK(a.stepMs >= 15000 / 255 && a.stepMs <= 15000 / 40);
    else
        FUZZ_CHECK(a.stepMs == 0);
    return 0;
}
