// The recorder and audio player of the main window, and its one-second status
// clock. The sound work is done by the program's media-control device under
// the alias "NN", which the music editor's recorder shares.
#include "keyboard/Form1.h"

#include "platform/AppPaths.h"
#include "platform/FileDialogService.h"
#include "platform/MediaControl.h"
#include "platform/MessageService.h"
#include "shared/Shared.h"

#include <QDateTime>
#include <QFileInfo>

namespace dzq {

namespace {

enum { PlayButton = 0, StopButton = 1, RecordButton = 2 };

const QString StoppedText = QStringLiteral("录音机已停止。。。");
const QString NotSavedText = QStringLiteral("没有保存录音。。。");

MediaResult mci(const QString &command) { return MediaControl::instance().send(command); }

QString recordingFolder() { return AppDir + scoreFolderName() + QLatin1Char('/'); }

void showReleased(Form1 &w, int i)
{
    w.Image1[std::size_t(i)]->setGeometry(Form1::RecorderLeft[std::size_t(i)], Form1::RecorderTop,
                                          Form1::RecorderSize, Form1::RecorderSize);
}

void showPressed(Form1 &w, int i)
{
    w.Image1[std::size_t(i)]->setGeometry(i == PlayButton ? Form1::PlayPressed : Form1::RecordPressed);
}

// Nothing records or plays any more: the buttons released (stop, play,
// record), the flags cleared, the elapsed time no longer counted.
void showIdle(Form1 &w)
{
    for (int i : {StopButton, PlayButton, RecordButton})
        showReleased(w, i);
    w.IsRecording = false;
    w.IsPlayingFile = false;
    w.RecorderBusy = false;
}

// The name a recording is saved under: the chosen name with a three-letter
// extension (a "." fourth from the end of the file's own name) replaced by
// ".wav", any other name followed by ".wav". A dot in a folder name is no
// extension.
QString wavSaveName(const QString &chosen)
{
    const qsizetype n = chosen.size();
    if (n >= 4 && chosen[n - 4] == u'.' && !QStringView(chosen).last(3).contains(u'/'))
        return chosen.first(n - 4) + QStringLiteral(".wav");
    return chosen + QStringLiteral(".wav");
}

QString elapsedText(StepTimer::Clock::duration elapsed)
{
    const auto seconds = std::max<long long>(0, std::chrono::duration_cast<std::chrono::seconds>(elapsed).count());
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

void Form1::wireRecorder()
{
    for (std::size_t i = 0; i < Image1.size(); ++i)
        connect(Image1[i], &RecorderButton::clicked, this, [this, i] { Image1_Click(int(i)); });
    connect(BcLY, &QPushButton::clicked, this, [this] { BcLY_Click(); });
    connect(Timer2, &StepTimer::timeout, this, [this] { Timer2_Timer(); });
    // Nothing has been recorded yet.
    BcLY->setEnabled(false);
}

void Form1::Image1_Click(int index)
{
    switch (index) {
    case PlayButton: {
        if (IsRecording) {
            showReleased(*this, PlayButton);
            return;
        }
        showPressed(*this, PlayButton);
        showReleased(*this, StopButton);
        const QString name = FileDialogService::instance().openFile(
            QStringLiteral("打开录音或音乐"), recordingFolder(), QStringLiteral("音频文件(wav;mp3) (*.wav *.mp3)"));
        if (name.isEmpty()) {
            showReleased(*this, StopButton);
            showReleased(*this, PlayButton);
            IsRecording = false;
            return;
        }
        ScoreFile = name;
        PlayerFilePath = ScoreFile;
        const QString ending = name.right(3);
        const QString type = ending == u"wav"   ? QStringLiteral("WaveAudio")
                             : ending == u"mp3" ? QStringLiteral("MPEGVideo")
                                                : QString();
        // Only now that a file was chosen is a recording not yet saved given up.
        mci(QStringLiteral("CLOSE NN"));
        BcLY->setEnabled(false);
        MediaResult result = mci(QStringLiteral("OPEN ") + name + QStringLiteral(" TYPE ") + type + QStringLiteral(" ALIAS NN"));
        if (result.ok()) {
            mci(QStringLiteral("seek NN to start"));
            result = mci(QStringLiteral("PLAY NN FROM 0"));
            mci(QStringLiteral("CLOSE ANIMATION"));
        }
        if (!result.ok()) {
            showIdle(*this);
            FJWZ->setText(QStringLiteral("无法播放：") + mediaErrorText(result.error));
            return;
        }
        IsPlayingFile = true;
        XSWB->setText(QStringLiteral("当录音重放无声时请按帮助文档中的方法设置系统音量属性！"));
        FJWZ->setText(QStringLiteral("正在播放录音。。。"));
        RecordStartTime = StepTimer::Clock::now();
        RecorderBusy = true;
        return;
    }

    case StopButton:
        showReleased(*this, StopButton);
        mci(QStringLiteral("STOP NN"));
        showIdle(*this);
        FJWZ->setText(StoppedText);
        return;

    case RecordButton: {
        if (IsPlayingFile) {
            showReleased(*this, RecordButton);
            return;
        }
        // A second press must not throw the running recording away.
        if (IsRecording)
            return;
        showPressed(*this, RecordButton);
        showReleased(*this, StopButton);
        MediaError error = MediaError::None;
        for (const char *command : {"CLOSE NN", "OPEN NEW TYPE WaveAudio ALIAS NN", "Set NN assemble record off",
                                    "Set NN file format tag pcm", "Set NN algorithm pcm", "Set NN bitspersample 16",
                                    "Set NN samplespersec 44100", "Set NN channels 2", "RECORD NN"}) {
            const MediaResult r = mci(QString::fromLatin1(command));
            if (!r.ok() && error == MediaError::None && qstrcmp(command, "CLOSE NN") != 0)
                error = r.error;
        }
        if (error != MediaError::None) {
            mci(QStringLiteral("CLOSE NN"));
            showIdle(*this);
            BcLY->setEnabled(false);
            FJWZ->setText(QStringLiteral("无法录音：") + mediaErrorText(error));
            return;
        }
        IsRecording = true;
        XSWB->setText(QStringLiteral("当录音重放出现沙哑杂音失真等情况时请适当调整系统音量中的各音源音量大小！"));
        FJWZ->setText(QStringLiteral("录音中,请安静。。"));
        BcLY->setEnabled(true);
        RecordStartTime = StepTimer::Clock::now();
        RecorderBusy = true;
        return;
    }

    default: return;
    }
}

void Form1::BcLY_Click()
{
    const QString chosen = FileDialogService::instance().saveFile(QStringLiteral("保存录音"), recordingFolder(),
                                                                  QStringLiteral("演奏录音(wav) (*.wav)"));
    if (chosen.isEmpty()) {
        FJWZ->setText(NotSavedText);
        return;
    }
    // The dialog asked about the name chosen; the file written may have another.
    const QString name = wavSaveName(chosen);
    if (name != chosen && QFileInfo::exists(name) &&
        !MessageService::instance().ask(QStringLiteral("提示"),
                                        QStringLiteral("文件“%1”已存在，要替换它吗？").arg(QFileInfo(name).fileName()))) {
        FJWZ->setText(NotSavedText);
        return;
    }
    mci(QStringLiteral("stop NN"));
    if (!mci(QStringLiteral("save NN ") + name).ok()) {
        // The recording stays open, stopped, so that it can be saved elsewhere.
        showIdle(*this);
        FJWZ->setText(NotSavedText);
        return;
    }
    mci(QStringLiteral("close NN"));
    ScoreFile = name;
    FJWZ->setText(QStringLiteral("成功保存录音。。。"));
    BcLY->setEnabled(false);
    showIdle(*this);
}

void Form1::Timer2_Timer()
{
    SjXs->setText(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));

    if (!RecorderBusy) {
        Label12->setText(QStringLiteral("00:00:00"));
    } else {
        Label12->setText(elapsedText(StepTimer::Clock::now() - RecordStartTime));
        // A device that cannot say what it does has stopped too.
        const MediaResult mode = mci(QStringLiteral("status NN mode"));
        if (!mode.ok() || mode.reply.left(7) == u"stopped") {
            mci(QStringLiteral("STOP NN"));
            // A recording whose input gave out is kept for saving; a file
            // played to its end is closed.
            if (!IsRecording)
                mci(QStringLiteral("Close NN"));
            showIdle(*this);
            FJWZ->setText(StoppedText);
        }
    }

    const QString line = Label8->text();
    if (!line.isEmpty())
        Label8->setText(line.mid(1) + line.left(1));
}

void Form1::handRecorderOver()
{
    // Nothing is sent: what plays or records goes on, and a recording not yet
    // saved can still be saved from here afterwards. Only the status clock
    // stops asking after a device that is no longer this window's.
    showIdle(*this);
}

void Form1::closeRecorder()
{
    mci(QStringLiteral("CLOSE NN"));
    showIdle(*this);
    BcLY->setEnabled(false);
}

} // namespace dzq
