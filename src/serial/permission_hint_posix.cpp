#include "serial/permission_hint_posix.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace flash410::serial {

namespace {

namespace fs = std::filesystem;

constexpr const char* kAdministratorCanChangeIt =
    " Only the administrator can change that, for example with a udev rule.";

bool ReadableAndWritable(mode_t mode, mode_t readBit, mode_t writeBit) {
    return (mode & readBit) != 0 && (mode & writeBit) != 0;
}

std::string OctalMode(mode_t mode) {
    std::array<char, 8> text{};
    std::snprintf(text.data(), text.size(), "%04o", static_cast<unsigned>(mode & 07777));
    return text.data();
}

std::string UserName(uid_t uid, const std::string& unknown) {
    std::array<char, 4096> buffer{};
    struct passwd entry {};
    struct passwd* result = nullptr;
    if (getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &result) == 0 && result != nullptr) {
        return result->pw_name;
    }
    return unknown;
}

// A group without a name is given by its number, which usermod accepts as well.
std::string GroupName(gid_t gid) {
    std::array<char, 4096> buffer{};
    struct group entry {};
    struct group* result = nullptr;
    if (getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &result) == 0 && result != nullptr) {
        return result->gr_name;
    }
    return std::to_string(gid);
}

}  // namespace

std::string PermissionHint(const std::string& devicePath, mode_t mode, const std::string& ownerName,
                           const std::string& groupName, const std::string& userName) {
    const bool groupMayUse = ReadableAndWritable(mode, S_IRGRP, S_IWGRP);
    // Joining root would hand the user the whole machine; that is no advice for using a serial port.
    if (groupMayUse && groupName != "root") {
        return "Only members of the group '" + groupName + "' may use " + devicePath +
               ": add your user to it (sudo usermod -aG " + groupName + " " + userName +
               "), then log out and in again.";
    }
    const std::string device = devicePath + " (mode " + OctalMode(mode) + ")";
    const bool isOwner = userName == ownerName;
    const bool ownerMayUse = ReadableAndWritable(mode, S_IRUSR, S_IWUSR);
    if (ReadableAndWritable(mode, S_IROTH, S_IWOTH) || (isOwner && ownerMayUse)) {
        return "The permissions of " + device +
               " admit you, yet the system refused: a security policy or an access list keeps it closed." +
               kAdministratorCanChangeIt;
    }
    if (isOwner) {
        return "The permissions of " + device + " shut out even its owner, " + ownerName + "." +
               kAdministratorCanChangeIt;
    }
    std::string admitted = "its owner, " + ownerName;
    if (groupMayUse) {
        admitted += ", and the group '" + groupName + "'";
    }
    return device + " admits only " + admitted + "." + kAdministratorCanChangeIt;
}

std::string PermissionHintFor(const std::string& devicePath) {
    struct stat info {};
    if (::stat(devicePath.c_str(), &info) != 0) {
        return {};  // nothing known of the device: the component's own words stand
    }
    // The operator's own port links are followed, so that the hint names the device the rule is about.
    std::error_code error;
    const fs::path device = fs::canonical(devicePath, error);
    // A user without an entry of its own is left to the shell to name.
    return PermissionHint(error ? devicePath : device.string(), info.st_mode,
                          UserName(info.st_uid, std::to_string(info.st_uid)), GroupName(info.st_gid),
                          UserName(geteuid(), "$USER"));
}

}  // namespace flash410::serial
