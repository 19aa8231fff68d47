#include "win32_window/file_chooser.h"

#include <commdlg.h>

#include <vector>

#include "chooser/file_type_filter.h"
#include "platform/utf16_text_win32.h"

namespace flash410::win32_window {

std::optional<std::string> ChooseFirmwareFile(HWND owner, const std::string& filter, const std::string& homeFolder) {
    // The dialog's filter: description and mask pairs, each ended by a nul, the list by another.
    std::wstring types;
    for (const chooser::FileType& type : chooser::ParseFileTypeFilter(filter)) {
        types += platform::Utf16FromUtf8(type.Description) + L'\0' + platform::Utf16FromUtf8(type.Mask) + L'\0';
    }
    types += L'\0';
    const std::wstring folder = platform::Utf16FromUtf8(homeFolder);
    // Room for the longest name Windows allows.
    std::vector<wchar_t> name(32768, L'\0');

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = types.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name.data();
    dialog.nMaxFile = static_cast<DWORD>(name.size());
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrTitle = L"Select a File Name";
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (GetOpenFileNameW(&dialog) == 0) {
        return std::nullopt;
    }
    return platform::Utf8FromUtf16(name.data());
}

}  // namespace flash410::win32_window
