// Placeholder until this feature area is written.
#include "keyboard/Form1.h"

namespace dzq {

void Form1::Picture1_DragOver(int) {} void Form1::Label1_MouseMove() {} void Form1::wireMouse() {}

} // namespace dzq
