// The built-in synthesizer outlives its sound server: a private PulseAudio
// server with a null sink is stopped and started again under a running
// synthesizer. A key sounds on the sink's monitor before; while the server is
// away the status says so and a key does not wait; once it is back the sound
// resumes within 2 s, without a new synthesizer.
#include "SynthRender.h"

#include "midi/devices/SynthDevice.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>

using namespace dzq;
using namespace dzq::test;

namespace {

// A PulseAudio server of this test's own, in its own runtime folder.
class PrivateServer {
public:
    PrivateServer()
    {
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir_.path());
        env_.insert(QStringLiteral("PULSE_RUNTIME_PATH"), dir_.filePath(QStringLiteral("pulse")));
        env_.insert(QStringLiteral("PULSE_SERVER"), address());
    }
    ~PrivateServer() { stop(); }
    QString address() const { return QStringLiteral("unix:") + dir_.filePath(QStringLiteral("pulse/native")); }

    // False when no server can be started here.
    bool start()
    {
        server_.setProcessEnvironment(env_);
        server_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        server_.start(QStringLiteral("pulseaudio"),
                      {QStringLiteral("--daemonize=no"), QStringLiteral("-n"), QStringLiteral("--exit-idle-time=-1"),
                       QStringLiteral("--disable-shm=yes"), QStringLiteral("--log-target=stderr"),
                       QStringLiteral("--log-level=0"), QStringLiteral("--load=module-native-protocol-unix"),
                       QStringLiteral("--load=module-null-sink sink_name=vsink")});
        if (!server_.waitForStarted(3000))
            return false;
        for (int i = 0; i < 100; ++i) {
            QProcess info;
            info.setProcessEnvironment(env_);
            info.start(QStringLiteral("pactl"), {QStringLiteral("info")});
            if (info.waitForFinished(2000) && info.exitCode() == 0)
                return true;
            if (server_.state() != QProcess::Running)
                return false;
            QTest::qWait(50);
        }
        return false;
    }
    // As a crash or a session change would: the server is gone at once.
    void stop()
    {
        if (server_.state() == QProcess::NotRunning)
            return;
        server_.kill();
        server_.waitForFinished(3000);
    }

    // Loudness of the sink's monitor while play() runs and for ms after.
    double recordWhile(const std::function<void()> &play, int ms)
    {
        QProcess rec;
        rec.setProcessEnvironment(env_);
        rec.start(QStringLiteral("parecord"),
                  {QStringLiteral("--raw"), QStringLiteral("--format=float32le"), QStringLiteral("--channels=1"),
                   QStringLiteral("--rate=44100"), QStringLiteral("--latency-msec=10"), QStringLiteral("-d"),
                   QStringLiteral("vsink.monitor")});
        if (!rec.waitForStarted(3000))
            return -1;
        QByteArray data;
        QElapsedTimer flowing;
        flowing.start();
        while (data.isEmpty() && flowing.elapsed() < 5000) {
            rec.waitForReadyRead(100);
            data += rec.readAllStandardOutput();
        }
        data.clear();
        play();
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms) {
            rec.waitForReadyRead(50);
            data += rec.readAllStandardOutput();
        }
        rec.terminate();
        rec.waitForFinished(2000);
        data += rec.readAllStandardOutput();
        std::vector<float> samples(size_t(data.size()) / sizeof(float));
        std::memcpy(samples.data(), data.constData(), samples.size() * sizeof(float));
        return rms(samples);
    }

private:
    QTemporaryDir dir_;
    QProcessEnvironment env_;
    QProcess server_;
};

// Points the program's sound server address at another for the object's life.
struct ServerAddress {
    const QByteArray old = qgetenv("PULSE_SERVER");
    const bool had = qEnvironmentVariableIsSet("PULSE_SERVER");
    explicit ServerAddress(const QString &address) { qputenv("PULSE_SERVER", address.toUtf8()); }
    ~ServerAddress() { had ? void(qputenv("PULSE_SERVER", old)) : void(qunsetenv("PULSE_SERVER")); }
};

bool waitUntil(const std::function<bool()> &done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms)
            return false;
        QTest::qWait(20);
    }
    return true;
}

} // namespace

TEST(SoundServer, SoundComesBackWhenTheServerRestarts)
{
    DZQ_REQUIRE_SOUNDFONT();
    PrivateServer server;
    if (!server.start())
        GTEST_SKIP() << "no PulseAudio server can be started here (install pulseaudio and pulseaudio-utils)";
    ServerAddress address(server.address());

    SynthOptions options;
    options.soundfont = testSoundfont();
    options.audioDriver = QStringLiteral("pulseaudio");
    SynthDevice synth(options);
    std::atomic<int> changes{0};
    synth.setStatusListener([&changes] { ++changes; });
    ASSERT_EQ(synth.open(), MidiOk);
    ASSERT_TRUE(waitUntil([&] { return synth.audioDriver() == QLatin1String("pulseaudio"); }, 3000))
        << synth.statusText().toStdString();
    const auto strike = [&synth](uint32_t on) {
        return [&synth, on] {
            EXPECT_EQ(synth.send(on), MidiOk);
            QTest::qWait(400);
            EXPECT_EQ(synth.send(on & 0xFFFF), MidiOk);
        };
    };
    EXPECT_GT(server.recordWhile(strike(0x643C90), 600), 1e-3) << "sound before the restart";

    // The server goes away: the status says so, and keys are taken at once.
    server.stop();
    ASSERT_TRUE(waitUntil([&] { return synth.audioDriver().isEmpty(); }, 3000));
    EXPECT_TRUE(synth.statusText().contains(QStringLiteral("声音服务器已断开"))) << synth.statusText().toStdString();
    EXPECT_GT(changes.load(), 0);
    QElapsedTimer keys;
    keys.start();
    for (int note = 60; note < 72; ++note) {
        EXPECT_EQ(synth.send(0x640090 + uint32_t(note) * 256), MidiOk);
        EXPECT_EQ(synth.send(0x000080 + uint32_t(note) * 256), MidiOk);
    }
    EXPECT_LT(keys.elapsed(), 50);

    // Back within 2 s of the server's return, and it sounds.
    ASSERT_TRUE(server.start());
    QElapsedTimer back;
    back.start();
    EXPECT_TRUE(waitUntil([&] { return synth.audioDriver() == QLatin1String("pulseaudio"); }, 2000))
        << synth.statusText().toStdString();
    EXPECT_LT(back.elapsed(), 2000);
    EXPECT_TRUE(synth.statusText().contains(QStringLiteral("PulseAudio"))) << synth.statusText().toStdString();
    EXPECT_GT(server.recordWhile(strike(0x644391), 600), 1e-3) << "sound after the restart";
    EXPECT_EQ(synth.close(), MidiOk);
}
