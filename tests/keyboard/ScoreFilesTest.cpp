// Score files of the score box: the name saved under, and scores written and
// read back with their line breaks removed.
#include "keyboard/core/ScoreFiles.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace dzq;

TEST(ScoreFiles, SaveNameDropsAFourCharacterExtensionOfTheFileNameOnly)
{
    const std::pair<QString, QString> table[] = {
        {"/d/歌.txt", "/d/歌(乐谱).txt"},  {"/d/歌", "/d/歌(乐谱).txt"},
        {"/d/歌.mid1", "/d/歌.mid1(乐谱).txt"}, {"/d/歌.md", "/d/歌.md(乐谱).txt"},
        {"/d/.txt", "/d/(乐谱).txt"},      {"a", "a(乐谱).txt"},
        {".ab", ".ab(乐谱).txt"},          {"", "(乐谱).txt"},
        // The dot of a folder is no extension: nothing is cut off the path.
        {"/a.b/c", "/a.b/c(乐谱).txt"},    {"/x/a.b/", "/x/a.b/(乐谱).txt"},
    };
    for (const auto &[chosen, saved] : table)
        EXPECT_EQ(scoreSaveFileName(chosen), saved) << chosen.toStdString();
}

TEST(ScoreFiles, WritesOneLineBreakAndReadsLinesJoined)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("s.txt");
    ASSERT_TRUE(writeScoreFile(path, "KC8KD8TZ"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("KC8KD8TZ\r\n"));
    f.close();

    // Lines ended by CR LF, LF or CR, and GBK text, come back as one score.
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("KC8\r\nKD8\nKE8\r\xB5\xE7TZ\r\n");
    f.close();
    const ScoreFileRead read = readScoreFile(path);
    ASSERT_TRUE(read.ok);
    EXPECT_EQ(read.score, QStringLiteral("KC8KD8KE8电TZ"));

    const ScoreFileRead missing = readScoreFile(dir.filePath("none.txt"));
    EXPECT_FALSE(missing.ok);
    EXPECT_FALSE(missing.error.isEmpty());
    EXPECT_FALSE(writeScoreFile(dir.filePath("no/such/folder.txt"), "KC"));
}
