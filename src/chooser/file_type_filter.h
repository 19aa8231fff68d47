// The file types the chooser offers: the filter text the main window hands over, and file masks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace flash410::chooser {

struct FileType {
    std::string Description;  // "Varnel Upload (.vxf)"
    std::string Mask;         // "*.vxf"; several masks are separated by ";"
};

// The all-files entry the type list holds before the main window sets its own.
FileType AllFilesType();

// Splits "description|mask|description|mask|" into its entries, in order. A pair without a mask is left
// out; when nothing usable remains, the list holds the all-files entry alone.
std::vector<FileType> ParseFileTypeFilter(std::string_view filter);

// Whether a bare file name matches a mask as on Windows: "*" any run of characters, "?" one character,
// letters in either case ("fw.HEX" matches "*.hex"), "*.*" every name (with or without a dot), and a
// list "*.hex;*.h86" any of its masks.
bool MatchesFileMask(std::string_view name, std::string_view mask);

}  // namespace flash410::chooser
