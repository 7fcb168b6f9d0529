// The single-instance lock: held while a copy runs, free after it ends, and
// not blocked by what a crashed copy left behind.
#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace dzq;

TEST(SingleInstance, ASecondCopyFindsTheLockHeldHoweverOldUntilTheFirstEnds)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("dianziqin.lock");
    {
        SingleInstance first(path);
        ASSERT_TRUE(first.tryAcquire());
        EXPECT_TRUE(first.tryAcquire()) << "asking again keeps the lock";
        QFile lock(path);
        ASSERT_TRUE(lock.open(QIODevice::ReadWrite));
        lock.setFileTime(QDateTime::currentDateTime().addDays(-3), QFileDevice::FileModificationTime);
        lock.close();

        SingleInstance second(path);
        EXPECT_FALSE(second.tryAcquire());
        EXPECT_FALSE(second.isHeld());
        EXPECT_TRUE(second.problem().isEmpty());
    }
    SingleInstance third(path);
    EXPECT_TRUE(third.tryAcquire());
}

TEST(SingleInstance, ALockLeftByAnEndedProcessIsIgnored)
{
    QProcess ended;
    ended.start(QStringLiteral("/bin/true"), {});
    ASSERT_TRUE(ended.waitForStarted());
    const qint64 pid = ended.processId();
    ended.waitForFinished();

    QTemporaryDir dir;
    const QString path = dir.filePath("dianziqin.lock");
    QFile f(path); // what QLockFile writes: process id, program, host
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray::number(pid) + '\n' + QCoreApplication::applicationName().toUtf8() + '\n'
            + QSysInfo::machineHostName().toUtf8() + '\n');
    f.close();

    SingleInstance next(path);
    EXPECT_TRUE(next.tryAcquire());
    EXPECT_TRUE(next.isHeld());
}

TEST(SingleInstance, NoPlaceForTheLockDoesNotStopTheProgram)
{
    QTemporaryDir dir;
    SingleInstance guard(dir.filePath("missing/folder/dianziqin.lock"));
    EXPECT_TRUE(guard.tryAcquire());
    EXPECT_FALSE(guard.isHeld());
    EXPECT_FALSE(guard.problem().isEmpty());
}
