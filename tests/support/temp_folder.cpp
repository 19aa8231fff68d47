#include "temp_folder.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "platform/utf8_path.h"

namespace flash410::test_support {

namespace fs = std::filesystem;

namespace {
// Names are drawn at random; a folder already there only means drawing again.
constexpr int kNameAttempts = 100;
}  // namespace

TempFolder::TempFolder(std::string_view label) {
    const fs::path base = fs::temp_directory_path();
    std::random_device random;
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        char suffix[16];
        std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(random()));
        const fs::path candidate = base / ("flash410-" + std::string(label) + "-" + suffix);
        // Made only when no such folder was there, so no other test shares it.
        if (fs::create_directory(candidate)) {
            fs::permissions(candidate, fs::perms::owner_all, fs::perm_options::replace);
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a folder in " + base.string());
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

fs::path TempFolder::operator/(std::string_view relative) const {
    return path_ / platform::PathFromUtf8(relative);
}

std::string TempFolder::Folder(std::string_view relative) const {
    fs::create_directories(*this / relative);
    return (*this / relative).string();
}

std::string TempFolder::Write(std::string_view relative, std::string_view contents) const {
    const fs::path file = *this / relative;
    fs::create_directories(file.parent_path());
    WriteFileBytes(file, contents);
    return file.string();
}

std::string TempFolder::Write(std::string_view relative, const std::vector<std::uint8_t>& contents) const {
    return Write(relative, std::string_view(reinterpret_cast<const char*>(contents.data()), contents.size()));
}

std::string TempFolder::Read(std::string_view relative) const {
    return ReadFileBytes(*this / relative);
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

}  // namespace flash410::test_support
