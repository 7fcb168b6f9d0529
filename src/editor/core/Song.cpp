#include "editor/core/Song.h"

#include <memory>

namespace dzq {

namespace {

// Register letters (lowest first) of note tokens and the letters of the seven
// scale degrees with their semitone offsets; chord positions low, centre, high.
constexpr char16_t Registers[] = u"LWKHM";
constexpr char16_t Pitches[] = u"CDEFGAB";
constexpr int PitchOffsets[] = {0, 2, 4, 5, 7, 9, 11};
constexpr char16_t ChordPositions[] = u"LCM";
constexpr int FirstChordCode = 65;
constexpr int LastNoteCode = 55; // "MG"; "MA" and "MB" are no notes

int indexIn(const char16_t *letters, int count, QChar c)
{
    for (int i = 0; i < count; ++i)
        if (c.unicode() == letters[i])
            return i;
    return -1;
}

QString pair(char16_t a, char16_t b)
{
    const QChar cells[2] = {QChar(a), QChar(b)};
    return QString(cells, 2);
}

} // namespace

Song &programSong()
{
    // Made on first use, on the heap: about 10 MB of tables that live for the
    // whole run.
    static const std::unique_ptr<Song> song = std::make_unique<Song>();
    return *song;
}

int16_t SYYPSB(const QString &cell)
{
    if (cell.size() != 2)
        return HoldCode;
    if (cell == QLatin1String("XZ"))
        return RestCode;
    const int reg = indexIn(Registers, 5, cell[0]);
    const int pitch = indexIn(Pitches, 7, cell[1]);
    if (reg >= 0 && pitch >= 0) {
        const int code = 12 * reg + PitchOffsets[pitch];
        return code <= LastNoteCode ? int16_t(code) : HoldCode;
    }
    const int root = indexIn(Pitches, 7, cell[0]);
    const int pos = indexIn(ChordPositions, 3, cell[1]);
    if (root >= 0 && pos >= 0)
        return int16_t(FirstChordCode + 7 * pos + root);
    return HoldCode;
}

QString cellForCode(int code)
{
    if (code == RestCode)
        return QStringLiteral("XZ");
    if (code >= 0 && code <= LastNoteCode) {
        for (int p = 0; p < 7; ++p)
            if (PitchOffsets[p] == code % 12)
                return pair(Registers[code / 12], Pitches[p]);
        return QStringLiteral("--");
    }
    if (code >= FirstChordCode && code < FirstChordCode + 21) {
        const int k = code - FirstChordCode;
        return pair(Pitches[k % 7], ChordPositions[k / 7]);
    }
    return QStringLiteral("--");
}

int lastMeasureThatFits(int stepsPerMeasure)
{
    if (stepsPerMeasure < 1 || stepsPerMeasure > SongStepCapacity)
        return -1;
    return SongStepCapacity / stepsPerMeasure - 1;
}

} // namespace dzq
