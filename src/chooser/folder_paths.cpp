#include "chooser/folder_paths.h"

#include <algorithm>
#include <filesystem>

#include "platform/utf8_path.h"

namespace flash410::chooser {

std::string NormalFolder(const std::string& folder) {
    const std::filesystem::path path = platform::PathFromUtf8(folder).lexically_normal();
    // Forward slashes on every system, so that a Windows folder compares with the drives as they are
    // listed ("C:/"): "C:\fw\" becomes "C:/fw".
    std::string normal = path.generic_string();
    // A root keeps its slash ("/", "C:/"); any other folder loses a trailing one.
    const std::size_t root = std::max<std::size_t>(path.root_path().generic_string().size(), 1);
    while (normal.size() > root && normal.back() == '/') {
        normal.pop_back();
    }
    return normal;
}

bool IsAbsoluteFolder(const std::string& folder) {
    return !folder.empty() && platform::PathFromUtf8(folder).is_absolute();
}

bool IsInsideFolder(const std::string& folder, const std::string& home) {
    if (!IsAbsoluteFolder(folder) || !IsAbsoluteFolder(home)) {
        return false;
    }
    const std::string inner = NormalFolder(folder);
    const std::string outer = NormalFolder(home);
    if (inner == outer) {
        return true;
    }
    // Only a root ends in "/" in its normal form: everything on its drive lies inside it.
    if (outer.back() == '/') {
        return inner.compare(0, outer.size(), outer) == 0;
    }
    return inner.size() > outer.size() && inner.compare(0, outer.size(), outer) == 0 &&
           inner[outer.size()] == '/';
}

std::string FolderOfRow(const std::string& currentFolder, const std::string& row) {
    const std::filesystem::path current = platform::PathFromUtf8(currentFolder);
    const std::filesystem::path next =
        row == kParentFolderRow ? current.parent_path() : current / platform::PathFromUtf8(row);
    return NormalFolder(next.string());
}

std::string NativeFolderText(std::string folder) {
    std::replace(folder.begin(), folder.end(), '/', '\\');
    return folder;
}

}  // namespace flash410::chooser
