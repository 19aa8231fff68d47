#include <shlobj.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/home_folder.h"

namespace flash410::chooser {
namespace {

std::string Utf8(const wchar_t* text) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) {
        return {};
    }
    std::string converted(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, converted.data(), length, nullptr, nullptr);
    converted.pop_back();  // the terminating nul
    return converted;
}

}  // namespace

std::string UserHomeFolder() {
    if (const wchar_t* profile = _wgetenv(L"USERPROFILE"); profile != nullptr && *profile != L'\0') {
        return Utf8(profile);
    }
    PWSTR folder = nullptr;
    std::string home;
    if (SHGetKnownFolderPath(FOLDERID_Profile, 0, nullptr, &folder) == S_OK) {
        home = Utf8(folder);
    }
    CoTaskMemFree(folder);
    return home.empty() ? std::string("C:\\") : home;
}

}  // namespace flash410::chooser
