#include "platform/MediaControl.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#include <limits>

namespace dzq {

namespace {

const QRegularExpression Blanks(QStringLiteral("\\s+"));

// "open NAME [type T] alias A": the name runs up to the last " type " before
// the last " alias ", so blanks (and those words) inside a name do no harm.
const QRegularExpression OpenAlias(QStringLiteral("^(.*\\S)\\s+alias\\s+(\\S+)$"),
                                   QRegularExpression::CaseInsensitiveOption |
                                       QRegularExpression::DotMatchesEverythingOption);
const QRegularExpression OpenType(QStringLiteral("^(.*\\S)\\s+type(?:\\s+(\\S+))?$"),
                                  QRegularExpression::CaseInsensitiveOption |
                                      QRegularExpression::DotMatchesEverythingOption);

bool is(const QString &word, const char *keyword) { return word.compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0; }

QString unquoted(const QString &name)
{
    if (name.size() >= 2 && name.startsWith(u'"') && name.endsWith(u'"'))
        return name.mid(1, name.size() - 2);
    return name;
}

// A whole number in from..to written as digits only.
bool readNumber(const QString &word, qint64 from, qint64 to, qint64 &value)
{
    static const QRegularExpression digits(QStringLiteral("^\\d{1,12}$"));
    if (!digits.match(word).hasMatch())
        return false;
    value = word.toLongLong();
    return value >= from && value <= to;
}

enum class FileKind { Unknown, Wave, Mpeg };

// What the file holds, from its first bytes: a RIFF WAVE header, or MPEG audio
// (an ID3 tag or a frame header).
FileKind sniff(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return FileKind::Unknown;
    const QByteArray head = file.read(12);
    if (head.size() >= 12 && head.startsWith("RIFF") && head.mid(8, 4) == "WAVE")
        return FileKind::Wave;
    if (head.startsWith("ID3"))
        return FileKind::Mpeg;
    if (head.size() >= 2 && uchar(head[0]) == 0xFF && (uchar(head[1]) & 0xE0) == 0xE0 && (uchar(head[1]) & 0x06) != 0)
        return FileKind::Mpeg;
    return FileKind::Unknown;
}

MediaResult failed(MediaError error) { return {error, {}}; }

MediaControl *installed = nullptr;

} // namespace

QString mediaErrorText(MediaError error)
{
    switch (error) {
    case MediaError::None: return {};
    case MediaError::UnknownCommand: return QStringLiteral("未知的命令");
    case MediaError::Malformed: return QStringLiteral("命令格式不对");
    case MediaError::NotOpen: return QStringLiteral("设备没有打开");
    case MediaError::AliasInUse: return QStringLiteral("设备已被占用");
    case MediaError::FileNotFound: return QStringLiteral("找不到文件");
    case MediaError::UnknownType: return QStringLiteral("不能播放这种文件");
    case MediaError::WrongDevice: return QStringLiteral("设备不支持这个命令");
    case MediaError::NoInput: return QStringLiteral("没有可用的录音设备");
    case MediaError::NothingRecorded: return QStringLiteral("没有录到声音");
    case MediaError::WriteFailed: return QStringLiteral("不能写入文件");
    }
    return {};
}

MediaControl &MediaControl::instance()
{
    static MediaInterpreter program(makeQtMediaBackend());
    return installed ? *installed : program;
}

void MediaControl::install(MediaControl *control) { installed = control; }

MediaInterpreter::MediaInterpreter(std::unique_ptr<MediaBackend> backend) : backend_(std::move(backend)) {}

MediaInterpreter::~MediaInterpreter() { closeDevice(); }

MediaResult MediaInterpreter::send(const QString &command)
{
    const QString text = command.trimmed();
    const qsizetype verbEnd = text.indexOf(Blanks);
    const QString verb = text.left(verbEnd).toLower();
    const QString rest = verbEnd < 0 ? QString() : text.mid(verbEnd).trimmed();
    if (verb == u"open")
        return open(rest);

    static const QStringList verbs{QStringLiteral("close"), QStringLiteral("set"),  QStringLiteral("record"),
                                   QStringLiteral("stop"),  QStringLiteral("save"), QStringLiteral("seek"),
                                   QStringLiteral("play"),  QStringLiteral("status")};
    if (!verbs.contains(verb))
        return failed(MediaError::UnknownCommand);
    // Every other command names the alias next, then its own words.
    const qsizetype aliasEnd = rest.indexOf(Blanks);
    const QString alias = rest.left(aliasEnd);
    const QString args = aliasEnd < 0 ? QString() : rest.mid(aliasEnd).trimmed();
    if (alias.isEmpty())
        return failed(MediaError::Malformed);
    if (verb == u"status")
        return status(alias, args);
    if (kind_ == Kind::None || alias.compare(alias_, Qt::CaseInsensitive) != 0)
        return failed(MediaError::NotOpen);
    const QStringList words = args.split(Blanks, Qt::SkipEmptyParts);
    const bool recording = kind_ == Kind::Recording;

    if (verb == u"close" || verb == u"stop" || verb == u"record") {
        if (!words.isEmpty())
            return failed(MediaError::Malformed);
        if (verb == u"close") {
            closeDevice();
        } else if (verb == u"stop") {
            if (recording)
                backend_->stopCapture();
            else
                backend_->stopPlayback();
        } else {
            if (!recording)
                return failed(MediaError::WrongDevice);
            if (!backend_->isCapturing() && !backend_->startCapture(format_.sampleRate, format_.channels))
                return failed(MediaError::NoInput);
        }
        return {};
    }
    if (verb == u"set")
        return set(args);
    if (verb == u"save") {
        const QString file = unquoted(args);
        if (file.isEmpty())
            return failed(MediaError::Malformed);
        if (!recording)
            return failed(MediaError::WrongDevice);
        if (backend_->captured().frames() == 0)
            return failed(MediaError::NothingRecorded);
        if (!writeWavFile(file, backend_->captured(), format_))
            return failed(MediaError::WriteFailed);
        return {};
    }

    // seek and play: positions in milliseconds.
    qint64 position = -1;
    if (verb == u"seek") {
        if (words.size() != 2 || !is(words[0], "to"))
            return failed(MediaError::Malformed);
        if (is(words[1], "start"))
            position = 0;
        else if (!readNumber(words[1], 0, std::numeric_limits<int>::max(), position))
            return failed(MediaError::Malformed);
    } else if (!words.isEmpty() &&
               (words.size() != 2 || !is(words[0], "from") ||
                !readNumber(words[1], 0, std::numeric_limits<int>::max(), position))) {
        return failed(MediaError::Malformed);
    }
    if (recording)
        return failed(MediaError::WrongDevice);
    if (verb == u"seek")
        backend_->seek(position);
    else
        backend_->play(position);
    return {};
}

MediaResult MediaInterpreter::open(const QString &args)
{
    const QRegularExpressionMatch withAlias = OpenAlias.match(args);
    if (!withAlias.hasMatch())
        return failed(MediaError::Malformed);
    QString name = withAlias.captured(1);
    QString type;
    if (const QRegularExpressionMatch withType = OpenType.match(name); withType.hasMatch()) {
        name = withType.captured(1);
        type = withType.captured(2);
    }
    name = unquoted(name);
    if (kind_ != Kind::None)
        return failed(MediaError::AliasInUse);

    if (is(name, "new")) {
        if (!is(type, "WaveAudio"))
            return failed(MediaError::UnknownType);
        backend_->clearCaptured();
        format_ = WavFormat{};
        kind_ = Kind::Recording;
    } else {
        if (!QFileInfo(name).isFile())
            return failed(MediaError::FileNotFound);
        const FileKind content = sniff(name);
        bool playable = false;
        if (is(type, "WaveAudio")) {
            playable = content == FileKind::Wave;
        } else if (is(type, "MPEGVideo")) {
            playable = true; // the player takes whatever it can decode
        } else if (type.isEmpty()) {
            const QString suffix = QFileInfo(name).suffix();
            playable = content != FileKind::Unknown || is(suffix, "wav") || is(suffix, "mp3");
        }
        if (!playable)
            return failed(MediaError::UnknownType);
        backend_->openFile(name);
        kind_ = Kind::Player;
    }
    alias_ = withAlias.captured(2);
    return {};
}

MediaResult MediaInterpreter::set(const QString &args)
{
    if (kind_ != Kind::Recording)
        return failed(MediaError::WrongDevice);
    const QStringList w = args.split(Blanks, Qt::SkipEmptyParts);
    if (w.isEmpty())
        return failed(MediaError::Malformed);
    // Every item is checked before any is applied.
    WavFormat format = format_;
    qint64 n = 0;
    for (qsizetype i = 0; i < w.size();) {
        const qsizetype left = w.size() - i;
        if (left >= 3 && is(w[i], "assemble") && is(w[i + 1], "record") && (is(w[i + 2], "on") || is(w[i + 2], "off"))) {
            i += 3;
        } else if (left >= 4 && is(w[i], "file") && is(w[i + 1], "format") && is(w[i + 2], "tag") && is(w[i + 3], "pcm")) {
            i += 4;
        } else if (left >= 3 && is(w[i], "format") && is(w[i + 1], "tag") && is(w[i + 2], "pcm")) {
            i += 3;
        } else if (left >= 2 && is(w[i], "algorithm") && is(w[i + 1], "pcm")) {
            i += 2;
        } else if (left >= 2 && is(w[i], "bitspersample") && readNumber(w[i + 1], 8, 16, n) && n % 8 == 0) {
            format.bitsPerSample = int(n);
            i += 2;
        } else if (left >= 2 && is(w[i], "samplespersec") && readNumber(w[i + 1], MinSampleRate, MaxSampleRate, n)) {
            format.sampleRate = int(n);
            i += 2;
        } else if (left >= 2 && is(w[i], "channels") && readNumber(w[i + 1], 1, 2, n)) {
            format.channels = int(n);
            i += 2;
        } else {
            return failed(MediaError::Malformed);
        }
    }
    format_ = format;
    return {};
}

MediaResult MediaInterpreter::status(const QString &alias, const QString &args) const
{
    if (!is(args, "mode"))
        return failed(MediaError::Malformed);
    QString mode = QStringLiteral("stopped");
    if (kind_ != Kind::None && alias.compare(alias_, Qt::CaseInsensitive) == 0) {
        if (kind_ == Kind::Recording && backend_->isCapturing())
            mode = QStringLiteral("recording");
        else if (kind_ == Kind::Player && backend_->isPlaying())
            mode = QStringLiteral("playing");
    }
    return {MediaError::None, mode};
}

void MediaInterpreter::closeDevice()
{
    if (kind_ == Kind::Recording) {
        backend_->stopCapture();
        backend_->clearCaptured();
    } else if (kind_ == Kind::Player) {
        backend_->closeFile();
    }
    kind_ = Kind::None;
    alias_.clear();
}

} // namespace dzq
