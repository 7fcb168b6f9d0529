// Edit files: a song saved and opened again, the normalisation of saving,
// and every kind of damaged file refused before the song is touched.
#include "editor/core/EditFile.h"

#include "editor/core/MeasureEditing.h"
#include "editor/core/MeasureRecord.h"

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace dzq;

namespace {

constexpr int Steps16 = 15, Steps24 = 23;

// One measure of file lines: head, 7 melody lines of 2S and 5 percussion lines of S.
QStringList measureLines(const QString &head, int s)
{
    QStringList lines{head};
    for (int i = 0; i < MelodyLineCount; ++i)
        lines << QString(2 * s, QLatin1Char('-'));
    for (int i = 0; i < PercussionLineCount; ++i)
        lines << QString(s, QLatin1Char('-'));
    return lines;
}

QStringList songLines(int measures, int s)
{
    QStringList lines;
    for (int m = 0; m < measures; ++m)
        lines += measureLines(QStringLiteral("%1").arg(m, 4, 10, QLatin1Char('0')), s);
    return lines;
}

} // namespace

TEST(EditFile, SavedAndOpenedAgainGivesTheSameSong)
{
    auto song = std::make_unique<Song>();
    auto strings = std::make_unique<MeasureStrings>();
    // Three 3/4 measures: notes, chords, a rest and the end; percussion; a
    // record on measure 1 and a damaged one on measure 2.
    enterMelodyLine(*song, 0, 0, Steps24, QStringLiteral("KCKDXZCLBM"));
    enterMelodyLine(*song, 6, 1, Steps24, QStringLiteral("MGLC"));
    enterMelodyLine(*song, 3, 2, Steps24, QStringLiteral("HATZ"));
    enterPercussionStep(*song, 7, 0, Steps24, 0, true);
    enterPercussionStep(*song, 11, 2, Steps24, 23, true);
    MeasureSettings settings;
    settings.programs = {SilentProgram, 49, 78, 82, 34, 24, 4, 1, 3, 4, 41, 17};
    settings.volumes.fill(90);
    settings.tempo = 120;
    storeMeasureSettings(*strings, 1, settings);
    const QString damaged = QStringLiteral("0002") + QString(58, QLatin1Char('Z'));
    strings->MeasureHead[2] = damaged;
    song->TotalMeasures = 2;

    QTemporaryDir dir;
    const QString path = dir.filePath(editFileName(QStringLiteral("歌.txt")));
    EXPECT_TRUE(path.endsWith(QStringLiteral("歌.lnk")));
    prepareEditFileSave(*song, *strings, Steps24);
    ASSERT_TRUE(writeEditFile(path, *song, *strings, Steps24));

    const EditFileRead read = readEditFile(path);
    ASSERT_TRUE(read.song) << read.error.toStdString();
    EXPECT_EQ(read.song->stepMax, Steps24);
    EXPECT_EQ(read.song->totalMeasures, 2);
    auto back = std::make_unique<Song>();
    auto backStrings = std::make_unique<MeasureStrings>();
    back->StepArr[5][9000] = QStringLiteral("KC"); // an earlier song, cleared by opening
    loadEditFile(*back, *backStrings, *read.song);

    EXPECT_EQ(back->TotalMeasures, 2);
    for (int line = 0; line < SongLineCount; ++line) {
        const auto l = std::size_t(line);
        for (int t = 0; t < 3 * 24; ++t) {
            ASSERT_EQ(back->StepArr[l][std::size_t(t)], song->StepArr[l][std::size_t(t)]) << line << " " << t;
            if (isMelodyLine(line)) {
                ASSERT_EQ(back->NoteArr[l][std::size_t(t)], SYYPSB(song->StepArr[l][std::size_t(t)]));
            }
        }
        for (int m = 0; m < 3; ++m)
            EXPECT_EQ(back->MeasureArr[l][std::size_t(m)], song->MeasureArr[l][std::size_t(m)]);
    }
    EXPECT_TRUE(back->StepArr[5][9000].isEmpty());
    EXPECT_EQ(back->StepArr[0][2], QStringLiteral("XZ"));
    EXPECT_EQ(back->NoteArr[0][4], 85);
    EXPECT_EQ(back->StepArr[9][30], QStringLiteral("-")); // empty before saving
    EXPECT_EQ(backStrings->MeasureHead[0], QStringLiteral("0000"));
    EXPECT_EQ(takeMeasureRecord(*backStrings, 1), settings);
    EXPECT_EQ(backStrings->MeasureHead[2], damaged);
    EXPECT_FALSE(takeMeasureRecord(*backStrings, 2));
}

TEST(EditFile, SavingNormalisesCellsAndNumbersBareMeasures)
{
    auto song = std::make_unique<Song>();
    auto strings = std::make_unique<MeasureStrings>();
    song->StepArr[0][0] = QStringLiteral("-");
    song->StepArr[0][1] = QStringLiteral("K"); // an odd line end of an earlier file
    song->StepArr[0][2] = QStringLiteral("0X"); // sorts before "1"
    song->StepArr[1][3] = QStringLiteral("TZ");
    song->StepArr[7][0] = QStringLiteral("--");
    song->StepArr[7][1] = QStringLiteral("O");
    song->StepArr[8][2] = QStringLiteral("o");
    prepareEditFileSave(*song, *strings, Steps16);
    const QStringList lines = editFileLines(*song, *strings, Steps16);

    ASSERT_EQ(lines.size(), 13);
    EXPECT_EQ(lines[0], QStringLiteral("0000"));
    EXPECT_EQ(lines[1], QStringLiteral("--K---") + QString(26, QLatin1Char('-')));
    EXPECT_EQ(lines[2], QStringLiteral("------TZ") + QString(24, QLatin1Char('-')));
    for (int i = 1; i <= 7; ++i)
        EXPECT_EQ(lines[i].size(), 32);
    EXPECT_EQ(lines[8], QStringLiteral("-O--------------"));
    EXPECT_EQ(lines[9], QStringLiteral("--o-------------"));
    for (int i = 8; i <= 12; ++i)
        EXPECT_EQ(lines[i].size(), 16);

    EXPECT_EQ(editFileName(QStringLiteral("a")), QStringLiteral("a.lnk"));
    EXPECT_EQ(editFileName(QStringLiteral("a.abcd")), QStringLiteral("a.abcd.lnk"));
    EXPECT_EQ(editFileName(QStringLiteral("/x.y/a")), QStringLiteral("/x.y/a.lnk"));

    // A failed save says so and names the file.
    QString error;
    EXPECT_FALSE(writeEditFile(QStringLiteral("/nonexistent-folder/a.lnk"), *song, *strings, Steps16, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("a.lnk")));
}

TEST(EditFile, DamagedFilesAreRefusedWithAMessage)
{
    struct Case {
        const char *what;
        QStringList lines;
    };
    QStringList shortMelody = songLines(1, 16);
    shortMelody[3].chop(2);
    QStringList longPercussion = songLines(2, 16);
    longPercussion[13 + 12] += QLatin1Char('-');
    QStringList textHead = songLines(2, 16);
    textHead[13] = QStringLiteral("abc");
    QStringList emptyHead = songLines(1, 16);
    emptyHead[0].clear();
    QStringList blankInside = songLines(2, 16);
    blankInside.insert(13, QString());
    const Case cases[] = {
        {"empty", {}},
        {"first melody line of one cell", {QStringLiteral("0000"), QStringLiteral("KC")}},
        {"first melody line of 30 characters", measureLines(QStringLiteral("0000"), 15)},
        {"odd first melody line", [] { auto l = songLines(1, 16); l[1] += QLatin1Char('K'); return l; }()},
        {"missing lines", songLines(2, 16).mid(0, 25)},
        {"excess lines", songLines(1, 16) << QStringLiteral("0001")},
        {"short melody line", shortMelody},
        {"long percussion line", longPercussion},
        {"text for a measure number", textHead},
        {"empty measure number", emptyHead},
        {"blank line between measures", blankInside},
        {"past the capacity", songLines(626, 16)},
    };
    for (const Case &c : cases) {
        const EditFileRead read = parseEditFile(c.lines);
        EXPECT_FALSE(read.song) << c.what;
        EXPECT_FALSE(read.error.isEmpty()) << c.what;
    }
    EXPECT_EQ(parseEditFile(songLines(1, 16).mid(0, 12)).error, QStringLiteral("文件有12行，不是每小节13行"));

    // The largest songs fit; blank lines after the last measure do not count.
    EXPECT_TRUE(parseEditFile(songLines(625, 16)).song);
    EXPECT_EQ(parseEditFile(songLines(2, 16) << QString() << QString()).song->totalMeasures, 1);

    // From a file: the message names it. A file in GBK opens, its text kept.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("坏.lnk"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("0000\nKC\n");
    file.close();
    const EditFileRead read = readEditFile(path);
    EXPECT_FALSE(read.song);
    EXPECT_TRUE(read.error.contains(path));

    QStringList gbkLines = songLines(1, 16);
    gbkLines[0] = QStringLiteral("第一小节的设置");
    QFile gbk(dir.filePath(QStringLiteral("gbk.lnk")));
    ASSERT_TRUE(gbk.open(QIODevice::WriteOnly));
    gbk.write(QStringEncoder("GBK").encode(gbkLines.join(QStringLiteral("\r\n"))));
    gbk.close();
    const EditFileRead fromGbk = readEditFile(gbk.fileName());
    ASSERT_TRUE(fromGbk.song) << fromGbk.error.toStdString();
    EXPECT_EQ(fromGbk.song->measures[0][0], gbkLines[0]);
}
