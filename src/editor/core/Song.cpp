#include "editor/core/Song.h"

#include "keyboard/core/KeyLayout.h"

#include <memory>

namespace dzq {

namespace {

// Chord tokens: root letter (the pitch letters) then position low, centre, high.
constexpr char ChordPositions[] = "LCM";

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
    return int16_t(noteCode(cell));
}

QString cellForCode(int code)
{
    if (code == RestCode)
        return QStringLiteral("XZ");
    if (code >= FirstChordCode && code <= LastChordCode) {
        const int k = code - FirstChordCode;
        const char name[] = {PitchLetters[k % 7], ChordPositions[k / 7], '\0'};
        return QString::fromLatin1(name);
    }
    const QString note = noteName(code);
    return note.isEmpty() ? QStringLiteral("--") : note;
}

QString measureLineText(const Song &song, int line, int measure, int stepsPerMeasure)
{
    if (line < 0 || line >= SongLineRows || measure < 0 || measure > lastMeasureThatFits(stepsPerMeasure))
        return {};
    QString text;
    const int first = stepsPerMeasure * measure;
    for (int step = first; step < first + stepsPerMeasure; ++step)
        text += song.StepArr[line][step];
    return text;
}

int lastMeasureThatFits(int stepsPerMeasure)
{
    if (stepsPerMeasure < 1 || stepsPerMeasure > SongStepCapacity)
        return -1;
    return SongStepCapacity / stepsPerMeasure - 1;
}

} // namespace dzq
