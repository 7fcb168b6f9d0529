// The settings file: the default text, reading, writing and refusing.
#include "keyboard/core/SettingsFile.h"
#include "midi/Shared.h"
#include "platform/TextFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

#include <sys/resource.h>

using namespace dzq;

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

TEST(SettingsFile, DefaultTextReadsAsTheShippedShortcuts)
{
    const QString text = defaultSettingsText();
    EXPECT_EQ(text.size(), 323);
    EXPECT_TRUE(text.startsWith(QStringLiteral("3 \r\n 89 \r\n 0 \r\n 24 \r\n")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("涨潮.wav\r\n钟声.wav \r\n0\r\n")));

    const ShortcutSettings s = defaultSettings();
    EXPECT_EQ(s.presets[0], (std::array<int, 3>{3, 89, 0}));   // "3 " and " 89 "
    EXPECT_EQ(s.presets[5], (std::array<int, 3>{19, 44, 102}));
    EXPECT_EQ(s.presets[11], (std::array<int, 3>{41, 10, 90}));
    EXPECT_EQ(s.drums, (std::array<int, 10>{3, 1, 22, 17, 4, 23, 39, 17, 18, 25}));
    EXPECT_EQ(s.effects[1], QStringLiteral("雷声3.WAV"));
    EXPECT_EQ(s.effects[5], QStringLiteral("钟声.wav "));
    EXPECT_EQ(s.releaseOnKeyUp, 0);

    // Written back, every number has a blank on each side and the names stay
    // as they were; reading that gives the same settings.
    const QStringList lines = formatSettings(s);
    ASSERT_EQ(lines.size(), SettingsLineCount);
    EXPECT_EQ(lines[0], QStringLiteral(" 3 "));
    EXPECT_EQ(lines[51], QStringLiteral("钟声.wav "));
    EXPECT_EQ(formatNumberLine(-3), QStringLiteral("-3 "));
    EXPECT_EQ(parseSettings(lines), s);

    // The tables get the values, and the keypad drums velocity 100.
    resetSharedState();
    applySettings(s);
    EXPECT_EQ(PresetTable[2][1], 75);
    EXPECT_EQ(DrumKeyTable[6], 39);
    EXPECT_EQ(RhythmStepTable[5][6].Msg, 0x99 + (39 + 35) * 256 + 100 * 65536);
    EXPECT_EQ(EffectNames[5], QStringLiteral("钟声.wav "));
    EXPECT_EQ(currentSettings(0), s);
}

TEST(SettingsFile, RefusesShortFilesNonNumbersAndValuesOutsideTheLists)
{
    const QStringList good = formatSettings(defaultSettings());
    QString error;
    EXPECT_FALSE(parseSettings(good.mid(0, 52), &error));
    EXPECT_FALSE(error.isEmpty());
    // Lines after the 53rd are not read.
    EXPECT_TRUE(parseSettings(QStringList(good) << QStringLiteral("more")));

    const std::pair<int, const char *> bad[] = {
        {0, "129"}, {0, "-1"}, {0, "abc"}, {0, ""}, {0, "3.5"}, {0, "99999999"},
        {36, "47"}, {45, "x"}, {52, "2"}, {52, ""},
    };
    for (auto [line, text] : bad) {
        QStringList lines = good;
        lines[line] = QString::fromLatin1(text);
        EXPECT_FALSE(parseSettings(lines)) << line << " " << text;
    }
    QStringList edge = good;
    edge[0] = QStringLiteral("\t128\t");
    edge[36] = QStringLiteral("+46");
    edge[52] = QStringLiteral(" 1 ");
    const auto s = parseSettings(edge);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->presets[0][0], 128);
    EXPECT_EQ(s->drums[0], 46);
    EXPECT_EQ(s->releaseOnKeyUp, 1);
}

TEST(SettingsFile, FileOnDisk)
{
    QTemporaryDir dir;
    const QString path = settingsFilePath(dir.path() + QLatin1Char('/'));
    ShortcutSettings s;
    EXPECT_EQ(readSettingsFile(path, &s), SettingsRead::Missing);

    // The default file: the text, a line end and one empty line.
    ASSERT_TRUE(writeDefaultSettingsFile(path));
    EXPECT_EQ(QString::fromUtf8(fileBytes(path)), defaultSettingsText() + QStringLiteral("\r\n"));
    ASSERT_EQ(readSettingsFile(path, &s), SettingsRead::Ok);
    EXPECT_EQ(s, defaultSettings());

    s.presets[2][1] = 41;
    s.releaseOnKeyUp = 1;
    ASSERT_TRUE(writeSettingsFile(path, s));
    ShortcutSettings back;
    ASSERT_EQ(readSettingsFile(path, &back), SettingsRead::Ok);
    EXPECT_EQ(back, s);

    // A write that fails half-way (the file size limit stops it) leaves the
    // earlier file whole and says so.
    const QByteArray before = fileBytes(path);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 100;
    ::setrlimit(RLIMIT_FSIZE, &small);
    QString error;
    const bool written = writeSettingsFile(path, defaultSettings(), &error);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(fileBytes(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("lansheng.ini")});

    // A file that cannot be read at all is refused like a malformed one.
    const QString folder = settingsFilePath(dir.path() + QStringLiteral("/sub/"));
    QDir().mkpath(folder);
    EXPECT_EQ(readSettingsFile(folder, &back), SettingsRead::Malformed);
}
