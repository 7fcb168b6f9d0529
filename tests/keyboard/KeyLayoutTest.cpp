// The key layout tables, note names, key help texts and the on-screen keys.
#include "keyboard/core/KeyLayout.h"
#include "keyboard/core/ScoreLanguage.h"
#include "platform/Resources.h"

#include <gtest/gtest.h>

#include <set>

using namespace dzq;

namespace {

struct Tables {
    KeyCodeTable<int32_t> KeyNoteTable{};
    KeyCodeTable<QString> KeyNameTable{};
    KeyCodeTable<int32_t> KeyHelpTable{};
    Tables()
    {
        YFSZDY(KeyNoteTable);
        YFDHDY(KeyNameTable);
        YFXSDY(KeyHelpTable);
    }
};

// The 33 note keys, digit row first (6 7 8 9 0 - =, T..[, G..', V../, 1..5),
// playing the white keys from "LC" up; help ids run 401.. in this order.
const int NoteKeyCodes[33] = {54, 55, 56, 57, 48, 189, 187, 84, 89, 85, 73, 79, 80, 219, 71, 72, 74,
                              75, 76, 186, 222, 86, 66, 78, 77, 188, 190, 191, 49, 50, 51, 52, 53};
const char NoteKeyLabels[] = "67890-=TYUIOP[GHJKL;'VBNM,./12345";

int whiteOffset(int i) { return 12 * (i / 7) + PitchSemitones[i % 7]; }

} // namespace

TEST(KeyTables, NoteKeysGiveOffsetNameAndHelp)
{
    const Tables t;
    for (int i = 0; i < 33; ++i) {
        const int code = NoteKeyCodes[i];
        SCOPED_TRACE(code);
        EXPECT_TRUE(isNoteKey(code));
        EXPECT_EQ(t.KeyNoteTable[code], whiteOffset(i));
        // The score language reads the recorded name back as the same note.
        EXPECT_EQ(noteCode(t.KeyNameTable[code]), whiteOffset(i));
        EXPECT_EQ(t.KeyHelpTable[code], 401 + i);
    }
    // "KC" is middle C at the default KeyBase.
    EXPECT_EQ(t.KeyNameTable[71], QStringLiteral("KC"));
    EXPECT_EQ(36 + t.KeyNoteTable[71], 60);
}

TEST(KeyTables, CommandKeys)
{
    const Tables t;
    // Q W E R: chord instrument list indexes, no name or help.
    const std::pair<int, int> chordKeys[] = {{81, 12}, {87, 55}, {69, 26}, {82, 119}};
    for (auto [code, listIndex] : chordKeys) {
        EXPECT_TRUE(isChordInstrumentKey(code));
        EXPECT_FALSE(isNoteKey(code));
        EXPECT_EQ(t.KeyNoteTable[code], listIndex);
        EXPECT_TRUE(t.KeyNameTable[code].isEmpty());
        EXPECT_EQ(t.KeyHelpTable[code], 0);
    }
    // A S D F Z X C: new KeyBase, key list index (KeyBase - 36), name.
    struct Row { int code; int keyBase; const char *name; };
    const Row rows[] = {{65, 36, "C调"}, {83, 38, "D调"}, {68, 40, "E调"}, {70, 41, "F调"},
                        {90, 43, "G调"}, {88, 45, "A调"}, {67, 46, "bB调"}};
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_TRUE(isKeyChoiceKey(r.code));
        EXPECT_EQ(t.KeyNoteTable[r.code], r.keyBase);
        EXPECT_EQ(t.KeyHelpTable[r.code], r.keyBase - 36);
        EXPECT_EQ(t.KeyNameTable[r.code], QString::fromUtf8(r.name));
    }
}

TEST(KeyTables, UnlistedCodesStayEmpty)
{
    const Tables t;
    int filled = 0;
    for (int code = 0; code < KeyCodeCount; ++code) {
        const bool listed = isNoteKey(code) || isChordInstrumentKey(code) || isKeyChoiceKey(code);
        filled += listed;
        if (!listed) { // keypad "." (110) among them: offset 0, help 0, no name
            EXPECT_EQ(t.KeyNoteTable[code], 0) << code;
            EXPECT_EQ(t.KeyHelpTable[code], 0) << code;
            EXPECT_TRUE(t.KeyNameTable[code].isEmpty()) << code;
        }
    }
    EXPECT_EQ(filled, 33 + 4 + 7);
    EXPECT_FALSE(isNoteKey(110));
    EXPECT_FALSE(isNoteKey(-1));
    EXPECT_FALSE(isNoteKey(54 + 256));
}

TEST(NoteNames, OnlyTheLayoutsNotesHaveNames)
{
    std::set<QString> names;
    for (int offset = -13; offset <= 70; ++offset) {
        const QString name = noteName(offset);
        if (name.isEmpty())
            continue;
        names.insert(name);
        EXPECT_TRUE(isWhiteKey(offset)) << offset;
        EXPECT_EQ(noteCode(name), offset);
    }
    EXPECT_EQ(names.size(), 33u);
    EXPECT_EQ(noteName(55), QStringLiteral("MG"));
    EXPECT_TRUE(noteName(1).isEmpty());  // black key
    EXPECT_TRUE(noteName(57).isEmpty()); // would be "MA"
}

TEST(KeyHelp, TextsAndShippedStringsFollowTheLayout)
{
    // " <key> 键" (no blank before "6" and "8"), register and syllable, score name.
    const char *const registerWords[] = {"最低音", "低音", "中音", "高音", "最高音"};
    const QString syllables = QStringLiteral("哆唻咪法嗦啦希");
    for (int i = 0; i < 33; ++i) {
        const int id = 401 + i;
        const QString expected = QString::fromUtf8(id == 401 || id == 403 ? "" : " ") + QLatin1Char(NoteKeyLabels[i])
            + QStringLiteral(" 键\r\n") + QString::fromUtf8(registerWords[i / 7]) + QStringLiteral("（")
            + syllables[i % 7] + QStringLiteral("）\r\n乐谱中用 ") + noteName(whiteOffset(i)) + QStringLiteral(" 表示");
        EXPECT_EQ(keyHelpText(id), expected) << id;
        EXPECT_EQ(LoadResString(id), expected) << id;
    }
    EXPECT_EQ(keyHelpText(401), QStringLiteral("6 键\r\n最低音（哆）\r\n乐谱中用 LC 表示"));
    EXPECT_EQ(keyHelpText(415), QStringLiteral(" G 键\r\n中音（哆）\r\n乐谱中用 KC 表示"));
    EXPECT_EQ(keyHelpText(427), QStringLiteral(" . 键\r\n高音（啦）\r\n乐谱中用 HA 表示"));
    EXPECT_TRUE(keyHelpText(400).isEmpty());
    EXPECT_TRUE(keyHelpText(434).isEmpty());
}

TEST(OnScreenKeys, WhiteAndBlackKeysAndTheirPictures)
{
    const auto flags = whiteKeyFlags();
    ASSERT_EQ(flags.size(), 66u);
    int white = 0;
    for (int i = 0; i < OnScreenKeyCount; ++i)
        white += flags[i] == -1;
    EXPECT_EQ(white, 38); // five octaves of 7, then C D E
    EXPECT_EQ(flags[64], -1); // the top key is an E
    EXPECT_EQ(flags[61], 0);
    EXPECT_EQ(keyUpPicture(0), 102);
    EXPECT_EQ(keyDownPicture(0), 103);
    EXPECT_EQ(keyUpPicture(13), 104);
    EXPECT_EQ(keyDownPicture(13), 105);
    EXPECT_FALSE(isWhiteKey(-1));
}
