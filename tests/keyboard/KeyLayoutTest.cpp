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

struct NoteRow {
    int code;
    int offset;
    const char *name;
    int help;
};

// The 33 note keys as the layout lists them, digit row first.
const NoteRow NoteRows[] = {
    {54, 0, "LC", 401},  {55, 2, "LD", 402},  {56, 4, "LE", 403},  {57, 5, "LF", 404},
    {48, 7, "LG", 405},  {189, 9, "LA", 406}, {187, 11, "LB", 407}, {84, 12, "WC", 408},
    {89, 14, "WD", 409}, {85, 16, "WE", 410}, {73, 17, "WF", 411}, {79, 19, "WG", 412},
    {80, 21, "WA", 413}, {219, 23, "WB", 414}, {71, 24, "KC", 415}, {72, 26, "KD", 416},
    {74, 28, "KE", 417}, {75, 29, "KF", 418}, {76, 31, "KG", 419}, {186, 33, "KA", 420},
    {222, 35, "KB", 421}, {86, 36, "HC", 422}, {66, 38, "HD", 423}, {78, 40, "HE", 424},
    {77, 41, "HF", 425}, {188, 43, "HG", 426}, {190, 45, "HA", 427}, {191, 47, "HB", 428},
    {49, 48, "MC", 429}, {50, 50, "MD", 430}, {51, 52, "ME", 431}, {52, 53, "MF", 432},
    {53, 55, "MG", 433},
};

} // namespace

TEST(KeyTables, NoteKeysGiveOffsetNameAndHelp)
{
    const Tables t;
    for (const NoteRow &r : NoteRows) {
        SCOPED_TRACE(r.name);
        EXPECT_TRUE(isNoteKey(r.code));
        EXPECT_EQ(t.KeyNoteTable[r.code], r.offset);
        EXPECT_EQ(t.KeyNameTable[r.code], QLatin1String(r.name));
        EXPECT_EQ(t.KeyHelpTable[r.code], r.help);
        // The score language reads the recorded name back as the same note.
        EXPECT_EQ(noteCode(t.KeyNameTable[r.code]), r.offset);
    }
    // "KC" is middle C at the default KeyBase.
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
    // A S D F Z X C: new KeyBase, key list index, name; KeyBase = 36 + index
    // so each row agrees with the key list.
    struct Row { int code; int keyBase; int listIndex; const char *name; };
    const Row rows[] = {{65, 36, 0, "C调"}, {83, 38, 2, "D调"}, {68, 40, 4, "E调"}, {70, 41, 5, "F调"},
                        {90, 43, 7, "G调"}, {88, 45, 9, "A调"}, {67, 46, 10, "bB调"}};
    for (const Row &r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_TRUE(isKeyChoiceKey(r.code));
        EXPECT_EQ(t.KeyNoteTable[r.code], r.keyBase);
        EXPECT_EQ(t.KeyHelpTable[r.code], r.listIndex);
        EXPECT_EQ(keyBaseForKeyIndex(t.KeyHelpTable[r.code]), r.keyBase);
        EXPECT_EQ(t.KeyNameTable[r.code], QString::fromUtf8(r.name));
    }
}

TEST(KeyTables, UnlistedCodesStayEmpty)
{
    const Tables t;
    // Keypad "." (110) is read as offset 0, help 0, no name.
    EXPECT_EQ(t.KeyNoteTable[110], 0);
    EXPECT_EQ(t.KeyHelpTable[110], 0);
    EXPECT_TRUE(t.KeyNameTable[110].isEmpty());
    int filled = 0;
    for (int code = 0; code < KeyCodeCount; ++code) {
        const bool listed = isNoteKey(code) || isChordInstrumentKey(code) || isKeyChoiceKey(code);
        filled += listed;
        if (!listed) {
            EXPECT_EQ(t.KeyNoteTable[code], 0) << code;
            EXPECT_EQ(t.KeyHelpTable[code], 0) << code;
            EXPECT_TRUE(t.KeyNameTable[code].isEmpty()) << code;
        }
    }
    EXPECT_EQ(filled, 33 + 4 + 7);
    EXPECT_FALSE(isNoteKey(-1));
    EXPECT_FALSE(isNoteKey(256));
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
    EXPECT_EQ(noteName(0), QStringLiteral("LC"));
    EXPECT_EQ(noteName(11), QStringLiteral("LB"));
    EXPECT_EQ(noteName(12), QStringLiteral("WC"));
    EXPECT_EQ(noteName(55), QStringLiteral("MG"));
    EXPECT_TRUE(noteName(1).isEmpty());  // black key
    EXPECT_TRUE(noteName(57).isEmpty()); // would be "MA"
    EXPECT_TRUE(noteName(59).isEmpty()); // would be "MB"
    EXPECT_TRUE(noteName(-12).isEmpty());
}

TEST(KeyHelp, TextsFollowTheLayout)
{
    EXPECT_EQ(keyHelpText(401), QStringLiteral("6 键\r\n最低音（哆）\r\n乐谱中用 LC 表示"));
    EXPECT_EQ(keyHelpText(403), QStringLiteral("8 键\r\n最低音（咪）\r\n乐谱中用 LE 表示"));
    EXPECT_EQ(keyHelpText(414), QStringLiteral(" [ 键\r\n低音（希）\r\n乐谱中用 WB 表示"));
    EXPECT_EQ(keyHelpText(415), QStringLiteral(" G 键\r\n中音（哆）\r\n乐谱中用 KC 表示"));
    EXPECT_EQ(keyHelpText(427), QStringLiteral(" . 键\r\n高音（啦）\r\n乐谱中用 HA 表示"));
    EXPECT_EQ(keyHelpText(433), QStringLiteral(" 5 键\r\n最高音（嗦）\r\n乐谱中用 MG 表示"));
    EXPECT_TRUE(keyHelpText(400).isEmpty());
    EXPECT_TRUE(keyHelpText(434).isEmpty());
}

TEST(KeyHelp, ShippedStringsAgreeWithTheLayout)
{
    int shipped = 0;
    for (int id = FirstKeyHelpId; id <= LastKeyHelpId; ++id) {
        const QString text = LoadResString(id);
        if (text.isEmpty())
            continue;
        ++shipped;
        EXPECT_EQ(text, keyHelpText(id)) << id;
    }
    if (shipped == 0)
        GTEST_SKIP() << "the string table holds no key help texts yet";
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
