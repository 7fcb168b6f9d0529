// A settings file damaged in every way a file can be: the program takes the
// way out it is built for (the file replaced by the default text, the user
// told to start again, the program ended) and touches nothing else of the
// user's: scores, rhythm files, the pattern library, recordings and effects
// stay byte for byte. The next start then reads the default settings.
#include "FaultsSupport.h"

#include "keyboard/core/PatternLibrary.h"
#include "keyboard/core/SettingsFile.h"
#include "platform/AppPaths.h"
#include "platform/TextFile.h"
#include "shared/Shared.h"

#include <gtest/gtest.h>

using namespace dzq;
using namespace dzq::test;

namespace {

QByteArray defaultFileBytes() { return (defaultSettingsText() + QStringLiteral("\r\n")).toUtf8(); }

// The default file with line (1-based) replaced.
QByteArray withLine(int line, const QByteArray &text)
{
    QList<QByteArray> lines = defaultFileBytes().split('\n');
    lines[line - 1] = text + '\r';
    return lines.join('\n');
}

// The first n lines of the default file.
QByteArray firstLines(int n) { return defaultFileBytes().split('\n').mid(0, n).join('\n') + '\n'; }

} // namespace

TEST(DamagedSettings, AreReplacedByTheDefaultAndNothingElseIsTouched)
{
    QByteArray garbage;
    for (int i = 0; i < 700; ++i)
        garbage += char((i * 37 + 11) % 256);
    QByteArray shortFile = defaultFileBytes();
    shortFile.truncate(shortFile.indexOf("\r\n 17 ")); // cut in the keypad lines
    const std::pair<const char *, QByteArray> damages[] = {
        {"one line short", firstLines(52)},
        {"cut off half-way", shortFile},
        {"a word for a number", withLine(5, " vier ")},
        {"an instrument beyond the list", withLine(2, " 200 ")},
        {"a drum beyond the list", withLine(40, "-3 ")},
        {"bytes of no text", garbage},
        {"empty", QByteArray()},
    };

    for (const auto &[what, bytes] : damages) {
        SCOPED_TRACE(what);
        QTemporaryDir tmp;
        const QString dir = tmp.path() + QStringLiteral("/数据/");
        fillDataFolder(dir);
        ASSERT_TRUE(appendTextFile(dir + patternLibraryName(), {QStringLiteral("KCKEKGHCKGKEKCKE")}));
        putBytes(dir + scoreFolderName() + QStringLiteral("/我的节奏.bin"), "0502010307");
        const QString settings = settingsFilePath(dir);
        putBytes(settings, bytes);
        FolderSnapshot before = snapshot(dir);
        before.remove(QStringLiteral("lansheng.ini"));

        {
            Program program(dir);
            ASSERT_TRUE(program.load());
            EXPECT_EQ(bytesOf(settings), bytes) << "the start-up window leaves an existing file alone";
            ASSERT_NE(program.showMainWindow(), nullptr);
            EXPECT_EQ(program.settingsErrors, 1);
            ASSERT_EQ(program.env.messages.shown.size(), 1u);
            const ShownMessage &m = program.env.messages.shown[0];
            EXPECT_TRUE(m.kind == ShownMessage::TimedInfo && m.caption == QStringLiteral("提示") && m.timeoutMs == 5000);
            EXPECT_EQ(m.text, QStringLiteral("读取设置文件出错，软件需重新启动!"));
        }
        EXPECT_EQ(bytesOf(settings), defaultFileBytes());
        FolderSnapshot after = snapshot(dir);
        after.remove(QStringLiteral("lansheng.ini"));
        after.remove(startPictureFileName());
        EXPECT_EQ(changedFiles(before, after), "");

        // Started again, the program reads the default settings and plays.
        Program again(dir);
        ASSERT_TRUE(again.load());
        Form1 *w = again.showMainWindow();
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(again.settingsErrors, 0);
        EXPECT_TRUE(again.env.messages.shown.empty());
        EXPECT_EQ(currentSettings(w->Check1->value()), defaultSettings());
    }
}

// A damaged file in a folder that cannot be written cannot be replaced: a
// restart would meet it again, so the user is also told which file it is.
TEST(DamagedSettings, ThatCannotBeReplacedAreNamed)
{
    QTemporaryDir tmp;
    const QString dir = tmp.path() + QStringLiteral("/数据/");
    fillDataFolder(dir);
    const QString settings = settingsFilePath(dir);
    putBytes(settings, firstLines(20));
    const FolderSnapshot before = snapshot(dir);
    UnwritableFolders readOnly({dir});
    if (!readOnly.ok())
        GTEST_SKIP() << "the folder stays writable here";

    Program program(dir);
    ASSERT_TRUE(program.load());
    ASSERT_NE(program.showMainWindow(), nullptr);
    EXPECT_EQ(program.settingsErrors, 1);
    const QStringList texts = program.env.messages.texts();
    EXPECT_TRUE(texts.contains(QStringLiteral("读取设置文件出错，软件需重新启动!")));
    EXPECT_EQ(texts.filter(settings).size(), 1) << texts.join('|').toStdString();
    EXPECT_EQ(changedFiles(before, snapshot(dir)), "");
}
