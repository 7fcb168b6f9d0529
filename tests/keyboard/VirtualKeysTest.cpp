// Qt key events to the virtual-key codes of the layout, and the Shift argument.
#include "keyboard/core/VirtualKeys.h"

#include <gtest/gtest.h>

using namespace dzq;

namespace {
constexpr Qt::KeyboardModifiers None = Qt::NoModifier;
constexpr Qt::KeyboardModifiers Shift = Qt::ShiftModifier;
constexpr Qt::KeyboardModifiers Ctrl = Qt::ControlModifier;
constexpr Qt::KeyboardModifiers Keypad = Qt::KeypadModifier;
} // namespace

TEST(VirtualKeys, ShiftedSymbolsKeepTheirKeysCode)
{
    for (int i = 0; i < 26; ++i)
        EXPECT_EQ(virtualKeyCode(Qt::Key_A + i, Shift | Ctrl), 65 + i);
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
}

TEST(VirtualKeys, KeypadDrumsEffectKeysAndUnknownKeys)
{
    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        int code;
    } cases[] = {
        {Qt::Key_0, Keypad, 96}, {Qt::Key_9, Keypad, 105}, {Qt::Key_Plus, Keypad, 107}, {Qt::Key_Minus, Keypad, 109},
        {Qt::Key_Period, Keypad, 110}, {Qt::Key_Comma, Keypad, 110}, // decimal comma layouts
        {Qt::Key_3, Keypad | Shift, 99}, // with Shift held the keypad digits still drum
        // The same symbols off the keypad are note keys or digits, not drums.
        {Qt::Key_Plus, Shift, 187}, {Qt::Key_Minus, None, 189}, {Qt::Key_Asterisk, Shift, '8'}, {Qt::Key_5, None, '5'},
        // NumLock off: the keypad sends editing keys, which play the effects.
        {Qt::Key_Insert, Keypad, 45}, {Qt::Key_PageDown, Keypad, 34}, {Qt::Key_Clear, Keypad, 12},
        {Qt::Key_F12, Shift, 123},
        // Keys without a code give 0, which no table row uses.
        {Qt::Key_VolumeUp, None, 0}, {Qt::Key_unknown, None, 0}, {0, None, 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(virtualKeyCode(c.key, c.modifiers), c.code) << c.key << " " << c.modifiers.toInt();
}

TEST(ShiftMask, ModifiersAddUpAndModifierKeysCountThemselves)
{
    const struct {
        int key;
        Qt::KeyboardModifiers modifiers;
        bool pressed;
        int mask;
    } cases[] = {
        {Qt::Key_A, None, true, 0}, {Qt::Key_A, Shift | Ctrl, true, 3}, {Qt::Key_A, Shift | Qt::AltModifier, true, 5},
        // The keypad and meta flags are no modifier keys.
        {Qt::Key_5, Shift | Keypad, true, 1}, {Qt::Key_A, Qt::MetaModifier, true, 0},
        // The press of a modifier may arrive with the state from before it ...
        {Qt::Key_Shift, None, true, 1}, {Qt::Key_Shift, Ctrl, true, 3}, {Qt::Key_Alt, Shift, true, 5},
        // ... and its release with the state from before the release.
        {Qt::Key_Shift, Shift, false, 0}, {Qt::Key_Control, Shift | Ctrl, false, 1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(shiftMask(c.key, c.modifiers, c.pressed), c.mask)
            << c.key << " " << c.modifiers.toInt() << (c.pressed ? " down" : " up");
}
