// The built-in synthesizer outlives its sound server: a private PulseAudio
// server with a null sink is stopped and started again under a running
// synthesizer. A key sounds on the sink's monitor before; while the server is
// away the status says so and a key does not wait; once it is back the sound
// resumes within 2 s, without a new synthesizer.
#include "PrivateSoundServer.h"
#include "SynthRender.h"

#include "midi/devices/SynthDevice.h"

#include <QElapsedTimer>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>

using namespace dzq;
using namespace dzq::test;

namespace {

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
