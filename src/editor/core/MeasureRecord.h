#pragma once
// The settings record of a measure: 60 characters in MeasureHead(n) that hold
// the instruments and volumes of the 12 lines, the crescendo depth, the effect
// flags, the key and the tempo. Positions counted from 1:
//   1-4      measure number, decimal, 4 digits (written, never read back)
//   5+4i     instrument of line i = 0..11, 2 upper-case hexadecimal digits:
//            melody lines the General MIDI program, "FF" for "0.无声";
//            percussion lines the percussion list index 0..46
//   7+4i     volume (note velocity) of line i, 2 hexadecimal digits
//   53-54    crescendo depth + 20, decimal "00".."40"
//   55, 56   vibrato flag, crescendo flag, "0" or "1"
//   57-58    key index 0..11, decimal
//   59-60    tempo in beats a minute, 2 hexadecimal digits
// Every field keeps its width: building clamps each value into its field, so
// a silent line or a typed volume can never move the fields after it.
// Decoding checks the whole record before anything is used; a record that
// fails is not applied at all and stays in MeasureHead as text.
#include "editor/core/Song.h"

#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace dzq {

constexpr int MeasureRecordLength = 60;
constexpr int SilentProgram = -1;           // LineProgram of a melody line set to "0.无声"
constexpr int PercussionListCount = 47;     // percussion list index k is note k + 35
constexpr int EditorPercussionNoteOffset = 35;
constexpr int MaxRecordVolume = 255;
constexpr int MaxDepth = 20;                // the depth bar runs -20..20

// The settings a record holds.
struct MeasureSettings {
    // LineProgram of lines 0..11: melody lines 0..127 or SilentProgram,
    // percussion lines 0..46.
    std::array<int, SongLineCount> programs{};
    // LineVolume of lines 0..11, 0..255.
    std::array<int, SongLineCount> volumes{};
    int depth = 0;          // crescendo depth -20..20 (positive rises, negative falls)
    bool vibrato = false;   // check box "颤音"
    bool crescendo = false; // check box "渐强弱"
    int key = 0;            // key list index 0..11 (0 = C)
    int tempo = 70;         // beats a minute, 1..255
    bool operator==(const MeasureSettings &) const = default;
};

// A measure's head text counts as a record when it is longer than 4
// characters (empty and the bare measure number do not).
inline bool hasMeasureRecord(const QString &head) { return head.size() > 4; }

// The record of measure n (0..9999). Values outside their fields are held in
// them: a melody program outside 0..127 is written "FF" (silent), a
// percussion index, volume, depth, key or tempo is clamped into its range.
QString buildMeasureRecord(int measure, const MeasureSettings &settings);

// Saving the settings of measure n (the "保存" button): MeasureKey,
// MeasureTempo, MeasureFx and MeasureDepth of n from the settings, then the
// record into MeasureHead(n). A measure outside 0..9999 changes nothing.
void storeMeasureSettings(MeasureStrings &strings, int measure, const MeasureSettings &settings);

// The settings of a record, or nothing when it is not exactly 60 characters,
// or any field is malformed: the measure number not 4 digits, a melody
// program not 00..7F or FF, a percussion index past 46, a volume not two
// hexadecimal digits, the depth field not 00..40, a flag not "0"/"1", the key
// not 00..11, the tempo 00 or not two hexadecimal digits.
std::optional<MeasureSettings> decodeMeasureRecord(QStringView record);

// The data side of applying the record of measure n: when MeasureHead(n)
// holds a valid record, MeasureKey(n) and MeasureTempo(n) take its key and
// tempo fields and its settings are returned; otherwise (no record, an
// invalid one, n outside 0..9999) nothing changes and nothing is returned.
std::optional<MeasureSettings> takeMeasureRecord(MeasureStrings &strings, int measure);

// The instrument list index of a line's LineProgram: melody lines program + 1
// (0 "0.无声" for a silent or out-of-range program), percussion lines the
// index itself. And back: melody lines index - 1, percussion lines the index.
int instrumentListIndex(int line, int program);
int lineProgramForListIndex(int line, int listIndex);

// LineVolume of a volume box's text: its value rounded down (0 when it is no
// number), held within 0..255 so it always fits its record field.
int lineVolumeFromText(QStringView text);
// The expression level playback starts from: 0 for a rising crescendo
// (depth > 0), else 120.
int exprStartForDepth(int depth);
// StepMs of an editor tempo: 15000 / tempo rounded down (70 gives 214);
// nothing for a tempo below 1.
std::optional<int> editorStepMs(int tempo);

// Prepares the percussion of a line 7..11 for the steps of measure n in its
// record (line - 7) of RhythmStepTable: note listIndex + 35 and the packed
// note-on with the volume. Steps past the table are left out.
void preparePercussionSteps(int line, int measure, int stepMax, int listIndex, int volume);

// ---- MIDI messages of the settings handlers -----------------------------
// Packed short messages (status + 256 x data1 + 65536 x data2) in the order
// they are sent.

// A new volume in any line: expression (controller 11) on channel 0.
std::vector<uint32_t> lineVolumeMessages(int exprStart);
// A new instrument in melody line 0..6: bank 0 and the program, or nothing
// for list index 0 "0.无声".
std::vector<uint32_t> melodyInstrumentMessages(int line, int listIndex);
// An effect box changed: modulation (controller 1) 120 with vibrato, else 0,
// then expression, both on channel 0.
std::vector<uint32_t> effectMessages(bool vibrato, int exprStart);

// The state of the settings controls before a record is applied.
struct ControlsBeforeApply {
    int depth = 0;
    bool vibrato = false;
    bool crescendo = false;
};
// One step of applying a record: a message to send, or the point where the
// instrument handler of a melody line releases the note the line holds (the
// window knows whether playback holds one and which: at the step being
// played the line's code is a hold, 255).
struct ApplyStep {
    enum class Kind { Send, ReleaseHeldNote };
    Kind kind = Kind::Send;
    uint32_t msg = 0; // Send
    int line = 0;     // ReleaseHeldNote: melody line 0..6
    bool operator==(const ApplyStep &) const = default;
};
// Everything applying a record sends, in order: for each line 0..11 the
// volume handler (expression on channel 0, from the depth before the
// record), then for melody lines the instrument handler (bank and program
// unless silent, then the release point); for each effect box whose state
// changes, vibrato first, the effect messages (expression now from the
// record's depth); last the programs of melody lines 0..6 again (silent
// lines send none).
std::vector<ApplyStep> recordApplySteps(const MeasureSettings &record, const ControlsBeforeApply &before);

} // namespace dzq
