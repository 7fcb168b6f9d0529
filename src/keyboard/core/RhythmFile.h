#pragma once
// The rhythm file "*.bin": one line that holds the rhythm grid of the main
// window, 77 characters followed by CR LF:
//   1-2    volume list index (hexadecimal, two digits, upper case)
//   3-4    metre: 00 "2/4", 01 "3/4", 02 "4/4"
//   5-10   percussion list index of lanes A, B, C, two digits each
//   11-12  "00"
//   13-28  lane A cells 0-15, "*" checked, "-" clear
//   29-44  lane B cells 0-15
//   45-61  lane C cells 0-16
//   62-77  title: the file's own name, cut or padded with blanks to 16
// Reading needs the first 61 characters and one more; the title is not read.
// Positions count characters, not bytes.
#include <QString>
#include <QStringView>

#include <array>
#include <optional>

namespace dzq {

// The volume list "50", "60", .. "120".
constexpr int RhythmVolumeCount = 8;
constexpr int rhythmVolumeEntry(int index) { return 50 + 10 * index; }
// Metres in file order.
constexpr int MetreCount = 3;
constexpr int Metre24 = 0, Metre34 = 1, Metre44 = 2;
// The percussion list: index k is General MIDI percussion note k + 35.
constexpr int PercussionCount = 47;
constexpr int PercussionNoteOffset = 35;

constexpr int RhythmLanes = 3;
constexpr int RhythmLaneCells = 17;
constexpr int RhythmLineLength = 77;
constexpr int RhythmTitleLength = 16;
// Files shorter than this are refused.
constexpr int RhythmShortestFile = 62;

// The fields a rhythm file holds.
struct RhythmPattern {
    int volumeIndex = 5;
    int metre = Metre44;
    std::array<int, RhythmLanes> instruments{};
    // cells[lane][i]; only lane C keeps cell 16 in the file.
    std::array<std::array<bool, RhythmLaneCells>, RhythmLanes> cells{};
    bool operator==(const RhythmPattern &) const = default;
};

// The 77-character line (no line end) for a pattern saved under fileName
// (a path or a bare name; its last component is the title). A field outside
// its list is written as "00", so the line never loses its layout.
QString encodeRhythmLine(const RhythmPattern &pattern, const QString &fileName);

// The pattern a file's text holds, or nothing when the text is shorter than
// 62 characters or any field lies outside its list. Fields are read as the
// hexadecimal value of their two characters (text that is no hexadecimal
// number counts as 0); a cell is checked by "*" and cleared by anything else.
std::optional<RhythmPattern> decodeRhythmText(QStringView text);

// The first data item of a text file: its first line up to the first comma.
QString firstDataItem(QStringView text);

// Note-on velocity for a typed volume: its value rounded half to even and
// held within 0..127 (far too large gives 127, negative or no number 0).
int velocityFromText(QStringView text);

// Index of the volume list entry nearest to a typed volume, for a volume
// that is in no entry ("98" gives "100"); ties go to the lower entry.
int rhythmVolumeIndexForText(QStringView text);

} // namespace dzq
