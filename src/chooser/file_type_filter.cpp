#include "chooser/file_type_filter.h"

namespace flash410::chooser {
namespace {

char FoldCase(char character) {
    return character >= 'A' && character <= 'Z' ? static_cast<char>(character - 'A' + 'a') : character;
}

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// One mask, no ";". Greedy matching that goes back to the last "*" on a mismatch: linear in practice,
// never recursive, so a long name or mask cannot blow up.
bool MatchesSingleMask(std::string_view name, std::string_view mask) {
    if (mask == "*.*") {
        return true;
    }
    std::size_t n = 0;
    std::size_t m = 0;
    std::size_t starInMask = std::string_view::npos;
    std::size_t resumeInName = 0;
    while (n < name.size()) {
        if (m < mask.size() && mask[m] == '*') {
            starInMask = m++;
            resumeInName = n;
        } else if (m < mask.size() && (mask[m] == '?' || FoldCase(mask[m]) == FoldCase(name[n]))) {
            ++m;
            ++n;
        } else if (starInMask != std::string_view::npos) {
            m = starInMask + 1;
            n = ++resumeInName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') {
        ++m;
    }
    return m == mask.size();
}

}  // namespace

FileType AllFilesType() {
    return {"All files (*.*)", "*.*"};
}

std::vector<FileType> ParseFileTypeFilter(std::string_view filter) {
    std::vector<std::string_view> parts;
    while (!filter.empty()) {
        const auto bar = filter.find('|');
        parts.push_back(filter.substr(0, bar));
        filter = bar == std::string_view::npos ? std::string_view() : filter.substr(bar + 1);
    }
    std::vector<FileType> types;
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        const std::string_view mask = Trimmed(parts[i + 1]);
        if (!mask.empty()) {
            const std::string_view description = Trimmed(parts[i]);
            types.push_back({std::string(description.empty() ? mask : description), std::string(mask)});
        }
    }
    if (types.empty()) {
        types.push_back(AllFilesType());
    }
    return types;
}

bool MatchesFileMask(std::string_view name, std::string_view mask) {
    while (true) {
        const auto semicolon = mask.find(';');
        const std::string_view single = Trimmed(mask.substr(0, semicolon));
        if (!single.empty() && MatchesSingleMask(name, single)) {
            return true;
        }
        if (semicolon == std::string_view::npos) {
            return false;
        }
        mask = mask.substr(semicolon + 1);
    }
}

}  // namespace flash410::chooser
