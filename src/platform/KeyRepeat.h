#pragma once
// A key held down repeats: the X server sends a release and a new press for
// every repeat, and a program that is late to read them (a busy machine)
// cannot tell them from the player letting go and striking again. Asked for
// detectable repeat, the server sends repeats as presses only, so a release
// always means the key went up.
namespace dzq {

// Asks the display server of the running application for detectable key
// repeat. True when it is on; false on platforms without the X keyboard
// extension (offscreen, Wayland), which report repeats themselves.
bool useDetectableKeyRepeat();

} // namespace dzq
