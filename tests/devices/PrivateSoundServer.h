#pragma once
// A PulseAudio server with a null sink ("vsink") for one test, in a runtime
// folder of its own, that the test stops and starts again; and a recording of
// its sink's monitor.
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

namespace dzq::test {

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

    QProcessEnvironment environment() const { return env_; }

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
        double sum = 0;
        for (float x : samples)
            sum += double(x) * x;
        return samples.empty() ? 0.0 : std::sqrt(sum / double(samples.size()));
    }

private:
    QTemporaryDir dir_;
    QProcessEnvironment env_;
    QProcess server_;
};

} // namespace dzq::test
