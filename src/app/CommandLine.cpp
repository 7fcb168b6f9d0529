#include "app/CommandLine.h"

#include <QCommandLineParser>

namespace dzq {

CommandLine parseCommandLine(const QStringList &arguments)
{
    CommandLine out;
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("电子琴：用电脑键盘和鼠标演奏的电子琴。"));
    const QCommandLineOption dataDir(QStringLiteral("data-dir"),
                                     QStringLiteral("设置文件、乐谱和音效所在的文件夹。"), QStringLiteral("DIR"));
    const QCommandLineOption soundfont(QStringLiteral("soundfont"),
                                       QStringLiteral("内置合成器使用的音色库（SoundFont）文件。"),
                                       QStringLiteral("FILE"));
    const QCommandLineOption audioDriver(QStringLiteral("audio-driver"),
                                         QStringLiteral("音频输出：pulseaudio、alsa、sdl2 或 none。"),
                                         QStringLiteral("NAME"));
    const QCommandLineOption midiLog(QStringLiteral("midi-log"),
                                     QStringLiteral("把发出的每条MIDI消息记录到文件。"), QStringLiteral("FILE"));
    const QCommandLineOption periodSize(QStringLiteral("audio-period-size"),
                                        QStringLiteral("内置合成器每个音频周期的帧数。"), QStringLiteral("FRAMES"));
    const QCommandLineOption periods(QStringLiteral("audio-periods"),
                                     QStringLiteral("内置合成器的音频周期数。"), QStringLiteral("N"));
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("显示本帮助。"));
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("显示版本。"));
    parser.addOptions({dataDir, soundfont, audioDriver, midiLog, periodSize, periods, help, version});
    out.helpText = parser.helpText().replace(QStringLiteral("<executable_name>"), QStringLiteral("dianziqin"));

    if (!parser.parse(arguments)) {
        out.error = parser.errorText();
        return out;
    }
    if (!parser.positionalArguments().isEmpty()) {
        out.error = QStringLiteral("无法识别的参数：%1").arg(parser.positionalArguments().join(QLatin1Char(' ')));
        return out;
    }
    out.dataDir = parser.value(dataDir);
    out.soundfont = parser.value(soundfont);
    out.audioDriver = parser.value(audioDriver);
    out.midiLog = parser.value(midiLog);
    out.help = parser.isSet(help);
    out.version = parser.isSet(version);
    auto positive = [&](const QCommandLineOption &option, int &target) {
        if (!parser.isSet(option))
            return;
        bool ok = false;
        const int v = parser.value(option).toInt(&ok);
        if (!ok || v <= 0)
            out.error = QStringLiteral("%1 需要一个正整数。").arg(option.names().constFirst());
        else
            target = v;
    };
    positive(periodSize, out.periodSize);
    positive(periods, out.periods);
    return out;
}

} // namespace dzq
