// The window program's message loop, with the keyboard working as in a dialog: Tab and Shift+Tab through
// the controls, Alt with a caption's underlined letter, Space and Enter on the focused button.
#pragma once

#include <windows.h>

namespace flash410::win32_window {

// Acts on a key that moves between or presses the window's controls; returns whether it was one (then
// the message is done with). The system's dialog handling sends Enter to a default button the window
// does not have: here Enter presses the button that has the focus.
bool TakeDialogKey(HWND window, MSG& message);

// Runs until WM_QUIT; returns its exit code.
int RunMessageLoop(HWND window);

}  // namespace flash410::win32_window
