#include "chosen_file_names.h"

#include "file_name_case.h"

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
        return ChosenFileKind::IntelHex;
    }
    if (extension == "BIN") {
        return ChosenFileKind::BinaryImage;
    }
    if (extension == "VXF") {
        return ChosenFileKind::UploadImage;
    }
    return ChosenFileKind::Unexpected;
}

}  // namespace

ChosenFileNames FormChosenFileNames(const std::string& chosen_file) {
    // Only the bare name counts: a "." in a folder name (rel.2/fw.hex) is not an extension.
    const std::string bare_name = std::filesystem::path(chosen_file).filename().string();
    const std::string::size_type bare_start = chosen_file.size() - bare_name.size();
    const std::string::size_type dot = bare_name.rfind('.');

    ChosenFileNames names;
    names.ChosenFile = chosen_file;
    if (dot == std::string::npos) {
        names.Stem = chosen_file;
    } else {
        names.Extension = UpperCase(bare_name.substr(dot + 1));
        names.Stem = chosen_file.substr(0, bare_start + dot);
    }
    names.Kind = KindOf(names.Extension);
    switch (names.Kind) {
        case ChosenFileKind::IntelHex:
            names.BinaryFileName = ResolveFileNameCase(names.Stem + ".BIN");
            names.ImageFileName = ResolveFileNameCase(names.Stem + ".VXF");
            break;
        case ChosenFileKind::BinaryImage:
            names.BinaryFileName = chosen_file;
            names.ImageFileName = ResolveFileNameCase(names.Stem + ".VXF");
            break;
        case ChosenFileKind::UploadImage:
            names.ImageFileName = chosen_file;
            break;
        case ChosenFileKind::Unexpected:
            break;
    }
    return names;
}

}  // namespace flash410::image
