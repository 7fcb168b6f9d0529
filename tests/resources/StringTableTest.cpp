// The string table compiled into the program: the texts the windows load by
// number, checked against the exact texts the program must show or write.
#include "midi/Shared.h"
#include "platform/Resources.h"

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

// The numbers of a comma-separated list whose fields may hold line breaks.
QList<int> commaFields(const QString &text)
{
    QList<int> values;
    for (const QString &field : text.split(QLatin1Char(',')))
        if (!field.trimmed().isEmpty())
            values << field.trimmed().toInt();
    return values;
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
    const QRegularExpression marker(QStringLiteral("^@@@ (\\d+)\\r?$"),
                                    QRegularExpression::MultilineOption);
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
        if (id == 99)
            continue;
        QString text = LoadResString(id);
        text.remove(CRLF);
        EXPECT_FALSE(text.contains(QLatin1Char('\r'))) << "lone CR in " << id;
        EXPECT_FALSE(text.contains(QLatin1Char('\n'))) << "lone LF in " << id;
    }
}

TEST(StringTable, InstrumentListIsNumberedByListIndexWithExactDistinctNames)
{
    // The names the program quotes.
    const QList<QPair<int, QString>> quoted{
        {201, QStringLiteral("0.无声")},       {202, QStringLiteral("1.明亮钢琴")},
        {204, QStringLiteral("3.酒吧钢琴")},   {205, QStringLiteral("4.柔和电钢琴")},
        {206, QStringLiteral("5.合唱电钢琴")}, {211, QStringLiteral("10.钟琴")},
        {213, QStringLiteral("12.电颤琴")},    {216, QStringLiteral("15.编钟")},
        {226, QStringLiteral("25.尼龙弦吉它")}, {227, QStringLiteral("26.钢丝弦吉它")},
        {236, QStringLiteral("35.手弹贝司")},  {248, QStringLiteral("47.竖琴")},
        {251, QStringLiteral("50.弦乐合奏2")}, {253, QStringLiteral("52.合成弦乐2")},
        {256, QStringLiteral("55.合成人声")},  {280, QStringLiteral("79.口哨")},
        {284, QStringLiteral("83.诗歌")},      {320, QStringLiteral("119.架子鼓")},
        {329, QStringLiteral("128.枪声")},
    };
    for (const auto &[id, text] : quoted)
        EXPECT_EQ(LoadResString(id), text) << "id " << id;

    QSet<QString> names;
    for (int k = 0; k <= 128; ++k) {
        const QString text = LoadResString(201 + k);
        const QString prefix = QString::number(k) + QLatin1Char('.');
        ASSERT_TRUE(text.startsWith(prefix)) << text.toStdString();
        const QString name = text.mid(prefix.size());
        EXPECT_FALSE(name.isEmpty()) << k;
        EXPECT_EQ(name, name.trimmed()) << k;
        EXPECT_FALSE(names.contains(name)) << "duplicate " << name.toStdString();
        names.insert(name);
    }
}

TEST(StringTable, PercussionNamesAreExactUnnumberedAndDistinct)
{
    const QList<QPair<int, QString>> quoted{
        {335, QStringLiteral("低音大鼓")}, {336, QStringLiteral("低音鼓")},
        {338, QStringLiteral("小鼓")},     {339, QStringLiteral("拍掌")},
        {352, QStringLiteral("中国铜钹")}, {376, QStringLiteral("木鱼-高音")},
        {381, QStringLiteral("三角铃-开音")},
    };
    for (const auto &[id, text] : quoted)
        EXPECT_EQ(LoadResString(id), text) << "id " << id;

    QSet<QString> names;
    for (int id = 335; id <= 381; ++id) {
        const QString name = LoadResString(id);
        EXPECT_FALSE(name.at(0).isDigit()) << id;
        EXPECT_FALSE(names.contains(name)) << "duplicate " << name.toStdString();
        names.insert(name);
    }
    EXPECT_EQ(names.size(), 47);
}

TEST(StringTable, EditorHelpKeepsItsLineStructure)
{
    const QString expectedStart = QStringLiteral(
        "   本音乐编辑窗口仍然使用电子琴的音符符号,每种\r\r\n"
        "乐器后面都有该乐器的演奏音量，当改变了某小节的\r\r\n"
        "旋律或打击乐时应试听本小节，当改变了本小节的音\r\r\n"
        "调，速度，音量等内容时应保存本小节，未完成的编\r\r\n"
        "辑可以保存为编辑文件以备下次继续，录音等操作与\r\r\n"
        "电子琴相同！\r\n"
        "\t\t有任何意见或建议请联系\r\n"
        "\t\t");
    const QString text = LoadResString(99);
    ASSERT_TRUE(text.startsWith(expectedStart)) << text.toStdString();
    const QString contact = text.mid(expectedStart.size());
    EXPECT_FALSE(contact.trimmed().isEmpty());
    EXPECT_FALSE(contact.contains(QLatin1Char('\r')) || contact.contains(QLatin1Char('\n')));
}

TEST(StringTable, HelpTopicsAreChineseTextsOfSeveralLines)
{
    // Each topic mentions what its option button names.
    const QList<QPair<int, QString>> mentions{
        {501, QStringLiteral("LC")},   {501, QStringLiteral("输入法")},
        {502, QStringLiteral("TZ")},   {502, QStringLiteral("KC8KDKEKF4KGKAKB")},
        {503, QStringLiteral("2/4")},  {504, QStringLiteral("和弦顺序")},
        {505, QStringLiteral("空白处")}, {506, QStringLiteral("录音")},
    };
    for (int id = 500; id <= 506; ++id)
        EXPECT_GE(LoadResString(id).split(CRLF).size(), 3) << id;
    for (const auto &[id, word] : mentions)
        EXPECT_TRUE(LoadResString(id).contains(word)) << id << " " << word.toStdString();
}

TEST(StringTable, DefaultSettingsAreTheFiftyThreeLinesToTheCharacter)
{
    const QString expected = QStringLiteral(
        "3 \r\n 89 \r\n 0 \r\n 24 \r\n 44 \r\n 0 \r\n 74 \r\n 75 \r\n 0 \r\n"
        " 22 \r\n 44 \r\n 0 \r\n 81 \r\n 86 \r\n 25 \r\n 19 \r\n 44 \r\n 102 \r\n"
        " 50 \r\n 10 \r\n 55 \r\n 61 \r\n 67 \r\n 92 \r\n 45 \r\n 0 \r\n 0 \r\n"
        " 65 \r\n 79 \r\n 0 \r\n 108 \r\n 26 \r\n 55 \r\n 41 \r\n 10 \r\n 90 \r\n"
        " 3 \r\n 1 \r\n 22 \r\n 17 \r\n 4 \r\n 23 \r\n 39 \r\n 17 \r\n 18 \r\n 25 \r\n"
        "拍手1.wav\r\n雷声3.WAV\r\n锣2.wav\r\n民族笛子3.wav\r\n涨潮.wav\r\n钟声.wav \r\n"
        "0\r\n");
    EXPECT_EQ(LoadResString(508), expected);
}

TEST(StringTable, PatternLibraryIsTheDefaultLinesAndTwoEmptyOnes)
{
    const QStringList patterns = QStringLiteral(
        "LC------LC------ LGWCWEWGLCKCKEKG WC------WC------ WC--WE--WG--WC-- WG--KC--KE--KG-- "
        "KG--KE--KC--WG-- WC--WG--KC--WG-- WE--WG--LC--WG-- XZMCHGHEHGHEHCKG LG--WCWE--WGLC-- "
        "LC--LCLE--LGLC-- WC--LGLELGLC---- LG--WC--LG--WC-- LG--WC--LE--LC-- CL------WG--WC-- "
        "CM------WG--WE-- WGKCKEKGKCKEKGHC LGWCLGWCLEWCLEWC LELCLGLCLELELCLC LGLELCLGLGLEWCLG "
        "KCXZ----WCXZ---- WEXZ----KCKEKG-- KC--KGKEKC--KC-- CC------CL------ LC------LG------ "
        "LG------LC------ WCWEWGWEWGKCWGWE KC--KE--KG--KE-- KGHCKGKELCLELGLE LG--WC--LC--LE-- "
        "KCKEKGKEKGHCKGKE CC--LE--LG--LE-- CCWCLCLECCWEWGKC CC--KC--KE--KG-- CCLELGWCCCWCLGLE "
        "WG--WE--KC--WG-- KE--KE--WG--WG-- LG--LG--WC--WC-- WE--LC--LG--WC-- LC------LG------ "
        "LE------LC------ CC--WG--KC--WG-- CCWGLCWGCCKGHCKG CCLEKGHCCLHCKGHC CCLGCLLGCCLGCLLG "
        "WC--WE--WG--WC-- CC------CM------ CC--WE--WG--WC-- KC--KGKEKC--KC-- KE------WC--WG-- "
        "CC--LG--WC--WE-- CC--WC--WG--WE-- CL----------LG-- LGWEWCLGWGWCWEWC WC--LG--WE--WC-- "
        "CM------CM------ KC--KE--KG--KC-- CL--KE--CL--KC-- CM------CM------ KCWGKEKCCCWGKCWG "
        "WE--WG--LC--WG-- CM------CM------ WG--KC--KG--KE-- CC------WG--KC-- KG------KE------ "
        "WG------LG------ WC------WC------ LG------LG------ CC------CM------ LG--WC--WG--WE-- "
        "CCWGKGKEKCWGKCKE WC------WE--WC-- WC------WG------ WC--XZ--WG--WC-- CCWGKCKECCKCKGKE "
        "CC--WE--WG--KC-- CC--KC--WG--WE-- CC----WEWG------ CC----KCWG------ CC------CL--CL-- "
        "WG--KC--KG--KE-- CCWGKCKECCWGKCKE CC------CC------ KC--KE--KG--KC-- CC------WGKC---- "
        "CC--KC--WGWE---- CC--WG--KC--KE-- CC--KC--KE--KG-- KCXZCCKCKCXZCC-- KCKCKCCCHC--CCKG "
        "WG--KC--KG--KE-- CC----KGKG--XZ-- CC--KG--WC--KG-- CC----KGKG--XZ-- CC--KG----KGKG-- "
        "CL----WG----WCWE CL------WGWE---- WG--KC--KG--WGWG KE--KG--KE--KC-- CC--WE--CC--KC-- "
        "CC--WE--CC--KC-- WG--KC--KG--KE-- KC--KE--KG--KC-- CCLGLCCCLGLCCCCC CC--CC--CC--CC-- "
        "LG--WE--WG--WC-- CC--KGKG--XZCC-- KGKG------KGKG-- CC------CC------ CM------CM------ "
        "CL------CL------ CCLELGLELGWCLGLE LGWCWEWCWGWELGWC").split(QLatin1Char(' '));
    // Written to the library file, the text gives 113 pattern lines of 16
    // characters and two empty lines.
    EXPECT_EQ(LoadResString(509).split(CRLF), patterns + QStringList(2, QString()));
}

TEST(StringTable, ChordTableFillsTheVoicingsPlayChordSounds)
{
    const QString text = LoadResString(510);
    EXPECT_TRUE(text.endsWith(QStringLiteral("35\r\n\r\n\r\n"))) << text.toStdString();
    EXPECT_EQ(text.count(QLatin1Char(',')), 62);

    // (degree, group) -> three notes.
    const int voicings[7][3][3] = {
        {{7, 12, 16}, {12, 16, 19}, {16, 19, 24}},  {{9, 14, 17}, {14, 17, 21}, {17, 21, 26}},
        {{11, 16, 19}, {16, 19, 23}, {19, 23, 28}}, {{12, 17, 21}, {17, 21, 24}, {21, 24, 29}},
        {{14, 19, 23}, {19, 23, 26}, {23, 26, 31}}, {{16, 21, 24}, {21, 24, 28}, {24, 28, 33}},
        {{17, 23, 26}, {23, 26, 31}, {26, 31, 35}},
    };
    dzq::resetSharedState();
    ASSERT_TRUE(dzq::fillChordTable(text));
    for (int g = 1; g <= 3; ++g)
        for (int d = 1; d <= 7; ++d)
            for (int n = 1; n <= 3; ++n)
                EXPECT_EQ(dzq::ChordTable[g][d][n], voicings[d - 1][g - 1][n - 1])
                    << "group " << g << " degree " << d << " note " << n;
    dzq::resetSharedState();
}

TEST(StringTable, DegreeTableGivesSeventeenCodesPerDegree)
{
    const QString text = LoadResString(511);
    EXPECT_TRUE(text.startsWith(QStringLiteral("\r\n\r\n")));
    EXPECT_TRUE(text.endsWith(QStringLiteral(",\r\n\r\n")));
    EXPECT_EQ(text.count(QLatin1Char(',')), 119);
    const QList<int> fields = commaFields(text);
    ASSERT_EQ(fields.size(), 119);

    const int tones[7][12] = {
        {0, 4, 7, 12, 16, 19, 24, 28, 31, 36, 40, 43},  {2, 5, 9, 14, 17, 21, 26, 29, 33, 38, 41, 45},
        {4, 7, 11, 16, 19, 23, 28, 31, 35, 40, 43, 47}, {5, 9, 12, 17, 21, 24, 29, 33, 36, 41, 45, 48},
        {7, 11, 14, 19, 23, 26, 31, 35, 38, 43, 47, 50}, {9, 12, 16, 21, 24, 28, 33, 36, 40, 45, 48, 52},
        {11, 14, 17, 23, 26, 29, 35, 38, 41, 47, 50, 53},
    };
    // Then the three chord codes of the degree, the rest and the hold.
    for (int d = 1; d <= 7; ++d) {
        QList<int> row(std::begin(tones[d - 1]), std::end(tones[d - 1]));
        row << 64 + d << 71 + d << 78 + d << 254 << 255;
        EXPECT_EQ(fields.mid(17 * (d - 1), 17), row) << "degree " << d;
    }
}
