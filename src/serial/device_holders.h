// Which other processes hold a device open, so that a busy port can be named with its holder.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace flash410::serial {

struct DeviceHolder {
    pid_t pid = 0;
    std::string name;  // the process's command name
};

// Processes other than this one that have the character device rdev open and would compete for it.
// The process that holds the master side of a pseudo-terminal is its far end (a virtual null modem, a
// simulated modem), not a competitor, even when it keeps the slave open as well. Processes whose
// descriptors cannot be read (another user's, without privilege) are not seen.
std::vector<DeviceHolder> FindRivalDeviceHolders(dev_t rdev);

// "minicom (process 1234), ModemManager (process 567)".
std::string DescribeHolders(const std::vector<DeviceHolder>& holders);

}  // namespace flash410::serial
