#pragma once
// What the environment-fault tests share: a data folder that looks like a
// user's, faults of the file system made on purpose, and the whole program
// started as main() starts it, start-up window first.
#include "Fakes.h"

#include "keyboard/Form1.h"
#include "platform/MediaControl.h"
#include "platform/SingleInstance.h"
#include "startup/DZQQD.h"

#include <QByteArray>
#include <QMap>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <ostream>
#include <string>

#include <sys/resource.h>

// Failure messages show texts as text.
inline void PrintTo(const QString &text, std::ostream *os) { *os << '"' << text.toStdString() << '"'; }

namespace dzq::test {

QByteArray bytesOf(const QString &path);
void putBytes(const QString &path, const QByteArray &bytes);

// Every file below dir (relative path -> content), and the files added,
// removed or changed from one snapshot to another.
using FolderSnapshot = QMap<QString, QByteArray>;
FolderSnapshot snapshot(const QString &dir);
std::string changedFiles(const FolderSnapshot &before, const FolderSnapshot &after);

// A data folder (dir ends in "/") as a user's looks after some use: the
// shipped effects and rhythm files, the default settings, the pattern library,
// a score and a recording.
void fillDataFolder(const QString &dir);
QString scorePath(const QString &dir);     // 演奏记录/旧歌(乐谱).txt
QString recordingPath(const QString &dir); // 演奏记录/旧录音.wav

// A user plays a while: key "6" (LC) with a tick of the performance clock,
// Space, the score "KC2KD2KE2TZ" to its end, then 64 steps of the rhythm.
void playAWhile(Form1 &w);

// Folders this thread cannot write into until destroyed: their write bits
// go, and a root process also drops, for this thread, the capability that
// overrides them. ok() is false when they could still be written.
class UnwritableFolders {
public:
    explicit UnwritableFolders(QStringList folders);
    ~UnwritableFolders();
    bool ok() const { return ok_; }

private:
    QStringList folders_;
    bool droppedCapability_ = false;
    bool ok_ = true;
};

// A full disk as a writer sees it: no file may grow past bytes, and a write
// beyond fails with EFBIG instead of the signal that would end the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

// The recorder's sound side without a sound card: each start of a capture
// delivers a fiftieth of a second (or fails without an input); playing plays
// nothing.
class CaptureBackend final : public MediaBackend {
public:
    bool haveInput = true;
    bool capturing = false;
    PcmSound sound;
    bool startCapture(int sampleRate, int channels) override;
    void stopCapture() override { capturing = false; }
    bool isCapturing() const override { return capturing; }
    const PcmSound &captured() const override { return sound; }
    void clearCaptured() override { sound.samples.clear(); }
    void openFile(const QString &) override {}
    void play(qint64) override {}
    void seek(qint64) override {}
    void stopPlayback() override {}
    bool isPlaying() const override { return false; }
    void closeFile() override {}
};

// The program as main() starts it, on the fakes of an Environment (or on a
// MIDI system the test installs after construction).
class Program {
public:
    explicit Program(const QString &dataDir);
    ~Program();
    // The start-up window loads (lock, data folder, default settings); true
    // when it goes on.
    bool load();
    // Its clock runs out: the main window is loaded and shown.
    Form1 *showMainWindow();

    Environment env;
    QTemporaryDir lockDir;
    SingleInstance instance;
    QString dataDir;
    QPointer<DZQQD> start;
    QPointer<Form1> w;
    QStringList problems;   // what the start-up window reported
    int settingsErrors = 0; // program ends asked for by the main window
};

} // namespace dzq::test
