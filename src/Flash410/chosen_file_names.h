#pragma once

#include <filesystem>
#include <string>

namespace flash410::cli {

// The names that preparing a chosen file works with, formed as the window forms them: the extension
// is the (at most) three characters after the first "." of the bare file name, upper-cased (the first
// three characters when there is no "."); the stem is the folder followed by the bare name up to that
// ".". The ".BIN" and ".VXF" names are the stem with those extensions, matched to an existing file that
// differs only in case.
struct ChosenFileNames {
    std::string Extension;
    std::string Stem;
    std::filesystem::path BinaryFileName;
    std::filesystem::path ImageFileName;
};

ChosenFileNames FormChosenFileNames(const std::string& chosen_file);

}  // namespace flash410::cli
