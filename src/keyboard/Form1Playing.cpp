// Placeholder until this feature area is written.
#include "keyboard/Form1.h"

namespace dzq {

void Form1::SFYXYZ_KeyDown(int, int) {} void Form1::SFYXYZ_KeyUp(int, int) {} void Form1::SFYXYZ_Click() {} void Form1::SFYXYZ_GotFocus() {} void Form1::SFYXYZ_LostFocus() {} void Form1::Text3_Change() {} void Form1::Timer1_Timer() {} void Form1::wirePlaying() {}

} // namespace dzq
