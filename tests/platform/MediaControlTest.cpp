// The media-control commands on their own, over a backend that stands in for
// the sound card: the recorder's and the editor's command strings, WAV files
// in each recording quality, file names with blanks, files recognised by their
// content, and commands that must fail without changing anything.
#include "platform/MediaControl.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace dzq;

namespace {

// An input that only offers 44100 frames/s in stereo, and a player that plays
// until told it reached the end.
class FakeBackend final : public MediaBackend {
public:
    bool haveInput = true;
    bool capturing = false;
    PcmSound sound;
    QString file;
    bool playing = false;
    qint64 position = -1;

    bool startCapture(int, int) override { return capturing = haveInput; }
    void stopCapture() override { capturing = false; }
    bool isCapturing() const override { return capturing; }
    const PcmSound &captured() const override { return sound; }
    void clearCaptured() override { sound.samples.clear(); }
    void openFile(const QString &path) override { file = path; }
    void play(qint64 fromMs) override { playing = true; position = fromMs >= 0 ? fromMs : position; }
    void seek(qint64 ms) override { playing = false; position = ms; }
    void stopPlayback() override { playing = false; }
    bool isPlaying() const override { return playing; }
    void closeFile() override { file.clear(); playing = false; }
    // What the input delivers while capturing: frame i is (i * 100, -i * 100).
    void deliver(int frames)
    {
        for (int i = 0; i < frames; ++i) {
            sound.samples.push_back(int16_t(i * 100));
            sound.samples.push_back(int16_t(-i * 100));
        }
    }
};

struct Wav {
    QByteArray bytes;
    int u16(int at) const { return qFromLittleEndian<quint16>(bytes.constData() + at); }
    quint32 u32(int at) const { return qFromLittleEndian<quint32>(bytes.constData() + at); }
};

Wav readFile(const QString &path)
{
    QFile f(path);
    return {f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray()};
}

class Media : public ::testing::Test {
protected:
    Media() : backend(new FakeBackend), media(std::unique_ptr<MediaBackend>(backend)) {}
    MediaError send(const QString &command) { return media.send(command).error; }
    QString mode() { return media.send(QStringLiteral("status NN mode")).reply; }
    void startRecording(const QString &bits, const QString &rate)
    {
        for (const QString &c : {QStringLiteral("CLOSE NN"), QStringLiteral("OPEN NEW TYPE WaveAudio ALIAS NN"),
                                 QStringLiteral("Set NN assemble record off"), QStringLiteral("Set NN file format tag pcm"),
                                 QStringLiteral("Set NN algorithm pcm"), QStringLiteral("Set NN bitspersample ") + bits,
                                 QStringLiteral("Set NN samplespersec ") + rate, QStringLiteral("Set NN channels 2"),
                                 QStringLiteral("RECORD NN")})
            EXPECT_EQ(send(c), c == u"CLOSE NN" ? MediaError::NotOpen : MediaError::None) << c.toStdString();
    }
    QString path(const QString &name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    FakeBackend *backend;
    MediaInterpreter media;
};

} // namespace

TEST_F(Media, RecordingIsSavedAsPcmWavInTheQualitySet)
{
    struct Quality {
        const char *bits, *rate;
        int channels, frames;
    };
    // 101 frames of 44100/s: the same at 44100, 51 (rounded) at 22050.
    for (const Quality &q : {Quality{"16", "44100", 2, 101}, Quality{"8", "44100", 2, 101}, Quality{"8", "22050", 2, 51},
                             Quality{"8", "22050", 1, 51}}) {
        SCOPED_TRACE(testing::Message() << q.bits << "/" << q.rate << "/" << q.channels);
        startRecording(QString::fromLatin1(q.bits), QString::fromLatin1(q.rate));
        if (q.channels == 1) {
            EXPECT_EQ(send(QStringLiteral("set nn CHANNELS 1")), MediaError::None);
        }
        EXPECT_EQ(mode(), QStringLiteral("recording"));
        backend->deliver(101);
        EXPECT_EQ(send(QStringLiteral("STOP NN")), MediaError::None);
        EXPECT_EQ(mode(), QStringLiteral("stopped"));

        const QString file = path(QStringLiteral("演奏 录音 %1.wav").arg(q.rate));
        ASSERT_EQ(send(QStringLiteral("save NN ") + file), MediaError::None);
        EXPECT_EQ(send(QStringLiteral("close NN")), MediaError::None);

        const int bits = QByteArray(q.bits).toInt(), rate = QByteArray(q.rate).toInt();
        const int block = q.channels * bits / 8;
        const Wav w = readFile(file);
        ASSERT_GE(w.bytes.size(), 44);
        EXPECT_EQ(w.bytes.left(4), "RIFF");
        EXPECT_EQ(w.bytes.mid(8, 8), "WAVEfmt ");
        EXPECT_EQ(w.u32(16), 16u);
        EXPECT_EQ(w.u16(20), 1);
        EXPECT_EQ(w.u16(22), q.channels);
        EXPECT_EQ(w.u32(24), quint32(rate));
        EXPECT_EQ(w.u32(28), quint32(rate * block));
        EXPECT_EQ(w.u16(32), block);
        EXPECT_EQ(w.u16(34), bits);
        EXPECT_EQ(w.bytes.mid(36, 4), "data");
        const int data = q.frames * block;
        EXPECT_EQ(w.u32(40), quint32(data));
        EXPECT_EQ(w.bytes.size(), 44 + data + data % 2); // RIFF chunks are padded to even lengths
        EXPECT_EQ(w.u32(4), quint32(w.bytes.size() - 8));

        // Last frame of the input: (10000, -10000); at half the rate frame 50
        // is input frame 100; mono is the mean of both sides.
        const int at = 44 + (q.frames - 1) * block;
        if (bits == 16) {
            EXPECT_EQ(qint16(w.u16(at)), 10000);
            EXPECT_EQ(qint16(w.u16(at + 2)), -10000);
        } else if (q.channels == 2) {
            EXPECT_EQ(uchar(w.bytes[44]), 128); // silence is 128 in 8 bits
            EXPECT_EQ(uchar(w.bytes[at]), 128 + 39);
            EXPECT_EQ(uchar(w.bytes[at + 1]), 128 - 39);
        } else {
            EXPECT_EQ(uchar(w.bytes[at]), 128);
        }
    }
}

TEST_F(Media, FilesOpenByNameWithBlanksAndByTheirContent)
{
    PcmSound tone;
    tone.samples.assign(200, 1000);
    const QString wav = path(QStringLiteral("my song 1.wav"));
    const QString mp3 = path(QStringLiteral("歌 曲.MP3"));
    const QString text = path(QStringLiteral("notes type x.wav"));
    ASSERT_TRUE(writeWavFile(wav, tone, {}));
    for (const auto &[name, bytes] : {std::pair{mp3, QByteArray("ID3\x03\0\0\0\0\0\0", 10)},
                                      std::pair{text, QByteArray("not a sound")}}) {
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    // The main window's play commands, keywords in any case.
    EXPECT_EQ(send(QStringLiteral("OPEN ") + wav + QStringLiteral(" TYPE WaveAudio ALIAS NN")), MediaError::None);
    EXPECT_EQ(backend->file, wav);
    EXPECT_EQ(send(QStringLiteral("seek NN to start")), MediaError::None);
    EXPECT_EQ(backend->position, 0);
    EXPECT_EQ(send(QStringLiteral("PLAY NN FROM 0")), MediaError::None);
    EXPECT_EQ(mode(), QStringLiteral("playing"));
    backend->playing = false; // the end of the file
    EXPECT_EQ(mode(), QStringLiteral("stopped"));
    EXPECT_EQ(send(QStringLiteral("Close NN")), MediaError::None);
    EXPECT_TRUE(backend->file.isEmpty());

    // By its type, or by its content when the type is empty; what cannot be
    // played is not opened.
    const struct {
        QString file;
        const char *type;
        MediaError error;
    } opens[] = {
        {mp3, "", MediaError::None},
        {QLatin1Char('"') + mp3 + QLatin1Char('"'), "MPEGVideo", MediaError::None},
        {text, "WaveAudio", MediaError::UnknownType},
        {text, "", MediaError::None}, // named .wav: left to the player
        {wav, "Sequencer", MediaError::UnknownType},
        {path(QStringLiteral("gone.mp3")), "MPEGVideo", MediaError::FileNotFound},
    };
    for (const auto &o : opens) {
        SCOPED_TRACE(o.file.toStdString() + " " + o.type);
        EXPECT_EQ(send(QStringLiteral("OPEN %1 TYPE %2 ALIAS NN").arg(o.file, QLatin1String(o.type))), o.error);
        EXPECT_EQ(backend->file.isEmpty(), o.error != MediaError::None);
        if (o.error == MediaError::None) {
            EXPECT_EQ(send(QStringLiteral("close NN")), MediaError::None);
        }
    }
    EXPECT_EQ(mode(), QStringLiteral("stopped"));
}

TEST_F(Media, BadCommandsAnswerAnErrorAndChangeNothing)
{
    EXPECT_EQ(send(QStringLiteral("save NN x.wav")), MediaError::NotOpen);
    EXPECT_EQ(send(QStringLiteral("OPEN NEW TYPE WaveAudio ALIAS NN")), MediaError::None);
    EXPECT_EQ(send(QStringLiteral("save NN ") + path(QStringLiteral("empty.wav"))), MediaError::NothingRecorded);
    backend->haveInput = false;
    EXPECT_EQ(send(QStringLiteral("RECORD NN")), MediaError::NoInput);
    EXPECT_EQ(mode(), QStringLiteral("stopped"));
    EXPECT_EQ(send(QStringLiteral("CLOSE NN")), MediaError::None);
    backend->haveInput = true;

    startRecording(QStringLiteral("8"), QStringLiteral("22050"));
    backend->deliver(101);
    const struct {
        const char *command;
        MediaError error;
    } bad[] = {
        {"", MediaError::UnknownCommand},
        {"PAUSE NN", MediaError::UnknownCommand},
        {"RECORD", MediaError::Malformed},
        {"RECORD XX", MediaError::NotOpen},
        {"STOP NN now", MediaError::Malformed},
        {"close NN please", MediaError::Malformed},
        {"set NN", MediaError::Malformed},
        {"set NN bitspersample 12", MediaError::Malformed},
        {"set NN channels 1 samplespersec 0", MediaError::Malformed},
        {"set NN samplespersec 44100x", MediaError::Malformed},
        {"set NN file format tag mp3", MediaError::Malformed},
        {"save NN", MediaError::Malformed},
        {"status NN", MediaError::Malformed},
        {"status NN length", MediaError::Malformed},
        {"seek NN to middle", MediaError::Malformed},
        {"PLAY NN FROM 0", MediaError::WrongDevice},
        {"OPEN NEW TYPE WaveAudio ALIAS NN", MediaError::AliasInUse},
        {"OPEN NEW TYPE WaveAudio", MediaError::Malformed},
        {"OPEN NEW TYPE MPEGVideo ALIAS XX", MediaError::AliasInUse},
    };
    for (const auto &b : bad) {
        const QString c = QString::fromUtf8(b.command);
        SCOPED_TRACE(b.command);
        const MediaResult r = media.send(c);
        EXPECT_EQ(r.error, b.error);
        EXPECT_FALSE(mediaErrorText(r.error).isEmpty());
        EXPECT_TRUE(r.reply.isEmpty());
    }
    EXPECT_EQ(mode(), QStringLiteral("recording"));
    EXPECT_EQ(send(QStringLiteral("STOP NN")), MediaError::None);

    // A failed save keeps the recording, in the format set before the bad commands.
    EXPECT_EQ(send(QStringLiteral("save NN ") + path(QStringLiteral("no folder/x.wav"))), MediaError::WriteFailed);
    const QString file = path(QStringLiteral("x.wav"));
    ASSERT_EQ(send(QStringLiteral("save NN ") + file), MediaError::None);
    const Wav w = readFile(file);
    EXPECT_EQ(w.u16(22), 2);
    EXPECT_EQ(w.u32(24), 22050u);
    EXPECT_EQ(w.u16(34), 8);
    EXPECT_EQ(w.u32(40), 51u * 2);
}
