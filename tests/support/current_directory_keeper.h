// Puts the process's current directory back when a test ends: the file chooser moves it with its folder
// list, and tests follow it there.
#pragma once

#include <filesystem>

namespace flash410::test_support {

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

}  // namespace flash410::test_support
