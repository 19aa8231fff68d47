#include "program/link_folder.h"

#include <stdexcept>
#include <system_error>

namespace modemsim {

namespace fs = std::filesystem;

fs::path PortLinkFolder(const fs::path& programFolder, const flash410::platform::UserFolders& user) {
    // A mistyped folder is said as such, rather than quietly made into a settings folder.
    std::error_code error;
    if (!fs::is_directory(programFolder, error)) {
        throw std::runtime_error("program folder " + programFolder.string() + " does not exist");
    }
    const flash410::platform::FileLocations files =
        flash410::platform::LocateFiles(fs::absolute(programFolder).string() + "/", user);
    if (auto problem = flash410::platform::CreateFolder(files.settingsFolder)) {
        throw std::runtime_error(*problem);
    }
    return files.settingsFolder;
}

}  // namespace modemsim
