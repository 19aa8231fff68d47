#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace flash410::test_support {

// The names in a folder, sorted: what a preparation leaves behind, temporary files included.
inline std::vector<std::string> NamesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace flash410::test_support
