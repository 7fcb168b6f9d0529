#include "keyboard/core/KeyLayout.h"

namespace dzq {

namespace {

// One note key of the computer keyboard: its virtual-key code, the note offset
// it plays and the character printed on it (used in its help text).
struct NoteKey {
    int code;
    int offset;
    const char *label;
};

// Five registers from the digit row down: 6..= lowest, T..[ low, G..' middle,
// V../ high, 1..5 highest. Help ids run 401.. in this order.
constexpr std::array<NoteKey, 33> NoteKeys{{
    {54, 0, "6"},  {55, 2, "7"},  {56, 4, "8"},  {57, 5, "9"},  {48, 7, "0"},  {189, 9, "-"},
    {187, 11, "="},
    {84, 12, "T"}, {89, 14, "Y"}, {85, 16, "U"}, {73, 17, "I"}, {79, 19, "O"}, {80, 21, "P"},
    {219, 23, "["},
    {71, 24, "G"}, {72, 26, "H"}, {74, 28, "J"}, {75, 29, "K"}, {76, 31, "L"}, {186, 33, ";"},
    {222, 35, "'"},
    {86, 36, "V"}, {66, 38, "B"}, {78, 40, "N"}, {77, 41, "M"}, {188, 43, ","}, {190, 45, "."},
    {191, 47, "/"},
    {49, 48, "1"}, {50, 50, "2"}, {51, 52, "3"}, {52, 53, "4"}, {53, 55, "5"},
}};

// Q W E R: the chord instrument's list index.
constexpr std::array<std::pair<int, int>, 4> ChordInstrumentKeys{{{81, 12}, {87, 55}, {69, 26}, {82, 119}}};

// A S D F Z X C: the key list index they select.
constexpr std::array<std::pair<int, int>, 7> KeyChoiceKeys{{{65, 0}, {83, 2}, {68, 4}, {70, 5}, {90, 7}, {88, 9}, {67, 10}}};

const char *const RegisterWords[RegisterCount] = {"最低音", "低音", "中音", "高音", "最高音"};
const char *const Syllables[7] = {"哆", "唻", "咪", "法", "嗦", "啦", "希"};

bool validCode(int keyCode) { return keyCode >= 0 && keyCode < KeyCodeCount; }

// Index 0..6 of the pitch whose semitone is s, or -1 for a black key.
int pitchIndex(int semitone)
{
    for (int i = 0; i < 7; ++i)
        if (PitchSemitones[i] == semitone)
            return i;
    return -1;
}

} // namespace

void YFSZDY(KeyCodeTable<int32_t> &KeyNoteTable)
{
    KeyNoteTable.fill(0);
    for (const NoteKey &k : NoteKeys)
        KeyNoteTable[k.code] = k.offset;
    for (auto [code, listIndex] : ChordInstrumentKeys)
        KeyNoteTable[code] = listIndex;
    for (auto [code, keyIndex] : KeyChoiceKeys)
        KeyNoteTable[code] = keyBaseForKeyIndex(keyIndex);
}

void YFDHDY(KeyCodeTable<QString> &KeyNameTable)
{
    KeyNameTable.fill(QString());
    for (const NoteKey &k : NoteKeys)
        KeyNameTable[k.code] = noteName(k.offset);
    for (auto [code, keyIndex] : KeyChoiceKeys)
        KeyNameTable[code] = QLatin1String(KeyListEntries[keyIndex]) + QStringLiteral("调");
}

void YFXSDY(KeyCodeTable<int32_t> &KeyHelpTable)
{
    KeyHelpTable.fill(0);
    for (int i = 0; i < int(NoteKeys.size()); ++i)
        KeyHelpTable[NoteKeys[i].code] = FirstKeyHelpId + i;
    for (auto [code, keyIndex] : KeyChoiceKeys)
        KeyHelpTable[code] = keyIndex;
}

bool isNoteKey(int keyCode)
{
    if (!validCode(keyCode))
        return false;
    for (const NoteKey &k : NoteKeys)
        if (k.code == keyCode)
            return true;
    return false;
}

bool isChordInstrumentKey(int keyCode)
{
    for (const auto &k : ChordInstrumentKeys)
        if (k.first == keyCode)
            return true;
    return false;
}

bool isKeyChoiceKey(int keyCode)
{
    for (const auto &k : KeyChoiceKeys)
        if (k.first == keyCode)
            return true;
    return false;
}

QString noteName(int offset)
{
    if (offset < 0 || offset > HighestNoteOffset)
        return {};
    const int pitch = pitchIndex(offset % 12);
    if (pitch < 0)
        return {};
    const char name[3] = {RegisterLetters[offset / 12], PitchLetters[pitch], '\0'};
    return QString::fromLatin1(name);
}

QString keyHelpText(int helpId)
{
    if (helpId < FirstKeyHelpId || helpId > LastKeyHelpId)
        return {};
    const NoteKey &k = NoteKeys[helpId - FirstKeyHelpId];
    // The first line is " <key> 键"; the strings of "6" and "8" lack the leading blank.
    const bool leadingBlank = helpId != 401 && helpId != 403;
    const QString crlf = QStringLiteral("\r\n");
    return (leadingBlank ? QStringLiteral(" ") : QString()) + QString::fromLatin1(k.label)
        + QStringLiteral(" 键") + crlf
        + QString::fromUtf8(RegisterWords[k.offset / 12]) + QStringLiteral("（")
        + QString::fromUtf8(Syllables[pitchIndex(k.offset % 12)]) + QStringLiteral("）") + crlf
        + QStringLiteral("乐谱中用 ") + noteName(k.offset) + QStringLiteral(" 表示");
}

bool isWhiteKey(int index)
{
    return index >= 0 && pitchIndex(index % 12) >= 0;
}

int keyUpPicture(int index)
{
    return isWhiteKey(index) ? WhiteKeyUpPicture : BlackKeyUpPicture;
}

int keyDownPicture(int index)
{
    return isWhiteKey(index) ? WhiteKeyDownPicture : BlackKeyDownPicture;
}

std::array<int16_t, OnScreenKeyCount + 1> whiteKeyFlags()
{
    std::array<int16_t, OnScreenKeyCount + 1> flags{};
    for (int i = 0; i < int(flags.size()); ++i)
        flags[i] = isWhiteKey(i) ? -1 : 0;
    return flags;
}

} // namespace dzq
