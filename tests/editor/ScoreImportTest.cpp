// Importing a keyboard score into the song and the accompaniment added to it:
// the token rules, scores as the keyboard window records them in every time
// signature, a score longer than the tables, a GBK file, and the chord,
// rhythm, instrument and tempo copies.
#include "editor/core/ScoreImport.h"
#include "keyboard/core/ScoreFiles.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

using namespace dzq;

namespace {

QString s(const char *text) { return QString::fromUtf8(text); }

// The cells of a line from step first on, joined: "KC--KD".
QString cells(const Song &song, int line, int first, int count)
{
    QString text;
    for (int step = first; step < first + count; ++step)
        text += song.StepArr[line][step];
    return text;
}

// A score as the keyboard window records it: the first note's name, then at
// each further note the previous note's length and the new name, and at the
// end the last length and "TZ".
QString recorded(const std::vector<std::pair<const char *, int>> &notes)
{
    QString score;
    for (const auto &[name, length] : notes)
        score += QLatin1String(name) + QString::number(length);
    return score + QStringLiteral("TZ");
}

// The tables agree after an import: lines 0 and 1 hold a two-character cell
// at every step of the song with its code cached, their line texts are the
// cells joined, and lines 2 and 3 stay empty.
void expectImportedSong(const Song &song, int S)
{
    const int lastStep = S * song.TotalMeasures + S - 1;
    for (int line : {0, 1})
        for (int step = 0; step <= lastStep; ++step) {
            ASSERT_EQ(song.StepArr[line][step].size(), 2) << line << "@" << step;
            ASSERT_EQ(song.NoteArr[line][step], SYYPSB(song.StepArr[line][step])) << line << "@" << step;
        }
    for (int m = 0; m <= song.TotalMeasures; ++m) {
        for (int line : {0, 1}) {
            ASSERT_EQ(song.MeasureArr[line][m].size(), 2 * S) << m;
            ASSERT_EQ(song.MeasureArr[line][m], cells(song, line, S * m, S)) << m;
        }
        ASSERT_TRUE(song.MeasureArr[2][m].isEmpty() && song.MeasureArr[3][m].isEmpty()) << m;
    }
    if (lastStep + 1 < SongStepCapacity) {
        EXPECT_TRUE(song.StepArr[0][lastStep + 1].isEmpty());
    }
}

// A song with its per-measure strings, imported into as the editor does.
struct Imported {
    std::unique_ptr<Song> song = std::make_unique<Song>();
    std::unique_ptr<MeasureStrings> strings = std::make_unique<MeasureStrings>();
    ScoreImport result;

    ScoreImport read(const QString &score, int S, int &noteLen)
    {
        return result = importScore(*song, *strings, score, S - 1, noteLen);
    }
};

Imported import(const QString &score, int S = 16, int noteLen = 0)
{
    Imported r;
    r.read(score, S, noteLen);
    expectImportedSong(*r.song, S);
    return r;
}

QString holds(int n) { return QStringLiteral("--").repeated(n); }

} // namespace

TEST(ScoreImport, TokenRulesOfTheExamples)
{
    // "TZ" takes the length before it and ends the song; the rest of the
    // measure holds.
    Imported r = import(s("KC4KD4TZ"));
    EXPECT_EQ(r.song->MeasureArr[0][0], s("KC--KD--TZ") + holds(11));
    EXPECT_EQ(r.song->MeasureArr[1][0], r.song->MeasureArr[0][0]);
    EXPECT_EQ(r.song->NoteArr[0][2], 26);
    EXPECT_EQ(r.result.endStep, 6);
    EXPECT_EQ(r.result.totalMeasures, 0);
    EXPECT_EQ(r.result.playLastStep, 15);
    EXPECT_FALSE(r.result.cut);

    const std::pair<const char *, const char *> examples[] = {
        {"KC2KD", "KCKD"},            // a note without digits keeps the length before
        {"KC1KD2", "KD--"},           // a length of 1 covers no step
        {"KC4VS8KD", "KC--KD------"}, // a skipped command's number becomes the length
        {"KC4YD3KD4", "KC--KD--"},    // "YD" holds at step 2 and "KD" replaces it
        {"kc4KD4", "KD--"},           // lower case is no note: a hold, no advance
        {"KC4 KD4TZ", "KC--TZ--"},    // a blank shifts the pairs: " K" and "D4" hold
        {"CC4XZ2MA2KC", "XZMAKC"},    // a chord name holds; "XZ" and "MA" take steps
    };
    for (const auto &[score, expected] : examples) {
        r = import(s(score));
        EXPECT_EQ(cells(*r.song, 0, 0, s(expected).size() / 2), s(expected)) << score;
    }

    // A score of exactly one 2/4 measure is followed by an empty one.
    r = import(s("KC8KD8KE8KF8"));
    EXPECT_EQ(r.result.totalMeasures, 1);
    EXPECT_EQ(r.song->MeasureArr[0][1], holds(16));
    // The last note's single digit is its length; a lone last character is
    // not read.
    EXPECT_EQ(import(s("KC4KD6")).result.endStep, 5);
    EXPECT_EQ(import(s("KC4KDG")).result.endStep, 4);

    // The current length carries from one import to the next.
    int noteLen = 0;
    r.read(s("KC6"), 16, noteLen);
    EXPECT_EQ(noteLen, 6);
    EXPECT_EQ(r.read(s("KDKE"), 16, noteLen).endStep, 6);
    EXPECT_EQ(cells(*r.song, 0, 0, 4), s("KD----KE"));
}

TEST(ScoreImport, RecordedScoresInEveryTimeSignature)
{
    // A tune in three registers with rests, as recorded: even lengths of up
    // to 99, an idle stop's 99 and "TZ" ending it, a new performance behind.
    const QString tune = recorded({{"KC", 4}, {"KE", 4}, {"KG", 8}, {"HC", 16}, {"XZ", 2}, {"WB", 6},
                                   {"LA", 2}, {"MG", 12}, {"KF", 24}, {"KD", 99}})
                         + s("99HD4");
    // 99 covers 49 steps; "TZ" takes the length before it as well.
    const int steps = (4 + 4 + 8 + 16 + 2 + 6 + 2 + 12 + 24 + 98) / 2;
    for (int S : {16, 24, 32}) {
        Imported r = import(tune, S);
        EXPECT_EQ(r.result.endStep, steps + 49) << S;
        EXPECT_EQ(r.result.totalMeasures, (steps + 49) / S) << S;
        EXPECT_EQ(cells(*r.song, 0, 0, 8), s("KC--KE--KG------")) << S;
        EXPECT_EQ(r.song->StepArr[1][steps - 49], s("KD")) << S;
        EXPECT_EQ(r.song->StepArr[0][steps], s("TZ")) << S; // nothing after "TZ"
        EXPECT_EQ(r.song->NoteArr[0][16], RestCode) << S;
        EXPECT_EQ(r.song->NoteArr[4][16], HoldCode) << S;
    }
    // A score of the entry window with a key command and lengths before it.
    Imported r = import(s("YD3KC8KDKEKF4KGKAKB") + s("XZ8HC16TZ"), 24);
    EXPECT_EQ(r.song->MeasureArr[0][0].left(24), s("KC------KD------KE------"));
    EXPECT_EQ(r.result.endStep, 3 * 4 + 4 * 2 + 4 + 8 + 8);
    EXPECT_EQ(r.result.totalMeasures, 1);
}

TEST(ScoreImport, ScoreLongerThanTheTablesIsCutAtTheLastWholeMeasure)
{
    // 1300 notes of 8 steps each need 10400 steps.
    QString tune;
    for (int i = 0; i < 1300; ++i)
        tune += (i % 2 ? s("KE16") : s("KC16"));
    tune += s("TZ");
    for (const auto &[S, last] : {std::pair{16, 624}, {24, 415}, {32, 311}}) {
        Imported r = import(tune, S);
        EXPECT_TRUE(r.result.cut) << S;
        EXPECT_EQ(r.result.totalMeasures, last) << S;
        EXPECT_EQ(r.song->TotalMeasures, last) << S;
        EXPECT_EQ(r.result.playLastStep, S * (last + 1) - 1) << S;
        EXPECT_LE(r.result.playLastStep, SongStepCapacity - 1) << S;
        // The notes fill the tables up to the end of the last measure.
        const int capacity = S * (last + 1);
        EXPECT_EQ(r.song->NoteArr[0][capacity - 8], (capacity / 8 - 1) % 2 ? 28 : 24) << S;
        if (capacity < SongStepCapacity) {
            EXPECT_TRUE(r.song->StepArr[0][capacity].isEmpty()) << S;
        }
    }

    // A score ending with "TZ" exactly at the capacity fits whole: only the
    // empty measure after it is left out.
    QString exact;
    for (int i = 0; i < 1250; ++i)
        exact += s("KC16");
    Imported r = import(exact + s("TZ"), 16);
    EXPECT_FALSE(r.result.cut);
    EXPECT_EQ(r.result.totalMeasures, 624);
    EXPECT_EQ(r.song->StepArr[0][9992], s("KC"));
    // A last note that runs past the capacity is cut short, and the result says so.
    r = import(exact.left(exact.size() - 4) + s("KC8KD16TZ"), 16);
    EXPECT_EQ(r.song->StepArr[0][9996], s("KD"));
    EXPECT_TRUE(r.result.cut);
}

TEST(ScoreImport, GbkScoreFileImports)
{
    // A file of the older system: its title in GBK, the score over two lines.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(s("两只老虎(乐谱).txt"));
    QStringEncoder gbk("GBK");
    ASSERT_TRUE(gbk.isValid());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(gbk.encode(s("两只老虎\r\nKC4KD4KE4\r\nKC4TZ\r\n")));
    file.close();

    const ScoreFileRead read = readScoreFile(path);
    ASSERT_TRUE(read.ok) << read.error.toStdString();
    Imported r = import(read.score);
    // The four characters of the title are two pairs that hold at step 0.
    EXPECT_EQ(r.song->MeasureArr[0][0], s("KC--KD--KE--KC--TZ") + holds(7));
}

namespace {

// A song of the given measures with a melody on line 0, imported.
std::unique_ptr<Song> importedSong(int S, int measures)
{
    Imported r;
    int noteLen = 0;
    r.read(s("KC16").repeated(measures * S / 8) + s("TZ"), S, noteLen);
    r.song->TotalMeasures = measures - 1; // as many measures as the melody fills
    return std::move(r.song);
}

struct KeyboardState {
    ChordSequence chordSeq{};
    int chordSeqLen = 16;
    std::array<std::array<int, RhythmLaneCells>, 3> rhythmCells{};
    std::array<int, 3> laneInstrument{1, 4, 7};
    std::array<int, 3> chordInstrument{1, 25, 49};
    int tempoIndex = 6;
    QString tempoText = QStringLiteral("70");

    KeyboardState()
    {
        // Chords named after the entry and the voice.
        for (int v = 1; v <= 3; ++v)
            for (int e = 0; e < ChordSeqSteps; ++e)
                chordSeq[v][e] = 72 + (e + v) % 7;
    }

    Accompaniment addTo(Song &song, int S) const
    {
        return ZNHXTJ(song, S - 1, chordSeq, chordSeqLen, rhythmCells, laneInstrument, chordInstrument, tempoIndex,
                      tempoText);
    }
};

} // namespace

TEST(Accompaniment, ChordLinesCycleOverEverySecondStep)
{
    KeyboardState state;
    auto song = importedSong(16, 1);
    const Accompaniment a = state.addTo(*song, 16);
    ASSERT_TRUE(a.applied);
    // One 2/4 measure: entries 0..7 on the even steps, holds between.
    for (int line = 4; line <= 6; ++line) {
        ASSERT_EQ(song->MeasureArr[line][0].size(), 32);
        for (int step = 0; step < 16; ++step) {
            const int code = step % 2 ? HoldCode : state.chordSeq[line - 3][step / 2];
            EXPECT_EQ(song->NoteArr[line][step], code) << line << "@" << step;
            EXPECT_EQ(song->StepArr[line][step], cellForCode(code));
        }
        EXPECT_TRUE(song->StepArr[line][16].isEmpty()); // nothing past the song
    }
    EXPECT_EQ(song->MeasureArr[4][0].left(6), s("DC--EC"));
    // The melody is untouched.
    EXPECT_EQ(song->StepArr[0][0], s("KC"));

    // Over several measures the cycle starts again regardless of measures;
    // a code without a name (a semitone, a note above "MG") holds.
    song = importedSong(24, 3);
    state.chordSeq[1][15] = 1;
    state.chordSeq[2][15] = 60;
    state.addTo(*song, 24);
    EXPECT_EQ(song->NoteArr[4][32], state.chordSeq[1][0]);
    EXPECT_EQ(song->StepArr[4][30], s("--"));
    EXPECT_EQ(song->NoteArr[4][30], HoldCode);
    EXPECT_EQ(song->StepArr[5][30], s("--"));
    EXPECT_EQ(song->NoteArr[6][30], state.chordSeq[3][15]);
    EXPECT_EQ(song->MeasureArr[6][2].size(), 48);
    EXPECT_EQ(song->StepArr[4][71], s("--"));
}

TEST(Accompaniment, RhythmLanesInstrumentsAndMeasuresShown)
{
    KeyboardState state;
    for (int j : {0, 4, 8, 11, 12, 16})
        state.rhythmCells[0][j] = 1;
    state.rhythmCells[1][2] = 2; // a grey box is not ticked
    state.rhythmCells[2].fill(1);
    auto song = importedSong(24, 2);
    const Accompaniment a = state.addTo(*song, 24);
    // 3/4: grid cell 11 lands on step 22, cells 12..16 are not used.
    const QString lane0 = s("O-------O-------O-----O-");
    for (int m = 0; m < 2; ++m) {
        EXPECT_EQ(song->MeasureArr[7][m], lane0) << m;
        EXPECT_EQ(song->MeasureArr[8][m], s("-").repeated(24)) << m;
        EXPECT_EQ(song->MeasureArr[9][m], s("O-").repeated(12)) << m;
        EXPECT_EQ(cells(*song, 7, 24 * m, 24), lane0);
    }
    EXPECT_TRUE(song->MeasureArr[10][0].isEmpty() && song->StepArr[10][0].isEmpty());
    // 4/4 uses cells 0..15.
    song = importedSong(32, 1);
    state.addTo(*song, 32);
    EXPECT_EQ(song->MeasureArr[7][0], s("O-------O-------O-----O-O-------"));

    EXPECT_EQ(a.chordInstrument, state.chordInstrument);
    EXPECT_EQ(a.laneInstrument, state.laneInstrument);
    EXPECT_EQ(a.shownMeasure, 0);
}

TEST(Accompaniment, TempoIsChosenTypedOrKept)
{
    auto song = importedSong(16, 1);
    KeyboardState state;
    struct Case {
        int index;
        const char *text;
        int tempoIndex;
        const char *tempoText;
        int stepMs;
    };
    const Case cases[] = {
        {6, "70", 6, "", 214},     // a list entry: the same entry, Int(15000 / 70)
        {0, "40", 0, "", 375},
        {18, "130", 18, "", 115},
        {-1, "100", -1, "100", 150}, // typed within the editor's range
        {-1, "72.5", -1, "72.5", 206},
        {-1, "45", -1, "", 0},       // the keyboard accepts 45, the editor not: kept
        {-1, "300", -1, "", 0},
        {-1, "", -1, "", 0},         // no tempo at all: never an empty one
        {-1, "0", -1, "", 0},
        {-1, "abc", -1, "", 0},
    };
    for (const Case &c : cases) {
        state.tempoIndex = c.index;
        state.tempoText = s(c.text);
        const Accompaniment a = state.addTo(*song, 16);
        EXPECT_EQ(a.tempoIndex, c.tempoIndex) << c.text;
        EXPECT_EQ(a.tempoText, s(c.tempoText)) << c.text;
        EXPECT_EQ(a.stepMs, c.stepMs) << c.text;
    }
}

TEST(Accompaniment, EmptyProgressionAndFullSong)
{
    // No chord sequence: the melody stays, nothing of the accompaniment is
    // written or applied, and nothing fails.
    KeyboardState state;
    state.chordSeqLen = 0;
    state.rhythmCells[0].fill(1);
    auto song = importedSong(16, 2);
    const Accompaniment a = state.addTo(*song, 16);
    EXPECT_FALSE(a.applied);
    EXPECT_EQ(a.tempoIndex, -1);
    EXPECT_EQ(a.stepMs, 0);
    EXPECT_TRUE(song->StepArr[4][0].isEmpty() && song->StepArr[7][0].isEmpty());
    EXPECT_EQ(song->StepArr[0][16], s("KC"));

    // A song cut at the capacity is accompanied to its last step and no further;
    // a cycle longer than the sequence holds is read within it.
    Imported full;
    int noteLen = 0;
    ASSERT_TRUE(full.read(s("KC16").repeated(1300) + s("TZ"), 24, noteLen).cut);
    song = std::move(full.song);
    state.chordSeqLen = 1000;
    state.addTo(*song, 24);
    EXPECT_EQ(song->MeasureArr[9][415].size(), 24);
    EXPECT_EQ(song->NoteArr[4][9982], state.chordSeq[1][4991 % ChordSeqSteps]);
    EXPECT_EQ(song->StepArr[4][9983], s("--"));
    EXPECT_TRUE(song->StepArr[4][9984].isEmpty());
}
