// Choosing and preparing the program's data folder.
#include "platform/AppPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace dzq;

namespace {

class AppPathsTest : public ::testing::Test {
protected:
    QTemporaryDir root;
    QString shippedEffects, shippedSamples;

    void SetUp() override
    {
        shippedEffects = makeDir("shipped/effects");
        shippedSamples = makeDir("shipped/samples");
        put(shippedEffects + "/钟声.wav", "RIFF-bell");
        put(shippedEffects + "/雷声3.wav", "RIFF-thunder");
        put(shippedSamples + "/示例.bin", "sample");
    }
    QString makeDir(const QString &rel)
    {
        QDir().mkpath(root.filePath(rel));
        return root.filePath(rel);
    }
    static void put(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static QByteArray read(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    AppDirResult prepare(const QString &overrideDir, const QString &programDir, const QString &userDir)
    {
        return prepareAppDir(overrideDir, programDir, userDir, shippedEffects, shippedSamples);
    }
};

} // namespace

TEST_F(AppPathsTest, UsesAWritableProgramFolderAndNeverOverwritesTheUsersFiles)
{
    const QString program = makeDir("program");
    makeDir("program/音效");
    put(program + "/音效/钟声.wav", "my own bell");
    const AppDirResult r = prepare({}, program, root.filePath("user"));
    EXPECT_TRUE(r.ok()) << r.error.toStdString();
    EXPECT_EQ(r.dir, program + "/");
    EXPECT_EQ(read(program + "/音效/钟声.wav"), "my own bell");
    EXPECT_EQ(read(program + "/音效/雷声3.wav"), "RIFF-thunder");
    EXPECT_EQ(read(program + "/演奏记录/示例.bin"), "sample");
    EXPECT_FALSE(QFileInfo::exists(root.filePath("user"))) << "the user folder is not touched";

    // A second start changes nothing, and a file the user deleted comes back.
    QFile::remove(program + "/音效/雷声3.wav");
    EXPECT_TRUE(prepare({}, program, {}).ok());
    EXPECT_EQ(read(program + "/音效/钟声.wav"), "my own bell");
    EXPECT_EQ(read(program + "/音效/雷声3.wav"), "RIFF-thunder");
}

TEST_F(AppPathsTest, CopiesOfReadOnlyShippedFilesCanBeChangedByTheUser)
{
    // Files of the compiled-in resources are read-only, and a copy keeps the
    // permissions of its source.
    const QFileDevice::Permissions readOnly = QFileDevice::ReadOwner | QFileDevice::ReadUser
                                              | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    QFile::setPermissions(shippedEffects + "/钟声.wav", readOnly);
    QTemporaryDir target;
    ASSERT_TRUE(copyMissingFiles(shippedEffects, target.path()));
    EXPECT_TRUE(QFileInfo(target.filePath("钟声.wav")).permissions() & QFileDevice::WriteOwner);
    EXPECT_EQ(read(target.filePath("钟声.wav")), "RIFF-bell");
    EXPECT_TRUE(copyMissingFiles(root.filePath("no such folder"), target.path())) << "nothing shipped: nothing to do";
}

TEST_F(AppPathsTest, FallsBackToTheUserFolderWhenTheProgramFolderIsNotWritable)
{
    // A program "folder" that is a file cannot take data, whoever runs the test.
    put(root.filePath("program"), "not a folder");
    AppDirResult r = prepare({}, root.filePath("program"), root.filePath("user/dianziqin"));
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.dir, root.filePath("user/dianziqin") + "/");
    EXPECT_EQ(read(r.dir + "音效/钟声.wav"), "RIFF-bell");
    EXPECT_EQ(prepare({}, "/usr/bin", root.filePath("user")).dir, root.filePath("user") + "/")
        << "an installed program keeps its data in the user's folder";

    if (::geteuid() == 0)
        return; // root may write into a read-only folder
    const QString program = makeDir("locked");
    QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    r = prepare({}, program, root.filePath("user2"));
    QFile::setPermissions(program, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(r.dir, root.filePath("user2") + "/");
}

TEST_F(AppPathsTest, ReportsWhenNoFolderCanBeWritten)
{
    // A file where the folders would have to be.
    put(root.filePath("blocked"), "file");
    AppDirResult r = prepare({}, {}, root.filePath("blocked/dianziqin"));
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.dir, root.filePath("blocked/dianziqin") + "/");
    EXPECT_TRUE(r.error.contains(r.dir));

    r = prepare(root.filePath("blocked/data"), makeDir("program"), root.filePath("user"));
    EXPECT_FALSE(r.ok()) << "an override is not replaced by another folder";
    EXPECT_TRUE(r.error.contains(root.filePath("blocked/data")));

    put(root.filePath("program/音效"), "a file in the way of a data folder");
    r = prepare({}, root.filePath("program"), {});
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.dir, root.filePath("program") + "/");
    EXPECT_TRUE(r.error.contains("音效"));
}

// Names are appended to the folder as they are: one slash between, also when
// the folder is the root ("/" gave "//演奏记录").
TEST_F(AppPathsTest, FolderPathsEndInOneSlash)
{
    EXPECT_EQ(folderWithSlash(QStringLiteral("/")), QStringLiteral("/"));
    EXPECT_EQ(folderWithSlash(QStringLiteral("//")), QStringLiteral("/"));
    EXPECT_EQ(folderWithSlash(root.path() + QStringLiteral("/a/../数据/")), root.path() + QStringLiteral("/数据/"));
    const QString relative = folderWithSlash(QStringLiteral("数据"));
    EXPECT_TRUE(QDir::isAbsolutePath(relative) && relative.endsWith(QStringLiteral("/数据/")));
}
