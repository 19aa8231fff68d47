#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/home_folder.h"
#include "platform/known_folder_win32.h"
#include "platform/utf16_text_win32.h"

namespace flash410::platform {

std::string UserHomeFolder() {
    if (const wchar_t* profile = _wgetenv(L"USERPROFILE"); profile != nullptr && *profile != L'\0') {
        return platform::Utf8FromUtf16(profile);
    }
    const std::string home = platform::KnownFolder(FOLDERID_Profile);
    return home.empty() ? std::string("C:\\") : home;
}

}  // namespace flash410::platform
