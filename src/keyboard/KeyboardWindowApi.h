#pragma once
// What another window of the program needs from the keyboard window, which
// stays loaded (hidden) while that window is open.
namespace dzq {

class KeyboardWindowApi {
public:
    virtual ~KeyboardWindowApi() = default;
    // Item data of the output device chosen in the keyboard window's list
    // (-1 the built-in synthesizer, 0.. the other devices), below -1 when
    // none is chosen.
    virtual int selectedOutputDevice() const = 0;
    // Puts the keyboard window's instruments, volumes, key, tempo and rhythm
    // back to its fixed setup and prepares the shared state from them.
    virtual void RestoreKeyboardDefaults() = 0;
    // Shows the keyboard window again (which activates it).
    virtual void showKeyboardWindow() = 0;
};

} // namespace dzq
