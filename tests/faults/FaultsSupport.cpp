#include "FaultsSupport.h"

#include "keyboard/core/PatternLibrary.h"
#include "keyboard/core/SettingsFile.h"
#include "platform/AppPaths.h"
#include "platform/Resources.h"
#include "platform/TextFile.h"
#include "platform/WavFile.h"
#include "shared/Shared.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryFile>

#include <gtest/gtest.h>

#include <csignal>

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace dzq::test {

namespace {

// Root writes into any folder while it holds CAP_DAC_OVERRIDE; dropped from
// the effective set of this thread (it stays permitted) the mode bits hold
// for it as well.
bool setDacOverride(bool on)
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (::syscall(SYS_capget, &header, data) != 0)
        return false;
    const unsigned bit = 1u << (CAP_DAC_OVERRIDE % 32);
    auto &word = data[CAP_DAC_OVERRIDE / 32];
    word.effective = on ? word.effective | (bit & word.permitted) : word.effective & ~bit;
    return ::syscall(SYS_capset, &header, data) == 0;
}

} // namespace

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void putBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size()) << path.toStdString();
}

FolderSnapshot snapshot(const QString &dir)
{
    FolderSnapshot files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(dir).relativeFilePath(path), bytesOf(path));
    }
    return files;
}

std::string changedFiles(const FolderSnapshot &before, const FolderSnapshot &after)
{
    QStringList changed;
    for (auto it = before.begin(); it != before.end(); ++it)
        if (!after.contains(it.key()))
            changed << QStringLiteral("removed ") + it.key();
        else if (after.value(it.key()) != it.value())
            changed << QStringLiteral("changed ") + it.key();
    for (auto it = after.begin(); it != after.end(); ++it)
        if (!before.contains(it.key()))
            changed << QStringLiteral("added ") + it.key();
    return changed.join(QStringLiteral(", ")).toStdString();
}

QString scorePath(const QString &dir) { return dir + scoreFolderName() + QStringLiteral("/旧歌(乐谱).txt"); }
QString recordingPath(const QString &dir) { return dir + scoreFolderName() + QStringLiteral("/旧录音.wav"); }

void fillDataFolder(const QString &dir)
{
    const AppDirResult prepared = prepareAppDir(dir, {}, {});
    ASSERT_TRUE(prepared.ok()) << prepared.error.toStdString();
    ASSERT_TRUE(writeDefaultSettingsFile(settingsFilePath(dir)));
    ASSERT_TRUE(createPatternLibrary(dir + patternLibraryName(), LoadResString(509)));
    ASSERT_TRUE(writeTextFile(scorePath(dir), {QStringLiteral("KC4KD4KE4KF4KG8TZ")}));
    PcmSound sound;
    sound.samples.assign(2 * 441, int16_t(1000));
    ASSERT_TRUE(writeWavFile(recordingPath(dir), sound, WavFormat{}));
}

void playAWhile(Form1 &w)
{
    w.SFYXYZ_KeyDown(54, 0);
    w.Timer1_Timer();
    w.SFYXYZ_KeyUp(54, 0);
    w.SFYXYZ_KeyDown(32, 0);
    w.SFYXYZ_KeyUp(32, 0);
    w.Text3->setPlainText(QStringLiteral("KC2KD2KE2TZ"));
    w.Yuepu_Click(0);
    for (int i = 0; i < 8; ++i)
        w.Timer3_Timer();
    w.BzQd->setValue(1);
    for (int i = 0; i < 64; ++i)
        w.BZDS_Timer();
    w.BzQd->setValue(0);
}

UnwritableFolders::UnwritableFolders(QStringList folders) : folders_(std::move(folders))
{
    for (const QString &folder : folders_)
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup
                                          | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther);
    if (::geteuid() == 0)
        droppedCapability_ = setDacOverride(false);
    for (const QString &folder : folders_)
        ok_ = ok_ && !QTemporaryFile(QDir(folder).filePath(QStringLiteral("probe-XXXXXX"))).open();
}

UnwritableFolders::~UnwritableFolders()
{
    if (droppedCapability_)
        setDacOverride(true);
    for (const QString &folder : folders_)
        QFile::setPermissions(folder, QFile::permissions(folder) | QFileDevice::WriteOwner);
}

FileSizeLimit::FileSizeLimit(rlim_t bytes)
{
    ::getrlimit(RLIMIT_FSIZE, &old_);
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit small{bytes, old_.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &small);
}

FileSizeLimit::~FileSizeLimit()
{
    ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
}

bool CaptureBackend::startCapture(int sampleRate, int channels)
{
    if (!haveInput)
        return false;
    if (sound.samples.empty()) {
        sound.sampleRate = sampleRate;
        sound.channels = channels;
    }
    sound.samples.insert(sound.samples.end(), std::size_t(sound.sampleRate / 50 * sound.channels), int16_t(800));
    capturing = true;
    return true;
}

Program::Program(const QString &dir) : instance(lockDir.filePath(QStringLiteral("dzq.lock"))), dataDir(dir)
{
    AppDir.clear();
    start = new DZQQD([this]() -> QWidget * {
        // As main() makes it, except that the end the window asks for after
        // a bad settings file is counted instead of ending the test.
        w = new Form1;
        w->onSettingsError = [this] { ++settingsErrors; };
        w->Form_Load();
        w->show();
        return w;
    });
}

Program::~Program()
{
    if (w) {
        for (StepTimer *clock : {w->Timer1, w->Timer2, w->Timer3, w->BZDS, w->HXYS})
            clock->setEnabled(false);
        delete w.data();
    }
    delete start.data();
    AppDir.clear();
}

bool Program::load()
{
    const bool goesOn = start->load(instance, dataDir);
    if (goesOn)
        start->show();
    problems = start->problems();
    return goesOn;
}

Form1 *Program::showMainWindow()
{
    emit start->timer1().timeout();
    return w;
}

} // namespace dzq::test
