// Reading and writing the program's text files: encodings, line ends, and
// failures that must neither pass for success nor damage the earlier file.
#include "platform/TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace dzq;

namespace {

class TextFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const QString &name) const { return dir.filePath(name); }
    QString put(const QString &name, const QByteArray &bytes) const
    {
        QFile f(path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path(name);
    }
    QByteArray bytesOf(const QString &name) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
};

} // namespace

TEST(SplitTextLines, EndsLinesAtCrLfLfAndCr)
{
    EXPECT_EQ(splitTextLines("a\r\nb\nc\rd"), QStringList({"a", "b", "c", "d"}));
    EXPECT_EQ(splitTextLines("a\r\nb\r\n"), QStringList({"a", "b"}));
    EXPECT_EQ(splitTextLines(""), QStringList());
    EXPECT_EQ(splitTextLines("\r\n"), QStringList({""}));
    EXPECT_EQ(splitTextLines("a\r\r\nb\n\rc"), QStringList({"a", "", "b", "", "c"}));
}

TEST_F(TextFileTest, ReadsUtf8WithOrWithoutBomFallsBackToGbkAndReportsWhatCannotBeRead)
{
    TextFileContent r = readTextFile(put("utf8.txt", "\xEF\xBB\xBF\xE9\x92\x9F\xE5\xA3\xB0.wav \r\n 89 \r\n"));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.lines, QStringList({QStringLiteral("钟声.wav "), " 89 "}));
    EXPECT_EQ(r.lines[0].size(), 7) << "lengths count characters, not bytes";

    r = readTextFile(put("gbk.txt", "\xB5\xE7\xD7\xD3\xC7\xD9\nKC\rKD"));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.lines, QStringList({QStringLiteral("电子琴"), "KC", "KD"}));

    r = readTextFile(put("empty.txt", ""));
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.lines.isEmpty());

    QDir(dir.path()).mkdir("folder.txt");
    for (const char *name : {"missing.txt", "folder.txt"}) {
        const TextFileContent r = readTextFile(path(name));
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(r.error.contains(name)) << r.error.toStdString();
    }
}

TEST_F(TextFileTest, WritesUtf8WithCrLfAfterEveryLineAndReadsItBack)
{
    ASSERT_TRUE(writeTextFile(path("out.txt"), {QStringLiteral("琴"), "", "a\nb\r\nc\rd"}));
    EXPECT_EQ(bytesOf("out.txt"), QByteArray("\xE7\x90\xB4\r\n\r\na\r\nb\r\nc\r\nd\r\n"));

    const QStringList lines = {QStringLiteral("第一行"), " 89 ", "", "&H2E"};
    ASSERT_TRUE(writeTextFile(path("round.txt"), lines));
    EXPECT_EQ(readTextFile(path("round.txt")).lines, lines);
}

TEST_F(TextFileTest, AFailedWriteKeepsTheEarlierFileAndSaysSo)
{
    QString error;
    QDir(dir.path()).mkdir("taken");
    EXPECT_FALSE(writeTextFile(path("taken"), {"new"}, &error));
    EXPECT_TRUE(error.contains("taken"));
    EXPECT_FALSE(writeTextFile(path("no/such/file.txt"), {"x"}, &error));

    ASSERT_TRUE(writeTextFile(path("keep.txt"), {"old"}));
    if (::geteuid() != 0) { // root writes into read-only folders
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        EXPECT_FALSE(writeTextFile(path("keep.txt"), {"new"}, &error));
        QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        EXPECT_EQ(bytesOf("keep.txt"), QByteArray("old\r\n"));
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"keep.txt"})) << "no temporary file left";
}

TEST_F(TextFileTest, AppendingNeverJoinsLinesOrMixesEncodings)
{
    put("lib.txt", "1-3-5-1-3-5-1-3-"); // no line break at the end
    ASSERT_TRUE(appendTextFile(path("lib.txt"), {"5-5-5-5-5-5-5-5-", "6-6-6-6-6-6-6-6-"}));
    EXPECT_EQ(bytesOf("lib.txt"), QByteArray("1-3-5-1-3-5-1-3-\r\n5-5-5-5-5-5-5-5-\r\n6-6-6-6-6-6-6-6-\r\n"));

    put("gbk.txt", "\xD6\xD0\xCE\xC4\r\n");
    ASSERT_TRUE(appendTextFile(path("gbk.txt"), {QStringLiteral("新行")}));
    EXPECT_EQ(readTextFile(path("gbk.txt")).lines, QStringList({QStringLiteral("中文"), QStringLiteral("新行")}));

    ASSERT_TRUE(appendTextFile(path("new.txt"), {"a"}));
    EXPECT_EQ(bytesOf("new.txt"), QByteArray("a\r\n"));

    QString error;
    QDir(dir.path()).mkdir("dir.txt");
    EXPECT_FALSE(appendTextFile(path("dir.txt"), {"a"}, &error));
    EXPECT_TRUE(error.contains("dir.txt"));
}
