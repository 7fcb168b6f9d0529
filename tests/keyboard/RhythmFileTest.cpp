// The rhythm file line: written from the grid's values, read back with every
// field checked; the shipped samples.
#include "keyboard/core/RhythmFile.h"
#include "platform/Resources.h"
#include "platform/TextFile.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace dzq;

namespace {

RhythmPattern beat()
{
    RhythmPattern p;
    p.instruments = {1, 3, 7};
    for (int i : {0, 4, 8, 12})
        p.cells[0][std::size_t(i)] = true;
    p.cells[1][4] = p.cells[2][0] = p.cells[2][16] = true;
    return p;
}

} // namespace

TEST(RhythmFile, LineWrittenAndReadBack)
{
    // Volume "100" (5), 4/4, instruments 1, 3, 7; the title is the bare name
    // without its outer blanks, padded to 16.
    const QString line = encodeRhythmLine(beat(), QStringLiteral("/data/演奏记录/  基本节拍.bin"));
    EXPECT_EQ(line, QStringLiteral("050201030700*---*---*---*-------*-----------*---------------*基本节拍.bin        "));
    EXPECT_EQ(decodeRhythmText(line + QStringLiteral("\r\n")), beat());

    // 61 characters are refused, 62 enough; cell 16 of lanes A and B is not stored.
    RhythmPattern p = beat();
    p.cells[0][16] = true;
    const QString cut = encodeRhythmLine(p, QStringLiteral("a very long rhythm name.bin"));
    EXPECT_EQ(cut.mid(61), QStringLiteral("a very long rhyt"));
    EXPECT_FALSE(decodeRhythmText(cut.left(61)));
    EXPECT_EQ(decodeRhythmText(cut.left(62)), beat());

    // A field outside its list is written as "00", never widening the line.
    p.volumeIndex = -1;
    p.instruments[1] = 47;
    EXPECT_EQ(encodeRhythmLine(p, QStringLiteral("x")).left(12), QStringLiteral("000201000700"));

    // A title starting with a comma: the first data item is 61 characters.
    const QString comma = encodeRhythmLine(beat(), QStringLiteral(",节奏.bin")) + QStringLiteral("\r\n");
    EXPECT_FALSE(decodeRhythmText(firstDataItem(comma)));
    EXPECT_TRUE(decodeRhythmText(comma));
}

TEST(RhythmFile, FieldsOutsideTheirListsAreRefused)
{
    const QString line = encodeRhythmLine(beat(), QStringLiteral("t.bin"));
    for (auto [pos, pair] : {std::pair{0, "08"}, {2, "03"}, {4, "2F"}, {8, "FF"}}) {
        QString bad = line;
        bad.replace(pos, 2, QLatin1String(pair));
        EXPECT_FALSE(decodeRhythmText(bad)) << pair;
    }
    // Either case; anything but "*" clears a cell.
    QString odd = line;
    odd.replace(4, 2, QStringLiteral("2e"));
    odd[12] = QLatin1Char('x');
    const auto p = decodeRhythmText(odd);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->instruments[0], 46);
    EXPECT_FALSE(p->cells[0][0]);
}

TEST(RhythmFile, TypedVolumes)
{
    for (auto [text, v] : {std::pair{" 85x", 85}, {"100.5", 100}, {"abc", 0}, {"-5", 0}, {"40000", 127}})
        EXPECT_EQ(velocityFromText(QString::fromLatin1(text)), v) << text;
    for (auto [text, k] : {std::pair{"100", 5}, {"98", 5}, {"95", 4}, {"500", 7}})
        EXPECT_EQ(rhythmVolumeIndexForText(QString::fromLatin1(text)), k) << text;
}

TEST(RhythmFile, ShippedSamplesRead)
{
    // A 4/4 beat first (start-up loads the first file), a waltz, a march.
    const QDir samples(resourceFile(QStringLiteral("samples")));
    std::vector<int> metres;
    for (const QString &name : samples.entryList({QStringLiteral("*.bin")}, QDir::Files, QDir::Name)) {
        QFile f(samples.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QString text = decodeTextBytes(f.readAll());
        const auto p = decodeRhythmText(text);
        ASSERT_TRUE(p) << name.toStdString();
        EXPECT_EQ(encodeRhythmLine(*p, name) + QStringLiteral("\r\n"), text);
        metres.push_back(p->metre);
    }
    EXPECT_EQ(metres, (std::vector<int>{Metre44, Metre34, Metre24}));
}
