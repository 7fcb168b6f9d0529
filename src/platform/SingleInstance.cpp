#include "platform/SingleInstance.h"

#include <QDir>
#include <QStandardPaths>

namespace dzq {

SingleInstance::SingleInstance(const QString &lockPath) : lock_(lockPath)
{
    // A running copy may hold the lock for days: only a lock whose process is
    // gone is stale, never one that is merely old.
    lock_.setStaleLockTime(0);
}

bool SingleInstance::tryAcquire()
{
    if (lock_.isLocked())
        return true;
    if (lock_.tryLock(0)) {
        problem_.clear();
        return true;
    }
    if (lock_.error() == QLockFile::LockFailedError)
        return false;
    problem_ = QStringLiteral("无法建立单实例锁文件，不能检查程序是否已在运行。");
    return true;
}

QString SingleInstance::defaultLockPath()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir + QStringLiteral("/dianziqin.lock");
}

} // namespace dzq
