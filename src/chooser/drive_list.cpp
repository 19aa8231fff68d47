#include "chooser/drive_list.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <sstream>

#include "chooser/folder_paths.h"

namespace flash410::chooser {
namespace {

// A mount table is a few kilobytes; more than this is not one.
constexpr std::size_t kLongestMountTable = 1 << 20;

constexpr std::array<std::string_view, 3> kRemovableMediaRoots = {"/media", "/run/media", "/mnt"};

constexpr std::array<std::string_view, 22> kVirtualFileSystems = {
    "autofs",   "binfmt_misc", "bpf",        "cgroup",    "cgroup2", "configfs", "debugfs", "devpts",
    "devtmpfs", "efivarfs",    "fusectl",    "hugetlbfs", "mqueue",  "nsfs",     "overlay", "proc",
    "pstore",   "ramfs",       "securityfs", "sysfs",     "tmpfs",   "tracefs"};

bool IsOctalDigit(char character) {
    return character >= '0' && character <= '7';
}

// Mount points write a blank, tab, line feed and backslash as octal escapes ("\040").
std::string DecodeMountField(std::string_view field) {
    std::string decoded;
    for (std::size_t i = 0; i < field.size(); ++i) {
        const bool octal = field[i] == '\\' && i + 3 < field.size() && IsOctalDigit(field[i + 1]) &&
                           IsOctalDigit(field[i + 2]) && IsOctalDigit(field[i + 3]);
        if (octal) {
            decoded.push_back(static_cast<char>(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) |
                                                (field[i + 3] - '0')));
            i += 3;
        } else {
            decoded.push_back(field[i]);
        }
    }
    return decoded;
}

bool IsRemovableMediaMount(const std::string& mountPoint, std::string_view type) {
    if (std::find(kVirtualFileSystems.begin(), kVirtualFileSystems.end(), type) !=
        kVirtualFileSystems.end()) {
        return false;
    }
    return std::any_of(kRemovableMediaRoots.begin(), kRemovableMediaRoots.end(),
                       [&](std::string_view root) { return IsInsideFolder(mountPoint, std::string(root)); });
}

}  // namespace

std::vector<std::string> ListDrives(std::string_view mountTable, const std::string& homeFolder) {
    std::vector<std::string> drives = {"/"};
    const std::string home = NormalFolder(homeFolder);
    if (!home.empty() && home.front() == '/' && home != "/") {
        drives.push_back(home);
    }
    const std::size_t fixedDrives = drives.size();

    std::istringstream lines{std::string(mountTable)};
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string device, mountPoint, type;
        if (!(fields >> device >> mountPoint >> type)) {
            continue;
        }
        const std::string folder = NormalFolder(DecodeMountField(mountPoint));
        if (IsRemovableMediaMount(folder, type) &&
            std::find(drives.begin(), drives.end(), folder) == drives.end()) {
            drives.push_back(folder);
        }
    }
    std::sort(drives.begin() + static_cast<std::ptrdiff_t>(fixedDrives), drives.end());
    return drives;
}

std::vector<std::string> ReadDrives(const std::string& mountTableFile, const std::string& homeFolder) {
    std::ifstream file(mountTableFile, std::ios::binary);
    std::string table;
    char chunk[4096];
    while (file && table.size() < kLongestMountTable) {
        file.read(chunk, sizeof chunk);
        table.append(chunk, static_cast<std::size_t>(file.gcount()));
    }
    return ListDrives(table, homeFolder);
}

std::string DriveOfFolder(const std::vector<std::string>& drives, const std::string& folder) {
    std::string best = "/";
    for (const std::string& drive : drives) {
        if (IsInsideFolder(folder, drive) && drive.size() > best.size()) {
            best = drive;
        }
    }
    return best;
}

}  // namespace flash410::chooser
