// Placeholder until this feature area is written.
#include "keyboard/Form1.h"

namespace dzq {

void Form1::YSCX() {} void Form1::Timer3_Timer() {} void Form1::Yuepu_MouseDown(int) {} void Form1::Yuepu_Click(int) {} void Form1::XINJIAN_Click() {} void Form1::wireScore() {}

} // namespace dzq
