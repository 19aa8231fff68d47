// Why a file that is not a regular file cannot stand for one, in words. Nothing here fails.
#pragma once

#include <windows.h>

#include <string>

namespace flash410::platform {

// Why an open file cannot be read or replaced as firmware, from GetFileType and its attributes; empty for
// a regular file on a disk. Folders answer as the POSIX systems say it, anything else names its kind.
inline std::string NotARegularFileReason(DWORD fileType, DWORD attributes) {
    if (fileType == FILE_TYPE_PIPE) {
        return "Is a named pipe, not a regular file";
    }
    if (fileType == FILE_TYPE_CHAR) {
        return "Is a device, not a regular file";
    }
    if (fileType != FILE_TYPE_DISK) {
        return "Is not a regular file";
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return "Is a directory";
    }
    return {};
}

}  // namespace flash410::platform
