#include "keyboard/core/ChordProgression.h"

#include "platform/Numbers.h"

#include <algorithm>
#include <chrono>
#include <random>

namespace dzq {

namespace {

struct CellToken {
    const char *text;
    int code;
};

constexpr CellToken CellTokens[] = {
    {"LC", 0},  {"LE", 4},  {"LG", 7},  {"LA", 9},  {"WC", 12}, {"WE", 16}, {"WG", 19}, {"WA", 21},
    {"KC", 24}, {"KE", 28}, {"KG", 31}, {"KA", 33}, {"HC", 36}, {"HE", 40}, {"HG", 43}, {"CL", 65},
    {"CC", 72}, {"CM", 79}, {"XZ", RestCode},
};

constexpr const char *ProgressionList[ProgressionListCount] = {
    "145", "1645", "1625", "125", "13625", "1365", "1625543", "126457", "6415", "6156", "6456", "6141", "15634325",
};

std::mt19937 &generator()
{
    static std::mt19937 g(static_cast<uint32_t>(std::chrono::system_clock::now().time_since_epoch().count()));
    return g;
}

} // namespace

int patternCellCode(QStringView cell)
{
    if (cell.size() != 2)
        return HoldCode;
    for (const CellToken &t : CellTokens)
        if (cell == QLatin1StringView(t.text))
            return t.code;
    return HoldCode;
}

std::vector<int> patternLineCodes(QStringView line, int steps)
{
    std::vector<int> codes(std::size_t(std::max(steps, 0)), HoldCode);
    for (qsizetype i = 0; i < qsizetype(codes.size()) && 2 * i + 1 < line.size(); ++i)
        codes[std::size_t(i)] = patternCellCode(line.mid(2 * i, 2));
    return codes;
}

QString normalisePatternLine(const QString &text, int length)
{
    QString line = text.toUpper();
    if (line.size() < length)
        line += QString(length - line.size(), QLatin1Char('-'));
    for (qsizetype i = 0; i < length; ++i)
        if (line[i].isSpace())
            line[i] = QLatin1Char('-');
    return line;
}

std::optional<DegreeCodeTable> parseDegreeTable(const QString &resourceText)
{
    // Every number is closed by ","; what follows the last one is no field.
    const QStringList fields = resourceText.split(QLatin1Char(','));
    if (fields.size() < 120)
        return std::nullopt;
    DegreeCodeTable table{};
    for (int n = 0; n < 119; ++n) {
        bool ok = false;
        const int value = fields[n].trimmed().toInt(&ok);
        if (!ok)
            return std::nullopt;
        table[std::size_t(n / 17 + 1)][std::size_t(n % 17 + 1)] = value;
    }
    if (fields.size() > 120 || !fields[119].trimmed().isEmpty())
        return std::nullopt;
    return table;
}

int buildChordSequence(const PatternCells &cells, const std::array<int, MaxProgressionLength + 1> &degrees,
                       int cycle, int steps, const DegreeCodeTable &table, ChordSequence &seq)
{
    for (auto &voice : seq)
        voice.fill(HoldCode);
    cycle = std::min(cycle, MaxProgressionLength);
    if (cycle < 1 || steps < 1 || steps > MaxStepsPerChord)
        return 0;
    for (int c = 1; c <= cycle; ++c)
        if (degrees[std::size_t(c)] < 1 || degrees[std::size_t(c)] > 7)
            return 0;

    for (std::size_t v = 0; v < 3; ++v)
        for (int i = 0; i < steps; ++i)
            seq[v + 1][std::size_t(i)] = cells[v][std::size_t(i)];

    const auto &tonic = table[1];
    for (int c = 2; c <= cycle; ++c) {
        const auto &row = table[std::size_t(degrees[std::size_t(c)])];
        for (int i = 0; i < steps; ++i)
            for (std::size_t v = 0; v < 3; ++v)
                for (std::size_t k = 1; k <= 17; ++k)
                    if (cells[v][std::size_t(i)] == tonic[k]) {
                        seq[v + 1][std::size_t((c - 1) * steps + i)] = row[k];
                        break;
                    }
    }
    return cycle * steps;
}

std::optional<std::vector<int>> parseProgression(QStringView text)
{
    if (text.size() > MaxProgressionLength)
        return std::nullopt;
    std::vector<int> degrees;
    for (const QChar ch : text) {
        if (ch < QLatin1Char('1') || ch > QLatin1Char('7'))
            return std::nullopt;
        degrees.push_back(ch.unicode() - '0');
    }
    return degrees;
}

QString progressionListEntry(int k)
{
    if (k < 1 || k > ProgressionListCount)
        return {};
    return QString::fromLatin1(ProgressionList[k - 1]);
}

double chordRandom()
{
    return std::uniform_real_distribution<double>(0.0, 1.0)(generator());
}

void seedChordRandom(uint32_t seed) { generator().seed(seed); }

int drawIndex(double r, int n)
{
    if (n < 1)
        return 0;
    return std::clamp(CInt(r * (n - 1) + 1), 1, n);
}

} // namespace dzq
