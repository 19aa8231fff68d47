// What an operator whom the system refuses a device can do about it. The advice follows from the
// device's mode, owner and group alone, so every case can be checked without meeting the refusal itself
// (a privileged user never does).
#pragma once

#include <sys/types.h>

#include <string>

namespace flash410::serial {

// Names a group to join only when that group may read and write the device and is not root; otherwise
// says who the device admits and that the administrator can change it.
std::string PermissionHint(const std::string& devicePath, mode_t mode, const std::string& ownerName,
                           const std::string& groupName, const std::string& userName);

// The hint for the device at devicePath and this process's user, with the names looked up; empty when the
// device cannot be looked at.
std::string PermissionHintFor(const std::string& devicePath);

}  // namespace flash410::serial
