#pragma once
// What the environment-fault tests share: a data folder that looks like a
// user's, faults of the file system made on purpose (folders that cannot be
// written, a file size limit that stops a write half-way), and the whole
// program started as main() starts it, start-up window first.
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

#include <csignal>
#include <memory>
#include <ostream>
#include <string>

#include <sys/resource.h>

// Failure messages show texts as text.
inline void PrintTo(const QString &text, std::ostream *os) { *os << '"' << text.toStdString() << '"'; }

namespace dzq::test {

QByteArray bytesOf(const QString &path);
void putBytes(const QString &path, const QByteArray &bytes);

// Every file below dir (relative path -> content).
using FolderSnapshot = QMap<QString, QByteArray>;
FolderSnapshot snapshot(const QString &dir);
// Files added, removed or changed from before to after, one name each.
std::string changedFiles(const FolderSnapshot &before, const FolderSnapshot &after);

// A data folder as a user's looks after some use: the data folders with the
// shipped effects and rhythm files, the default settings, the pattern
// library, a score, a recording. dir ends in "/".
void fillDataFolder(const QString &dir);
// Files fillDataFolder writes (below dir).
QString scorePath(const QString &dir);     // 演奏记录/旧歌(乐谱).txt
QString recordingPath(const QString &dir); // 演奏记录/旧录音.wav

// Makes folders impossible to write into for this thread until destroyed:
// their modes lose the write bits, and a process running as root also gives
// up, for this thread, the capability that overrides them. ok() is false when
// the folders could still be written (the test then cannot run).
class UnwritableFolders {
public:
    explicit UnwritableFolders(QStringList folders);
    ~UnwritableFolders();
    UnwritableFolders(const UnwritableFolders &) = delete;
    UnwritableFolders &operator=(const UnwritableFolders &) = delete;
    bool ok() const { return ok_; }

private:
    QStringList folders_;
    bool droppedCapability_ = false;
    bool ok_ = false;
};

// A full disk as a writer sees it: no file of this process may grow past
// bytes (RLIMIT_FSIZE); a write beyond fails with EFBIG instead of the
// signal that would end the process.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

// The sound side of the media-control commands without a sound card: an
// input that delivers a fiftieth of a second of sound at each start of a
// capture, or none at all, and a player that plays nothing.
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
// MIDI system the test installs after construction): the start-up window
// loads (lock, data folder, default settings), its clock shows the main
// window, which is loaded and shown as main() does it.
class Program {
public:
    explicit Program(const QString &dataDir);
    ~Program();
    // True when the start-up went on (no second copy).
    bool load();
    // The start-up window's clock runs out: the main window appears.
    Form1 *showMainWindow();
    QStringList problems() const { return problems_; }

    Environment env;
    QTemporaryDir lockDir;
    SingleInstance instance;
    QString dataDir;
    QPointer<DZQQD> start;
    QPointer<Form1> w;
    int settingsErrors = 0; // program ends asked for by the main window

private:
    QStringList problems_;
};

} // namespace dzq::test
