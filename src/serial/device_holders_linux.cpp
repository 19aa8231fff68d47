#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string_view>
#include <system_error>

#include "serial/device_holders.h"

namespace flash410::serial {

namespace fs = std::filesystem;

namespace {

// /dev/ptmx (and each devpts instance's own ptmx): every descriptor on it is the master side of one
// pseudo-terminal, whose number the kernel shows as "tty-index:" in the descriptor's fdinfo.
constexpr unsigned kPtyMultiplexerMajor = 5;
constexpr unsigned kPtyMultiplexerMinor = 2;
// The slave sides /dev/pts/N: N counts on through eight majors of 256 minors each, or, on kernels with
// wide minor numbers, is simply the minor of the first major.
constexpr unsigned kFirstPtySlaveMajor = 136;
constexpr unsigned kPtySlaveMajors = 8;

using PtyIndex = unsigned long;

bool IsNumber(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

std::optional<PtyIndex> PtySlaveIndex(dev_t rdev) {
    const unsigned major = ::major(rdev);
    if (major < kFirstPtySlaveMajor || major >= kFirstPtySlaveMajor + kPtySlaveMajors) {
        return std::nullopt;
    }
    return PtyIndex{major - kFirstPtySlaveMajor} * 256 + ::minor(rdev);
}

bool IsPtyMultiplexer(dev_t rdev) {
    return ::major(rdev) == kPtyMultiplexerMajor && ::minor(rdev) == kPtyMultiplexerMinor;
}

std::optional<PtyIndex> MasterIndex(const fs::path& fdInfo) {
    static constexpr std::string_view kKey = "tty-index:";
    std::ifstream info(fdInfo);
    for (std::string line; std::getline(info, line);) {
        if (line.compare(0, kKey.size(), kKey) != 0) {
            continue;
        }
        const auto digits = line.find_first_not_of(" \t", kKey.size());
        PtyIndex index = 0;
        if (digits != std::string::npos &&
            std::from_chars(line.data() + digits, line.data() + line.size(), index).ec == std::errc{}) {
            return index;
        }
        return std::nullopt;
    }
    return std::nullopt;
}

struct HoldingsOfProcess {
    bool device = false;
    bool farEnd = false;  // the master side of the pseudo-terminal that the device is
};

HoldingsOfProcess LookAtDescriptors(const fs::path& processFolder, dev_t rdev,
                                    std::optional<PtyIndex> ptyIndex) {
    HoldingsOfProcess holdings;
    std::error_code error;
    const fs::path fdFolder = processFolder / "fd";
    for (fs::directory_iterator it(fdFolder, error), end; !error && it != end; it.increment(error)) {
        struct stat info {};
        if (::stat(it->path().c_str(), &info) != 0 || !S_ISCHR(info.st_mode)) {
            continue;
        }
        if (info.st_rdev == rdev) {
            holdings.device = true;
        } else if (ptyIndex && IsPtyMultiplexer(info.st_rdev) &&
                   MasterIndex(processFolder / "fdinfo" / it->path().filename()) == ptyIndex) {
            holdings.farEnd = true;
        }
    }
    return holdings;
}

std::string CommandName(const fs::path& processFolder) {
    std::ifstream comm(processFolder / "comm");
    std::string name;
    std::getline(comm, name);
    return name.empty() ? std::string("an unnamed program") : name;
}

}  // namespace

std::vector<DeviceHolder> FindRivalDeviceHolders(dev_t rdev) {
    const std::optional<PtyIndex> ptyIndex = PtySlaveIndex(rdev);
    std::vector<DeviceHolder> holders;
    const std::string self = std::to_string(::getpid());
    std::error_code error;
    for (fs::directory_iterator it("/proc", error), end; !error && it != end; it.increment(error)) {
        const std::string pid = it->path().filename().string();
        if (!IsNumber(pid) || pid == self) {
            continue;
        }
        const HoldingsOfProcess holdings = LookAtDescriptors(it->path(), rdev, ptyIndex);
        if (holdings.device && !holdings.farEnd) {
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

}  // namespace flash410::serial
