#include <windows.h>

#include <limits>
#include <string>

#include "platform/utf8_path.h"

namespace flash410::platform {

std::filesystem::path PathFromUtf8(std::string_view name) {
    if (name.empty() || name.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        return {};
    }
    const int size = static_cast<int>(name.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, name.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, name.data(), size, wide.data(), length);
    return std::filesystem::path(wide);
}

}  // namespace flash410::platform
