#include "keyboard/core/RhythmFile.h"

#include "platform/Numbers.h"

#include <QFileInfo>

#include <algorithm>
#include <cstdlib>

namespace dzq {

namespace {

// Character positions (0-based) of the fields.
constexpr int VolumeAt = 0;
constexpr int MetreAt = 2;
constexpr int InstrumentAt = 4;
constexpr int FirstCellAt = 12;
// Cells stored per lane: A and B steps 0-15, C steps 0-16.
constexpr std::array<int, RhythmLanes> StoredCells{16, 16, 17};

QString hexPair(int value, int limit)
{
    return hexField(value >= 0 && value < limit ? value : 0, 2);
}

// The value the two characters at pos stand for, read as the hexadecimal
// number "&H" followed by them.
std::optional<int> readHexPair(QStringView text, int pos, int limit)
{
    const double v = Val(QStringLiteral("&H") + text.mid(pos, 2).toString());
    if (!(v >= 0 && v < limit))
        return std::nullopt;
    return int(v);
}

} // namespace

QString encodeRhythmLine(const RhythmPattern &pattern, const QString &fileName)
{
    QString line;
    line.reserve(RhythmLineLength);
    line += hexPair(pattern.volumeIndex, RhythmVolumeCount);
    line += hexPair(pattern.metre, MetreCount);
    for (int instrument : pattern.instruments)
        line += hexPair(instrument, PercussionCount);
    line += QStringLiteral("00");
    for (int lane = 0; lane < RhythmLanes; ++lane)
        for (int i = 0; i < StoredCells[std::size_t(lane)]; ++i)
            line += pattern.cells[std::size_t(lane)][std::size_t(i)] ? QLatin1Char('*') : QLatin1Char('-');

    // The title is the bare name with its outer blanks removed.
    QString title = QFileInfo(fileName).fileName();
    while (title.startsWith(QLatin1Char(' ')))
        title.remove(0, 1);
    while (title.endsWith(QLatin1Char(' ')))
        title.chop(1);
    line += title.left(RhythmTitleLength).leftJustified(RhythmTitleLength, QLatin1Char(' '));
    return line;
}

std::optional<RhythmPattern> decodeRhythmText(QStringView text)
{
    if (text.size() < RhythmShortestFile)
        return std::nullopt;
    RhythmPattern p;
    const auto volume = readHexPair(text, VolumeAt, RhythmVolumeCount);
    const auto metre = readHexPair(text, MetreAt, MetreCount);
    if (!volume || !metre)
        return std::nullopt;
    p.volumeIndex = *volume;
    p.metre = *metre;
    for (int lane = 0; lane < RhythmLanes; ++lane) {
        const auto instrument = readHexPair(text, InstrumentAt + 2 * lane, PercussionCount);
        if (!instrument)
            return std::nullopt;
        p.instruments[std::size_t(lane)] = *instrument;
    }
    int pos = FirstCellAt;
    for (int lane = 0; lane < RhythmLanes; ++lane)
        for (int i = 0; i < StoredCells[std::size_t(lane)]; ++i)
            p.cells[std::size_t(lane)][std::size_t(i)] = text[pos++] == QLatin1Char('*');
    return p;
}

QString firstDataItem(QStringView text)
{
    qsizetype end = 0;
    while (end < text.size() && text[end] != QLatin1Char('\r') && text[end] != QLatin1Char('\n')
           && text[end] != QLatin1Char(','))
        ++end;
    return text.left(end).toString();
}

int velocityFromText(QStringView text)
{
    // CInt holds far too large values at 32767 and gives 0 for no number.
    return std::clamp(CInt(Val(text)), 0, 127);
}

int rhythmVolumeIndexForText(QStringView text)
{
    const int v = velocityFromText(text);
    int best = 0;
    for (int k = 1; k < RhythmVolumeCount; ++k)
        if (std::abs(rhythmVolumeEntry(k) - v) < std::abs(rhythmVolumeEntry(best) - v))
            best = k;
    return best;
}

} // namespace dzq
