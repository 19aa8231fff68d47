// What the Windows window tests share: whether a window can be made here, and controls read back through
// the window API as another program reads them.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/utf16_text_win32.h"

namespace flash410::win32_window {

// Wine makes no window without a display.
inline bool WindowsCanBeMade() {
    const HWND probe = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    if (probe == nullptr) {
        return false;
    }
    DestroyWindow(probe);
    return true;
}

// Whether the tests were given a display (the Windows test script says so): then a window that cannot be
// made is a failure, not a reason to skip.
inline bool DisplayGiven() {
    return std::getenv("FLASH410_DISPLAY_GIVEN") != nullptr;
}

// Skips a test that needs windows where none can be made, unless a display was given.
#define FLASH410_SKIP_WITHOUT_WINDOWS(canMake)                                             \
    do {                                                                                   \
        if (!(canMake)) {                                                                  \
            if (::flash410::win32_window::DisplayGiven()) {                                \
                FAIL() << "no window can be made although the test script gave a display"; \
            }                                                                              \
            GTEST_SKIP() << "no window can be made here: Wine needs a display";            \
        }                                                                                  \
    } while (false)

inline std::string WindowText(HWND control) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return platform::Utf8FromUtf16(text);
}

inline std::vector<std::string> ListBoxRows(HWND list) {
    std::vector<std::string> rows;
    const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT row = 0; row < count; ++row) {
        std::wstring text(static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, row, 0)) + 1, L'\0');
        SendMessageW(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text.data()));
        rows.push_back(platform::Utf8FromUtf16(text.c_str()));
    }
    return rows;
}

inline std::vector<std::string> ComboBoxItems(HWND list) {
    std::vector<std::string> items;
    const auto count = SendMessageW(list, CB_GETCOUNT, 0, 0);
    for (LRESULT index = 0; index < count; ++index) {
        std::wstring text(static_cast<std::size_t>(SendMessageW(list, CB_GETLBTEXTLEN, index, 0)) + 1, L'\0');
        SendMessageW(list, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
        items.push_back(platform::Utf8FromUtf16(text.c_str()));
    }
    return items;
}

}  // namespace flash410::win32_window
