#include "platform/utf8_path.h"

namespace flash410::platform {

std::filesystem::path PathFromUtf8(std::string_view name) {
    return std::filesystem::path(name);
}

}  // namespace flash410::platform
