// The help the main window shows for its screen. For now a message box names the topic and the help file
// it is in.
#pragma once

#include <windows.h>

#include <string>

namespace flash410::win32_window {

void ShowHelpWindow(HWND owner, const std::string& helpFile, int topic);

}  // namespace flash410::win32_window
