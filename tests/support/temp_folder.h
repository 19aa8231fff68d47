// A fresh folder for one test, removed with everything in it when the test ends.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace flash410::test_support {

class TempFolder {
  public:
    // The label goes into the folder's name, so that a folder left behind by a crash says whose it is.
    explicit TempFolder(std::string_view label = "test");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // With the trailing "/", as the programs' folders are given.
    std::string folder() const { return path_.string() + "/"; }
    // A path below this folder; the relative name is UTF-8 text on every system.
    std::filesystem::path operator/(std::string_view relative) const;

    // Creates a folder (with its parents) below this one and returns its path.
    std::string Folder(std::string_view relative) const;
    // Writes bytes exactly as given (no line-end translation), creating the folders on the way, and
    // returns the file's path.
    std::string Write(std::string_view relative, std::string_view contents) const;
    std::string Write(std::string_view relative, const std::vector<std::uint8_t>& contents) const;
    // The file's bytes as they are now ("" when it does not exist).
    std::string Read(std::string_view relative) const;

  private:
    std::filesystem::path path_;
};

// Writes bytes exactly as given, replacing the file; throws when they cannot all be written.
void WriteFileBytes(const std::filesystem::path& file, std::string_view contents);
// The bytes of a file as they are on disk now ("" when it does not exist).
std::string ReadFileBytes(const std::filesystem::path& file);

}  // namespace flash410::test_support
