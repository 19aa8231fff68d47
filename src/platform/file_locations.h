// Where the program keeps its files. Run from a folder of its own (a copied build, a USB stick), it keeps
// them beside itself. Installed, its own folder belongs to the system and is shared by every user, so the
// settings and the port links go to the user's configuration folder and the capture log to the user's
// state folder: on Linux as the freedesktop base directory rules say, on Windows in the roaming and the
// local application data folders. The rules of each system live in file_locations_<system>.cpp.
#pragma once

#include <optional>
#include <string>

namespace flash410::platform {

inline constexpr char kHelpFileName[] = "VNLflash.HLP";
// Below the installation's prefix: where the help file lies, and so how an installed program knows itself.
inline constexpr char kInstalledDataFolder[] = "share/flash410/";
// Below the user's configuration and state folders on Linux.
inline constexpr char kUserSubfolder[] = "flash410/";
// Below the user's application data folders on Windows.
inline constexpr char kWindowsUserSubfolder[] = "Flash410/";
// The record of every upload, appended to and never rewritten.
inline constexpr char kUploadHistoryFileName[] = "upload-history.jsonl";
// Below a folder of its own, where the history is kept apart from the program's other files.
inline constexpr char kHistorySubfolder[] = "history/";

// Every folder ends with "/".
struct FileLocations {
    std::string programFolder;   // the running executable's own folder
    std::string settingsFolder;  // commsUP.txt and the ports/comN links
    std::string stateFolder;     // Capture.txt
    std::string helpFile;        // VNLflash.HLP (which may be missing)
    bool installed = false;
    std::string historyFile = {};  // upload-history.jsonl
};

// What the user's environment says; each system reads its own part. Empty texts stand for unset
// variables and folders the system does not know. (The Windows part has initialisers of its own, so that
// the POSIX part alone may be given.)
struct UserFolders {
    std::string home;                 // the home folder, already resolved
    std::string xdgConfigHome;        // POSIX: $XDG_CONFIG_HOME
    std::string xdgStateHome;         // POSIX: $XDG_STATE_HOME
    std::string programFiles = {};    // Windows: the Program Files folder (FOLDERID_ProgramFiles)
    std::string roamingAppData = {};  // Windows: %APPDATA% (FOLDERID_RoamingAppData)
    std::string localAppData = {};    // Windows: %LOCALAPPDATA% (FOLDERID_LocalAppData)
};

// Everything beside the program; the upload history in its own folder there.
FileLocations BesideProgram(const std::string& programFolder);

// programFolder: the running executable's folder. Anything that is not an installation is a folder of
// its own.
// POSIX: the program counts as installed when that folder is <prefix>/bin and
// <prefix>/share/flash410/VNLflash.HLP exists. An XDG variable that is empty or not absolute is ignored,
// so its default below the home folder is used. A help file beside the program wins over the shared one.
// Windows: the program counts as installed when that folder is the Program Files folder or lies below it
// (names compared as Windows compares them, ignoring case); the help file stays beside the program.
// An application data folder the system does not know is taken at its default place below the home
// folder.
FileLocations LocateFiles(const std::string& programFolder, const UserFolders& user);

// The user's folders from the process environment; home is resolved by the caller.
UserFolders UserFoldersFromEnvironment(std::string home);

// Creates the folder and any missing parents. Returns why it could not, in words for the operator
// ("cannot create the folder /x/: Permission denied"), or nothing when the folder is there.
std::optional<std::string> CreateFolder(const std::string& folder);

// The folder's name ending with "/".
std::string WithTrailingSlash(std::string folder);

// Whether the UTF-8 name names a regular file (links followed); false when it cannot be known.
bool IsRegularFile(const std::string& name);

}  // namespace flash410::platform
