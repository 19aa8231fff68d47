// The "drives" the operator picks from: the mounted file systems a user would choose on Linux, the drive
// letters on Windows.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace flash410::chooser {

// From the text of a mount table (/proc/mounts): the root "/", the home folder (standing for the file
// system it lies on), then the removable media mounted under /media, /run/media or /mnt, in name order.
// Virtual file systems (proc, tmpfs, cgroup, ...) are left out, and so is a mount point named twice.
std::vector<std::string> ListDrives(std::string_view mountTable, const std::string& homeFolder);

// The same from a mount table file; when it cannot be read, the root and the home folder alone.
std::vector<std::string> ReadDrives(const std::string& mountTableFile, const std::string& homeFolder);

// The drives of this system: on Linux those of the mount table /proc/mounts, as ReadDrives gives them; on
// Windows the drive roots ("C:/", "D:/", ...) that GetLogicalDriveStrings names, the home folder's first.
std::vector<std::string> SystemDrives(const std::string& homeFolder);

// The drive a folder lies on: the drive with the longest path that holds it ("/" when no other does).
std::string DriveOfFolder(const std::vector<std::string>& drives, const std::string& folder);

}  // namespace flash410::chooser
