#pragma once
// How the computer keyboard is laid out as an instrument: the three lookup
// tables of the main window, indexed by virtual-key code 0..255, the names of
// the 33 notes, and the on-screen keyboard's white and black keys.
//
// The window keeps the tables as members and fills them once when it loads:
//     KeyCodeTable<int32_t> KeyNoteTable{};
//     KeyCodeTable<QString> KeyNameTable{};
//     KeyCodeTable<int32_t> KeyHelpTable{};
//     YFSZDY(KeyNoteTable); YFDHDY(KeyNameTable); YFXSDY(KeyHelpTable);
// Key codes come from virtualKeyCode() (VirtualKeys.h).
#include <QString>

#include <array>
#include <cstdint>

namespace dzq {

constexpr int KeyCodeCount = 256;
template <typename T>
using KeyCodeTable = std::array<T, KeyCodeCount>;

// Fills KeyNoteTable, every entry written:
//  - the 33 note keys: the note offset above KeyBase (0 "LC" .. 55 "MG");
//  - Q W E R: the chord instrument's list index (12, 55, 26, 119; the program
//    sent is the index - 1);
//  - A S D F Z X C: the new KeyBase (36, 38, 40, 41, 43, 45, 46);
//  - every other key code: 0.
void YFSZDY(KeyCodeTable<int32_t> &KeyNoteTable);
// Fills KeyNameTable: the note keys' score names ("LC" ...), the key choice
// keys' names shown to the user ("C调" ... "bB调"); empty elsewhere.
void YFDHDY(KeyCodeTable<QString> &KeyNameTable);
// Fills KeyHelpTable: the note keys' help string ids (401 .. 433), the key
// choice keys' index in the key list YD (0, 2, 4, 5, 7, 9, 10); 0 elsewhere.
void YFXSDY(KeyCodeTable<int32_t> &KeyHelpTable);

// Which row of the layout a key code belongs to (the kind of key the
// key-down handler dispatches on). Codes outside 0..255 are none of them.
bool isNoteKey(int keyCode);             // the 33 keys that sound notes
bool isChordInstrumentKey(int keyCode);  // Q W E R
bool isKeyChoiceKey(int keyCode);        // A S D F Z X C

// Notes are named by a register letter and a pitch letter. Offset =
// 12 x register + semitone of the pitch.
inline constexpr char RegisterLetters[] = "LWKHM";   // lowest .. highest
inline constexpr char PitchLetters[] = "CDEFGAB";
inline constexpr std::array<int, 7> PitchSemitones{0, 2, 4, 5, 7, 9, 11};
constexpr int RegisterCount = 5;
constexpr int HighestNoteOffset = 55; // "MG": the top register has C..G only

// Score name of a note offset ("LC" for 0, "KC" for 24, "MG" for 55); empty
// for an offset that is no note of the layout (a black key, "MA", < 0, > 55).
QString noteName(int offset);

// The key list YD: 12 keys, "C" at index 0 .. "B" at index 11; selecting index
// i sets KeyBase = 36 + i.
inline constexpr std::array<const char *, 12> KeyListEntries{
    "C", "bD", "D", "bE", "E", "F", "bG", "G", "bA", "A", "bB", "B"};
constexpr int keyBaseForKeyIndex(int index) { return 36 + index; }

// The text of key help string id (401 .. 433) as the layout defines it: three
// lines joined by CR LF, e.g. 415 is " G 键", "中音（哆）", "乐谱中用 KC 表示".
// The program shows the shipped string resource; this is the rule that table
// follows. Empty for any other id.
QString keyHelpText(int helpId);
constexpr int FirstKeyHelpId = 401;
constexpr int LastKeyHelpId = 433;

// The on-screen keyboard Picture1(0..64): key i sounds KeyBase + i; white keys
// are the offsets 0 2 4 5 7 9 11 of every octave.
constexpr int OnScreenKeyCount = 65;
bool isWhiteKey(int index);
// Key pictures (bitmap resources).
constexpr int WhiteKeyUpPicture = 102;
constexpr int WhiteKeyDownPicture = 103;
constexpr int BlackKeyUpPicture = 104;
constexpr int BlackKeyDownPicture = 105;
// The up / down picture of the key's own kind.
int keyUpPicture(int index);
int keyDownPicture(int index);
// WhiteKeyFlags as the window keeps it: entries 0..65, -1 white, 0 black.
std::array<int16_t, OnScreenKeyCount + 1> whiteKeyFlags();

} // namespace dzq
