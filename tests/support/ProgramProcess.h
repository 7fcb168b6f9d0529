#pragma once
// The program started as its own process, the way a user starts it: with a
// runtime folder of its own (so its single-instance lock is its own), the
// environment given, and what it says on standard error collected. Ended
// when the object goes. Header only: DZQ_BINARY_DIR is the test program's.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace dzq::test {

class ProgramProcess {
public:
    // env: the process environment (XDG_RUNTIME_DIR is set here).
    explicit ProgramProcess(QProcessEnvironment env)
    {
        const QString run = tmp.filePath(QStringLiteral("run"));
        QDir().mkpath(run);
        QFile::setPermissions(run, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), run);
        process.setProcessEnvironment(env);
    }
    ~ProgramProcess()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.terminate();
        if (!process.waitForFinished(5000)) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
    ProgramProcess(const ProgramProcess &) = delete;
    ProgramProcess &operator=(const ProgramProcess &) = delete;

    bool start(const QStringList &args)
    {
        process.start(QStringLiteral(DZQ_BINARY_DIR "/src/app/dianziqin"), args);
        return process.waitForStarted(5000);
    }
    // Waits until standard error has said text at least count times.
    bool says(const QString &text, int count = 1, int ms = 20000)
    {
        return QTest::qWaitFor(
            [&] {
                errors += QString::fromUtf8(process.readAllStandardError());
                return errors.count(text) >= count;
            },
            ms);
    }
    // The main window is up once it has reported its built-in synthesizer
    // (after the start-up window's three seconds).
    bool mainWindowUp() { return says(QStringLiteral("内置合成器：")); }
    bool running() const { return process.state() == QProcess::Running; }

    QTemporaryDir tmp;   // holds the runtime folder; tests may put more in it
    QProcess process;
    QString errors;      // standard error so far
};

} // namespace dzq::test
