// The chord voices on channels 3, 4 and 5.
#include "keyboard/Form1.h"

namespace dzq {

void Form1::BZHX() {}
void Form1::BZHX2() {}
void Form1::ZHHXJ() {}

} // namespace dzq
