#include <filesystem>
#include <system_error>

#include "platform/program_folder.h"

namespace flash410::platform {

std::string RunningProgramFolder() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || program.empty()) {
        return {};
    }
    return program.parent_path().string() + "/";
}

}  // namespace flash410::platform
