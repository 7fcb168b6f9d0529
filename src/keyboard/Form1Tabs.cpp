// Placeholder until this feature area is written.
#include "keyboard/Form1.h"

namespace dzq {

void Form1::Xxk_Click(int) {} void Form1::Option2_Click(int) {} void Form1::Form_Click() {} void Form1::Image3_Click() {} void Form1::Command2_Click(int) {} void Form1::OpenDownloadPage() {} void Form1::wireTabs() {}

} // namespace dzq
