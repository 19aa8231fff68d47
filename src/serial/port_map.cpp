#include "serial/port_map.h"

namespace flash410::serial {

std::string ComName(int port) {
    return "COM" + std::to_string(port);
}

std::string PortMap::DevicePath(int port) const {
    return port == assignedPort_ ? assignedDevice_ : SystemDevicePath(port);
}

std::string PortMap::Describe(int port) const {
    return port == assignedPort_ ? assignedDevice_ : SystemDescription(port);
}

}  // namespace flash410::serial
