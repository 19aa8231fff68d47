// Where the program keeps its files on Linux: an installation is <prefix>/bin with its help text in
// <prefix>/share/flash410, and the user's folders are the freedesktop base directories.
#include <cstdlib>
#include <filesystem>

#include "platform/file_locations.h"
#include "platform/utf8_path.h"

namespace flash410::platform {

namespace fs = std::filesystem;

namespace {

// The XDG variable when it names an absolute folder; otherwise its default below the home folder.
std::string BaseFolder(const std::string& variable, const std::string& home, const char* defaultBelowHome) {
    if (!variable.empty() && platform::PathFromUtf8(variable).is_absolute()) {
        return WithTrailingSlash(variable);
    }
    return WithTrailingSlash(home) + defaultBelowHome;
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

}  // namespace

FileLocations LocateFiles(const std::string& programFolder, const UserFolders& user) {
    FileLocations files = BesideProgram(programFolder);
    // "/usr/bin/" has the parent path "/usr/bin" once the trailing separator is dropped.
    const fs::path binFolder = platform::PathFromUtf8(files.programFolder).parent_path();
    const fs::path installedHelp = binFolder.parent_path() / kInstalledDataFolder / kHelpFileName;
    if (binFolder.filename() != "bin" || !IsRegularFile(installedHelp.string())) {
        return files;
    }
    files.installed = true;
    files.settingsFolder = BaseFolder(user.xdgConfigHome, user.home, ".config/") + kUserSubfolder;
    files.stateFolder = BaseFolder(user.xdgStateHome, user.home, ".local/state/") + kUserSubfolder;
    files.historyFile = files.stateFolder + kUploadHistoryFileName;
    // A help file put beside the program still wins, as it does for a folder of its own.
    if (!IsRegularFile(files.helpFile)) {
        files.helpFile = installedHelp.string();
    }
    return files;
}

UserFolders UserFoldersFromEnvironment(std::string home) {
    UserFolders user;
    user.home = std::move(home);
    user.xdgConfigHome = Environment("XDG_CONFIG_HOME");
    user.xdgStateHome = Environment("XDG_STATE_HOME");
    return user;
}

}  // namespace flash410::platform
