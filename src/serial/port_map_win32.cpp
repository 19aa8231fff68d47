#include <windows.h>

#include <array>

#include "serial/port_map.h"

namespace flash410::serial {

// Every port is opened as "\\.\COMn": ports 10 and up can only be opened so, and it never hurts below.
std::string PortMap::SystemDevicePath(int port) const {
    if (port < 1) {
        return {};
    }
    return "\\\\.\\" + ComName(port);
}

std::string PortMap::ResolvedDevicePath(int port) const {
    return DevicePath(port);
}

// The operator knows a Windows port by its name alone: "COM5".
std::string PortMap::SystemDescription(int port) const {
    return ComName(port);
}

bool PortMap::IsPresent(int port) const {
    std::array<char, 512> target{};
    return port >= 1 &&
           QueryDosDeviceA(ComName(port).c_str(), target.data(), static_cast<DWORD>(target.size())) != 0;
}

}  // namespace flash410::serial
