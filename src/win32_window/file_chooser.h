// The file chooser the main window opens from "Choose File". For now it is the system's own Open dialog,
// offering the model's file types.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace flash410::win32_window {

// filter: the model's "description|mask|" pairs. homeFolder: where the dialog opens. Returns the chosen
// file's full name (UTF-8), or nothing when the operator cancelled.
std::optional<std::string> ChooseFirmwareFile(HWND owner, const std::string& filter, const std::string& homeFolder);

}  // namespace flash410::win32_window
