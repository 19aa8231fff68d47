// A fresh folder for one test, removed with everything in it when the test ends.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace chfile1::test {

class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "flash410-chooser-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot create a folder from " + pattern);
        }
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string path() const { return path_.string(); }
    std::string operator/(std::string_view relative) const { return (path_ / relative).string(); }

    // Creates a folder (with its parents) below this one and returns its path.
    std::string Folder(std::string_view relative) const {
        std::filesystem::create_directories(path_ / relative);
        return *this / relative;
    }
    // Writes bytes exactly as given (no line-end translation), creating the folders on the way.
    std::string Write(std::string_view relative, std::string_view contents) const {
        const std::filesystem::path file = path_ / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary);
        out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
        if (!out) {
            throw std::runtime_error("cannot write " + file.string());
        }
        return file.string();
    }
    std::string Read(std::string_view relative) const {
        std::ifstream in(path_ / relative, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

  private:
    std::filesystem::path path_;
};

// Puts the process's current directory back when the test ends: the chooser moves it.
class CurrentDirectoryKeeper {
  public:
    CurrentDirectoryKeeper() : saved_(std::filesystem::current_path()) {}
    ~CurrentDirectoryKeeper() {
        std::error_code ignored;
        std::filesystem::current_path(saved_, ignored);
    }
    CurrentDirectoryKeeper(const CurrentDirectoryKeeper&) = delete;
    CurrentDirectoryKeeper& operator=(const CurrentDirectoryKeeper&) = delete;

  private:
    std::filesystem::path saved_;
};

}  // namespace chfile1::test
