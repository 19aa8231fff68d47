#include "image/chosen_file_names.h"

#include "image/file_name_case.h"
#include "platform/utf8_path.h"

namespace flash410::image {
namespace {

std::string UpperCase(std::string text) {
    for (char& character : text) {
        if (character >= 'a' && character <= 'z') {
            character = static_cast<char>(character - 'a' + 'A');
        }
    }
    return text;
}

ChosenFileKind KindOf(const std::string& extension) {
    if (extension == "HEX" || extension == "H86" || extension == "MCS") {
        return ChosenFileKind::kIntelHex;
    }
    if (extension == "BIN") {
        return ChosenFileKind::kBinaryImage;
    }
    if (extension == "VXF") {
        return ChosenFileKind::kUploadImage;
    }
    return ChosenFileKind::kUnexpected;
}

}  // namespace

ChosenFileNames FormChosenFileNames(const std::string& chosenFile) {
    // Only the bare name counts: a "." in a folder name (rel.2/fw.hex) is not an extension.
    const std::string bareName = platform::PathFromUtf8(chosenFile).filename().string();
    const std::string::size_type bareStart = chosenFile.size() - bareName.size();
    const std::string::size_type dot = bareName.rfind('.');

    ChosenFileNames names;
    names.ChosenFile = chosenFile;
    if (dot == std::string::npos) {
        names.Stem = chosenFile;
    } else {
        names.Extension = UpperCase(bareName.substr(dot + 1));
        names.Stem = chosenFile.substr(0, bareStart + dot);
    }
    names.Kind = KindOf(names.Extension);
    switch (names.Kind) {
        case ChosenFileKind::kIntelHex:
            names.BinaryFileName = ResolveFileNameCase(platform::PathFromUtf8(names.Stem + ".BIN"));
            names.ImageFileName = ResolveFileNameCase(platform::PathFromUtf8(names.Stem + ".VXF"));
            break;
        case ChosenFileKind::kBinaryImage:
            names.BinaryFileName = platform::PathFromUtf8(chosenFile);
            names.ImageFileName = ResolveFileNameCase(platform::PathFromUtf8(names.Stem + ".VXF"));
            break;
        case ChosenFileKind::kUploadImage:
            names.ImageFileName = platform::PathFromUtf8(chosenFile);
            break;
        case ChosenFileKind::kUnexpected:
            break;
    }
    return names;
}

}  // namespace flash410::image
