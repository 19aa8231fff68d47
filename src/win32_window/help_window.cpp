#include "win32_window/help_window.h"

#include "platform/utf16_text_win32.h"

namespace flash410::win32_window {

void ShowHelpWindow(HWND owner, const std::string& helpFile, int topic) {
    const std::string text = "The help for this screen is topic " + std::to_string(topic) + " of " + helpFile;
    MessageBoxW(owner, platform::Utf16FromUtf8(text).c_str(), L"Varnel Flash Device Upload - Help",
                MB_OK | MB_ICONINFORMATION);
}

}  // namespace flash410::win32_window
