#include "win32_window/owned_window.h"

#include <algorithm>

namespace flash410::win32_window {

UINT DpiOfOwner(HWND owner) {
    return owner != nullptr ? GetDpiForWindow(owner) : GetDpiForSystem();
}

HWND CreateOwnedWindow(HWND owner, const OwnedWindowDesign& design, const DpiScale& scale, WNDPROC procedure,
                       void* self) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = design.className;
    RegisterClassExW(&windowClass);  // fails harmlessly once the class exists; the system keeps it

    RECT frame{0, 0, scale(design.width), scale(design.height)};
    AdjustWindowRectExForDpi(&frame, design.style, FALSE, design.exStyle, static_cast<UINT>(scale.dpi()));
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    int left = CW_USEDEFAULT;
    int top = CW_USEDEFAULT;
    if (design.overOwner) {
        RECT over{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        if (owner != nullptr) {
            GetWindowRect(owner, &over);
        }
        left = std::max<int>(0, (over.left + over.right - width) / 2);
        top = std::max<int>(0, (over.top + over.bottom - height) / 2);
    }
    return CreateWindowExW(design.exStyle, design.className, design.title, design.style, left, top, width,
                           height, owner, nullptr, instance, self);
}

}  // namespace flash410::win32_window
