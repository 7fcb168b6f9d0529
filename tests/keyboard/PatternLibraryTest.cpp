// The chord pattern library file.
#include "keyboard/core/PatternLibrary.h"
#include "platform/Resources.h"
#include "platform/TextFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace dzq;

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(PatternLibrary, CreatedFromTheResourceAndReadBack)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(patternLibraryName());
    EXPECT_TRUE(readPatternLibrary(path).isEmpty());
    ASSERT_TRUE(createPatternLibrary(path, LoadResString(509)));
    // The resource's lines (113 patterns, two empty), each ended by CR LF.
    EXPECT_EQ(bytesOf(path), (LoadResString(509) + QStringLiteral("\r\n")).toUtf8());
    const QStringList lines = readPatternLibrary(path);
    ASSERT_EQ(lines.size(), 115);
    EXPECT_EQ(lines[112], QStringLiteral("LGWCWEWCWGWELGWC"));

    // An empty file has nothing to draw from.
    ASSERT_TRUE(writeTextFile(path, {}));
    EXPECT_TRUE(readPatternLibrary(path).isEmpty());
}

TEST(PatternLibrary, ReadsAtMostAThousandLines)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(patternLibraryName());
    QStringList many;
    for (int i = 0; i < 1200; ++i)
        many << QStringLiteral("LC%1").arg(i, 14, 10, QLatin1Char('-'));
    ASSERT_TRUE(writeTextFile(path, many));
    const QStringList lines = readPatternLibrary(path);
    ASSERT_EQ(lines.size(), PatternLibraryMaxLines);
    EXPECT_EQ(lines.last(), many[999]);
}

TEST(PatternLibrary, SavesOnlyNewLines)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(patternLibraryName());
    // No library: nothing is written and nothing is created.
    EXPECT_TRUE(savePatternLines(path, {QStringLiteral("KC--KE--KG--KC--")}));
    EXPECT_FALSE(QFile::exists(path));

    ASSERT_TRUE(writeTextFile(path, {QStringLiteral("LC------LC------"), QStringLiteral("CC--CC--CC--CC--")}));
    // Found lines are skipped (case counts), equal new ones are all added, in order.
    ASSERT_TRUE(savePatternLines(path, {QStringLiteral("KC--KE--KG--KC--"), QStringLiteral("CC--CC--CC--CC--"),
                                        QStringLiteral("KC--KE--KG--KC--")}));
    ASSERT_TRUE(savePatternLines(path, {QStringLiteral("lc------lc------")}));
    EXPECT_EQ(readTextFile(path).lines,
              (QStringList{QStringLiteral("LC------LC------"), QStringLiteral("CC--CC--CC--CC--"),
                           QStringLiteral("KC--KE--KG--KC--"), QStringLiteral("KC--KE--KG--KC--"),
                           QStringLiteral("lc------lc------")}));
    // Saving lines the library holds changes nothing.
    const QByteArray before = bytesOf(path);
    ASSERT_TRUE(savePatternLines(path, {QStringLiteral("LC------LC------"), QStringLiteral("lc------lc------")}));
    EXPECT_EQ(bytesOf(path), before);
}
