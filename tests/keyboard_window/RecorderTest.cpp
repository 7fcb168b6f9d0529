// The main window's recorder with a recording media device and scripted
// dialogs: the commands each button sends, the looks of the buttons, the
// status texts, the names recordings are saved under, and the status clock's
// elapsed time and end detection.
#include "Form1Fixture.h"

#include <QFile>
#include <QRegularExpression>

using namespace dzq;
using namespace dzq::test;

namespace {

const QStringList RecordCommands{
    "CLOSE NN", "OPEN NEW TYPE WaveAudio ALIAS NN", "Set NN assemble record off", "Set NN file format tag pcm",
    "Set NN algorithm pcm", "Set NN bitspersample 16", "Set NN samplespersec 44100", "Set NN channels 2", "RECORD NN"};
const QString Stopped = QStringLiteral("录音机已停止。。。");
const QString NotSaved = QStringLiteral("没有保存录音。。。");

class Recorder : public Form1Test {
protected:
    QRect look(int i) const { return w.Image1[std::size_t(i)]->geometry(); }
    static QRect released(int i) { return QRect(Form1::RecorderLeft[std::size_t(i)], 174, 25, 25); }
    void expectAllReleased() const
    {
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(look(i), released(i)) << "button " << i;
    }
    // A recording made and stopped, commands forgotten.
    void recordAndStop()
    {
        w.Image1_Click(2);
        w.Image1_Click(1);
        env.media.take();
    }
};

} // namespace

TEST_F(Recorder, RecordStopAndSave)
{
    EXPECT_FALSE(w.BcLY->isEnabled()); // nothing to save yet
    w.Image1_Click(2);
    EXPECT_EQ(env.media.take(), RecordCommands);
    EXPECT_EQ(look(2), Form1::RecordPressed);
    EXPECT_EQ(look(1), released(1));
    EXPECT_EQ(w.FJWZ->text(), QStringLiteral("录音中,请安静。。"));
    EXPECT_TRUE(w.BcLY->isEnabled());
    EXPECT_TRUE(w.IsRecording && w.RecorderBusy);

    // A second press keeps the recording that runs; play only redraws itself.
    w.Image1_Click(2);
    w.Image1_Click(0);
    EXPECT_TRUE(env.media.take().isEmpty());
    EXPECT_TRUE(env.dialogs.titles.isEmpty());
    EXPECT_EQ(look(2), Form1::RecordPressed);
    EXPECT_EQ(look(0), released(0));

    w.Image1_Click(1);
    EXPECT_EQ(env.media.take(), QStringList{"STOP NN"});
    expectAllReleased();
    EXPECT_EQ(w.FJWZ->text(), Stopped);
    EXPECT_FALSE(w.IsRecording || w.IsPlayingFile || w.RecorderBusy);
    EXPECT_TRUE(w.BcLY->isEnabled()); // the stopped recording can still be saved

    const QString chosen = data.filePath(QStringLiteral("我的 录音.mid"));
    const QString name = data.filePath(QStringLiteral("我的 录音.wav"));
    env.dialogs.answers = {chosen};
    w.BcLY_Click();
    EXPECT_EQ(env.media.take(), (QStringList{"stop NN", "save NN " + name, "close NN"}));
    EXPECT_EQ(w.FJWZ->text(), QStringLiteral("成功保存录音。。。"));
    EXPECT_EQ(w.ScoreFile, name); // the score box's delete removes it
    EXPECT_FALSE(w.BcLY->isEnabled());
    EXPECT_FALSE(w.RecorderBusy);
}

TEST_F(Recorder, SaveNamesAndSavesThatFail)
{
    const struct {
        const char *chosen, *saved;
    } names[] = {
        {"/r/歌", "/r/歌.wav"},         {"/r/歌.wav", "/r/歌.wav"},     {"/r/歌.WAV", "/r/歌.wav"},
        {"/r/歌.mp3", "/r/歌.wav"},     {"/r/歌.mp", "/r/歌.mp.wav"},   {"/r.ab/歌", "/r.ab/歌.wav"},
        {"/r/a b c", "/r/a b c.wav"},
    };
    for (const auto &n : names) {
        recordAndStop();
        env.dialogs.answers = {QString::fromUtf8(n.chosen)};
        w.BcLY_Click();
        EXPECT_EQ(env.media.take().value(1), "save NN " + QString::fromUtf8(n.saved)) << n.chosen;
    }

    // Cancelled: nothing sent, the recording goes on.
    w.Image1_Click(2);
    env.media.take();
    w.BcLY_Click();
    EXPECT_TRUE(env.media.take().isEmpty());
    EXPECT_EQ(w.FJWZ->text(), NotSaved);
    EXPECT_TRUE(w.IsRecording && w.BcLY->isEnabled());

    // A derived name that exists is only replaced when the user agrees.
    const QString existing = data.filePath(QStringLiteral("旧.wav"));
    QFile(existing).open(QIODevice::WriteOnly);
    env.messages.answers = {false};
    env.dialogs.answers = {data.filePath(QStringLiteral("旧.txt"))};
    w.BcLY_Click();
    EXPECT_TRUE(env.media.take().isEmpty());
    EXPECT_EQ(w.FJWZ->text(), NotSaved);
    ASSERT_FALSE(env.messages.shown.empty());
    EXPECT_EQ(env.messages.shown.back().kind, ShownMessage::Ask);
    EXPECT_TRUE(env.messages.shown.back().text.contains(QStringLiteral("旧.wav")));
}

TEST_F(Recorder, PlayChoosesTheTypeAndKeepsAnUnsavedRecordingUntilAFileIsChosen)
{
    recordAndStop();
    w.Image1_Click(0); // cancelled
    EXPECT_TRUE(env.media.take().isEmpty());
    expectAllReleased();
    EXPECT_TRUE(w.BcLY->isEnabled());

    const struct {
        const char *file, *type;
    } files[] = {{"/m/一 首.wav", "WaveAudio"}, {"/m/歌.mp3", "MPEGVideo"}, {"/m/歌.MP3", ""}, {"/m/歌.ogg", ""}};
    for (const auto &f : files) {
        const QString file = QString::fromUtf8(f.file);
        env.dialogs.answers = {file};
        w.Image1_Click(0);
        EXPECT_EQ(env.media.take(), (QStringList{"CLOSE NN", "OPEN " + file + " TYPE " + f.type + " ALIAS NN",
                                                 "seek NN to start", "PLAY NN FROM 0", "CLOSE ANIMATION"}));
        EXPECT_EQ(w.ScoreFile, file);
        EXPECT_EQ(w.PlayerFilePath, file);
    }
    EXPECT_EQ(look(0), Form1::PlayPressed);
    EXPECT_EQ(look(1), released(1));
    EXPECT_EQ(w.FJWZ->text(), QStringLiteral("正在播放录音。。。"));
    EXPECT_FALSE(w.BcLY->isEnabled());
    EXPECT_TRUE(w.IsPlayingFile && w.RecorderBusy);

    // Record while playing only redraws the record button.
    w.Image1_Click(2);
    EXPECT_TRUE(env.media.take().isEmpty());
    EXPECT_EQ(look(2), released(2));

    // A file the device refuses is not reported as playing.
    w.Image1_Click(1);
    env.media.failing = {"OPEN"};
    env.media.error = MediaError::UnknownType;
    env.dialogs.answers = {QStringLiteral("/m/x.wav")};
    w.Image1_Click(0);
    EXPECT_EQ(env.media.take().size(), 3); // STOP, CLOSE, OPEN
    EXPECT_EQ(w.FJWZ->text(), QStringLiteral("无法播放：") + mediaErrorText(MediaError::UnknownType));
    EXPECT_FALSE(w.IsPlayingFile || w.RecorderBusy);
    expectAllReleased();
}

TEST_F(Recorder, StatusClockCountsAndNoticesTheEnd)
{
    const QString line = w.Label8->text();
    ASSERT_FALSE(line.isEmpty());
    for (int tick = 1; tick <= 60; ++tick)
        w.Timer2_Timer();
    EXPECT_EQ(w.Label8->text(), line.mid(60 % line.size()) + line.left(60 % line.size()));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"))
                    .match(w.SjXs->text())
                    .hasMatch())
        << w.SjXs->text().toStdString();
    EXPECT_EQ(w.Label12->text(), QStringLiteral("00:00:00"));
    EXPECT_TRUE(env.media.take().isEmpty()); // idle: the device is not asked

    env.dialogs.answers = {QStringLiteral("/m/歌.mp3")};
    w.Image1_Click(0);
    env.media.take();
    env.media.mode = QStringLiteral("playing");
    w.RecordStartTime -= std::chrono::seconds(3725);
    w.Timer2_Timer();
    EXPECT_EQ(w.Label12->text(), QStringLiteral("01:02:05"));
    EXPECT_EQ(env.media.take(), QStringList{"status NN mode"});

    env.media.mode = QStringLiteral("stopped");
    w.Timer2_Timer();
    EXPECT_EQ(env.media.take(), (QStringList{"status NN mode", "STOP NN", "Close NN"}));
    expectAllReleased();
    EXPECT_EQ(w.FJWZ->text(), Stopped);
    EXPECT_FALSE(w.IsPlayingFile || w.RecorderBusy);
    w.Timer2_Timer();
    EXPECT_EQ(w.Label12->text(), QStringLiteral("00:00:00"));
    EXPECT_TRUE(env.media.take().isEmpty());

    // A query that fails counts as the end; a recording whose input gave out
    // is stopped but kept for saving.
    w.Image1_Click(2);
    env.media.take();
    env.media.failing = {"status"};
    w.Timer2_Timer();
    EXPECT_EQ(env.media.take(), (QStringList{"status NN mode", "STOP NN"}));
    EXPECT_FALSE(w.IsRecording || w.RecorderBusy);
    EXPECT_TRUE(w.BcLY->isEnabled());
    EXPECT_EQ(w.FJWZ->text(), Stopped);
}

TEST_F(Recorder, FailuresAndTheEndUseTheOneAlias)
{
    env.media.failing = {"RECORD"};
    env.media.error = MediaError::NoInput;
    w.Image1_Click(2);
    QStringList sent = env.media.take();
    EXPECT_EQ(sent, RecordCommands + QStringList{"CLOSE NN"});
    EXPECT_EQ(w.FJWZ->text(), QStringLiteral("无法录音：") + mediaErrorText(MediaError::NoInput));
    EXPECT_FALSE(w.IsRecording || w.RecorderBusy || w.BcLY->isEnabled());
    expectAllReleased();
    env.media.failing.clear();

    w.Image1_Click(2);
    w.closeRecorder();
    sent += env.media.take();
    EXPECT_EQ(sent.last(), QStringLiteral("CLOSE NN"));
    EXPECT_FALSE(w.IsRecording || w.RecorderBusy || w.BcLY->isEnabled());
    expectAllReleased();

    // Every command the recorder sends goes to the alias the editor shares.
    const QRegularExpression alias(QStringLiteral("^(\\w+ NN\\b|OPEN .* ALIAS NN$)"));
    for (const QString &c : sent)
        EXPECT_TRUE(alias.match(c).hasMatch()) << c.toStdString();
}

TEST_F(Recorder, OpeningTheEditorHandsItTheAliasSoTheStatusClockLeavesItsRecordingAlone)
{
    env.dialogs.answers = {QStringLiteral("/m/歌.mp3")};
    w.Image1_Click(0);
    env.media.take();
    w.openEditor = [] {};
    w.BJCK_Click();
    EXPECT_FALSE(w.IsPlayingFile || w.IsRecording || w.RecorderBusy);
    expectAllReleased();

    // The editor records on the alias and stops; its recording waits to be
    // saved. The hidden window's status clock must not stop or close it.
    env.media.mode = QStringLiteral("stopped");
    for (int tick = 0; tick < 3; ++tick)
        w.Timer2_Timer();
    EXPECT_TRUE(env.media.take().isEmpty());
    EXPECT_EQ(w.Label12->text(), QStringLiteral("00:00:00"));
}
