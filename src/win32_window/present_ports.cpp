#include "win32_window/present_ports.h"

namespace flash410::win32_window {

namespace {
// The numbers the port list offers.
constexpr int kFirstPort = 1;
constexpr int kLastPort = 19;
}  // namespace

std::vector<serial::PortDescription> PresentPorts(const serial::PortMap& ports) {
    std::vector<serial::PortDescription> present;
    for (int port = kFirstPort; port <= kLastPort; ++port) {
        if (ports.IsPresent(port)) {
            present.push_back({port, ports.DevicePath(port), serial::PortKind::kOther, std::nullopt, {}, {}});
        }
    }
    return present;
}

}  // namespace flash410::win32_window
