// Qt key events to the virtual-key codes of the layout, and the Shift argument.
#include "keyboard/core/KeyLayout.h"
#include "keyboard/core/VirtualKeys.h"

#include <gtest/gtest.h>

using namespace dzq;

namespace {
constexpr Qt::KeyboardModifiers None = Qt::NoModifier;
constexpr Qt::KeyboardModifiers Shift = Qt::ShiftModifier;
constexpr Qt::KeyboardModifiers Keypad = Qt::KeypadModifier;
} // namespace

TEST(VirtualKeys, LettersAndDigits)
{
    for (int i = 0; i < 26; ++i) {
        EXPECT_EQ(virtualKeyCode(Qt::Key_A + i, None), 65 + i);
        EXPECT_EQ(virtualKeyCode(Qt::Key_A + i, Shift), 65 + i);
        EXPECT_EQ(virtualKeyCode(Qt::Key_A + i, Qt::ControlModifier), 65 + i);
    }
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(virtualKeyCode(Qt::Key_0 + i, None), 48 + i);
}

TEST(VirtualKeys, ShiftedSymbolsKeepTheirKeysCode)
{
    // A key pressed with Shift and released without it (or the other way
    // round) must mark and clear the same code.
    const std::pair<Qt::Key, Qt::Key> pairs[] = {
        {Qt::Key_1, Qt::Key_Exclam},        {Qt::Key_2, Qt::Key_At},
        {Qt::Key_3, Qt::Key_NumberSign},    {Qt::Key_4, Qt::Key_Dollar},
        {Qt::Key_5, Qt::Key_Percent},       {Qt::Key_6, Qt::Key_AsciiCircum},
        {Qt::Key_7, Qt::Key_Ampersand},     {Qt::Key_8, Qt::Key_Asterisk},
        {Qt::Key_9, Qt::Key_ParenLeft},     {Qt::Key_0, Qt::Key_ParenRight},
        {Qt::Key_Semicolon, Qt::Key_Colon}, {Qt::Key_Equal, Qt::Key_Plus},
        {Qt::Key_Comma, Qt::Key_Less},      {Qt::Key_Minus, Qt::Key_Underscore},
        {Qt::Key_Period, Qt::Key_Greater},  {Qt::Key_Slash, Qt::Key_Question},
        {Qt::Key_QuoteLeft, Qt::Key_AsciiTilde}, {Qt::Key_BracketLeft, Qt::Key_BraceLeft},
        {Qt::Key_Backslash, Qt::Key_Bar},   {Qt::Key_BracketRight, Qt::Key_BraceRight},
        {Qt::Key_Apostrophe, Qt::Key_QuoteDbl},
    };
    for (auto [plain, shifted] : pairs) {
        const int code = virtualKeyCode(plain, None);
        EXPECT_NE(code, 0) << plain;
        EXPECT_EQ(virtualKeyCode(shifted, Shift), code) << shifted;
    }
    // The punctuation keys that carry no note.
    EXPECT_EQ(virtualKeyCode(Qt::Key_QuoteLeft, None), 192);
    EXPECT_EQ(virtualKeyCode(Qt::Key_Backslash, None), 220);
    EXPECT_EQ(virtualKeyCode(Qt::Key_BracketRight, None), 221);
}

TEST(VirtualKeys, EveryNoteKeyIsReachable)
{
    // The keys of a US keyboard that carry the 33 notes, unshifted.
    const Qt::Key keys[] = {
        Qt::Key_6, Qt::Key_7, Qt::Key_8, Qt::Key_9, Qt::Key_0, Qt::Key_Minus, Qt::Key_Equal,
        Qt::Key_T, Qt::Key_Y, Qt::Key_U, Qt::Key_I, Qt::Key_O, Qt::Key_P, Qt::Key_BracketLeft,
        Qt::Key_G, Qt::Key_H, Qt::Key_J, Qt::Key_K, Qt::Key_L, Qt::Key_Semicolon, Qt::Key_Apostrophe,
        Qt::Key_V, Qt::Key_B, Qt::Key_N, Qt::Key_M, Qt::Key_Comma, Qt::Key_Period, Qt::Key_Slash,
        Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4, Qt::Key_5,
    };
    KeyCodeTable<int32_t> notes{};
    YFSZDY(notes);
    int offset = -1;
    for (Qt::Key k : keys) {
        const int code = virtualKeyCode(k, None);
        ASSERT_TRUE(isNoteKey(code)) << k;
        EXPECT_GT(notes[code], offset) << k; // rising from "LC" to "MG"
        offset = notes[code];
    }
    EXPECT_EQ(offset, 55);
}

TEST(VirtualKeys, NumericKeypad)
{
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(virtualKeyCode(Qt::Key_0 + i, Keypad), 96 + i);
    EXPECT_EQ(virtualKeyCode(Qt::Key_Asterisk, Keypad), vk::Multiply);
    EXPECT_EQ(virtualKeyCode(Qt::Key_Plus, Keypad), vk::Add);
    EXPECT_EQ(virtualKeyCode(Qt::Key_Minus, Keypad), vk::Subtract);
    EXPECT_EQ(virtualKeyCode(Qt::Key_Period, Keypad), vk::Decimal);
    EXPECT_EQ(virtualKeyCode(Qt::Key_Comma, Keypad), vk::Decimal); // decimal comma layouts
    EXPECT_EQ(virtualKeyCode(Qt::Key_Slash, Keypad), vk::Divide);
    EXPECT_EQ(virtualKeyCode(Qt::Key_Enter, Keypad), vk::Return);
    // The same symbols off the keypad are note keys or digits, not drums.
    EXPECT_EQ(virtualKeyCode(Qt::Key_Plus, Shift), 187);
    EXPECT_EQ(virtualKeyCode(Qt::Key_Minus, None), 189);
    EXPECT_EQ(virtualKeyCode(Qt::Key_Asterisk, Shift), '8');
    EXPECT_EQ(virtualKeyCode(Qt::Key_5, None), '5');
    // With Shift held the keypad digits still drum.
    EXPECT_EQ(virtualKeyCode(Qt::Key_3, Keypad | Shift), 99);
    // NumLock off: the keypad sends editing keys, which play the effects.
    EXPECT_EQ(virtualKeyCode(Qt::Key_Insert, Keypad), vk::Insert);
    EXPECT_EQ(virtualKeyCode(Qt::Key_Delete, Keypad), vk::Delete);
    EXPECT_EQ(virtualKeyCode(Qt::Key_Home, Keypad), vk::Home);
    EXPECT_EQ(virtualKeyCode(Qt::Key_End, Keypad), vk::End);
    EXPECT_EQ(virtualKeyCode(Qt::Key_PageUp, Keypad), vk::Prior);
    EXPECT_EQ(virtualKeyCode(Qt::Key_PageDown, Keypad), vk::Next);
    EXPECT_EQ(virtualKeyCode(Qt::Key_Left, Keypad), 37);
    EXPECT_EQ(virtualKeyCode(Qt::Key_Down, Keypad), 40);
    EXPECT_EQ(virtualKeyCode(Qt::Key_Clear, Keypad), 12);
}

TEST(VirtualKeys, ControlAndFunctionKeys)
{
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(virtualKeyCode(Qt::Key_F1 + i, None), 112 + i);
    EXPECT_EQ(virtualKeyCode(Qt::Key_F12, Shift), vk::F12);
    const std::pair<Qt::Key, int> keys[] = {
        {Qt::Key_Space, 32},  {Qt::Key_Backspace, 8}, {Qt::Key_Backtab, 9}, {Qt::Key_Shift, 16},
        {Qt::Key_PageUp, 33}, {Qt::Key_PageDown, 34}, {Qt::Key_End, 35},    {Qt::Key_Home, 36},
        {Qt::Key_Insert, 45}, {Qt::Key_Delete, 46},
    };
    for (auto [key, code] : keys)
        EXPECT_EQ(virtualKeyCode(key, None), code) << key;
    // Keys without a code give 0, which no table row uses.
    EXPECT_EQ(virtualKeyCode(Qt::Key_VolumeUp, None), 0);
    EXPECT_EQ(virtualKeyCode(Qt::Key_unknown, None), 0);
    EXPECT_EQ(virtualKeyCode(0, None), 0);
}

TEST(ShiftMask, ShiftAloneIsOne)
{
    EXPECT_EQ(shiftMask(Qt::Key_A, None, true), 0);
    EXPECT_EQ(shiftMask(Qt::Key_A, Shift, true), 1);
    EXPECT_EQ(shiftMask(Qt::Key_A, Shift | Qt::ControlModifier, true), 3);
    EXPECT_EQ(shiftMask(Qt::Key_A, Shift | Qt::AltModifier, true), 5);
    // The keypad flag is not a modifier key.
    EXPECT_EQ(shiftMask(Qt::Key_5, Shift | Keypad, true), 1);
    EXPECT_EQ(shiftMask(Qt::Key_5, Keypad, true), 0);
    EXPECT_EQ(shiftMask(Qt::Key_A, Qt::MetaModifier, true), 0);
}

TEST(ShiftMask, ModifierKeysCountThemselves)
{
    // The press of Shift may arrive with the state from before it.
    EXPECT_EQ(shiftMask(Qt::Key_Shift, None, true), 1);
    EXPECT_EQ(shiftMask(Qt::Key_Shift, Shift, true), 1);
    EXPECT_EQ(shiftMask(Qt::Key_Shift, Qt::ControlModifier, true), 3);
    EXPECT_EQ(shiftMask(Qt::Key_Control, None, true), 2);
    EXPECT_EQ(shiftMask(Qt::Key_Alt, Shift, true), 5);
    // ... and its release with the state from before the release.
    EXPECT_EQ(shiftMask(Qt::Key_Shift, Shift, false), 0);
    EXPECT_EQ(shiftMask(Qt::Key_Control, Shift | Qt::ControlModifier, false), 1);
}
