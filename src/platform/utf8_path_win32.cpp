#include "platform/utf16_text_win32.h"
#include "platform/utf8_path.h"

namespace flash410::platform {

std::filesystem::path PathFromUtf8(std::string_view name) {
    return std::filesystem::path(Utf16FromUtf8(name));
}

}  // namespace flash410::platform
