#include "win32_window/message_loop.h"

namespace flash410::win32_window {

namespace {

bool IsPushButton(HWND control) {
    const auto code = SendMessageW(control, WM_GETDLGCODE, 0, 0);
    return (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0;
}

}  // namespace

bool TakeDialogKey(HWND window, MSG& message) {
    if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN && IsChild(window, message.hwnd) &&
        IsPushButton(message.hwnd)) {
        SendMessageW(message.hwnd, BM_CLICK, 0, 0);
        return true;
    }
    return IsDialogMessageW(window, &message) != 0;
}

int RunMessageLoop(HWND window) {
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Each of the program's windows takes its own dialog keys: the main window's, and the help's.
        const HWND root = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
        if (!TakeDialogKey(root != nullptr ? root : window, message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return static_cast<int>(message.wParam);
}

}  // namespace flash410::win32_window
