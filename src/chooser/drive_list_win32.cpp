#include <windows.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "chooser/drive_list.h"
#include "chooser/folder_paths.h"
#include "platform/plain_text.h"

namespace flash410::chooser {

std::vector<std::string> SystemDrives(const std::string& homeFolder) {
    // The buffer holds "C:\<nul>D:\<nul>...<nul>"; the call says how long it must be when it is too short.
    std::vector<char> buffer(256);
    for (;;) {
        const DWORD length = GetLogicalDriveStringsA(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0) {
            buffer.assign(1, '\0');
            break;
        }
        if (length < buffer.size()) {
            break;
        }
        buffer.assign(length + 1, '\0');
    }
    std::vector<std::string> drives;
    for (const char* root = buffer.data(); *root != '\0'; root += std::char_traits<char>::length(root) + 1) {
        std::string drive(root);
        std::replace(drive.begin(), drive.end(), '\\', '/');
        drives.push_back(drive);
    }
    // The home folder's drive comes first, as the root does on Linux.
    std::string home = homeFolder;
    std::replace(home.begin(), home.end(), '\\', '/');
    const auto homeDrive = std::find_if(drives.begin(), drives.end(), [&](const std::string& drive) {
        return platform::StartsWithIgnoringAsciiCase(home, drive);
    });
    if (homeDrive != drives.end()) {
        std::rotate(drives.begin(), homeDrive, homeDrive + 1);
    }
    return drives;
}

}  // namespace flash410::chooser
