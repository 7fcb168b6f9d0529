// The step player: one sixteenth of the song per tick of the clock YYDS, the
// measure shown (ST1) or the whole song from measure 0 (ST2). Each step sends
// the effect controllers, applies a measure's settings record when playback
// enters it, sounds the seven melody lines on channels 0-6 and the five
// percussion lines on channel 9, and moves the measure view along. The player
// has its own cursor, PlayStep: the keyboard window's clocks, which run on
// while it is hidden, never move it.
#include "editor/YYBJ.h"

#include "editor/core/MeasureRecord.h"
#include "midi/MidiOut.h"
#include "midi/Prepared.h"
#include "platform/Numbers.h"
#include "shared/Shared.h"

#include <algorithm>
#include <cmath>

namespace dzq {

namespace {

const QString IdleCaption = QStringLiteral("从开始处启动");
const QString PlayingCaption = QStringLiteral("停止当前演奏");

constexpr int FullExpression = 120;
constexpr int AccentExpression = 80;

// Steps of a measure that play at the accent level, by steps per measure - 1;
// a measure of another length has no accents.
bool accentedStep(int stepMax, int k)
{
    switch (stepMax) {
    case 15:
        return k == 4 || k == 12;
    case 23:
        return k == 4 || k == 8 || k == 16 || k == 20;
    case 31:
        return k == 4 || k == 8 || k == 12 || k == 20 || k == 24 || k == 28;
    default:
        return false;
    }
}

} // namespace

void YYBJ::convertSong()
{
    const Song &song = programSong();
    const int S = stepsPerMeasure();
    const int last = std::min(playLastStep(song.TotalMeasures, StepMax), SongStepCapacity - 1);
    Song &writable = programSong();
    for (int t = 0; t <= last && t < S * (song.TotalMeasures + 1); ++t) {
        for (int line = 0; line < MelodyLineCount; ++line)
            writable.NoteArr[std::size_t(line)][std::size_t(t)] = SYYPSB(song.StepArr[std::size_t(line)][std::size_t(t)]);
        for (int r = 0; r < PercussionLineCount; ++r)
            RhythmStepTable[std::size_t(r)][std::size_t(t)].On =
                isPercussionHit(song.StepArr[std::size_t(FirstPercussionLine + r)][std::size_t(t)]) ? -1 : 0;
    }
}

void YYBJ::resetPlayButtons()
{
    ST1->setEnabled(true);
    ST2->setEnabled(true);
    ST1->setValue(false);
    // Clearing a checked ST2 runs its stop.
    ST2->setValue(0);
    ST2->setText(IdleCaption);
    YYDS->setEnabled(false);
}

void YYBJ::startClock()
{
    YYDS->setInterval(StepMs);
    YYDS->setEnabled(true);
}

void YYBJ::ST1_Click()
{
    if (!ST1->value()) {
        silence();
        ST2->setEnabled(true);
        ST1->setValue(false);
        ST2->setValue(0);
        ST2->setText(IdleCaption);
        YYDS->setEnabled(false);
        return;
    }
    commitTypedMelody();
    ST2->setEnabled(false);
    convertSong();
    // The measure typed in XJZS, when it is one of the song's; else the one
    // shown.
    const double typed = Val(XJZS->text());
    int n = CurMeasure;
    if (std::isfinite(typed) && typed >= 0 && typed <= programSong().TotalMeasures)
        n = CInt(typed);
    n = std::clamp(n, 0, programSong().TotalMeasures);
    const int S = stepsPerMeasure();
    PlayLastStep = S * n + StepMax;
    StepsLeft = S;
    PlayStep = S * n;
    showMeasureNumber(n);
    BZWJ->setEnabled(false);
    startClock();
    YYSB();
}

void YYBJ::ST2_Click()
{
    PlayLastStep = playLastStep(programSong().TotalMeasures, StepMax);
    if (ST2->value() != 1) {
        ST1->setEnabled(true);
        ST2->setEnabled(true);
        ST1->setValue(false);
        ST2->setText(IdleCaption);
        YYDS->setEnabled(false);
        silence();
        BZWJ->setEnabled(true);
        return;
    }
    commitTypedMelody();
    PlayStep = 0;
    convertSong();
    ST2->setText(PlayingCaption);
    ST1->setEnabled(false);
    showMeasureNumber(0);
    BZWJ->setEnabled(false);
    if (hasRecord(0)) {
        CurMeasure = 0;
        CXTSB();
    }
    ExprStart = exprStartForDepth(Depth);
    StepsLeft = PlayLastStep + 1;
    startClock();
    YYSB();
}

void YYBJ::YYDS_Timer()
{
    YYSB();
    StepsLeft -= 1;
    if (StepsLeft < 1) {
        // The range ends with the count of its steps, unless its end came
        // first (the end of the range or an end cell, which silence). A range
        // that grew meanwhile (a measure inserted during an audition) ends
        // here with its last note still sounding: it is released too.
        const bool stillRunning = YYDS->isEnabled();
        resetPlayButtons();
        if (stillRunning)
            silence();
    }
}

void YYBJ::YYSB()
{
    const int S = stepsPerMeasure();
    int n = CurMeasure;

    // Crescendo: rising from the start of the measure, or falling in its
    // second half.
    const int half = StepMax / 2 + S * n;
    if (Check1[1]->value() == 1 && Depth > 0)
        ExprStart = std::clamp(ExprStart + Depth, 0, FullExpression);
    else if (Check1[1]->value() == 1 && Depth <= -1 && half < PlayStep && PlayStep < S * (n + 1))
        ExprStart = std::clamp(ExprStart + Depth, 0, FullExpression);
    else
        ExprStart = FullExpression;

    MidiShortMsg(0xB0, 1, Check1[0]->value() == 1 ? 120 : 0);

    if (PlayStep > PlayLastStep || PlayStep >= SongStepCapacity) {
        YYDS->setEnabled(false);
        silence();
        ST1->setValue(false);
        ST2->setValue(0);
        BZWJ->setEnabled(true);
        ExprStart = exprStartForDepth(Depth);
        MidiShortMsg(0xB0, 11, ExprStart);
        return;
    }

    n = PlayStep / S;
    if (hasRecord(n) && AppliedMeasure != n) {
        CurMeasure = n;
        CXTSB();
    }
    showMeasureNumber(n);
    // The view follows; a new value shows the measure (and applies its record).
    HScroll1->setMaximum(std::max(HScroll1->maximum(), n));
    HScroll1->setValue(n);
    CurMeasure = n;
    const int k = PlayStep % S;

    AccentLevel = accentedStep(StepMax, k) ? AccentExpression : FullExpression;
    if (StepMax == 31 && ExprStart < FullExpression)
        AccentLevel = ExprStart;

    for (int ch = 0; ch <= 4; ++ch)
        MidiShortMsg(0xB0 + ch, 11, ExprStart);
    for (int ch : {5, 6, 9})
        MidiShortMsg(0xB0 + ch, 11, AccentLevel);

    for (int r = 0; r < PercussionLineCount; ++r) {
        const int line = FirstPercussionLine + r;
        const int index = std::max(SYYQ[std::size_t(line)]->listIndex(), 0);
        RhythmStepTable[std::size_t(r)][std::size_t(PlayStep)].Msg =
            percussionMsg(index + EditorPercussionNoteOffset, LineVolume[std::size_t(line)]);
    }
    XJFS();
}

void YYBJ::XJFS()
{
    const Song &song = programSong();
    const auto t = std::size_t(PlayStep);
    for (int line = 0; line < MelodyLineCount; ++line) {
        const auto l = std::size_t(line);
        const int c = song.NoteArr[l][t];
        const bool end = song.StepArr[l][t] == QLatin1String("TZ");
        const bool sounds = SYYQ[l]->listIndex() > 0;
        if (!end && c < 64) {
            releaseLine(line);
            // A typed volume above a MIDI data byte sounds at the loudest.
            if (sounds)
                MidiNoteOn(line, c + KeyBase, std::min(LineVolume[l], 127));
            LineLastNote[l] = c;
        } else if (c >= 65 && c <= 85) {
            releaseLine(line);
            ChordCode = c;
            ChordChannel = line;
            if (sounds)
                PlayChord(c, line);
            LineLastNote[l] = c;
        } else if (c == RestCode) {
            releaseLine(line);
        } else if (end) {
            resetPlayButtons();
            silence();
            BZWJ->setEnabled(true);
            return;
        }
    }
    PlayRhythmStep(PlayStep);
    AppliedMeasure = CurMeasure;
    PlayStep += 1;
}

void YYBJ::stopPlayback()
{
    YYDS->setEnabled(false);
    const QSignalBlocker block1(ST1);
    const QSignalBlocker block2(ST2);
    ST1->setValue(false);
    ST2->setValue(0);
    ST2->setText(IdleCaption);
}

void YYBJ::wirePlayback()
{
    // Every click on ST1 runs its handler, also on the selected option (it
    // starts the audition again).
    connect(ST1, &QAbstractButton::clicked, this, &YYBJ::ST1_Click);
    ST2->setClickHandler(this, [this] { ST2_Click(); });
    connect(YYDS, &StepTimer::timeout, this, &YYBJ::YYDS_Timer);
}

} // namespace dzq
