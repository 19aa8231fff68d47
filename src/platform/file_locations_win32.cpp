// Where the program keeps its files on Windows: installed means inside the Program Files folder, which
// only an administrator may write; the user's settings then roam with the profile (%APPDATA%) and the
// capture log stays on the machine (%LOCALAPPDATA%).
#include <windows.h>

#include <filesystem>

#include "platform/file_locations.h"
#include "platform/known_folder_win32.h"
#include "platform/utf8_path.h"

namespace flash410::platform {

namespace fs = std::filesystem;

namespace {

// Two names of one folder level, compared as the file system compares them.
bool SameName(const fs::path& left, const fs::path& right) {
    const std::wstring& a = left.native();
    const std::wstring& b = right.native();
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

// Whether folder is base or lies below it; both absolute names, either separator.
bool IsInside(const std::string& folder, const std::string& base) {
    if (base.empty()) {
        return false;
    }
    const fs::path inner = platform::PathFromUtf8(folder).lexically_normal();
    const fs::path outer = platform::PathFromUtf8(base).lexically_normal();
    auto at = inner.begin();
    for (const fs::path& level : outer) {
        if (level.empty()) {
            continue;  // the trailing separator's empty name
        }
        if (at == inner.end() || !SameName(*at, level)) {
            return false;
        }
        ++at;
    }
    return true;
}

// The application data folder, or its default place below the home folder when the system did not say.
std::string AppDataFolder(const std::string& known, const std::string& home, const char* defaultBelowHome) {
    const std::string folder = known.empty() ? WithTrailingSlash(home) + defaultBelowHome : known;
    return WithTrailingSlash(folder) + kWindowsUserSubfolder;
}

}  // namespace

FileLocations LocateFiles(const std::string& programFolder, const UserFolders& user) {
    FileLocations files = BesideProgram(programFolder);
    if (!IsInside(files.programFolder, user.programFiles)) {
        return files;
    }
    files.installed = true;
    files.settingsFolder = AppDataFolder(user.roamingAppData, user.home, "AppData/Roaming");
    files.stateFolder = AppDataFolder(user.localAppData, user.home, "AppData/Local");
    files.historyFile = files.stateFolder + kUploadHistoryFileName;
    return files;
}

UserFolders UserFoldersFromEnvironment(std::string home) {
    UserFolders user;
    user.home = std::move(home);
    user.programFiles = platform::KnownFolder(FOLDERID_ProgramFiles);
    user.roamingAppData = platform::KnownFolder(FOLDERID_RoamingAppData);
    user.localAppData = platform::KnownFolder(FOLDERID_LocalAppData);
    return user;
}

}  // namespace flash410::platform
