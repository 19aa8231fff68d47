// The top-level windows that the main window owns (the file chooser, the help): each window class is
// registered once, and a window's client area has the design's size at its owner's DPI.
#pragma once

#include <windows.h>

#include "win32_window/dpi_scale.h"

namespace flash410::win32_window {

struct OwnedWindowDesign {
    const wchar_t* className = nullptr;
    const wchar_t* title = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    int width = 0;  // the client area, in design pixels
    int height = 0;
    bool overOwner = false;  // over the middle of its owner, as a dialog opens; else where the system puts it
};

// The DPI of the owner's monitor, or the system's without an owner.
UINT DpiOfOwner(HWND owner);

// Creates the window (its class registered by the first); self reaches the procedure with WM_NCCREATE.
HWND CreateOwnedWindow(HWND owner, const OwnedWindowDesign& design, const DpiScale& scale, WNDPROC procedure,
                       void* self);

}  // namespace flash410::win32_window
