// The recorder on real sound: Qt Multimedia plays WAV and MP3 files to their
// end, and with an audio server whose input hears its output (a PulseAudio
// null sink and its monitor, scripts/headless-audio.sh) the main window
// records the built-in synthesizer, saves a WAV that holds it, and its status
// clock notices when the recording played back has ended. (The command
// layer's own tests cover the other recording formats.)
#include "../devices/SynthRender.h"
#include "../keyboard_window/Form1Fixture.h"

#include "platform/MediaControl.h"

#include <QAudioDevice>
#include <QElapsedTimer>
#include <QFile>
#include <QMediaDevices>
#include <QTest>
#include <QTimer>
#include <QtEndian>

#include <cmath>

using namespace dzq;
using namespace dzq::test;

namespace {

// MPEG-1 layer III frames of silence, 128 kbit/s, 44100/s, stereo: each a
// frame header and 413 zero bytes (empty side information, no main data).
void writeSilentMp3(const QString &path, double seconds)
{
    QByteArray frame(417, '\0');
    frame[0] = char(0xFF);
    frame[1] = char(0xFB);
    frame[2] = char(0x90);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    for (int i = 0; i < int(seconds * 44100 / 1152); ++i)
        f.write(frame);
}

// Polls "status NN mode" until it is no longer mode; the milliseconds that took.
qint64 waitWhile(MediaControl &media, const QString &mode, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    (void)QTest::qWaitFor([&] { return media.send(QStringLiteral("status NN mode")).reply != mode; }, timeoutMs);
    return clock.elapsed();
}

struct WavRead {
    int bits = 0, rate = 0, channels = 0;
    std::vector<double> samples; // 16-bit samples, -1..1
};

WavRead readWav(const QString &path)
{
    QFile f(path);
    WavRead w;
    if (!f.open(QIODevice::ReadOnly))
        return w;
    const QByteArray b = f.readAll();
    if (b.size() < 44 || !b.startsWith("RIFF") || b.mid(36, 4) != "data")
        return w;
    w.channels = qFromLittleEndian<quint16>(b.constData() + 22);
    w.rate = int(qFromLittleEndian<quint32>(b.constData() + 24));
    w.bits = qFromLittleEndian<quint16>(b.constData() + 34);
    const qsizetype size = std::min<qsizetype>(qFromLittleEndian<quint32>(b.constData() + 40), b.size() - 44);
    for (qsizetype i = 44; w.bits == 16 && i + 2 <= 44 + size; i += 2)
        w.samples.push_back(qFromLittleEndian<qint16>(b.constData() + i) / 32768.0);
    return w;
}

double rms(const std::vector<double> &s)
{
    double sum = 0;
    for (double x : s)
        sum += x * x;
    return s.empty() ? 0 : std::sqrt(sum / double(s.size()));
}

class RealMedia : public Form1Test {
protected:
    RealMedia()
    {
        auto owned = makeQtMediaBackend();
        backend = owned.get();
        media = std::make_unique<MediaInterpreter>(std::move(owned));
        MediaControl::install(media.get());
    }
    ~RealMedia() override
    {
        MediaControl::install(&env.media);
        // The waits above let the window take the keyboard focus; it gives
        // it up here, while it is still whole, rather than while it is destroyed.
        w.hide();
    }
    MediaBackend *backend;
    std::unique_ptr<MediaInterpreter> media;
};

} // namespace

TEST_F(RealMedia, WavAndUpperCaseMp3PlayToTheirEnd)
{
    PcmSound tone;
    for (int i = 0; i < 44100; ++i)
        tone.samples.insert(tone.samples.end(), 2, int16_t(8000 * std::sin(i * 2 * M_PI * 440 / 44100)));
    const QString wav = data.filePath(QStringLiteral("一 秒.wav"));
    ASSERT_TRUE(writeWavFile(wav, tone, {}));
    const QString mp3 = data.filePath(QStringLiteral("静音 一秒.MP3"));
    writeSilentMp3(mp3, 1.0);

    for (const QString &open : {QStringLiteral("OPEN ") + wav + QStringLiteral(" TYPE WaveAudio ALIAS NN"),
                                QStringLiteral("OPEN ") + mp3 + QStringLiteral(" TYPE  ALIAS NN")}) {
        SCOPED_TRACE(open.toStdString());
        ASSERT_TRUE(media->send(open).ok());
        EXPECT_TRUE(media->send(QStringLiteral("seek NN to start")).ok());
        EXPECT_TRUE(media->send(QStringLiteral("PLAY NN FROM 0")).ok());
        EXPECT_EQ(media->send(QStringLiteral("status NN mode")).reply, QStringLiteral("playing"));
        const qint64 ms = waitWhile(*media, QStringLiteral("playing"), 10000);
        EXPECT_EQ(media->send(QStringLiteral("status NN mode")).reply, QStringLiteral("stopped"));
        EXPECT_GT(ms, 500) << "ended before it could have played";
        EXPECT_TRUE(media->send(QStringLiteral("CLOSE NN")).ok());
    }
}

TEST_F(RealMedia, RecordsTheSynthesizerAndNoticesTheEndOfItsPlayback)
{
    DZQ_REQUIRE_SOUNDFONT();
    if (QMediaDevices::defaultAudioInput().isNull())
        GTEST_SKIP() << "no audio input: run with an audio server whose input hears its output "
                        "(scripts/headless-audio.sh sets up a PulseAudio null sink and its monitor)";
    SynthOptions options;
    options.soundfont = testSoundfont();
    options.audioDriver = QStringLiteral("pulseaudio");
    SynthDevice synth(options);
    ASSERT_EQ(synth.open(), MidiOk);
    ASSERT_EQ(synth.audioDriver(), QStringLiteral("pulseaudio")) << synth.statusText().toStdString();

    // The main window's recording: 16 bits, 44100/s, stereo. The input of an
    // idle server may deliver nothing at first.
    w.Image1_Click(2);
    ASSERT_TRUE(w.IsRecording) << w.FJWZ->text().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([this] { return backend->captured().frames() > 0; }, 5000));
    for (uint32_t note : {0x643C90u, 0x644090u, 0x644390u})
        synth.send(note);
    QTest::qWait(1200);
    for (uint32_t note : {0x003C90u, 0x004090u, 0x004390u})
        synth.send(note);
    QTest::qWait(300);
    w.Image1_Click(1);
    env.dialogs.answers = {data.filePath(QStringLiteral("合成器 录音"))};
    w.BcLY_Click();
    ASSERT_EQ(w.FJWZ->text(), QStringLiteral("成功保存录音。。。"));
    const QString file = data.filePath(QStringLiteral("合成器 录音.wav"));
    const WavRead recorded = readWav(file);
    EXPECT_EQ(recorded.bits, 16);
    EXPECT_EQ(recorded.rate, 44100);
    EXPECT_EQ(recorded.channels, 2);
    EXPECT_GT(recorded.samples.size(), std::size_t(44100 * 2)); // over a second
    EXPECT_GT(rms(recorded.samples), 2e-3) << "the recording is silent";

    // Played back from the window, the status clock sees it end.
    env.dialogs.answers = {file};
    w.Image1_Click(0);
    ASSERT_TRUE(w.IsPlayingFile) << w.FJWZ->text().toStdString();
    int ticks = 0;
    while (w.RecorderBusy && ticks < 40) {
        QTest::qWait(250);
        w.Timer2_Timer();
        ++ticks;
    }
    EXPECT_FALSE(w.RecorderBusy);
    EXPECT_GE(ticks, 4) << "the recording is over a second long";
    EXPECT_EQ(w.FJWZ->text(), QStringLiteral("录音机已停止。。。"));
    EXPECT_EQ(media->send(QStringLiteral("status NN mode")).reply, QStringLiteral("stopped"));
}

// Stopping the capture lets pending events run (the audio input does so when
// it is taken down); a handler among them that stops the capture again, as
// the status clock does when it sees the recording has ended, must find
// nothing left to stop rather than take the input down twice.
TEST_F(RealMedia, StoppingTheCaptureFromAHandlerWhileItStopsIsHarmless)
{
    if (QMediaDevices::defaultAudioInput().isNull())
        GTEST_SKIP() << "no audio input (scripts/headless-audio.sh provides one)";
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(backend->startCapture(44100, 2));
        QTimer::singleShot(0, [this] { backend->stopCapture(); });
        backend->stopCapture();
        EXPECT_FALSE(backend->isCapturing());
        QTest::qWait(20);
    }
}
