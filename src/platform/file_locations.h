// Where the program keeps its files. Run from a folder of its own (a copied build, a USB stick), it keeps
// them beside itself. Installed, its own folder belongs to the system and is shared by every user, so the
// settings and the port links go to the user's configuration folder and the capture log to the user's
// state folder, as the freedesktop base directory rules say.
#pragma once

#include <optional>
#include <string>

namespace flash410 {

inline constexpr char kHelpFileName[] = "VNLflash.HLP";
// Below the installation's prefix: where the help file lies, and so how an installed program knows itself.
inline constexpr char kInstalledDataFolder[] = "share/flash410/";
// Below the user's configuration and state folders.
inline constexpr char kUserSubfolder[] = "flash410/";

// Every folder ends with "/".
struct FileLocations {
    std::string programFolder;   // the running executable's own folder
    std::string settingsFolder;  // commsUP.txt and the ports/comN links
    std::string stateFolder;     // Capture.txt
    std::string helpFile;        // VNLflash.HLP (which may be missing)
    bool installed = false;
};

// What the user's environment says. Empty texts stand for unset variables.
struct UserFolders {
    std::string home;           // the home folder, already resolved
    std::string xdgConfigHome;  // $XDG_CONFIG_HOME
    std::string xdgStateHome;   // $XDG_STATE_HOME
};

// Everything beside the program.
FileLocations BesideProgram(const std::string& programFolder);

// programFolder: the running executable's folder. The program counts as installed when that folder is
// <prefix>/bin and <prefix>/share/flash410/VNLflash.HLP exists; anything else is a folder of its own.
// An XDG variable that is empty or not absolute is ignored, so its default below the home folder is used.
FileLocations LocateFiles(const std::string& programFolder, const UserFolders& user);

// The user's folders from the process environment; home is resolved by the caller.
UserFolders UserFoldersFromEnvironment(std::string home);

// Creates the folder and any missing parents. Returns why it could not, in words for the operator
// ("cannot create the folder /x/: Permission denied"), or nothing when the folder is there.
std::optional<std::string> CreateFolder(const std::string& folder);

}  // namespace flash410
