// The editor's recorder: play a WAV or MP3 file, stop, record what sounds and
// save the recording, in the quality chosen, with a clock of minutes and
// seconds. It drives the program's media-control device under the alias "NN"
// that the keyboard window's recorder uses too.
#include "editor/YYBJ.h"

#include "platform/FileDialogService.h"
#include "platform/MediaControl.h"
#include "shared/Shared.h"

#include <QFileInfo>

namespace dzq {

namespace {

enum { PlayFile = 0, Stop = 1, Record = 2, Save = 3 };

const QString ResetClockText = QStringLiteral("当前: 00:00");

void mci(const QString &command) { MediaControl::instance().send(command); }

QString recordingFolder() { return AppDir + QStringLiteral("演奏记录/"); }

struct Quality {
    const char *bits;
    const char *rate;
};
// "CD音质", "好音质", "普通音质".
constexpr std::array<Quality, 3> Qualities{{{"16", "44100"}, {"8", "44100"}, {"8", "22050"}}};

} // namespace

void YYBJ::yinzi_Click()
{
    const int index = yinzi->listIndex();
    if (index < 0 || index >= int(Qualities.size()))
        return;
    RecBits = QString::fromLatin1(Qualities[std::size_t(index)].bits);
    RecRate = QString::fromLatin1(Qualities[std::size_t(index)].rate);
}

void YYBJ::resetRecorderClock()
{
    Lyjsj->setEnabled(false);
    RecMinutes = 0;
    RecSeconds = 0;
    LYSJ->setText(ResetClockText);
}

void YYBJ::LUYINJI_Click(int index)
{
    switch (index) {
    case PlayFile: {
        const QString chosen = FileDialogService::instance().openFile(
            QStringLiteral("播放录音"), recordingFolder(), QStringLiteral("演奏录音(wav) (*.wav);;音乐(mp3) (*.mp3)"));
        // A cancelled dialog sends nothing: a recording not yet saved stays.
        if (chosen.isEmpty()) {
            LUYINJI[PlayFile]->setValue(false);
            return;
        }
        RecFileName = chosen;
        QString type;
        if (chosen.endsWith(QLatin1String("wav")))
            type = QStringLiteral("WaveAudio");
        else if (chosen.endsWith(QLatin1String("mp3")))
            type = QStringLiteral("MPEGVideo");
        mci(QStringLiteral("CLOSE NN"));
        mci(QStringLiteral("OPEN %1 TYPE %2 ALIAS NN").arg(chosen, type));
        mci(QStringLiteral("seek NN to start"));
        mci(QStringLiteral("PLAY NN FROM 0"));
        RecMinutes = 0;
        RecSeconds = 0;
        Lyjsj->setEnabled(true);
        break;
    }
    case Stop:
        mci(QStringLiteral("STOP NN"));
        resetRecorderClock();
        break;
    case Record:
        for (const QString &command :
             {QStringLiteral("CLOSE NN"), QStringLiteral("OPEN NEW TYPE WaveAudio ALIAS NN"),
              QStringLiteral("Set NN assemble record off"), QStringLiteral("Set NN file format tag pcm"),
              QStringLiteral("Set NN algorithm pcm"), QStringLiteral("Set NN bitspersample ") + RecBits,
              QStringLiteral("Set NN samplespersec ") + RecRate, QStringLiteral("Set NN channels 2"),
              QStringLiteral("RECORD NN")})
            mci(command);
        Lyjsj->setEnabled(true);
        break;
    case Save: {
        const QString chosen = FileDialogService::instance().saveFile(QStringLiteral("保存录音"), recordingFolder(),
                                                                      QStringLiteral("演奏录音(wav) (*.wav)"));
        if (chosen.isEmpty()) {
            LUYINJI[Save]->setValue(false);
            return;
        }
        // A name typed without an extension is saved as a WAV file.
        RecFileName = QFileInfo(chosen).suffix().isEmpty() ? chosen + QStringLiteral(".wav") : chosen;
        mci(QStringLiteral("stop NN"));
        mci(QStringLiteral("save NN ") + RecFileName);
        mci(QStringLiteral("close NN"));
        resetRecorderClock();
        for (int i : {PlayFile, Record, Save})
            LUYINJI[std::size_t(i)]->setValue(false);
        break;
    }
    default:
        break;
    }
}

void YYBJ::Lyjsj_Timer()
{
    LYSJ->setText(QStringLiteral("当前: %1:%2").arg(RecMinutes).arg(RecSeconds));
    const MediaResult status = MediaControl::instance().send(QStringLiteral("status NN mode"));
    if (status.reply.left(7) == QLatin1String("stopped")) {
        mci(QStringLiteral("STOP NN"));
        mci(QStringLiteral("Close NN"));
        resetRecorderClock();
        LUYINJI[PlayFile]->setValue(false);
    }
    if (RecSeconds == 59) {
        RecMinutes += 1;
        RecSeconds = 0;
    } else {
        RecSeconds += 1;
    }
}

void YYBJ::wireRecorder()
{
    for (int i = 0; i < int(LUYINJI.size()); ++i)
        connect(LUYINJI[std::size_t(i)], &QAbstractButton::clicked, this, [this, i] { LUYINJI_Click(i); });
    yinzi->setClickHandler(this, [this] { yinzi_Click(); });
    yinzi->setChangeHandler(this, [this] { yinzi_Click(); });
    connect(Lyjsj, &StepTimer::timeout, this, &YYBJ::Lyjsj_Timer);
}

} // namespace dzq
