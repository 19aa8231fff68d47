// The file chooser moves the process's current directory with its folder list; a test puts it back.
#pragma once

#include <filesystem>

namespace uflash8::testing {

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

}  // namespace uflash8::testing
