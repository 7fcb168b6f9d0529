// The score player of the main window: commands, note lengths and the end of
// a score, errors, and the score box's buttons with their files.
#include "Form1Fixture.h"

#include "midi/MidiOut.h"
#include "platform/Resources.h"

#include <QDir>
#include <QFile>

#include <vector>

using namespace dzq;

namespace {

const QString ErrorText = QStringLiteral("乐谱中出现错误，请修改！");

class Score : public test::Form1Test {
protected:
    Score()
    {
        w.Check5->setValue(0);
        env.take();
    }
    // The play button as the mouse presses it: mouse-down, then click.
    void press(int index)
    {
        w.Yuepu_MouseDown(index);
        w.Yuepu_Click(index);
    }
    void play(const QString &text)
    {
        w.Text3->setPlainText(text);
        press(0);
    }
    // Ticks the score clock while it runs, at most limit times; the onsets of
    // melody voice 0 as (tick, MIDI note), ticks counted from 1.
    std::vector<std::pair<int, int>> run(int limit, int *ticks = nullptr)
    {
        std::vector<std::pair<int, int>> onsets;
        int t = 0;
        while (w.Timer3->isRunning() && t < limit) {
            ++t;
            w.Timer3_Timer();
            for (uint32_t m : env.take())
                if ((m & 0xFF) == 0x90 && (m >> 16 & 0xFF) > 0)
                    onsets.emplace_back(t, int(m >> 8 & 0xFF));
        }
        if (ticks)
            *ticks = t;
        return onsets;
    }
    QString folder() const { return AppDir + QStringLiteral("演奏记录/"); }
    QString put(const QString &name, const QByteArray &bytes) const
    {
        QDir().mkpath(folder());
        QFile f(folder() + name);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return folder() + name;
    }
    static QByteArray bytesOf(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    bool stopped() const
    {
        return !w.Timer3->isRunning() && !w.ScorePlaying && w.Yuepu[0]->text() == QStringLiteral("试听");
    }
};

uint32_t off(int channel, int note) { return packShortMsg(0x80 + channel, note, 0); }

bool contains(const std::vector<uint32_t> &msgs, uint32_t m) { return std::find(msgs.begin(), msgs.end(), m) != msgs.end(); }

} // namespace

TEST_F(Score, CommandsInARowAreAppliedBeforeTheNextNote)
{
    // A rhythm folder of two files; the list shows them from 1.
    const QByteArray rhythm = "0502000000" "00" + QByteArray(16, '*') + QByteArray(33, '-') + "节奏            \r\n";
    put("a.bin", rhythm);
    put("b.bin", rhythm);
    w.File1->setPath(folder());
    w.SD->setListIndex(0); // 40 beats: 188 ms
    PresetTable[1][0] = 1;
    PresetTable[1][1] = 2;
    PresetTable[1][2] = 0;
    env.take();

    play("YD3VS7YQ2JP2KC8KD4JP99KE4TZ");
    EXPECT_EQ(KeyBase, 38);
    EXPECT_EQ(w.YD->text(), QStringLiteral("D"));
    EXPECT_EQ(w.XSWB->text(), QStringLiteral("D调"));
    EXPECT_EQ(StepMs, 107);
    EXPECT_EQ(w.SD->text(), QStringLiteral("70"));
    EXPECT_EQ(w.Timer3->interval(), 107);
    EXPECT_EQ((std::array<int, 3>{w.ComSounds[0]->listIndex(), w.ComSounds[1]->listIndex(), w.ComSounds[2]->listIndex()}),
              (std::array<int, 3>{1, 2, 0}));
    EXPECT_EQ(MelodyProgram[1], 2);
    const auto msgs = env.take();
    EXPECT_TRUE(contains(msgs, packShortMsg(0xC0, 0, 0)) && contains(msgs, packShortMsg(0xC1, 1, 0)));
    EXPECT_EQ(w.File1->listIndex(), 1);
    EXPECT_EQ(w.Check5->value(), 1);
    EXPECT_EQ(w.CurNote, 24);
    EXPECT_EQ(w.NoteDuration, 8);
    EXPECT_EQ(w.ScorePos, 16);

    // Sync on: the accompaniment steps on every 4th tick; after "JP99" it rests.
    const auto onsets = run(100);
    EXPECT_EQ(onsets, (std::vector<std::pair<int, int>>{{1, 62}, {9, 64}, {13, 66}}));
    EXPECT_EQ(CurStep, 0) << "TZ resets the counters";
    EXPECT_EQ(w.Check5->value(), 0);
    EXPECT_TRUE(stopped());

    // Numbers out of range change nothing; a missing file or entry loads nothing.
    QFile::remove(folder() + "a.bin");
    play("YD12VS20JP1JP5KC2TZ");
    EXPECT_EQ(KeyBase, 38);
    EXPECT_EQ(StepMs, 107);
    EXPECT_EQ(w.File1->listIndex(), 1);
    EXPECT_EQ(w.Check5->value(), 0);
    EXPECT_TRUE(env.messages.shown.empty());
}

TEST_F(Score, NoteLengthsCarryOverAndEveryScoreEndsInOrder)
{
    // The score entry window's example has no "TZ": it ends after its last
    // note's four ticks, with no message.
    int ticks = 0;
    play("KC8KDKEKF4KGKAKB");
    EXPECT_EQ(run(1000, &ticks), (std::vector<std::pair<int, int>>{
                                     {1, 60}, {9, 62}, {17, 64}, {25, 65}, {29, 67}, {33, 69}, {37, 71}}));
    EXPECT_EQ(ticks, 40);
    EXPECT_TRUE(stopped());
    EXPECT_EQ(w.ScorePos, 1);

    // "05" is 5; a number after an out-of-range "VS" stays the length; a note
    // of length 0 (after "YQ") ends after one tick instead of sounding forever.
    play("KC05VS25KDYQ99KEKF2TZ");
    EXPECT_EQ(run(1000, &ticks), (std::vector<std::pair<int, int>>{{1, 60}, {6, 62}, {31, 64}, {32, 65}}));
    EXPECT_EQ(ticks, 33);
    EXPECT_TRUE(env.messages.shown.empty());

    // A long run of commands is applied in one call, past 32767 characters.
    w.Text3->clear();
    ScoreText = QStringLiteral("VS7").repeated(100000) + QStringLiteral("KC4TZ");
    w.ScorePos = 1;
    w.YSCX();
    EXPECT_EQ(w.ScorePos, 300004);
    EXPECT_EQ(w.CurNote, 24);
    EXPECT_EQ(w.NoteDuration, 4);
    EXPECT_TRUE(w.Timer3->isRunning());
}

TEST_F(Score, RestsSilenceAndTheEndResetsEverything)
{
    w.BzQd->setValue(1);
    env.take();
    play("KC2XZ3KD2TZ");
    w.Timer3_Timer();
    w.Timer3_Timer(); // the rest is read at the end of the note
    CurStep = 5;
    AccompStep = 3;
    ChordStep = 2;
    const auto rest = env.take();
    for (int channel : {0, 1, 2})
        EXPECT_TRUE(contains(rest, off(channel, 60))) << channel;
    int ticks = 0;
    EXPECT_EQ(run(100, &ticks), (std::vector<std::pair<int, int>>{{4, 62}}));
    EXPECT_EQ(ticks, 5);

    EXPECT_TRUE(stopped());
    EXPECT_EQ(w.CurNote, 255);
    EXPECT_EQ(w.BzQd->value(), 0);
    EXPECT_FALSE(w.BZDS->isRunning());
    EXPECT_EQ((std::array<int, 4>{int(w.ScorePos), CurStep, AccompStep, ChordStep}), (std::array<int, 4>{1, 0, 0, 1}));
    // The key last played goes up as a key of its kind: the mouse may have
    // played a black one.
    w.LastNote = 1;
    w.showKeyDown(1);
    ScoreText = QStringLiteral("TZ");
    w.YSCX();
    EXPECT_EQ(w.Picture1[1]->picture().toImage(), LoadResPicture(BlackKeyUpPicture).toImage());
    EXPECT_TRUE(env.messages.shown.empty());
}

TEST_F(Score, AnErrorStopsEverythingBeforeItsMessageAndPlayingCanStartAgain)
{
    bool stoppedAtMessage = false;
    env.messages.onShow = [&] {
        const auto msgs = env.take();
        stoppedAtMessage = stopped() && contains(msgs, off(0, 60)) && contains(msgs, off(5, 60));
    };
    // "KC" with 12, then the lone "3".
    int ticks = 0;
    play("KC123");
    EXPECT_EQ(w.Text3->textCursor().selectedText(), QStringLiteral("C")) << "the reading place";
    EXPECT_EQ(run(100, &ticks), (std::vector<std::pair<int, int>>{{1, 60}}));
    EXPECT_EQ(ticks, 12);
    ASSERT_EQ(env.messages.shown.size(), 1u);
    EXPECT_EQ(env.messages.shown[0].caption, QStringLiteral("提示"));
    EXPECT_EQ(env.messages.shown[0].text, ErrorText);
    EXPECT_EQ(env.messages.shown[0].timeoutMs, 5000);
    EXPECT_TRUE(stoppedAtMessage);
    EXPECT_EQ(w.ScorePos, 5);

    // An error as the first token; the next press plays again.
    env.messages.shown.clear();
    play("MA4KC2");
    EXPECT_EQ(env.messages.texts(), QStringList{ErrorText});
    EXPECT_EQ(w.ScorePos, 1);
    play("KC2TZ");
    EXPECT_TRUE(w.Timer3->isRunning() && w.ScorePlaying);
    EXPECT_EQ(w.Yuepu[0]->text(), QStringLiteral("停止"));
    EXPECT_EQ(w.XSWB->text(), QStringLiteral("正在进行自动演奏,点击<保存>按钮可把音乐保存为txt格式的乐谱文件！"));

    // Stop while playing: the mouse-down silences and stops the clock, the
    // click sets the stopped state.
    run(1);
    w.Yuepu_MouseDown(0);
    EXPECT_FALSE(w.Timer3->isRunning());
    EXPECT_TRUE(contains(env.take(), off(0, 60)));
    w.Yuepu_Click(0);
    EXPECT_TRUE(stopped());

    // Lower case plays from the box, which the play button upper-cases, but
    // is an error in a file.
    env.messages.shown.clear();
    play("kc2tz");
    EXPECT_EQ(w.Text3->toPlainText(), QStringLiteral("KC2TZ"));
    EXPECT_EQ(run(100), (std::vector<std::pair<int, int>>{{1, 60}}));
    env.dialogs.answers.push_back(put("lower.txt", "kc2tz\r\n"));
    press(2);
    EXPECT_EQ(w.Text3->toPlainText(), QStringLiteral("kc2tz"));
    EXPECT_EQ(env.messages.texts(), QStringList{ErrorText});
    EXPECT_TRUE(stopped());
}

TEST_F(Score, TempoBoxBeingEditedAndHiddenWindowDoNotDisturbPlaying)
{
    for (const QString &typed : {QString(), QStringLiteral("0"), QStringLiteral("abc")}) {
        w.SD->setText(typed);
        play("KC2TZ");
        EXPECT_EQ(StepMs, 107) << typed.toStdString();
        EXPECT_EQ(w.Timer3->interval(), 107);
        run(100);
    }

    // The entry window takes the box's score when nothing plays, and the
    // score goes on playing while this window is hidden.
    w.SD->setText(QStringLiteral("70"));
    w.Text3->setPlainText(QStringLiteral("KC2KD2TZ"));
    w.XINJIAN_Click();
    EXPECT_EQ(ScoreText, QStringLiteral("KC2KD2TZ"));
    press(0);
    w.hide();
    w.Text3->setPlainText(QStringLiteral("HC4"));
    w.XINJIAN_Click();
    EXPECT_EQ(ScoreText, QStringLiteral("KC2KD2TZ")) << "a playing score keeps its text";
    EXPECT_EQ(run(100), (std::vector<std::pair<int, int>>{{1, 60}, {3, 62}}));
    EXPECT_TRUE(stopped());
    EXPECT_TRUE(env.messages.shown.empty());
}

TEST_F(Score, OpenAndSave)
{
    // Open: the dialog's folder and filter; a cancel keeps the box.
    w.Text3->setPlainText(QStringLiteral("KC8TZ"));
    press(2);
    EXPECT_EQ(env.dialogs.startDirs, QStringList{folder()});
    EXPECT_EQ(env.dialogs.filters, QStringList{QStringLiteral("乐谱记录txt (*.txt)")});
    EXPECT_EQ(w.Text3->toPlainText(), QStringLiteral("KC8TZ"));
    EXPECT_TRUE(w.ScoreFile.isEmpty());
    EXPECT_TRUE(stopped());

    // A file of three lines plays as one text at once.
    const QString three = put("三行.txt", "KC2\r\nKD2\nTZ\r\n");
    env.dialogs.answers.push_back(three);
    press(2);
    EXPECT_EQ(w.Text3->toPlainText(), QStringLiteral("KC2KD2TZ"));
    EXPECT_EQ(w.ScoreFile, three);
    EXPECT_EQ(w.FJWZ->text(), QStringLiteral("自动演奏中。。。"));
    EXPECT_EQ(w.Yuepu[0]->text(), QStringLiteral("停止"));
    EXPECT_EQ(run(100), (std::vector<std::pair<int, int>>{{1, 60}, {3, 62}}));

    // Save: "歌.txt" is written as "歌(乐谱).txt", with one line break.
    const QString saved = folder() + QStringLiteral("歌(乐谱).txt");
    w.Text3->setPlainText(QStringLiteral("KE4TZ"));
    env.dialogs.answers.push_back(folder() + QStringLiteral("歌.txt"));
    press(4);
    EXPECT_EQ(bytesOf(saved), QByteArray("KE4TZ\r\n"));
    EXPECT_EQ(w.ScoreFile, saved);
    EXPECT_EQ(w.FJWZ->text(), QStringLiteral("成功保存乐谱。。。"));
    EXPECT_TRUE(env.messages.shown.empty());

    // The derived name exists: asked first; "no" keeps the file.
    w.Text3->setPlainText(QStringLiteral("KF4TZ"));
    w.FJWZ->clear();
    env.messages.answers = {false, true};
    env.dialogs.answers = {folder() + QStringLiteral("歌.txt"), folder() + QStringLiteral("歌.txt")};
    press(4);
    EXPECT_EQ(bytesOf(saved), QByteArray("KE4TZ\r\n"));
    EXPECT_TRUE(w.FJWZ->text().isEmpty());
    press(4);
    EXPECT_EQ(bytesOf(saved), QByteArray("KF4TZ\r\n"));
    EXPECT_EQ(env.messages.shown.size(), 2u);
    EXPECT_EQ(env.messages.shown[0].kind, test::ShownMessage::Ask);
    EXPECT_EQ(env.messages.shown[0].caption, QStringLiteral("提示"));

    // A failed write is reported and names no file; an empty box writes none.
    env.dialogs.answers.push_back(AppDir + QStringLiteral("没有/x.txt"));
    press(4);
    EXPECT_EQ(w.FJWZ->text(), QStringLiteral("保存乐谱失败。。。"));
    EXPECT_EQ(w.ScoreFile, saved);
    w.Text3->clear();
    w.FJWZ->clear();
    env.dialogs.answers.push_back(folder() + QStringLiteral("空"));
    press(4);
    EXPECT_FALSE(QFile::exists(folder() + QStringLiteral("空(乐谱).txt")));
    EXPECT_TRUE(w.FJWZ->text().isEmpty());

    // Saving stops a playing score.
    play("KC8TZ");
    w.Timer3_Timer();
    env.dialogs.answers.push_back(folder() + QStringLiteral("停.txt"));
    press(4);
    EXPECT_TRUE(stopped());
    EXPECT_TRUE(contains(env.take(), off(0, 60)));
}

TEST_F(Score, DeleteAsksAndClearStopsPlaying)
{
    // Nothing to delete: said so, nothing asked, the box kept.
    w.Text3->setPlainText(QStringLiteral("KC8TZ"));
    w.ScoreFile = folder();
    press(1);
    EXPECT_EQ(w.FJWZ->text(), QStringLiteral("没有可删除的文件。。。"));
    EXPECT_EQ(w.Text3->toPlainText(), QStringLiteral("KC8TZ"));
    EXPECT_TRUE(env.messages.shown.empty());

    // Asked first: "no" keeps file and box, "yes" deletes and clears.
    w.ScoreFile = put("旧.txt", "KC8TZ\r\n");
    env.messages.answers = {false};
    press(1);
    EXPECT_TRUE(QFile::exists(w.ScoreFile));
    EXPECT_EQ(w.Text3->toPlainText(), QStringLiteral("KC8TZ"));
    press(1);
    EXPECT_FALSE(QFile::exists(w.ScoreFile));
    EXPECT_TRUE(w.Text3->toPlainText().isEmpty() && ScoreText.isEmpty());
    EXPECT_EQ(w.FJWZ->text(), QStringLiteral("成功删除文件。。。"));
    ASSERT_EQ(env.messages.shown.size(), 2u);
    EXPECT_EQ(env.messages.shown[1].caption, QStringLiteral("提示"));
    EXPECT_TRUE(env.messages.shown[1].text.contains(QStringLiteral("旧.txt")));
    press(1);
    EXPECT_EQ(w.FJWZ->text(), QStringLiteral("没有可删除的文件。。。"));

    // Clear while playing stops the score: no error follows at the note's end.
    play("KC2KD2TZ");
    w.Timer3_Timer();
    w.Timer1->setEnabled(true);
    press(3);
    EXPECT_TRUE(stopped());
    EXPECT_FALSE(w.Timer1->isRunning());
    EXPECT_TRUE(w.Text3->toPlainText().isEmpty() && ScoreText.isEmpty());
    EXPECT_EQ(w.FJWZ->text(), QStringLiteral("成功清空乐谱。。。"));
    EXPECT_EQ(w.ScorePos, 1);
    EXPECT_TRUE(contains(env.take(), off(0, 60)));
    EXPECT_EQ(env.messages.shown.size(), 2u);
}
