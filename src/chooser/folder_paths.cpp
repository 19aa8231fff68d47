#include "chooser/folder_paths.h"

#include <filesystem>

#include "platform/utf8_path.h"

namespace flash410::chooser {

std::string NormalFolder(const std::string& folder) {
    std::string normal = platform::PathFromUtf8(folder).lexically_normal().string();
    while (normal.size() > 1 && normal.back() == '/') {
        normal.pop_back();
    }
    return normal;
}

bool IsInsideFolder(const std::string& folder, const std::string& home) {
    if (folder.empty() || folder.front() != '/' || home.empty() || home.front() != '/') {
        return false;
    }
    const std::string inner = NormalFolder(folder);
    const std::string outer = NormalFolder(home);
    if (outer == "/" || inner == outer) {
        return true;
    }
    return inner.size() > outer.size() && inner.compare(0, outer.size(), outer) == 0 &&
           inner[outer.size()] == '/';
}

}  // namespace flash410::chooser
