#include "chosen_file_names.h"

#include "image/file_name_case.h"

namespace flash410::cli {
namespace {

constexpr std::string::size_type ExtensionLength = 3;

std::string UpperCase(std::string text) {
    for (char& character : text) {
        if (character >= 'a' && character <= 'z') {
            character = static_cast<char>(character - 'a' + 'A');
        }
    }
    return text;
}

}  // namespace

ChosenFileNames FormChosenFileNames(const std::string& chosen_file) {
    // A "." in a folder name (rel.2/fw.hex) must not cut the name, so only the bare name is searched.
    const std::string::size_type slash = chosen_file.rfind('/');
    const std::string::size_type name_start = slash == std::string::npos ? 0 : slash + 1;
    const std::string::size_type dot = chosen_file.find('.', name_start);

    ChosenFileNames names;
    if (dot == std::string::npos) {
        names.Extension = UpperCase(chosen_file.substr(name_start, ExtensionLength));
        names.Stem = chosen_file.substr(0, name_start);
    } else {
        names.Extension = UpperCase(chosen_file.substr(dot + 1, ExtensionLength));
        names.Stem = chosen_file.substr(0, dot);
    }
    names.BinaryFileName = image::ResolveFileNameCase(names.Stem + ".BIN");
    names.ImageFileName = image::ResolveFileNameCase(names.Stem + ".VXF");
    return names;
}

}  // namespace flash410::cli
