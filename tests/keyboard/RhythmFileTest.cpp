// The rhythm file line: written from the grid's values, read back with every
// field checked.
#include "keyboard/core/RhythmFile.h"
#include "platform/Resources.h"
#include "platform/TextFile.h"

#include <QDir>
#include <QFile>

#include <QString>

#include <gtest/gtest.h>

using namespace dzq;

namespace {

RhythmPattern beat()
{
    RhythmPattern p;
    p.volumeIndex = 5; // "100"
    p.metre = Metre44;
    p.instruments = {1, 3, 7};
    for (int i = 0; i < 16; i += 4)
        p.cells[0][std::size_t(i)] = true;
    p.cells[1][4] = p.cells[1][12] = true;
    for (int i = 0; i < 17; i += 2)
        p.cells[2][std::size_t(i)] = true;
    return p;
}

} // namespace

TEST(RhythmFile, WritesTheLineAndReadsItBack)
{
    const QString line = encodeRhythmLine(beat(), QStringLiteral("/data/演奏记录/  基本节拍.bin"));
    ASSERT_EQ(line.size(), RhythmLineLength);
    EXPECT_EQ(line.left(12), QStringLiteral("050201030700"));
    EXPECT_EQ(line.mid(12, 16), QStringLiteral("*---*---*---*---"));
    EXPECT_EQ(line.mid(28, 16), QStringLiteral("----*-------*---"));
    EXPECT_EQ(line.mid(44, 17), QStringLiteral("*-*-*-*-*-*-*-*-*"));
    // The title: the bare name without its outer blanks, padded to 16.
    EXPECT_EQ(line.mid(61), QStringLiteral("基本节拍.bin        "));
    EXPECT_EQ(decodeRhythmText(line + QStringLiteral("\r\n")), beat());

    // Long titles are cut; cells 16 of lanes A and B are not part of the file.
    RhythmPattern p = beat();
    p.cells[0][16] = p.cells[1][16] = true;
    const QString longName = encodeRhythmLine(p, QStringLiteral("a very long rhythm name.bin"));
    EXPECT_EQ(longName.mid(61), QStringLiteral("a very long rhyt"));
    EXPECT_EQ(decodeRhythmText(longName), beat());

    // A field outside its list is written as "00": the layout stays intact.
    p.volumeIndex = -1;
    p.instruments[1] = 47;
    EXPECT_EQ(encodeRhythmLine(p, QStringLiteral("x.bin")).left(12), QStringLiteral("000201000700"));
}

TEST(RhythmFile, RefusesShortTextAndFieldsOutsideTheirLists)
{
    const QString line = encodeRhythmLine(beat(), QStringLiteral("t.bin"));
    EXPECT_FALSE(decodeRhythmText(line.left(61)));
    EXPECT_EQ(decodeRhythmText(line.left(62)), beat());
    EXPECT_FALSE(decodeRhythmText(QString()));

    // Volume above 07, metre above 02, instrument above 2E: each refused.
    for (auto [pos, pair] : {std::pair{0, "08"}, {2, "03"}, {4, "2F"}, {6, "FF"}, {8, "30"}}) {
        QString bad = line;
        bad.replace(pos, 2, QLatin1String(pair));
        EXPECT_FALSE(decodeRhythmText(bad)) << pos << pair;
    }
    // Hexadecimal in either case; characters that are no number count as 0;
    // any character other than "*" clears a cell.
    QString odd = line;
    odd.replace(4, 6, QStringLiteral("2ezz0x"));
    odd[12] = QLatin1Char('x');
    const auto p = decodeRhythmText(odd);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->instruments, (std::array<int, 3>{46, 0, 0}));
    EXPECT_FALSE(p->cells[0][0]);
}

TEST(RhythmFile, FirstDataItemStopsAtCommaOrLineEnd)
{
    // A title starting with a comma leaves 61 characters: refused when the
    // first item is read, read when the whole text is.
    const QString line = encodeRhythmLine(beat(), QStringLiteral(",节奏.bin")) + QStringLiteral("\r\n");
    EXPECT_EQ(firstDataItem(line).size(), 61);
    EXPECT_FALSE(decodeRhythmText(firstDataItem(line)));
    EXPECT_TRUE(decodeRhythmText(line));
    EXPECT_EQ(firstDataItem(u"abc\r\ndef"), QStringLiteral("abc"));
}

TEST(RhythmFile, TypedVolumes)
{
    const std::pair<const char *, int> velocities[] = {{"100", 100}, {" 85x", 85}, {"100.5", 100}, {"101.5", 102},
                                                       {"abc", 0},   {"-5", 0},    {"40000", 127}, {"1e300", 127}};
    for (auto [text, v] : velocities)
        EXPECT_EQ(velocityFromText(QString::fromLatin1(text)), v) << text;
    const std::pair<const char *, int> entries[] = {{"100", 5}, {"98", 5}, {"95", 4}, {"10", 0}, {"500", 7}};
    for (auto [text, k] : entries)
        EXPECT_EQ(rhythmVolumeIndexForText(QString::fromLatin1(text)), k) << text;
}

TEST(RhythmFile, ShippedSamplesRead)
{
    // A 4/4 beat first (start-up loads the first file), a waltz, a march.
    const QDir samples(resourceFile(QStringLiteral("samples")));
    const QStringList names = samples.entryList({QStringLiteral("*.bin")}, QDir::Files, QDir::Name);
    ASSERT_EQ(names.size(), 3);
    std::vector<int> metres;
    for (const QString &name : names) {
        QFile f(samples.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QString text = decodeTextBytes(f.readAll());
        EXPECT_EQ(text.size(), RhythmLineLength + 2) << name.toStdString();
        EXPECT_TRUE(text.endsWith(QStringLiteral("\r\n")));
        const auto p = decodeRhythmText(text);
        ASSERT_TRUE(p) << name.toStdString();
        EXPECT_EQ(encodeRhythmLine(*p, name), text.left(RhythmLineLength));
        metres.push_back(p->metre);
    }
    EXPECT_EQ(metres, (std::vector<int>{Metre44, Metre34, Metre24}));
}
