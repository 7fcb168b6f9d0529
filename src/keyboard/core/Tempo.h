#pragma once
// The tempo of the main window in beats a minute and StepMs, the length in
// milliseconds of one clock tick (an eighth of a beat): StepMs = 7500 / tempo,
// rounded half to even. Choosing 70 gives 107 ms, 40 gives 188 (187.5 rounds to
// the even neighbour).
//
// Use in the tempo list's handlers (Val from platform/Numbers.h reads the
// box's text as the list's value):
//     if (auto ms = stepMsForTempo(Val(SD->currentText()))) StepMs = *ms;
//     // on leaving the box:
//     if (!typedTempo(text)) SD->setEditText(QString::number(tempoShownForStepMs(StepMs)));
#include <QStringView>

#include <array>
#include <optional>

namespace dzq {

// The tempo list SD: 19 entries 40, 45 .. 130; the window starts on 70.
constexpr int TempoListCount = 19;
constexpr int tempoListEntry(int index) { return 40 + 5 * index; }
constexpr int DefaultTempoIndex = 6;
// The list indexes of the preset buttons "低速", "中速", "高速" (60, 80, 100).
inline constexpr std::array<int, 3> TempoPresetIndexes{4, 8, 12};
// The range a typed tempo must fall in.
constexpr int LowestTypedTempo = 40;
constexpr int HighestTypedTempo = 140;

// StepMs for a tempo. No value for a tempo that cannot give a clock: 0,
// negative, not a number, infinite, or so large or small that the tick would
// round to 0 ms (a stopped clock) or exceed 32767 ms.
std::optional<int> stepMsForTempo(double tempo);

// The tempo a typed text stands for, its value (Val) rounded half to even,
// when it lies within 40..140; no value otherwise ("200", "abc", "").
std::optional<int> typedTempo(QStringView text);

// The tempo shown in the box for a StepMs when a typed tempo is refused: the
// whole beats a minute the tick gives, rounded down (188 ms shows 39, 167 ms
// 44). 0 for a StepMs below 1.
int tempoShownForStepMs(int stepMs);

} // namespace dzq
