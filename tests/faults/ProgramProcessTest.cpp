// The program itself, started as a user starts it, on a machine at its
// worst: a data folder that cannot even be made, no audio output. The
// start-up window hands over to the main window, which opens the built-in
// synthesizer and sends its start-up programs; the problems are named on the
// way, and the program keeps running. And its sound server going away and
// coming back while it runs: its status follows, and it runs on.
#include "../devices/PrivateSoundServer.h"
#include "../devices/SynthRender.h"

#include "midi/HangingNotes.h"

#include "ProgramProcess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace dzq;

TEST(ProgramProcess, StartsWithoutDataFolderOrAudioOutputAndKeepsRunning)
{
    DZQ_REQUIRE_SOUNDFONT();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    test::ProgramProcess program(env);
    QTemporaryDir &tmp = program.tmp;
    ASSERT_TRUE(tmp.isValid());
    // A plain file where the data folder's parent should be.
    QFile blocker(tmp.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString dataDir = tmp.filePath(QStringLiteral("blocker/数据"));
    const QString log = tmp.filePath(QStringLiteral("midi.log"));
    ASSERT_TRUE(program.start({QStringLiteral("--data-dir"), dataDir, QStringLiteral("--audio-driver"),
                               QStringLiteral("none"), QStringLiteral("--soundfont"), test::testSoundfont(),
                               QStringLiteral("--midi-log"), log}));
    // The start-up window shows for three seconds; the main window then
    // reports its synthesizer.
    EXPECT_TRUE(program.mainWindowUp()) << program.errors.toStdString();
    EXPECT_TRUE(program.errors.contains(QStringLiteral("未使用音频输出"))) << program.errors.toStdString();
    EXPECT_TRUE(program.errors.contains(QStringLiteral("无法写入"))) << program.errors.toStdString();
    QTest::qWait(300);
    EXPECT_TRUE(program.running());

    // The start-up's program changes went to the synthesizer: the three
    // melody voices' 49, 9, 54 among them.
    const MidiLogMessages sent = readMidiLogMessages(log);
    ASSERT_TRUE(sent.ok) << sent.error.toStdString();
    for (const uint32_t change : {0x31C0u, 0x09C1u, 0x36C2u})
        EXPECT_NE(std::find(sent.msgs.begin(), sent.msgs.end(), change), sent.msgs.end()) << std::hex << change;
}

TEST(ProgramProcess, ItsStatusFollowsTheSoundServerGoingAndComingBack)
{
    DZQ_REQUIRE_SOUNDFONT();
    test::PrivateServer server;
    if (!server.start())
        GTEST_SKIP() << "no PulseAudio server can be started here (install pulseaudio and pulseaudio-utils)";
    QProcessEnvironment env = server.environment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    test::ProgramProcess program(env);
    ASSERT_TRUE(program.start({QStringLiteral("--data-dir"), program.tmp.filePath(QStringLiteral("数据")),
                               QStringLiteral("--soundfont"), test::testSoundfont()}));
    const QString playing = QStringLiteral("内置合成器：声音由 PulseAudio 输出");
    EXPECT_TRUE(program.says(playing, 1, 20000)) << program.errors.toStdString();
    server.stop();
    EXPECT_TRUE(program.says(QStringLiteral("声音服务器已断开"), 1, 5000)) << program.errors.toStdString();
    ASSERT_TRUE(server.start());
    EXPECT_TRUE(program.says(playing, 2, 3000)) << program.errors.toStdString();
    EXPECT_TRUE(program.running());
}
