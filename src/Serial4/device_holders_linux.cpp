#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "device_holders.h"

namespace serial4 {

namespace fs = std::filesystem;

namespace {

bool IsNumber(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

bool HoldsDevice(const fs::path& fdFolder, dev_t rdev) {
    std::error_code error;
    for (fs::directory_iterator it(fdFolder, error), end; !error && it != end; it.increment(error)) {
        struct stat info {};
        if (::stat(it->path().c_str(), &info) == 0 && S_ISCHR(info.st_mode) && info.st_rdev == rdev) {
            return true;
        }
    }
    return false;
}

std::string CommandName(const fs::path& processFolder) {
    std::ifstream comm(processFolder / "comm");
    std::string name;
    std::getline(comm, name);
    return name.empty() ? std::string("an unnamed program") : name;
}

}  // namespace

std::vector<DeviceHolder> FindOtherDeviceHolders(dev_t rdev) {
    std::vector<DeviceHolder> holders;
    const std::string self = std::to_string(::getpid());
    std::error_code error;
    for (fs::directory_iterator it("/proc", error), end; !error && it != end; it.increment(error)) {
        const std::string pid = it->path().filename().string();
        if (!IsNumber(pid) || pid == self) {
            continue;
        }
        if (HoldsDevice(it->path() / "fd", rdev)) {
            holders.push_back({static_cast<pid_t>(std::stol(pid)), CommandName(it->path())});
        }
    }
    return holders;
}

std::string DescribeHolders(const std::vector<DeviceHolder>& holders) {
    std::string text;
    for (const DeviceHolder& holder : holders) {
        if (!text.empty()) {
            text += ", ";
        }
        text += holder.name + " (process " + std::to_string(holder.pid) + ")";
    }
    return text;
}

}  // namespace serial4
