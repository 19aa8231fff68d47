#include "serial/port_map.h"

#include <filesystem>
#include <system_error>

namespace flash410::serial {

namespace fs = std::filesystem;

std::string PortMap::LinkPath(int port) const {
    if (linkFolder_.empty()) {
        return {};
    }
    return linkFolder_ + "ports/com" + std::to_string(port);
}

std::string PortMap::SystemDevicePath(int port) const {
    const std::string link = LinkPath(port);
    std::error_code error;
    if (!link.empty() && fs::is_symlink(fs::symlink_status(link, error))) {
        return link;
    }
    if (port >= 1 && port <= 4) {
        return "/dev/ttyS" + std::to_string(port - 1);
    }
    if (port >= 5 && port <= 12) {
        return "/dev/ttyUSB" + std::to_string(port - 5);
    }
    if (port >= 13 && port <= 19) {
        return "/dev/ttyACM" + std::to_string(port - 13);
    }
    return {};
}

std::string PortMap::ResolvedDevicePath(int port) const {
    const std::string path = DevicePath(port);
    if (path.empty()) {
        return path;
    }
    std::error_code error;
    if (!fs::is_symlink(fs::symlink_status(path, error))) {
        return path;
    }
    // A dangling link still names where it points, which is what the operator needs to see.
    const fs::path target = fs::read_symlink(path, error);
    if (error) {
        return path;
    }
    return target.is_absolute() ? target.string()
                                : (fs::path(path).parent_path() / target).lexically_normal().string();
}

std::string PortMap::SystemDescription(int port) const {
    const std::string device = ResolvedDevicePath(port);
    return ComName(port) + " (" + (device.empty() ? std::string("no device") : device) + ")";
}

bool PortMap::IsPresent(int port) const {
    const std::string path = DevicePath(port);
    std::error_code error;
    return !path.empty() && fs::exists(path, error);
}

}  // namespace flash410::serial
