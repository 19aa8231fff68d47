#include "chooser/folder_contents.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "chooser/file_type_filter.h"
#include "platform/utf8_path.h"

namespace flash410::chooser {
namespace {

char FoldCase(char character) {
    return character >= 'A' && character <= 'Z' ? static_cast<char>(character - 'A' + 'a') : character;
}

// Name order ignoring case, as the operator expects; names equal but for case keep byte order, so the
// order never depends on the order the file system hands them out in.
bool ComesBefore(const std::string& left, const std::string& right) {
    const bool lessIgnoringCase =
        std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end(),
                                     [](char a, char b) { return FoldCase(a) < FoldCase(b); });
    const bool moreIgnoringCase =
        std::lexicographical_compare(right.begin(), right.end(), left.begin(), left.end(),
                                     [](char a, char b) { return FoldCase(a) < FoldCase(b); });
    if (lessIgnoringCase || moreIgnoringCase) {
        return lessIgnoringCase;
    }
    return left < right;
}

}  // namespace

FolderContents ReadFolderContents(const std::string& folder, const std::string& mask) {
    namespace fs = std::filesystem;
    FolderContents contents;
    std::error_code error;
    fs::directory_iterator entry(platform::PathFromUtf8(folder), error);
    for (; !error && entry != fs::directory_iterator(); entry.increment(error)) {
        std::string name = entry->path().filename().string();
        if (name.empty() || name.front() == '.') {
            continue;
        }
        std::error_code ignored;  // an entry that vanished or cannot be looked at is simply not shown
        if (entry->is_directory(ignored)) {
            contents.SubFolders.push_back(std::move(name));
        } else if (entry->is_regular_file(ignored) && MatchesFileMask(name, mask)) {
            contents.Files.push_back(std::move(name));
        }
    }
    if (error) {
        contents.Error = "Cannot list the folder " + folder + ": " + error.message();
    }
    std::sort(contents.SubFolders.begin(), contents.SubFolders.end(), ComesBefore);
    std::sort(contents.Files.begin(), contents.Files.end(), ComesBefore);
    return contents;
}

}  // namespace flash410::chooser
