#include "platform/known_folder_win32.h"

#include <memory>

#include "platform/utf16_text_win32.h"

namespace flash410::platform {

std::string KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR folder = nullptr;
    const HRESULT result = SHGetKnownFolderPath(id, 0, nullptr, &folder);
    // The shell allocates the text even when the call fails.
    const std::unique_ptr<wchar_t, decltype(&CoTaskMemFree)> owned(folder, CoTaskMemFree);
    return result == S_OK && folder != nullptr ? Utf8FromUtf16(folder) : std::string();
}

}  // namespace flash410::platform
