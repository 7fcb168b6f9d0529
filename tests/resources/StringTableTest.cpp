// The string table compiled into the program: every text the windows load by
// number is there once with CR LF line breaks, and the lists and chord tables
// have the shape the windows and the accompaniment read them in.
#include "platform/Resources.h"
#include "shared/Shared.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>

#include <gtest/gtest.h>

using dzq::LoadResString;

namespace {

const QString CRLF = QStringLiteral("\r\n");

QList<int> allIds()
{
    QList<int> ids{99, 508, 509, 510, 511};
    for (const auto &[first, last] : {std::pair{201, 329}, std::pair{335, 381}, std::pair{401, 433}, std::pair{500, 506}})
        for (int id = first; id <= last; ++id)
            ids << id;
    return ids;
}

// The n-th note of the C major scale, counted from 0 over any number of octaves.
int scaleNote(int n)
{
    static const int steps[7] = {0, 2, 4, 5, 7, 9, 11};
    return 12 * (n / 7) + steps[n % 7];
}

bool inScale(int note)
{
    for (int n = 0; n < 7; ++n)
        if (scaleNote(n) == note % 12)
            return true;
    return false;
}

} // namespace

TEST(StringTable, EveryIdIsPresentNonEmptyAndDefinedOnce)
{
    for (int id : allIds())
        EXPECT_FALSE(LoadResString(id).isEmpty()) << "id " << id;
    EXPECT_TRUE(LoadResString(100).isEmpty());
    EXPECT_TRUE(LoadResString(507).isEmpty());

    // A second entry with the same id would silently replace the first.
    QFile f(QStringLiteral(":/strings.txt"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString data = QString::fromUtf8(f.readAll());
    QSet<int> seen;
    const QRegularExpression marker(QStringLiteral("^@@@ (\\d+)\\r?$"), QRegularExpression::MultilineOption);
    for (auto it = marker.globalMatch(data); it.hasNext();) {
        const int id = it.next().captured(1).toInt();
        EXPECT_FALSE(seen.contains(id)) << "id " << id << " defined twice";
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), allIds().size());
}

TEST(StringTable, LineBreaksAreCrLfExceptTheEditorHelpsOwnCrs)
{
    for (int id : allIds()) {
        QString text = LoadResString(id);
        if (id == 99) {
            // The editor's help ends its first five lines with CR CR LF.
            EXPECT_EQ(text.count(QStringLiteral("\r\r\n")), 5);
            text.replace(QStringLiteral("\r\r\n"), CRLF);
        }
        text.remove(CRLF);
        EXPECT_FALSE(text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'))) << "lone CR or LF in " << id;
    }
}

TEST(StringTable, InstrumentsAreNumberedByListIndexPercussionIsNotAndNamesAreDistinct)
{
    EXPECT_EQ(LoadResString(201), QStringLiteral("0.无声"));
    QSet<QString> instruments, drums;
    for (int k = 0; k <= 128; ++k) {
        const QString text = LoadResString(201 + k);
        const QString prefix = QString::number(k) + QLatin1Char('.');
        ASSERT_TRUE(text.startsWith(prefix)) << text.toStdString();
        const QString name = text.mid(prefix.size());
        EXPECT_TRUE(!name.isEmpty() && name == name.trimmed()) << k;
        instruments.insert(name);
    }
    for (int id = 335; id <= 381; ++id) {
        EXPECT_FALSE(LoadResString(id).at(0).isDigit()) << id;
        drums.insert(LoadResString(id));
    }
    EXPECT_EQ(instruments.size(), 129);
    EXPECT_EQ(drums.size(), 47);
}

TEST(StringTable, HelpTopicsAreTextsOfSeveralLinesOnTheirOwnSubject)
{
    // Each topic mentions what its option button names.
    const QList<QPair<int, QString>> mentions{
        {501, QStringLiteral("输入法")}, {502, QStringLiteral("KC8KDKEKF4KGKAKB")}, {503, QStringLiteral("2/4")},
        {504, QStringLiteral("和弦顺序")}, {505, QStringLiteral("空白处")}, {506, QStringLiteral("录音")},
    };
    for (int id = 500; id <= 506; ++id)
        EXPECT_GE(LoadResString(id).split(CRLF).size(), 3) << id;
    for (const auto &[id, word] : mentions)
        EXPECT_TRUE(LoadResString(id).contains(word)) << id << " " << word.toStdString();
}

TEST(StringTable, DefaultSettingsAndPatternLibraryHaveTheirLines)
{
    // The settings: 46 numbers, the six effect files and the key release flag.
    const QStringList settings = LoadResString(508).split(CRLF);
    ASSERT_EQ(settings.size(), 54);
    for (int i = 0; i < 53; ++i) {
        bool number = false;
        settings[i].trimmed().toInt(&number);
        EXPECT_EQ(number, i < 46 || i == 52) << "line " << i + 1;
    }
    EXPECT_TRUE(settings[53].isEmpty());

    // The patterns: 113 lines of eight two-letter cells, then two empty lines.
    const QStringList patterns = LoadResString(509).split(CRLF);
    ASSERT_EQ(patterns.size(), 115);
    const QRegularExpression cells(QStringLiteral("^(?:[A-Z]{2}|--){8}$"));
    for (int i = 0; i < 113; ++i)
        EXPECT_TRUE(cells.match(patterns[i]).hasMatch()) << i + 1 << " " << patterns[i].toStdString();
    EXPECT_TRUE(patterns[113].isEmpty() && patterns[114].isEmpty());
}

TEST(StringTable, ChordTablesHoldTheChordsOfEachDegree)
{
    // Voicings: three groups, each an inversion of the one below, in the key
    // of C and holding the degree's root.
    dzq::resetSharedState();
    ASSERT_TRUE(dzq::fillChordTable(LoadResString(510)));
    for (int d = 1; d <= 7; ++d) {
        for (int g = 1; g <= 3; ++g) {
            const int32_t *notes = dzq::ChordTable[g][d];
            SCOPED_TRACE(testing::Message() << "degree " << d << " group " << g);
            EXPECT_TRUE(notes[1] < notes[2] && notes[2] < notes[3] && notes[3] - notes[1] < 12);
            EXPECT_TRUE(inScale(notes[1]) && inScale(notes[2]) && inScale(notes[3]));
            EXPECT_TRUE(notes[1] % 12 == scaleNote(d - 1) || notes[2] % 12 == scaleNote(d - 1)
                        || notes[3] % 12 == scaleNote(d - 1));
            if (g > 1) {
                EXPECT_TRUE(notes[1] == dzq::ChordTable[g - 1][d][2] && notes[2] == dzq::ChordTable[g - 1][d][3]);
            }
        }
    }
    dzq::resetSharedState();

    // Degree codes: the degree's triad over four octaves, its three chord
    // codes, the rest and the hold; every number closed by a comma.
    const QString text = LoadResString(511);
    EXPECT_TRUE(text.endsWith(QStringLiteral(",\r\n\r\n")));
    QList<int> fields;
    for (const QString &field : text.split(QLatin1Char(','), Qt::SkipEmptyParts))
        if (!field.trimmed().isEmpty())
            fields << field.trimmed().toInt();
    ASSERT_EQ(fields.size(), 119);
    for (int d = 1; d <= 7; ++d) {
        QList<int> row;
        for (int k = 0; k < 12; ++k)
            row << scaleNote(d - 1 + 2 * (k % 3)) + 12 * (k / 3);
        row << 64 + d << 71 + d << 78 + d << 254 << 255;
        EXPECT_EQ(fields.mid(17 * (d - 1), 17), row) << "degree " << d;
    }
}
