#include "shared/Shared.h"

#include <QStringList>

namespace dzq {

int32_t percussionMsg(int note, int velocity)
{
    return static_cast<int32_t>(0x99 + note * 256 + velocity * 65536);
}

bool fillChordTable(const QString &resourceText)
{
    QString text = resourceText;
    text.remove(QLatin1Char('\r'));
    text.replace(QLatin1Char('\n'), QLatin1Char(','));
    const QStringList fields = text.split(QLatin1Char(','), Qt::SkipEmptyParts);
    std::array<int32_t, 63> values{};
    int n = 0;
    for (const QString &field : fields) {
        bool ok = false;
        const int v = field.trimmed().toInt(&ok);
        if (!ok || n >= 63)
            return false;
        values[n++] = v;
    }
    if (n != 63)
        return false;
    for (int g = 1; g <= 3; ++g)
        for (int d = 1; d <= 7; ++d)
            for (int k = 1; k <= 3; ++k)
                ChordTable[g][d][k] = values[21 * (g - 1) + 3 * (d - 1) + (k - 1)];
    return true;
}

void resetAccompCounters()
{
    CurStep = 0;
    AccompStep = 0;
    NoteTick = 0;
    ChordStep = 1;
}

int chordSeqCode(int voice, int step)
{
    if (voice < 1 || voice > 3 || step < 0 || step >= ChordSeqLen || step >= ChordSeqSteps)
        return 255;
    return ChordSeq[std::size_t(voice)][std::size_t(step)];
}

void resetSharedState()
{
    KeyBase = 36;
    StepMs = 107;
    CurStep = 0;
    LineVolume.fill(0);
    ChannelPan.fill(0);
    ScoreText.clear();
    for (auto &record : RhythmStepTable)
        record.fill(RhythmCell{});
    for (auto &g : ChordTable)
        for (auto &d : g)
            for (auto &k : d)
                k = 0;
    ChordCode = 0;
    ChordChannel = 3;
    ChordNoteText.fill(QString());
    KeypadDrumIndex = 0;
    EffectKey = 0;
    EffectNames.fill(QString());
    MelodyProgram.fill(0);
    VoiceVelocity.fill(0);
    for (auto &row : PresetTable)
        for (auto &v : row)
            v = 0;
    DrumKeyTable.fill(0);
    AccompTick = 0;
    resetAccompCounters();
    RhythmLastStep = 15;
    StepsPerChord = 8;
    ChordCycle = 0;
    ChordSeqLen = 0;
    for (auto &voice : ChordSeq)
        voice.fill(0);
    ProgressionDegrees.fill(0);
}

} // namespace dzq
