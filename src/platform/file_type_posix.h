// Why a file that is not a regular file cannot stand for one, in words. Nothing here fails.
#pragma once

#include <sys/stat.h>

#include <string>

namespace flash410::platform {

// Why a file of this type cannot be read or replaced as firmware: folders answer as the system says
// it, anything else names its kind.
inline std::string NotARegularFileReason(mode_t mode) {
    if (S_ISDIR(mode)) {
        return "Is a directory";
    }
    if (S_ISFIFO(mode)) {
        return "Is a named pipe, not a regular file";
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return "Is a device, not a regular file";
    }
    if (S_ISSOCK(mode)) {
        return "Is a socket, not a regular file";
    }
    return "Is not a regular file";
}

}  // namespace flash410::platform
