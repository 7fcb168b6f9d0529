// Finding effect files by the names the settings file gives, as the Windows
// file system would.
#include "platform/FileLookup.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace dzq;

namespace {

class FileLookupTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    void put(const QString &name)
    {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << name.toStdString();
    }
    QString find(const QString &name) const { return findFileLikeWindows(dir.path(), name); }
};

} // namespace

TEST_F(FileLookupTest, ExactNameThenWithoutTrailingBlanksAndDotsThenIgnoringCase)
{
    put("钟声.wav");
    put("雷声3.wav");
    put("鼓.WAV");
    put("鼓.wav");
    EXPECT_EQ(find("钟声.wav "), dir.filePath("钟声.wav"));
    EXPECT_EQ(find("钟声.wav. . "), dir.filePath("钟声.wav"));
    EXPECT_EQ(find("雷声3.WAV"), dir.filePath("雷声3.wav"));
    EXPECT_EQ(find("雷声3.Wav  "), dir.filePath("雷声3.wav"));
    EXPECT_EQ(find("鼓.WAV"), dir.filePath("鼓.WAV")) << "an exact match wins over a case variant";
    EXPECT_TRUE(find(" 钟声.wav").isEmpty()) << "leading blanks are part of the name";
    EXPECT_TRUE(find("雷声4.wav").isEmpty());
    EXPECT_TRUE(findFileLikeWindows(dir.filePath("音效"), "钟声.wav").isEmpty()) << "missing folder";
}

TEST_F(FileLookupTest, NamesThatNameNoFileFindNothing)
{
    put("a.wav");
    QDir(dir.path()).mkdir("sub");
    put("sub/b.wav");
    QDir(dir.path()).mkdir("LOUD.WAV");
    for (const char *name : {"", " ", ".", "..", " . ", "sub", "sub/b.wav", "sub\\b.wav", "LOUD.WAV", "loud.wav"})
        EXPECT_TRUE(find(name).isEmpty()) << "'" << name << "'";
}
