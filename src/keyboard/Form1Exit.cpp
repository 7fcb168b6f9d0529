// Placeholder until this feature area is written.
#include "keyboard/Form1.h"

namespace dzq {

void Form1::BJCK_Click() {} void Form1::Command1_Click() {} void Form1::Form_Unload() {} void Form1::wireExit() {}

} // namespace dzq
