// Pattern cells, the degree table and the chord sequence built from them.
#include "keyboard/core/ChordProgression.h"
#include "platform/Resources.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace dzq;

namespace {

const DegreeCodeTable &table()
{
    static const DegreeCodeTable t = *parseDegreeTable(LoadResString(511));
    return t;
}

PatternCells cellsOf(const QString &v1, const QString &v2, const QString &v3, int steps = 8)
{
    PatternCells cells{};
    const QString lines[3] = {v1, v2, v3};
    for (std::size_t v = 0; v < 3; ++v) {
        const std::vector<int> codes = patternLineCodes(lines[v], steps);
        std::copy(codes.begin(), codes.end(), cells[v].begin());
    }
    return cells;
}

struct Built {
    ChordSequence seq{};
    int length = 0;
    std::vector<int> voice(int v) const
    {
        return {seq[std::size_t(v)].begin(), seq[std::size_t(v)].begin() + length};
    }
};

Built build(const PatternCells &cells, const QString &progression, int steps = 8)
{
    std::array<int, MaxProgressionLength + 1> degrees{};
    const auto parsed = parseProgression(progression);
    EXPECT_TRUE(parsed) << progression.toStdString();
    for (std::size_t c = 0; parsed && c < parsed->size(); ++c)
        degrees[c + 1] = (*parsed)[c];
    Built b;
    b.length = buildChordSequence(cells, degrees, parsed ? int(parsed->size()) : 0, steps, table(), b.seq);
    return b;
}

constexpr int H = HoldCode;

} // namespace

TEST(ChordPattern, CellsAndLinesAreReadOnTheirOwn)
{
    EXPECT_EQ(patternLineCodes(u"LG--WC--WE--WG--", 8), (std::vector<int>{7, H, 12, H, 16, H, 19, H}));
    EXPECT_EQ(patternLineCodes(u"LCLELGLAWAKAHCHE", 8), (std::vector<int>{0, 4, 7, 9, 21, 33, 36, 40}));
    EXPECT_EQ(patternLineCodes(u"CLCCCMXZHGMCLDlc", 8), (std::vector<int>{65, 72, 79, 254, 43, H, H, H}));
    // A short line, an odd last character or an empty line holds in the
    // missing cells; a long line plays its first cells.
    EXPECT_EQ(patternLineCodes(u"KCXZK", 8), (std::vector<int>{24, 254, H, H, H, H, H, H}));
    EXPECT_EQ(patternLineCodes(u"", 6), std::vector<int>(6, H));
    EXPECT_EQ(patternLineCodes(u"WCWEWGWCWEWGKCKE", 6), (std::vector<int>{12, 16, 19, 12, 16, 19}));

    // A box's text as its box leaves it.
    EXPECT_EQ(normalisePatternLine(QStringLiteral("K C K")), QStringLiteral("K-C-K-----------"));
    EXPECT_EQ(normalisePatternLine(QStringLiteral("lc lc"), 12), QStringLiteral("LC-LC-------"));

    // The degree table's text is refused unless it holds 119 numbers.
    EXPECT_FALSE(parseDegreeTable(QStringLiteral("1,2,3,")));
    EXPECT_FALSE(parseDegreeTable(LoadResString(511).replace(QStringLiteral("43,"), QStringLiteral("x,"))));
}

TEST(ChordSequence, DefaultPatternsOverProgressions)
{
    const PatternCells defaults = cellsOf(QStringLiteral("LG--WC--WE--WG--"), QStringLiteral("CC--CC--CC--CC--"),
                                          QStringLiteral("CL--------------"));
    const Built b = build(defaults, QStringLiteral("145"));
    ASSERT_EQ(b.length, 24);
    EXPECT_EQ(b.voice(1), (std::vector<int>{7, H, 12, H, 16, H, 19, H,     // degree 1 as written
                                            12, H, 17, H, 21, H, 24, H,    // degree 4
                                            14, H, 19, H, 23, H, 26, H})); // degree 5
    // The chords move to the degree's chord of their group, the holds stay.
    EXPECT_EQ(b.voice(2), (std::vector<int>{72, H, 72, H, 72, H, 72, H, 75, H, 75, H, 75, H, 75, H,
                                            76, H, 76, H, 76, H, 76, H}));
    EXPECT_EQ((std::array<int, 3>{b.seq[3][0], b.seq[3][8], b.seq[3][16]}), (std::array<int, 3>{65, 68, 69}));

    // A progression starting on 6 plays the lines unchanged in its first chord;
    // chord 3 (degree 1) equals chord 1. Chords of group 3 follow their degree.
    const Built six = build(cellsOf(QStringLiteral("WEXZ----KCKEKG--"), QStringLiteral("CM------CM------"), {}),
                            QStringLiteral("6415"));
    ASSERT_EQ(six.length, 32);
    EXPECT_EQ(six.voice(1), (std::vector<int>{16, 254, H, H, 24, 28, 31, H, 21, 254, H, H, 29, 33, 36, H,
                                              16, 254, H, H, 24, 28, 31, H, 23, 254, H, H, 31, 35, 38, H}));
    EXPECT_EQ((std::array<int, 3>{six.seq[2][0], six.seq[2][8], six.seq[2][24]}), (std::array<int, 3>{79, 82, 83}));
    // Voice 3 is empty: everything holds.
    EXPECT_EQ(six.voice(3), std::vector<int>(32, H));
}

TEST(ChordSequence, ThreeFourAndLongAndEmptyProgressions)
{
    // 3/4: six cells a chord from the last twelve characters of each line.
    const PatternCells cells = cellsOf(QStringLiteral("WC--WE--WG--"), QStringLiteral("CC--CC--CC--"),
                                       QStringLiteral("CL----------"), 6);
    const Built b = build(cells, QStringLiteral("1625"), 6);
    ASSERT_EQ(b.length, 24);
    EXPECT_EQ(b.voice(1), (std::vector<int>{12, H, 16, H, 19, H, 21, H, 24, H, 28, H,
                                            14, H, 17, H, 21, H, 19, H, 23, H, 26, H}));
    EXPECT_EQ(b.voice(2)[18], 76);

    // Seventeen chords fit; the last one is mapped.
    const Built longest = build(cells, QStringLiteral("12345671234567123"), 8);
    EXPECT_EQ(longest.length, 136);
    EXPECT_EQ(longest.seq[2][128], 74);
    EXPECT_FALSE(parseProgression(u"123456712345671234"));
    for (const char16_t *bad : {u"148", u"0", u"1a", u"1 2", u"\uff11"})
        EXPECT_FALSE(parseProgression(bad));

    // An empty progression builds no chords, and what an earlier build left is
    // no longer read.
    ChordSeq = build(cells, QStringLiteral("145"), 8).seq;
    ChordSeqLen = build(cells, QString(), 8).length;
    EXPECT_EQ(ChordSeqLen, 0);
    EXPECT_EQ(chordSeqCode(1, 0), H);
    ChordSeqLen = 24;
    EXPECT_EQ(chordSeqCode(1, 0), 12);
    for (auto [v, i] : {std::pair{0, 0}, {4, 0}, {1, -1}, {1, 24}, {1, 150}, {1, 151}})
        EXPECT_EQ(chordSeqCode(v, i), H);
    resetSharedState();
}

TEST(ChordSequence, CellsWithoutATonicToneHoldInLaterChords)
{
    // First a build where step 8 gets a note, then one whose line has "LA"
    // there: chord 2 must hold, not replay the earlier note.
    ChordSequence seq{};
    std::array<int, MaxProgressionLength + 1> degrees{0, 1, 4};
    buildChordSequence(cellsOf(QStringLiteral("LC"), {}, {}), degrees, 2, 8, table(), seq);
    EXPECT_EQ(seq[1][8], 5);
    buildChordSequence(cellsOf(QStringLiteral("LA"), {}, {}), degrees, 2, 8, table(), seq);
    EXPECT_EQ(seq[1][0], 9);
    EXPECT_EQ(seq[1][8], H);
    // Steps outside 1..8 or a bad degree give no chords.
    EXPECT_EQ(buildChordSequence(cellsOf({}, {}, {}), degrees, 2, 0, table(), seq), 0);
    degrees[2] = 8;
    EXPECT_EQ(buildChordSequence(cellsOf({}, {}, {}), degrees, 2, 8, table(), seq), 0);
}

TEST(ChordRandom, DrawsAndTheBuiltInProgressions)
{
    // Rounded half to even: the ends come half as often.
    for (auto [r, n, index] : {std::tuple{0.0, 13, 1}, {0.5 / 12, 13, 2}, {1.5 / 12, 13, 2}, {0.9999, 13, 13},
                               {0.7, 1, 1}, {0.7, 0, 0}})
        EXPECT_EQ(drawIndex(r, n), index) << r << " " << n;
    for (int k = 1; k <= ProgressionListCount; ++k)
        EXPECT_TRUE(parseProgression(progressionListEntry(k)));
    seedChordRandom(7);
    const double first = chordRandom();
    EXPECT_GE(first, 0.0);
    EXPECT_LT(first, 1.0);
}
