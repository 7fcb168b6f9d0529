// The key layout tables, note names, key help texts and the on-screen keys.
#include "keyboard/core/KeyLayout.h"
#include "keyboard/core/ScoreLanguage.h"
#include "keyboard/core/VirtualKeys.h"
#include "platform/Resources.h"

#include <gtest/gtest.h>

using namespace dzq;

TEST(KeyTables, NoteKeysPlayTheWhiteKeysFromLCUp)
{
    KeyCodeTable<int32_t> notes{};
    KeyCodeTable<QString> names{};
    KeyCodeTable<int32_t> helps{};
    YFSZDY(notes);
    YFDHDY(names);
    YFXSDY(helps);
    // The keys of a US keyboard that carry the 33 notes, unshifted, lowest
    // first; help ids run 401.. in this order.
    const Qt::Key keys[] = {
        Qt::Key_6, Qt::Key_7, Qt::Key_8, Qt::Key_9, Qt::Key_0, Qt::Key_Minus, Qt::Key_Equal,
        Qt::Key_T, Qt::Key_Y, Qt::Key_U, Qt::Key_I, Qt::Key_O, Qt::Key_P, Qt::Key_BracketLeft,
        Qt::Key_G, Qt::Key_H, Qt::Key_J, Qt::Key_K, Qt::Key_L, Qt::Key_Semicolon, Qt::Key_Apostrophe,
        Qt::Key_V, Qt::Key_B, Qt::Key_N, Qt::Key_M, Qt::Key_Comma, Qt::Key_Period, Qt::Key_Slash,
        Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4, Qt::Key_5,
    };
    for (int i = 0; i < 33; ++i) {
        const int code = virtualKeyCode(keys[i], Qt::NoModifier);
        SCOPED_TRACE(code);
        ASSERT_TRUE(isNoteKey(code));
        const int offset = 12 * (i / 7) + PitchSemitones[std::size_t(i % 7)];
        EXPECT_EQ(notes[code], offset);
        EXPECT_EQ(noteCode(names[code]), offset); // the recorded name reads back as the same note
        EXPECT_EQ(helps[code], 401 + i);
    }
    EXPECT_EQ(names[71], QStringLiteral("KC")); // "G" is middle C at the default KeyBase
    EXPECT_EQ(36 + notes[71], 60);

    // A S D F Z X C choose a key; no other code is filled in.
    int filled = 0;
    for (int code = 0; code < KeyCodeCount; ++code) {
        const bool listed = isNoteKey(code) || isChordInstrumentKey(code) || isKeyChoiceKey(code);
        filled += listed;
        // Keypad "." (110) among the others: no note, no help, no name.
        EXPECT_TRUE(listed || (notes[code] == 0 && helps[code] == 0 && names[code].isEmpty())) << code;
    }
    EXPECT_EQ(filled, 33 + 4 + 7);
    QStringList choices;
    for (const QChar c : QStringLiteral("ASDFZXC"))
        choices << names[c.unicode()];
    EXPECT_EQ(choices.join(u' '), QStringLiteral("C调 D调 E调 F调 G调 A调 bB调"));
    EXPECT_FALSE(isNoteKey(-1));
    EXPECT_FALSE(isNoteKey(54 + 256));
}

TEST(KeyHelp, ShippedStringsFollowTheLayout)
{
    for (int id = 401; id <= 433; ++id)
        EXPECT_EQ(LoadResString(id), keyHelpText(id)) << id;
    EXPECT_EQ(keyHelpText(401), QStringLiteral("6 键\r\n最低音（哆）\r\n乐谱中用 LC 表示"));
    EXPECT_EQ(keyHelpText(415), QStringLiteral(" G 键\r\n中音（哆）\r\n乐谱中用 KC 表示"));
    EXPECT_EQ(keyHelpText(427), QStringLiteral(" . 键\r\n高音（啦）\r\n乐谱中用 HA 表示"));
    EXPECT_TRUE(keyHelpText(400).isEmpty());
    EXPECT_TRUE(keyHelpText(434).isEmpty());
}

TEST(OnScreenKeys, WhiteKeysAreTheNamedNotes)
{
    // Five octaves of 7 white keys, then C D E; only white keys have names.
    const auto flags = whiteKeyFlags();
    int white = 0, named = 0;
    for (int i = 0; i < OnScreenKeyCount; ++i) {
        white += flags[std::size_t(i)] == -1;
        named += !noteName(i).isEmpty();
        EXPECT_TRUE(noteName(i).isEmpty() || isWhiteKey(i)) << i;
    }
    EXPECT_EQ(white, 38);
    EXPECT_EQ(named, 33); // "MA" and above have none
    EXPECT_TRUE(noteName(-12).isEmpty());
    EXPECT_EQ(keyDownPicture(13), BlackKeyDownPicture);
}
