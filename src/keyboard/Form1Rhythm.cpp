// Placeholder until this feature area is written.
#include "keyboard/Form1.h"

namespace dzq {

void Form1::File1_Click() {}
void Form1::OpenJZwj() {}

} // namespace dzq
