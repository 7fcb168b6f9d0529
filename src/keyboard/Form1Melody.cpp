// Placeholder until this feature area is written.
#include "keyboard/Form1.h"

namespace dzq {

void Form1::ComSounds_Click(int) {} void Form1::ComSounds_Change(int) {} void Form1::Zxlyl_Click(int) {} void Form1::YD_Click() {} void Form1::YD_Change() {} void Form1::ComDevies_Click() {} void Form1::Check3_Click(int) {} void Form1::SD_Click() {} void Form1::SD_LostFocus() {} void Form1::Option4_Click(int) {} void Form1::wireMelody() {}

} // namespace dzq
