#pragma once
// Turns Qt key events into the virtual-key codes (0..255) that the key layout
// tables and the key handlers of the main window are written against, and the
// modifier state into their Shift argument.
//
// Use in a key handler:
//     const int code = virtualKeyCode(event->key(), event->modifiers());
//     if (code == 0) return;                      // a key the program has no code for
//     SFYXYZ_KeyDown(code, shiftMask(event->key(), event->modifiers(), true));
// Pass event->key(), never event->text(): the code names the physical key, so
// a shifted symbol ("!" on the 1 key) gives the code of its key, and the
// press and the release of one key always give the same code whatever
// modifier changed in between.
// Auto-repeat: X11 sends a repeat as a release and a press, both flagged
// isAutoRepeat(); drop the repeat releases and pass the repeat presses, as the
// handlers expect repeats to be further presses without a release.
#include <QtCore/qnamespace.h>

namespace dzq {

// Virtual-key code of a key, 0 for a key without one.
//  - letters 65..90, digits 48..57 (also their shifted symbols ! @ # $ % ^ & * ( ));
//  - punctuation keys ; = , - . / ` [ \ ] ' -> 186 187 188 189 190 191 192 219
//    220 221 222, also when their shifted symbols : + < _ > ? ~ { | } " arrive;
//  - with Qt::KeypadModifier: digits 96..105, * 106, + 107, - 109, . (or the
//    decimal comma) 110, / 111, Enter 13; keypad keys with NumLock off arrive as
//    Insert, Delete, Home, End, Page Up/Down, arrows and Clear and get those codes;
//  - Backspace 8, Tab 9, Clear 12, Enter/Return 13, Shift 16, Ctrl 17, Alt 18,
//    Pause 19, Caps Lock 20, Escape 27, Space 32, Page Up 33, Page Down 34,
//    End 35, Home 36, arrows 37..40 (left, up, right, down), Print 44,
//    Insert 45, Delete 46, the left and right system keys 91, 92, Menu 93,
//    F1..F24 112..135, Num Lock 144, Scroll Lock 145.
int virtualKeyCode(int qtKey, Qt::KeyboardModifiers modifiers);

// The Shift argument of the key handlers: 1 Shift, 2 Ctrl, 4 Alt, added.
// The keypad and meta modifiers do not count. When the key itself is a
// modifier its own bit is set on the press and cleared on the release, since
// the platform may report the modifier state from before the event.
constexpr int ShiftBit = 1;
constexpr int CtrlBit = 2;
constexpr int AltBit = 4;
int shiftMask(int qtKey, Qt::KeyboardModifiers modifiers, bool pressed);

// Codes the key handlers single out.
namespace vk {
constexpr int Back = 8;
constexpr int Tab = 9;
constexpr int Return = 13;
constexpr int Shift = 16;
constexpr int Control = 17;
constexpr int Menu = 18; // Alt
constexpr int Space = 32;
constexpr int Prior = 33; // Page Up
constexpr int Next = 34;  // Page Down
constexpr int End = 35;
constexpr int Home = 36;
constexpr int Insert = 45;
constexpr int Delete = 46;
constexpr int Numpad0 = 96; // .. Numpad9 = 105
constexpr int Numpad9 = 105;
constexpr int Multiply = 106;
constexpr int Add = 107;
constexpr int Subtract = 109;
constexpr int Decimal = 110;
constexpr int Divide = 111;
constexpr int F1 = 112; // .. F12 = 123
constexpr int F12 = 123;
} // namespace vk

} // namespace dzq
