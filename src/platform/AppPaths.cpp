#include "platform/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryFile>

namespace dzq {

namespace {

// True when a file can really be created in dir (permission bits alone do not
// tell about read-only mounts).
bool canWriteIn(const QString &dir)
{
    QTemporaryFile probe(dir + QStringLiteral(".dzq-probe-XXXXXX"));
    return probe.open();
}

// Folders of the installed system: a program installed there keeps its data in
// the user's folder even when it runs with the rights to write there.
bool isSystemFolder(const QString &dir)
{
    const QString path = QFileInfo(dir).canonicalFilePath();
    for (const char *prefix : {"/usr", "/bin", "/sbin", "/lib", "/lib64", "/etc"}) {
        const QString p = QString::fromLatin1(prefix);
        if (path == p || path.startsWith(p + QLatin1Char('/')))
            return true;
    }
    return false;
}

bool usable(const QString &dir) { return QDir().mkpath(dir) && canWriteIn(dir); }

} // namespace

QString folderWithSlash(const QString &dir)
{
    const QString path = QDir::cleanPath(QDir(dir).absolutePath());
    // The root folder is the one path that already ends in its slash.
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

QString scoreFolderName() { return QStringLiteral("演奏记录"); }

QString effectsFolderName() { return QStringLiteral("音效"); }

bool copyMissingFiles(const QString &fromDir, const QString &toDir)
{
    bool allCopied = true;
    const QDir from(fromDir);
    const QDir to(toDir);
    const QStringList names = from.entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString &name : names) {
        const QString target = to.filePath(name);
        const QFileInfo existing(target);
        if (existing.exists() || existing.isSymLink())
            continue;
        if (!QFile::copy(from.filePath(name), target)) {
            allCopied = false;
            continue;
        }
        // Files from the compiled-in resources arrive read-only.
        QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                          | QFileDevice::ReadUser | QFileDevice::WriteUser);
    }
    return allCopied;
}

AppDirResult prepareAppDir(const QString &overrideDir, const QString &programDir, const QString &userDir,
                           const QString &shippedEffects, const QString &shippedSamples)
{
    AppDirResult result;
    QString candidate;
    bool writable = false;
    if (!overrideDir.isEmpty()) {
        candidate = folderWithSlash(overrideDir);
        writable = usable(candidate);
    } else {
        if (!programDir.isEmpty() && !isSystemFolder(programDir)) {
            candidate = folderWithSlash(programDir);
            writable = canWriteIn(candidate);
        }
        if (!writable && !userDir.isEmpty()) {
            candidate = folderWithSlash(userDir);
            writable = usable(candidate);
        }
    }
    result.dir = candidate;
    if (!writable) {
        result.error = QStringLiteral("数据文件夹“%1”无法写入，乐谱、节奏记录和设置都无法保存。").arg(candidate);
        return result;
    }

    QStringList problems;
    const QString scores = candidate + scoreFolderName();
    const QString effects = candidate + effectsFolderName();
    for (const QString &folder : {scores, effects})
        if (!QDir().mkpath(folder))
            problems << QStringLiteral("无法创建文件夹“%1”。").arg(folder);
    if (problems.isEmpty()) {
        if (!copyMissingFiles(shippedEffects, effects))
            problems << QStringLiteral("无法把程序自带的音效复制到“%1”。").arg(effects);
        if (!copyMissingFiles(shippedSamples, scores))
            problems << QStringLiteral("无法把程序自带的示例文件复制到“%1”。").arg(scores);
    }
    result.error = problems.join(QLatin1Char('\n'));
    return result;
}

QString userDataDir()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return base.isEmpty() ? QString() : folderWithSlash(base + QStringLiteral("/dianziqin"));
}

AppDirResult initAppDir(const QString &overrideDir)
{
    const QString programDir = QCoreApplication::instance()
                                   ? QCoreApplication::applicationDirPath()
                                   : QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    return prepareAppDir(overrideDir, programDir, userDataDir());
}

} // namespace dzq
