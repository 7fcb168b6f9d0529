// The settings file: the default text, reading, refusing and saving.
#include "keyboard/core/SettingsFile.h"
#include "shared/Shared.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

#include <sys/resource.h>

using namespace dzq;

TEST(SettingsFile, DefaultTextAndItsTables)
{
    const ShortcutSettings s = defaultSettings();
    EXPECT_EQ(s.presets[0], (std::array<int, 3>{3, 89, 0})); // "3 " and " 89 "
    EXPECT_EQ(s.drums, (std::array<int, 10>{3, 1, 22, 17, 4, 23, 39, 17, 18, 25}));
    EXPECT_EQ(s.effects[5], QStringLiteral("钟声.wav ")); // the blank is kept
    EXPECT_EQ(formatSettings(s).value(0), QStringLiteral(" 3 "));
    EXPECT_EQ(parseSettings(formatSettings(s)), s);

    resetSharedState();
    applySettings(s);
    EXPECT_EQ(RhythmStepTable[5][6].Msg, percussionMsg(39 + 35, 100));
    EXPECT_EQ(currentSettings(0), s);
}

TEST(SettingsFile, RefusesShortFilesNonNumbersAndValuesOutsideTheLists)
{
    const QStringList good = formatSettings(defaultSettings());
    EXPECT_FALSE(parseSettings(good.mid(0, 52)));
    EXPECT_TRUE(parseSettings(QStringList(good) << QStringLiteral("more")));
    for (auto [line, text] : {std::pair{0, "129"}, {0, "-1"}, {0, "abc"}, {0, ""}, {0, "3.5"}, {0, "99999999"},
                              {36, "47"}, {52, "2"}}) {
        QStringList lines = good;
        lines[line] = QString::fromLatin1(text);
        QString error;
        EXPECT_FALSE(parseSettings(lines, &error)) << line << " " << text;
        EXPECT_TRUE(error.contains(QString::number(line + 1)));
    }
    QStringList edge = good;
    edge[0] = QStringLiteral("\t128\t");
    EXPECT_EQ(parseSettings(edge).value_or(ShortcutSettings{}).presets[0][0], 128);
}

TEST(SettingsFile, FileOnDisk)
{
    QTemporaryDir dir;
    const QString path = settingsFilePath(dir.path() + QLatin1Char('/'));
    auto bytes = [&] {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    ShortcutSettings s;
    EXPECT_EQ(readSettingsFile(path, &s), SettingsRead::Missing);

    // The default file: the text, a line end and so one empty line.
    ASSERT_TRUE(writeDefaultSettingsFile(path));
    EXPECT_EQ(QString::fromUtf8(bytes()), defaultSettingsText() + QStringLiteral("\r\n"));
    ASSERT_EQ(readSettingsFile(path, &s), SettingsRead::Ok);
    EXPECT_EQ(s, defaultSettings());

    s.presets[2][1] = 41;
    ASSERT_TRUE(writeSettingsFile(path, s));
    ShortcutSettings back;
    ASSERT_EQ(readSettingsFile(path, &back), SettingsRead::Ok);
    EXPECT_EQ(back, s);

    // A write that fails half-way (the file size limit stops it) leaves the
    // earlier file whole and says so.
    const QByteArray before = bytes();
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const rlimit small{100, old.rlim_max};
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ::setrlimit(RLIMIT_FSIZE, &small);
    QString error;
    const bool written = writeSettingsFile(path, defaultSettings(), &error);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(bytes(), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("lansheng.ini")});
}
