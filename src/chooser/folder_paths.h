// Folder paths as the chooser compares and stores them: absolute, without "." and ".." steps and
// without a trailing "/" (but for a root: "/", "C:/"), with "/" between names on every system, their
// case kept.
#pragma once

#include <string>

namespace flash410::chooser {

// The folder in its plain form: "/home/ann/fw/../new/" becomes "/home/ann/new"; the root stays "/".
// On Windows "C:\fw\" becomes "C:/fw" and a drive's root stays "C:/".
std::string NormalFolder(const std::string& folder);

// Whether the text names a folder from a root: "/..." on POSIX, "C:/..." or "C:\..." on Windows.
bool IsAbsoluteFolder(const std::string& folder);

// Whether an absolute folder is the home folder or lies below it. The test is on the text of the paths
// (after NormalFolder), as a drive letter is on Windows: "/home/annex" is not inside "/home/ann".
bool IsInsideFolder(const std::string& folder, const std::string& home);

// The folder row that goes up one level.
inline constexpr char kParentFolderRow[] = "..";

// The folder a row of the folder list leads to from the folder shown: its parent for "..", else the
// subfolder of that name.
std::string FolderOfRow(const std::string& currentFolder, const std::string& row);

// A folder or drive as Windows writes it, with backslashes: "C:/fw" is shown as "C:\fw".
std::string NativeFolderText(std::string folder);

}  // namespace flash410::chooser
