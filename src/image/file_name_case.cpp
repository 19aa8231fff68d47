#include "image/file_name_case.h"

#include <algorithm>
#include <string>
#include <system_error>
#include <vector>

#include "platform/utf8_path.h"

namespace flash410::image {
namespace {

char FoldCase(char character) {
    return character >= 'a' && character <= 'z' ? static_cast<char>(character - 'a' + 'A') : character;
}

bool EqualIgnoringCase(const std::string& left, const std::string& right) {
    return std::equal(left.begin(), left.end(), right.begin(), right.end(),
                      [](char a, char b) { return FoldCase(a) == FoldCase(b); });
}

}  // namespace

std::filesystem::path ResolveFileNameCase(const std::filesystem::path& formed) {
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::symlink_status(formed, error)) || !formed.has_filename()) {
        return formed;
    }
    const std::filesystem::path folder = formed.parent_path();
    const std::string wanted = formed.filename().string();

    std::vector<std::string> matches;
    std::filesystem::directory_iterator entry(folder.empty() ? "." : folder, error);
    for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        std::string name = entry->path().filename().string();
        if (EqualIgnoringCase(name, wanted)) {
            matches.push_back(std::move(name));
        }
    }
    if (matches.empty()) {
        return formed;
    }
    return folder / platform::PathFromUtf8(*std::min_element(matches.begin(), matches.end()));
}

}  // namespace flash410::image
