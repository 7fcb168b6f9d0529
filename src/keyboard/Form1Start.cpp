// Placeholder until this feature area is written.
#include "keyboard/Form1.h"

namespace dzq {

void Form1::Form_Load() {} void Form1::Form_Activate() {} void Form1::QDCSH() {} void Form1::wireStart() {}

} // namespace dzq
