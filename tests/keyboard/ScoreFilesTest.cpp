// The name the score box's save writes under.
#include "keyboard/core/ScoreFiles.h"

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
