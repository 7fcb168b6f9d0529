// Importing a keyboard score through the window: the file dialog and message
// boxes scripted, the keyboard window's accompaniment set up in its stand-in.
#include "YYBJFixture.h"

#include "editor/core/ScoreImport.h"
#include "keyboard/Form1.h"
#include "keyboard/core/ScoreFiles.h"
#include "midi/Prepared.h"
#include "midi/SoundingNotes.h"

#include <QDir>

#include <algorithm>

namespace dzq::test {

namespace {

QString s(const char *text) { return QString::fromUtf8(text); }

class Import : public YYBJTest {
protected:
    Import()
    {
        // A progression of four chord entries, a kick on every beat, a hi-hat
        // on every eighth, and the keyboard's tempo list at 100.
        AccompanimentInputs &in = keyboard.inputs;
        const std::array<int, 4> chords{72, 75, 76, 1}; // CC FC GC and a code without a name
        for (int e = 0; e < 4; ++e) {
            in.chordSeq[1][std::size_t(e)] = chords[std::size_t(e)];
            in.chordSeq[2][std::size_t(e)] = e % 2 ? HoldCode : 24;
            in.chordSeq[3][std::size_t(e)] = RestCode;
        }
        in.chordSeqLen = 4;
        for (std::size_t j = 0; j < RhythmLaneCells; ++j) {
            in.rhythmCells[0][j] = j % 4 == 0 ? 1 : 0;
            in.rhythmCells[1][j] = j % 2 == 0 ? 1 : 0;
        }
        in.laneInstrument = {3, 8, 12};
        in.chordInstrument = {1, 26, 49};
        in.tempoIndex = 12; // 100
        in.tempoText = s("100");
    }
    ~Import() override { dropChordNotes(); }
    QString file(const char *name, const QString &score)
    {
        const QString path = data.filePath(s(name));
        EXPECT_TRUE(writeScoreFile(path, score));
        return path;
    }
    void import(const QString &chosen)
    {
        env.dialogs.answers.push_back(chosen);
        w->DRYP->click();
    }
    // A song of three measures, a note and a drum in the first, the second
    // shown.
    void writeSomething()
    {
        typeMelody(0, s("KCKDKE"));
        w->DJY3[4]->setValue(1);
        w->CHARU->click();
        w->HScroll1->setValue(1);
        ScoreText = s("HC4");
    }
};

// The program as the user meets it: a real keyboard window, whose editor
// button opens the editor over it.
class FromTheKeyboard : public YYBJTest {
protected:
    FromTheKeyboard() : YYBJTest(false)
    {
        form.openEditor = [this] { openEditor(form); };
        form.Form_Load();
        form.show();
        env.take();
    }
    ~FromTheKeyboard() override
    {
        delete w.data();
        form.Timer1->setEnabled(false);
        dropChordNotes();
    }
    // A key held for a number of the keyboard clock's ticks.
    void play(int key, int ticks)
    {
        form.SFYXYZ_KeyDown(key, 0);
        form.SFYXYZ_KeyUp(key, 0);
        while (ticks-- > 0)
            form.Timer1_Timer();
    }
    Form1 form;
};

} // namespace

TEST_F(FromTheKeyboard, APlayedTuneSavedThenImportedPlaysWithTheKeyboardsAccompaniment)
{
    // G G L L ; ; L: KC KC KG KG KA KA KG, the last one longer, then Space.
    for (const int key : {int('G'), int('G'), int('L'), int('L'), 186, 186})
        play(key, 4);
    play('L', 8);
    form.SFYXYZ_KeyDown(' ', 0);
    form.SD->setText(s("96"));
    form.LblInst[1]->setListIndex(9);
    form.BZA[0]->setValue(1);
    form.BZB[2]->setValue(1);
    env.dialogs.answers.push_back(data.filePath(s("小星星.txt")));
    form.Yuepu[4]->click();
    // The first note counts the tick that started it as well.
    ASSERT_EQ(form.Text3->toPlainText(), s("KC6KC4KG4KG4KA4KA4KG8TZ"));

    form.BJCK->click();
    ASSERT_TRUE(w);
    env.dialogs.answers.push_back(data.filePath(s("小星星(乐谱).txt")));
    w->DRYP->click();
    ASSERT_TRUE(env.messages.shown.empty()) << env.messages.texts().join(QLatin1Char('\n')).toStdString();

    const Song &song = programSong();
    EXPECT_EQ(ScoreText, form.Text3->toPlainText());
    EXPECT_EQ(w->YF1[0]->text(), s("KC----KC--KG--KG--KA--KA--KG----"));
    EXPECT_EQ(song.StepArr[0][17], s("TZ"));
    // The chord voices, the lanes, their instruments and the typed tempo
    // are the keyboard window's as it was left.
    ASSERT_GT(ChordSeqLen, 0);
    for (int step = 0; step <= w->PlayLastStep; step += 2)
        for (int v = 1; v <= 3; ++v)
            ASSERT_EQ(song.StepArr[std::size_t(3 + v)][std::size_t(step)],
                      cellForCode(ChordSeq[std::size_t(v)][std::size_t(step / 2 % ChordSeqLen)]))
                << v << " " << step;
    for (int j = 0; j < 8; ++j)
        EXPECT_EQ(song.StepArr[7][std::size_t(16 + 2 * j)], form.BZA[std::size_t(j)]->value() ? s("O") : s("-")) << j;
    EXPECT_EQ(w->SYYQ[4]->listIndex(), form.Combo1->listIndex());
    EXPECT_EQ(w->SYYQ[6]->listIndex(), form.Combo3->listIndex());
    EXPECT_EQ(w->SYYQ[8]->listIndex(), 9);
    EXPECT_EQ(w->DQSUDU->text(), s("96"));
    EXPECT_EQ(StepMs, 156);

    // Played from the start, every line sounds: the tune on channels 0 and
    // 1, chords on 4 to 6, drums on 9.
    env.take();
    w->ST2->click();
    std::array<int, 16> notesOn{};
    for (int step = 0; step < 40; ++step) {
        flushChordNotes(-1);
        for (const uint32_t m : env.take())
            if ((m & 0xF0) == 0x90 && (m >> 16) > 0)
                ++notesOn[m & 0x0F];
        w->YYDS_Timer();
    }
    for (const int channel : {0, 1, 4, 5, 6, 9})
        EXPECT_GT(notesOn[std::size_t(channel)], 0) << channel;
    // The end of the tune stops the player with nothing left sounding.
    EXPECT_FALSE(w->YYDS->isEnabled());
    for (const auto &note : soundingNotes().list())
        EXPECT_GE(note.first, MelodyLineCount) << note.first << " " << note.second;
}

TEST_F(Import, ARecordedScoreBecomesTheSongWithTheKeyboardsAccompaniment)
{
    writeSomething();
    // A recorded tune: lengths after the notes, an idle stop's 99 before "TZ".
    const QString tune = s("KC4KE4KG8HC16XZ2WB6LA2MG12KF24KD99TZ");
    import(file("小星星(乐谱).txt", tune));
    const std::vector<uint32_t> sent = env.take();

    ASSERT_TRUE(env.messages.shown.empty()) << env.messages.texts().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(ScoreText, tune);
    // 39 steps of notes, then 49 for "KD" and again for "TZ": measures 0..8.
    const Song &song = programSong();
    EXPECT_EQ(song.TotalMeasures, 8);
    EXPECT_EQ(w->HScroll1->maximum(), 8);
    EXPECT_EQ(w->PlayLastStep, 143);
    EXPECT_EQ(w->CurMeasure, 0);
    EXPECT_EQ(w->HScroll1->value(), 0);
    EXPECT_EQ(w->YF1[0]->text(), s("KC--KE--KG------HC--------------"));
    EXPECT_EQ(song.StepArr[0][88], s("TZ"));
    // What the song held before is gone: the old drum, the typed line.
    EXPECT_TRUE(w->YF1[2]->text().isEmpty());
    EXPECT_EQ(song.StepArr[9][4], s("-"));

    // The chords (the core tests check their layout) reach the box shown;
    // the keyboard's instruments and tempo each go through its list's handler.
    EXPECT_EQ(w->YF1[4]->text(), s("CC--FC--GC------CC--FC--GC------"));
    EXPECT_EQ(w->SYYQ[5]->listIndex(), 26);
    EXPECT_NE(std::find(sent.begin(), sent.end(), msg(0xC5, 25, 0)), sent.end());
    EXPECT_EQ(w->DQSUDU->text(), s("100"));
    EXPECT_EQ(StepMs, 150);

    // The keyboard's setup is read at each import, never kept: a second
    // import follows what changed there, and the length carries on ("KD"
    // after "TZ" takes 99's half).
    keyboard.inputs.rhythmCells[2][1] = 1;
    keyboard.inputs.chordSeqLen = 1;
    import(file("b.txt", s("KD")));
    EXPECT_EQ(song.TotalMeasures, 3);
    EXPECT_EQ(w->YF1[4]->text(), s("CC--").repeated(8));
    EXPECT_EQ(song.MeasureArr[9][2], s("--O-------------"));
    EXPECT_EQ(w->DJY3[2]->value(), 1);
}

TEST_F(Import, CancelOrAnUnreadableFileLeavesTheSongAsItWas)
{
    writeSomething();
    w->HScroll1->setValue(0);
    const QString line0 = programSong().MeasureArr[0][0];
    const int chordInstrument = w->SYYQ[4]->listIndex();
    const QString score = ScoreText;
    const int tempo = StepMs;

    import(QString()); // cancelled
    EXPECT_TRUE(env.messages.shown.empty());
    import(data.filePath(s("没有这个文件.txt")));
    const QString folder = data.filePath(s("文件夹.txt"));
    ASSERT_TRUE(QDir().mkpath(folder));
    import(folder);

    ASSERT_EQ(env.messages.shown.size(), 2u);
    EXPECT_TRUE(env.messages.shown[0].text.contains(s("没有这个文件.txt")));
    const Song &song = programSong();
    EXPECT_EQ(song.TotalMeasures, 2);
    EXPECT_EQ(w->HScroll1->maximum(), 2);
    EXPECT_EQ(song.MeasureArr[0][0], line0);
    EXPECT_EQ(song.StepArr[9][4], s("O"));
    EXPECT_EQ(w->YF1[0]->text().left(6), s("KCKDKE"));
    EXPECT_EQ(w->DJY3[4]->value(), 1);
    EXPECT_EQ(ScoreText, score);
    EXPECT_EQ(StepMs, tempo);
    EXPECT_EQ(w->SYYQ[4]->listIndex(), chordInstrument);
}

TEST_F(Import, AScoreTooLongIsCutAtTheLastMeasureThatFitsAndTheUserTold)
{
    w->JPFL[1]->click(); // 3/4: 24 steps, measures 0..415
    import(file("长.txt", s("KC16KE16").repeated(650) + s("TZ")));
    const Song &song = programSong();
    ASSERT_EQ(env.messages.shown.size(), 1u);
    EXPECT_EQ(env.messages.shown[0].text, scoreCutMessage(ScoreImport{0, 415, 9983, true}, 23));
    EXPECT_EQ(song.TotalMeasures, 415);
    EXPECT_EQ(w->HScroll1->maximum(), 415);
    EXPECT_EQ(w->PlayLastStep, 9983);
    EXPECT_EQ(song.StepArr[4][9978], s("FC"));
    EXPECT_EQ(w->YF1[0]->text().size(), 48);
}

TEST_F(Import, ATypedTempoIsTakenOnlyWhenTheEditorCanPlayIt)
{
    // The core tests sweep the typed texts; here one taken, one kept out.
    keyboard.inputs.tempoIndex = -1;
    keyboard.inputs.tempoText = s("72");
    const QString path = file("a.txt", s("KC4KD4"));
    import(path);
    EXPECT_EQ(StepMs, 208);
    keyboard.inputs.tempoText = s("300");
    import(path);
    EXPECT_EQ(w->DQSUDU->text(), s("72"));
    EXPECT_EQ(StepMs, 208);
    EXPECT_TRUE(env.messages.shown.empty());
}

TEST_F(Import, AnEmptyProgressionImportsTheMelodyOnly)
{
    writeSomething();
    w->HScroll1->setValue(0);
    const int chordInstrument = w->SYYQ[4]->listIndex();
    const QString tempo = w->DQSUDU->text();
    keyboard.inputs.chordSeqLen = 0;
    import(file("a.txt", s("KC8KD8")));

    EXPECT_TRUE(env.messages.shown.empty());
    const Song &song = programSong();
    EXPECT_EQ(song.TotalMeasures, 0);
    EXPECT_EQ(w->YF1[0]->text(), s("KC------KD------") + QString(16, QLatin1Char('-')));
    EXPECT_TRUE(w->YF1[4]->text().isEmpty());
    // The drum shown before the import is no longer ticked.
    EXPECT_EQ(w->DJY3[4]->value(), 0);
    EXPECT_EQ(w->SYYQ[4]->listIndex(), chordInstrument);
    EXPECT_EQ(w->DQSUDU->text(), tempo);
}

TEST_F(Import, ASongImportedWhilePlayingEndsThePlayWhereTheNewSongEnds)
{
    import(file("长.txt", s("KC8KD8KE8KF8").repeated(4)));
    w->ST2->click();
    for (int step = 0; step < 20; ++step)
        w->YYDS_Timer();
    ASSERT_TRUE(w->YYDS->isEnabled());
    import(file("短.txt", s("HC8HD8")));
    w->YYDS_Timer();
    EXPECT_FALSE(w->YYDS->isEnabled());
    EXPECT_EQ(w->ST2->value(), 0);
    for (const auto &note : soundingNotes().list())
        EXPECT_GE(note.first, MelodyLineCount) << note.first << " " << note.second;
}

} // namespace dzq::test
