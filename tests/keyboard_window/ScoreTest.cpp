// The score player of the main window: commands, note lengths and the end of
// a score, errors, and the score box's buttons with their files.
#include "Form1Fixture.h"

#include "midi/MidiOut.h"
#include "midi/SoundingNotes.h"
#include "platform/Resources.h"
#include "platform/StepTimer.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QTest>

#include <chrono>
#include <functional>
#include <vector>

using namespace dzq;

namespace {

const QString ErrorText = QStringLiteral("乐谱中出现错误，请修改！");
using Onsets = std::vector<std::pair<int, int>>;

class Score : public test::Form1Test {
protected:
    Score()
    {
        w.Check5->setValue(0);
        env.take();
    }
    // A button as the mouse presses it: mouse-down, then click.
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
    // Ticks the score clock while it runs (at most limit ticks); the note-ons
    // of melody voice 0 as (tick, MIDI note), ticks counted from 1.
    Onsets run(int limit, int *ticks = nullptr)
    {
        Onsets onsets;
        int t = 0;
        while (w.Timer3->isRunning() && t < limit) {
            w.Timer3_Timer();
            ++t;
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

bool sentOff(const std::vector<uint32_t> &msgs, int channel, int note)
{
    return std::find(msgs.begin(), msgs.end(), packShortMsg(0x80 + channel, note, 0)) != msgs.end();
}

} // namespace

TEST_F(Score, CommandsInARowAreAppliedBeforeTheNextNote)
{
    const QByteArray rhythm = "0502000000" "00" + QByteArray(16, '*') + QByteArray(33, '-') + "节奏            \r\n";
    put("a.bin", rhythm);
    put("b.bin", rhythm);
    w.File1->setPath(folder());
    w.SD->setListIndex(0); // 40 beats a minute
    PresetTable[1][0] = 1;
    PresetTable[1][1] = 2;
    PresetTable[1][2] = 0;

    play("YD3VS7YQ2JP2KC8KD4JP99KE4TZ");
    EXPECT_EQ(KeyBase, 38);
    EXPECT_EQ(w.XSWB->text(), QStringLiteral("D调"));
    EXPECT_EQ(StepMs, 107);
    EXPECT_EQ(w.Timer3->interval(), 107);
    EXPECT_EQ((std::array<int, 3>{w.ComSounds[0]->listIndex(), w.ComSounds[1]->listIndex(), w.ComSounds[2]->listIndex()}),
              (std::array<int, 3>{1, 2, 0}));
    EXPECT_EQ(w.File1->listIndex(), 1);
    EXPECT_EQ(w.Check5->value(), 1);
    EXPECT_EQ(w.ScorePos, 16);
    // Notes sound two semitones higher; "JP99" turns sync off, "TZ" resets.
    EXPECT_EQ(run(100), (Onsets{{1, 62}, {9, 64}, {13, 66}}));
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
    // The entry window's example has no "TZ": it ends after its last note's
    // four ticks, with no message.
    int ticks = 0;
    play("KC8KDKEKF4KGKAKB");
    EXPECT_EQ(run(1000, &ticks), (Onsets{{1, 60}, {9, 62}, {17, 64}, {25, 65}, {29, 67}, {33, 69}, {37, 71}}));
    EXPECT_EQ(ticks, 40);
    EXPECT_TRUE(stopped());

    // A long run of commands in one call, past 32767 characters.
    ScoreText = QStringLiteral("VS7").repeated(100000) + QStringLiteral("KC4TZ");
    w.ScorePos = 1;
    w.YSCX();
    EXPECT_EQ(w.ScorePos, 300004);
    EXPECT_EQ(w.CurNote, 24);
    EXPECT_TRUE(w.Timer3->isRunning());
}

TEST_F(Score, RestsSilenceAndTheEndResetsEverything)
{
    play("KC2XZ3KD2TZ");
    w.Timer3_Timer();
    w.Timer3_Timer(); // the rest is read at the end of the note
    const auto rest = env.take();
    EXPECT_TRUE(sentOff(rest, 0, 60) && sentOff(rest, 1, 60) && sentOff(rest, 2, 60));
    w.BzQd->setValue(1);
    CurStep = 5;
    ChordStep = 2;
    EXPECT_EQ(run(100), (Onsets{{4, 62}}));
    EXPECT_TRUE(stopped());
    EXPECT_EQ(w.BzQd->value(), 0);
    EXPECT_EQ((std::array<int, 3>{int(w.ScorePos), CurStep, ChordStep}), (std::array<int, 3>{1, 0, 1}));

    // The key last played goes up as a key of its kind: the mouse may have
    // played a black one.
    w.LastNote = 1;
    w.showKeyDown(1);
    ScoreText = QStringLiteral("TZ");
    w.YSCX();
    EXPECT_EQ(w.Picture1[1]->picture().toImage(), LoadResPicture(BlackKeyUpPicture).toImage());
    EXPECT_TRUE(env.messages.shown.empty());
}

// The interpreter gives the box the focus and marks the note it reads there:
// while the score plays the box takes no edits, Space typed into it stops
// everything as Space on the keyboard does and types nothing, also while it is
// held; once stopped the box is a text box again.
TEST_F(Score, SpaceInTheBoxStopsEverythingAndTheBoxKeepsTheScore)
{
    const QString score = QStringLiteral("KC8KD8KE8KF8KG8TZ");
    play(score);
    run(10);
    w.BzQd->setValue(1);
    ASSERT_TRUE(w.Timer3->isRunning() && w.BZDS->isRunning());
    env.take();
    const QString reading = w.Text3->textCursor().selectedText();
    EXPECT_EQ(reading.size(), 1);
    QTest::keyClicks(w.Text3, QStringLiteral("AB"));
    QTest::keyClick(w.Text3, Qt::Key_Delete);
    EXPECT_EQ(w.Text3->toPlainText(), score);
    EXPECT_EQ(w.Text3->textCursor().selectedText(), reading);
    EXPECT_TRUE(w.Timer3->isRunning());

    QTest::keyPress(w.Text3, Qt::Key_Space);
    EXPECT_TRUE(stopped());
    EXPECT_FALSE(w.BZDS->isRunning() || w.Timer1->isRunning());
    EXPECT_EQ(w.BzQd->value(), 0);
    const auto msgs = env.take();
    EXPECT_TRUE(sentOff(msgs, 0, 62) && sentOff(msgs, 2, 57) && sentOff(msgs, 3, 60) && sentOff(msgs, 5, 60));
    for (int i = 0; i < 3; ++i) {
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
        QApplication::sendEvent(w.Text3, &repeat);
    }
    QTest::keyRelease(w.Text3, Qt::Key_Space);
    EXPECT_EQ(w.Text3->toPlainText(), score);
    EXPECT_EQ(ScoreText, score);

    w.Text3->moveCursor(QTextCursor::End);
    QTest::keyClicks(w.Text3, QStringLiteral(" X"));
    EXPECT_EQ(w.Text3->toPlainText(), score + QStringLiteral(" X"));
}

TEST_F(Score, AnErrorStopsEverythingBeforeItsMessageAndPlayingCanStartAgain)
{
    bool stoppedFirst = false;
    env.messages.onShow = [&] { stoppedFirst = stopped() && soundingNotes().list().empty(); };
    // "KC" with 12, then the lone "3".
    int ticks = 0;
    play("KC123");
    EXPECT_EQ(w.Text3->textCursor().selectedText(), QStringLiteral("C")) << "the reading place";
    EXPECT_EQ(run(100, &ticks), (Onsets{{1, 60}}));
    EXPECT_EQ(ticks, 12);
    EXPECT_TRUE(env.messages.shown.empty()) << "the box opens after the tick";
    env.deliverBoxes();
    EXPECT_EQ(env.messages.texts(), QStringList{ErrorText});
    EXPECT_TRUE(stoppedFirst);
    EXPECT_EQ(w.ScorePos, 5);

    // The next press plays again; stop: the mouse-down silences, the click
    // sets the stopped state.
    play("KC2TZ");
    EXPECT_EQ(w.Yuepu[0]->text(), QStringLiteral("停止"));
    run(1);
    w.Yuepu_MouseDown(0);
    EXPECT_FALSE(w.Timer3->isRunning());
    EXPECT_TRUE(sentOff(env.take(), 0, 60));
    w.Yuepu_Click(0);
    EXPECT_TRUE(stopped());

    // Lower case plays from the box, which the play button upper-cases, but
    // is an error in a file.
    env.messages.shown.clear();
    play("kc2tz");
    EXPECT_EQ(run(100), (Onsets{{1, 60}}));
    env.dialogs.answers.push_back(put("lower.txt", "kc2tz\r\n"));
    press(2);
    EXPECT_EQ(w.Text3->toPlainText(), QStringLiteral("kc2tz"));
    env.deliverBoxes();
    EXPECT_EQ(env.messages.texts(), QStringList{ErrorText});
}

TEST_F(Score, TempoBeingTypedAndAHiddenWindowDoNotDisturbPlaying)
{
    for (const QString &typed : {QString(), QStringLiteral("0"), QStringLiteral("abc")}) {
        w.SD->setText(typed);
        play("KC2TZ");
        EXPECT_EQ(w.Timer3->interval(), 107) << typed.toStdString();
        run(100);
    }

    // The entry window takes the box's score when nothing plays; a score
    // plays on while this window is hidden.
    w.Text3->setPlainText(QStringLiteral("KC2KD2TZ"));
    w.XINJIAN_Click();
    EXPECT_EQ(ScoreText, QStringLiteral("KC2KD2TZ"));
    press(0);
    w.hide();
    w.Text3->setPlainText(QStringLiteral("HC4"));
    w.XINJIAN_Click();
    EXPECT_EQ(ScoreText, QStringLiteral("KC2KD2TZ"));
    EXPECT_EQ(run(100), (Onsets{{1, 60}, {3, 62}}));
    EXPECT_TRUE(env.messages.shown.empty());
}

TEST_F(Score, OpenAndSave)
{
    // A cancelled open keeps the box.
    w.Text3->setPlainText(QStringLiteral("KC8TZ"));
    press(2);
    EXPECT_EQ(env.dialogs.startDirs, QStringList{folder()});
    EXPECT_EQ(w.Text3->toPlainText(), QStringLiteral("KC8TZ"));
    EXPECT_TRUE(stopped());

    // A file of three lines plays at once as one text.
    env.dialogs.answers.push_back(put("三行.txt", "KC2\r\nKD2\nTZ\r\n"));
    press(2);
    EXPECT_EQ(w.Text3->toPlainText(), QStringLiteral("KC2KD2TZ"));
    EXPECT_EQ(w.ScoreFile, folder() + QStringLiteral("三行.txt"));
    EXPECT_EQ(w.FJWZ->text(), QStringLiteral("自动演奏中。。。"));
    EXPECT_EQ(run(100), (Onsets{{1, 60}, {3, 62}}));

    // "歌.txt" is saved as "歌(乐谱).txt"; when that exists the user is asked.
    const QString saved = folder() + QStringLiteral("歌(乐谱).txt");
    w.Text3->setPlainText(QStringLiteral("KE4TZ"));
    env.dialogs.answers = {folder() + QStringLiteral("歌.txt"), folder() + QStringLiteral("歌.txt"),
                           folder() + QStringLiteral("歌.txt")};
    press(4);
    EXPECT_EQ(bytesOf(saved), QByteArray("KE4TZ\r\n"));
    EXPECT_EQ(w.ScoreFile, saved);
    EXPECT_EQ(w.FJWZ->text(), QStringLiteral("成功保存乐谱。。。"));
    EXPECT_TRUE(env.messages.shown.empty());
    w.Text3->setPlainText(QStringLiteral("KF4TZ"));
    env.messages.answers = {false, true};
    press(4);
    EXPECT_EQ(bytesOf(saved), QByteArray("KE4TZ\r\n"));
    press(4);
    EXPECT_EQ(bytesOf(saved), QByteArray("KF4TZ\r\n"));
    EXPECT_EQ(env.messages.shown.size(), 2u);

    // A failed write is reported and names no file; an empty box writes none.
    env.dialogs.answers.push_back(AppDir + QStringLiteral("没有/x.txt"));
    press(4);
    EXPECT_EQ(w.FJWZ->text(), QStringLiteral("保存乐谱失败。。。"));
    EXPECT_EQ(w.ScoreFile, saved);
    w.Text3->clear();
    env.dialogs.answers.push_back(folder() + QStringLiteral("空"));
    press(4);
    EXPECT_FALSE(QFile::exists(folder() + QStringLiteral("空(乐谱).txt")));
}

TEST_F(Score, DeleteAsksAndClearStopsPlaying)
{
    // Nothing to delete: said so, the box kept.
    w.Text3->setPlainText(QStringLiteral("KC8TZ"));
    press(1);
    EXPECT_EQ(w.FJWZ->text(), QStringLiteral("没有可删除的文件。。。"));
    EXPECT_EQ(w.Text3->toPlainText(), QStringLiteral("KC8TZ"));

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
    EXPECT_EQ(env.messages.shown.size(), 2u);

    // Clear while playing stops the score, so no error follows.
    play("KC2KD2TZ");
    w.Timer3_Timer();
    press(3);
    EXPECT_TRUE(stopped());
    EXPECT_TRUE(w.Text3->toPlainText().isEmpty() && ScoreText.isEmpty());
    EXPECT_EQ(w.FJWZ->text(), QStringLiteral("成功清空乐谱。。。"));
    EXPECT_TRUE(sentOff(env.take(), 0, 60));
}

// A key played during a score clears the playing flag while the score clock
// runs on; "停止" must still stop the score, not start it from the top; Space
// stops a running chord preview as well.
TEST_F(Score, StopButtonStopsAfterALiveNoteAndSpaceStopsThePreview)
{
    play(QStringLiteral("KC8KD8KE8TZ"));
    run(3);
    w.SFYXYZ_KeyDown('G', 0);
    w.SFYXYZ_KeyUp('G', 0);
    ASSERT_TRUE(w.Timer3->isRunning());
    press(0);
    EXPECT_FALSE(w.Timer3->isRunning());
    EXPECT_EQ(w.Yuepu[0]->text(), QStringLiteral("试听"));

    w.Check6->setValue(1);
    ASSERT_TRUE(w.HXYS->isRunning());
    w.SFYXYZ_KeyDown(' ', 0);
    EXPECT_FALSE(w.HXYS->isRunning());
    EXPECT_EQ(w.Check6->value(), 0);
}

TEST_F(Score, BoxesRaisedInsideAClockTickOpenAfterIt)
{
    // A clock on a scripted time, whose ticks run the window's handlers.
    StepTimer::Clock::time_point now{};
    StepTimer clock(nullptr, [&] { return now; });
    std::function<void()> handler;
    QObject::connect(&clock, &StepTimer::timeout, [&] { handler(); });
    clock.setInterval(100);
    clock.setEnabled(true);
    const auto tick = [&] {
        now += std::chrono::milliseconds(100);
        clock.expire();
    };
    std::vector<bool> afterTheTick;
    env.messages.onShow = [&] {
        afterTheTick.push_back(!StepTimer::tickInProgress() && stopped() && soundingNotes().list().empty());
    };

    // An error in the score stops everything within the tick; the box follows it.
    play("KC2QQ");
    handler = [&] { w.Timer3_Timer(); };
    for (int i = 0; i < 10 && w.Timer3->isRunning(); ++i)
        tick();
    EXPECT_FALSE(w.Timer3->isRunning());
    EXPECT_TRUE(env.messages.shown.empty());
    env.deliverBoxes();
    EXPECT_EQ(env.messages.texts(), QStringList{ErrorText});
    EXPECT_EQ(afterTheTick, std::vector<bool>{true});

    // A device that fails inside rhythm ticks: one box, after the ticks.
    env.messages.shown.clear();
    env.messages.onShow = [&] { afterTheTick.push_back(!StepTimer::tickInProgress()); };
    env.synth().sendResult = MidiErrDeviceLost;
    w.BzQd->setValue(1);
    handler = [&] { w.BZDS_Timer(); };
    for (int i = 0; i < 8; ++i)
        tick();
    EXPECT_TRUE(env.messages.shown.empty());
    env.deliverBoxes();
    EXPECT_EQ(env.messages.shown.size(), 1u);
    EXPECT_EQ(afterTheTick, (std::vector<bool>{true, true}));
    EXPECT_EQ(env.messages.shownInTick, 0);
}
