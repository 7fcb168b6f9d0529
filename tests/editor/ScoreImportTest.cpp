// Importing a keyboard score into the song and the accompaniment added to it:
// the token rules, recorded scores in every time signature, a score longer
// than the tables, a GBK file, and the chord, rhythm and tempo copies.
#include "editor/core/ScoreImport.h"
#include "keyboard/core/ScoreFiles.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <tuple>
#include <utility>

using namespace dzq;

namespace {

QString s(const char *text) { return QString::fromUtf8(text); }
QString holds(int n) { return QStringLiteral("--").repeated(n); }

QString cells(const Song &song, int line, int first, int count)
{
    QString text;
    for (int step = first; step < first + count; ++step)
        text += song.StepArr[line][step];
    return text;
}

// A song and its per-measure strings, imported into as the editor does.
struct Imported {
    std::unique_ptr<Song> song = std::make_unique<Song>();
    std::unique_ptr<MeasureStrings> strings = std::make_unique<MeasureStrings>();
    ScoreImport result;
    int noteLen = 0;

    Imported(const QString &score = {}, int S = 16) { read(score, S); }
    ScoreImport read(const QString &score, int S)
    {
        return result = importScore(*song, *strings, score, S - 1, noteLen);
    }
};

} // namespace

TEST(ScoreImport, TokenRulesOfTheExamples)
{
    // "TZ" takes the length before it; the rest of the measure holds, on both lines.
    Imported r(s("KC4KD4TZ"));
    EXPECT_EQ(r.song->MeasureArr[0][0], s("KC--KD--TZ") + holds(11));
    EXPECT_EQ(r.song->MeasureArr[1][0], r.song->MeasureArr[0][0]);
    EXPECT_EQ(r.song->NoteArr[1][2], 26);
    EXPECT_EQ(r.result.endStep, 6);
    EXPECT_EQ(r.result.playLastStep, 15);
    EXPECT_TRUE(r.song->MeasureArr[2][0].isEmpty());

    const std::pair<const char *, const char *> examples[] = {
        {"KC2KD", "KCKD"},            // a note without digits keeps the length before
        {"KC1KD2", "KD--"},           // a length of 1 covers no step
        {"KC4VS8KD", "KC--KD------"}, // a skipped command's number becomes the length
        {"KC4YD3KD4", "KC--KD--"},    // "YD" holds at step 2 and "KD" replaces it
        {"kc4KD4", "KD--"},           // lower case is no note: a hold, no advance
        {"KC4 KD4TZ", "KC--TZ--"},    // a blank shifts the pairs: " K" and "D4" hold
        {"CC4XZ2MA2KC", "XZMAKC"},    // a chord name holds; "XZ" and "MA" take steps
    };
    for (const auto &[score, expected] : examples)
        EXPECT_EQ(cells(*Imported(s(score)).song, 0, 0, s(expected).size() / 2), s(expected)) << score;

    // Exactly one 2/4 measure is followed by an empty one; a last single digit
    // is a length; a lone last character is not read.
    r.read(s("KC8KD8KE8KF8"), 16);
    EXPECT_EQ(r.result.totalMeasures, 1);
    EXPECT_EQ(r.song->MeasureArr[0][1], holds(16));
    EXPECT_EQ(r.read(s("KC4KD6"), 16).endStep, 5);
    EXPECT_EQ(r.read(s("KC4KDG"), 16).endStep, 4);
    // The current length carries from one import to the next.
    r.read(s("KC6"), 16);
    EXPECT_EQ(r.read(s("KDKE"), 16).endStep, 6);
}

TEST(ScoreImport, RecordedScoresInEveryTimeSignature)
{
    // As the keyboard records: every note and rest with its even length, an
    // idle stop's 99 before "TZ", and a new performance behind it.
    const QString tune = s("KC4KE4KG8HC16XZ2WB6LA2MG12KF24KD99TZ99HD4");
    const int kd = (4 + 4 + 8 + 16 + 2 + 6 + 2 + 12 + 24) / 2, end = kd + 2 * 49;
    for (int S : {16, 24, 32}) {
        Imported r(tune, S);
        EXPECT_EQ(r.result.endStep, end) << S;
        EXPECT_EQ(r.result.totalMeasures, end / S) << S;
        EXPECT_EQ(cells(*r.song, 0, 0, 8), s("KC--KE--KG------")) << S;
        EXPECT_EQ(r.song->StepArr[1][kd], s("KD")) << S;
        EXPECT_EQ(r.song->NoteArr[0][16], RestCode) << S;
        EXPECT_EQ(r.song->MeasureArr[0][end / S], cells(*r.song, 0, end / S * S, S)) << S;
        EXPECT_EQ(r.song->MeasureArr[1][end / S].size(), 2 * S) << S;
    }
}

TEST(ScoreImport, ScoreLongerThanTheTablesIsCutAtTheLastWholeMeasure)
{
    // 1300 notes of 8 steps need 10400 steps.
    const QString tune = s("KC16KE16").repeated(650) + s("TZ");
    for (const auto &[S, last] : {std::pair{16, 624}, {24, 415}, {32, 311}}) {
        Imported r(tune, S);
        const int capacity = S * (last + 1);
        EXPECT_TRUE(r.result.cut) << S;
        EXPECT_EQ(r.song->TotalMeasures, last) << S;
        EXPECT_EQ(r.result.playLastStep, capacity - 1) << S;
        EXPECT_EQ(r.song->NoteArr[0][capacity - 8], (capacity / 8 - 1) % 2 ? 28 : 24) << S;
        EXPECT_EQ(r.song->MeasureArr[1][last].size(), 2 * S) << S;
        EXPECT_TRUE(scoreCutMessage(r.result, S - 1).contains(QString::number(last))) << S;
    }
    // Ending with "TZ" exactly at the capacity fits whole; a last note that
    // runs past it is cut short.
    const QString exact = s("KC16").repeated(1249);
    EXPECT_FALSE(Imported(exact + s("KC16TZ")).result.cut);
    Imported r(exact + s("KC8KD16TZ"));
    EXPECT_EQ(r.song->StepArr[0][9996], s("KD"));
    EXPECT_TRUE(r.result.cut);
}

TEST(ScoreImport, GbkScoreFileImports)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(s("两只老虎(乐谱).txt"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QStringEncoder("GBK").encode(s("两只老虎\r\nKC4KD4KE4\r\nKC4TZ\r\n")));
    file.close();
    const ScoreFileRead read = readScoreFile(path);
    ASSERT_TRUE(read.ok);
    // The title's four characters are two pairs that hold at step 0.
    EXPECT_EQ(Imported(read.score).song->MeasureArr[0][0], s("KC--KD--KE--KC--TZ") + holds(7));
}

namespace {

// The keyboard window's state, with chords told apart by entry and voice.
struct KeyboardState : AccompanimentInputs {
    KeyboardState()
    {
        chordSeqLen = 16;
        for (int v = 1; v <= 3; ++v)
            for (int e = 0; e < ChordSeqSteps; ++e)
                chordSeq[v][e] = 72 + (e + v) % 7;
        laneInstrument = {1, 4, 7};
        chordInstrument = {1, 25, 49};
        tempoIndex = 6;
        tempoText = QStringLiteral("70");
    }
    // Accompanies a melody of the given measures.
    Accompaniment addTo(Imported &r, int S, int measures) const
    {
        r.read(s("KC16").repeated(measures * S / 8), S);
        r.song->TotalMeasures = measures - 1;
        return ZNHXTJ(*r.song, S - 1, *this);
    }
};

} // namespace

TEST(Accompaniment, ChordsAndRhythmFillTheSong)
{
    KeyboardState state;
    state.chordSeq[1][15] = 1;  // a semitone without a name
    state.chordSeq[2][15] = 60; // above "MG"
    for (int j : {0, 4, 8, 11, 12})
        state.rhythmCells[0][j] = 1;
    state.rhythmCells[1][2] = 2; // a grey box is not ticked
    Imported r;
    const Accompaniment a = state.addTo(r, 24, 3);
    ASSERT_TRUE(a.applied);
    const Song &song = *r.song;
    // Entries on every second step, holds between, the cycle starting again
    // regardless of measures; codes without a name hold.
    EXPECT_EQ(cells(song, 4, 0, 3), s("DC--EC"));
    EXPECT_EQ(song.NoteArr[6][28], state.chordSeq[3][14]);
    EXPECT_EQ(song.NoteArr[4][32], state.chordSeq[1][0]);
    EXPECT_EQ(song.StepArr[4][30] + song.StepArr[5][30], holds(2));
    EXPECT_EQ(song.NoteArr[4][30], HoldCode);
    EXPECT_EQ(song.MeasureArr[6][2], cells(song, 6, 48, 24));
    EXPECT_TRUE(song.StepArr[4][72].isEmpty());
    EXPECT_EQ(song.StepArr[0][0], s("KC"));
    // In 3/4 grid cell 11 is step 22 and cells 12..16 are not used.
    for (int m = 0; m < 3; ++m) {
        EXPECT_EQ(song.MeasureArr[7][m], s("O-------O-------O-----O-"));
        EXPECT_EQ(song.MeasureArr[8][m], s("-").repeated(24));
    }
    EXPECT_TRUE(song.MeasureArr[10][0].isEmpty());
    EXPECT_EQ((std::array{a.chordInstrument[2], a.laneInstrument[0]}), (std::array{49, 1}));
}

TEST(Accompaniment, TempoIsChosenTypedOrKept)
{
    const std::tuple<int, const char *, int, const char *, int> cases[] = {
        {6, "70", 6, "", 214}, // a list entry: the same entry
        {18, "130", 18, "", 115},
        {-1, "100", -1, "100", 150}, // typed within the editor's 50..255
        {-1, "72.5", -1, "72.5", 206},
        {-1, "45", -1, "", 0}, // the keyboard takes 45, the editor not: kept
        {-1, "300", -1, "", 0},
        {-1, "", -1, "", 0}, // never an empty tempo
        {-1, "abc", -1, "", 0},
    };
    KeyboardState state;
    Imported r;
    for (const auto &[index, text, tempoIndex, tempoText, stepMs] : cases) {
        state.tempoIndex = index;
        state.tempoText = s(text);
        const Accompaniment a = state.addTo(r, 16, 1);
        EXPECT_EQ(a.tempoIndex, tempoIndex) << text;
        EXPECT_EQ(a.tempoText, s(tempoText)) << text;
        EXPECT_EQ(a.stepMs, stepMs) << text;
    }
}

TEST(Accompaniment, EmptyProgressionAndFullSong)
{
    // No chord sequence: the melody stays and nothing else is written or applied.
    KeyboardState state;
    state.chordSeqLen = 0;
    state.rhythmCells[0].fill(1);
    Imported r;
    const Accompaniment a = state.addTo(r, 16, 2);
    EXPECT_FALSE(a.applied);
    EXPECT_EQ(a.stepMs, 0);
    EXPECT_TRUE(r.song->StepArr[4][0].isEmpty() && r.song->StepArr[7][0].isEmpty());
    EXPECT_EQ(r.song->StepArr[0][16], s("KC"));

    // A song cut at the capacity is accompanied to its last step; a cycle
    // longer than the sequence is read within it.
    state.chordSeqLen = 1000;
    r.read(s("KC16").repeated(1300), 24);
    ZNHXTJ(*r.song, 23, state);
    EXPECT_EQ(r.song->MeasureArr[9][415].size(), 24);
    EXPECT_EQ(r.song->NoteArr[4][9982], state.chordSeq[1][4991 % ChordSeqSteps]);
    EXPECT_TRUE(r.song->StepArr[4][9984].isEmpty());
}
