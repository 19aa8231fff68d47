#include "support/temp_folder.h"

#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace flash410::testing {

namespace fs = std::filesystem;

TempFolder::TempFolder(std::string_view label) {
    std::string pattern =
        (fs::temp_directory_path() / ("flash410-" + std::string(label) + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a folder from " + pattern);
    }
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

std::string TempFolder::Folder(std::string_view relative) const {
    fs::create_directories(path_ / relative);
    return (path_ / relative).string();
}

std::string TempFolder::Write(std::string_view relative, std::string_view contents) const {
    const fs::path file = path_ / relative;
    fs::create_directories(file.parent_path());
    WriteFileBytes(file, contents);
    return file.string();
}

std::string TempFolder::Write(std::string_view relative, const std::vector<std::uint8_t>& contents) const {
    return Write(relative, std::string_view(reinterpret_cast<const char*>(contents.data()), contents.size()));
}

std::string TempFolder::Read(std::string_view relative) const {
    return ReadFileBytes(path_ / relative);
}

void WriteFileBytes(const fs::path& file, std::string_view contents) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    out.close();
    if (!out) {
        throw std::runtime_error("cannot write " + file.string());
    }
}

std::string ReadFileBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace flash410::testing
