// The program itself, started as a user starts it, on a machine at its
// worst: a data folder that cannot even be made, no audio output. The
// start-up window hands over to the main window, which opens the built-in
// synthesizer and sends its start-up programs; the problems are named on the
// way, and the program keeps running. And its sound server going away and
// coming back while it runs: its status follows, and it runs on.
#include "../devices/PrivateSoundServer.h"
#include "../devices/SynthRender.h"

#include "midi/HangingNotes.h"

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
    const QString binary = QStringLiteral(DZQ_BINARY_DIR "/src/app/dianziqin");
    ASSERT_TRUE(QFileInfo(binary).isExecutable()) << binary.toStdString();
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    // A plain file where the data folder's parent should be.
    QFile blocker(tmp.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString dataDir = tmp.filePath(QStringLiteral("blocker/数据"));
    const QString log = tmp.filePath(QStringLiteral("midi.log"));
    QDir(tmp.path()).mkdir(QStringLiteral("run"));
    QFile::setPermissions(tmp.filePath(QStringLiteral("run")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), tmp.filePath(QStringLiteral("run"))); // its own lock
    program.setProcessEnvironment(env);
    program.start(binary, {QStringLiteral("--data-dir"), dataDir, QStringLiteral("--audio-driver"),
                           QStringLiteral("none"), QStringLiteral("--soundfont"), test::testSoundfont(),
                           QStringLiteral("--midi-log"), log});
    ASSERT_TRUE(program.waitForStarted(5000));
    QString errors;
    // The start-up window shows for three seconds; the main window then
    // reports its synthesizer.
    const bool mainWindowUp = QTest::qWaitFor(
        [&] {
            errors += QString::fromUtf8(program.readAllStandardError());
            return errors.contains(QStringLiteral("内置合成器："));
        },
        20000);
    EXPECT_TRUE(mainWindowUp) << errors.toStdString();
    EXPECT_TRUE(errors.contains(QStringLiteral("未使用音频输出"))) << errors.toStdString();
    EXPECT_TRUE(errors.contains(QStringLiteral("无法写入"))) << errors.toStdString();
    QTest::qWait(300);
    EXPECT_EQ(program.state(), QProcess::Running);

    // The start-up's program changes went to the synthesizer: the three
    // melody voices' 49, 9, 54 among them.
    const MidiLogMessages sent = readMidiLogMessages(log);
    ASSERT_TRUE(sent.ok) << sent.error.toStdString();
    for (const uint32_t change : {0x31C0u, 0x09C1u, 0x36C2u})
        EXPECT_NE(std::find(sent.msgs.begin(), sent.msgs.end(), change), sent.msgs.end()) << std::hex << change;

    program.terminate();
    if (!program.waitForFinished(5000)) {
        program.kill();
        program.waitForFinished(5000);
    }
}

TEST(ProgramProcess, ItsStatusFollowsTheSoundServerGoingAndComingBack)
{
    DZQ_REQUIRE_SOUNDFONT();
    test::PrivateServer server;
    if (!server.start())
        GTEST_SKIP() << "no PulseAudio server can be started here (install pulseaudio and pulseaudio-utils)";
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    QDir(tmp.path()).mkdir(QStringLiteral("run"));
    QProcess program;
    QProcessEnvironment env = server.environment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), tmp.filePath(QStringLiteral("run")));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(DZQ_BINARY_DIR "/src/app/dianziqin"),
                  {QStringLiteral("--data-dir"), tmp.filePath(QStringLiteral("数据")), QStringLiteral("--soundfont"),
                   test::testSoundfont()});
    ASSERT_TRUE(program.waitForStarted(5000));
    QString errors;
    const auto says = [&](const QString &text, int count, int ms) {
        return QTest::qWaitFor(
            [&] {
                errors += QString::fromUtf8(program.readAllStandardError());
                return errors.count(text) >= count;
            },
            ms);
    };
    const QString playing = QStringLiteral("内置合成器：声音由 PulseAudio 输出");
    EXPECT_TRUE(says(playing, 1, 20000)) << errors.toStdString();
    server.stop();
    EXPECT_TRUE(says(QStringLiteral("声音服务器已断开"), 1, 5000)) << errors.toStdString();
    ASSERT_TRUE(server.start());
    EXPECT_TRUE(says(playing, 2, 3000)) << errors.toStdString();
    EXPECT_EQ(program.state(), QProcess::Running);

    program.terminate();
    if (!program.waitForFinished(5000)) {
        program.kill();
        program.waitForFinished(5000);
    }
}
