#include "program_folder.h"

#include <filesystem>

namespace flash410::test_support {

namespace fs = std::filesystem;

ProgramFolder::ProgramFolder() : TempFolder("program") {
    Folder("ports");
}

void ProgramFolder::Link(int port, const std::string& device) const {
    const fs::path link = path() / "ports" / ("com" + std::to_string(port));
    std::error_code ignored;
    fs::remove(link, ignored);
    fs::create_symlink(device, link);
}

}  // namespace flash410::test_support
