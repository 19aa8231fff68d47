// What every system's rules share: the folder of its own, folders made when first needed, and the small
// helpers on folder names.
#include "platform/file_locations.h"

#include <filesystem>
#include <system_error>

#include "platform/utf8_path.h"

namespace flash410::platform {

namespace fs = std::filesystem;

std::string WithTrailingSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

bool IsRegularFile(const std::string& name) {
    std::error_code error;
    return fs::is_regular_file(platform::PathFromUtf8(name), error);
}

FileLocations BesideProgram(const std::string& programFolder) {
    const std::string folder = WithTrailingSlash(programFolder);
    return {folder, folder,
            folder, folder + kHelpFileName,
            false,  folder + kHistorySubfolder + kUploadHistoryFileName};
}

std::optional<std::string> CreateFolder(const std::string& folder) {
    const fs::path path = platform::PathFromUtf8(folder);
    std::error_code error;
    fs::create_directories(path, error);
    if (error) {
        return "cannot create the folder " + folder + ": " + error.message();
    }
    // The name may be taken by something that is not a folder (or a link to one).
    if (!fs::is_directory(path, error)) {
        return "cannot create the folder " + folder + ": " +
               std::make_error_code(std::errc::not_a_directory).message();
    }
    return std::nullopt;
}

}  // namespace flash410::platform
