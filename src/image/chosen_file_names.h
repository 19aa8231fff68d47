#pragma once

#include <filesystem>
#include <string>

namespace flash410::image {

// What a chosen file holds, as its extension says.
enum class ChosenFileKind { kIntelHex, kBinaryImage, kUploadImage, kUnexpected };

// The names that preparing a chosen file works with, the same for the window and the command line.
// The extension is what follows the last "." of the bare file name, upper-cased, and empty when the
// bare name has no "."; the stem is the chosen name up to that ".". The file read is always the
// chosen file itself. The files written are the stem with ".BIN" and ".VXF"; where a file whose name
// differs only in case exists, it is the one replaced, unless one matches exactly.
struct ChosenFileNames {
    std::string ChosenFile;
    std::string Extension;
    std::string Stem;
    ChosenFileKind Kind = ChosenFileKind::kUnexpected;
    // The binary image written from Intel HEX, or the chosen ".bin" file that is read; else empty.
    std::filesystem::path BinaryFileName;
    // The upload image written from Intel HEX or ".bin", or the chosen ".vxf" file; else empty.
    std::filesystem::path ImageFileName;
};

ChosenFileNames FormChosenFileNames(const std::string& chosenFile);

}  // namespace flash410::image
