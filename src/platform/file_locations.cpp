#include "platform/file_locations.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/utf8_path.h"

namespace flash410 {

namespace fs = std::filesystem;

namespace {

std::string WithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

// The XDG variable when it names an absolute folder; otherwise its default below the home folder.
std::string BaseFolder(const std::string& variable, const std::string& home, const char* defaultBelowHome) {
    if (!variable.empty() && platform::PathFromUtf8(variable).is_absolute()) {
        return WithSlash(variable);
    }
    return WithSlash(home) + defaultBelowHome;
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

bool IsFile(const fs::path& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

bool IsFile(const std::string& name) {
    return IsFile(platform::PathFromUtf8(name));
}

}  // namespace

FileLocations BesideProgram(const std::string& programFolder) {
    const std::string folder = WithSlash(programFolder);
    return {folder, folder, folder, folder + kHelpFileName, false};
}

FileLocations LocateFiles(const std::string& programFolder, const UserFolders& user) {
    FileLocations files = BesideProgram(programFolder);
    // "/usr/bin/" has the parent path "/usr/bin" once the trailing separator is dropped.
    const fs::path binFolder = platform::PathFromUtf8(files.programFolder).parent_path();
    const fs::path installedHelp = binFolder.parent_path() / kInstalledDataFolder / kHelpFileName;
    if (binFolder.filename() != "bin" || !IsFile(installedHelp)) {
        return files;
    }
    files.installed = true;
    files.settingsFolder = BaseFolder(user.xdgConfigHome, user.home, ".config/") + kUserSubfolder;
    files.stateFolder = BaseFolder(user.xdgStateHome, user.home, ".local/state/") + kUserSubfolder;
    // A help file put beside the program still wins, as it does for a folder of its own.
    if (!IsFile(files.helpFile)) {
        files.helpFile = installedHelp.string();
    }
    return files;
}

UserFolders UserFoldersFromEnvironment(std::string home) {
    return {std::move(home), Environment("XDG_CONFIG_HOME"), Environment("XDG_STATE_HOME")};
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

}  // namespace flash410
