// A panel of the main window: a frame around a group of controls with an optional title on its top
// edge, as the Linux window's group boxes. The controls inside are the panel's children, so that hiding
// the panel hides them; the panel passes their notifications on to the top-level window, which handles
// them all, and lets Tab and the dialog keys reach into it (WS_EX_CONTROLPARENT).
#pragma once

#include <windows.h>

namespace flash410::win32_window {

// A panel at the rectangle (in the parent's pixels), hidden until shown; its title is its window text,
// drawn in the font it is given with WM_SETFONT.
HWND CreatePanel(HWND parent, const RECT& place, HINSTANCE instance);

}  // namespace flash410::win32_window
