// Which device "COM" + N stands for, one implementation per system. On Linux the operator's own mapping is
// a link ports/comN in the program's settings folder (tests and the demo attach a simulated modem that
// way); otherwise ports 1-4 are the built-in UARTs, 5-12 USB-serial adapters and 13-19 USB modems (CDC
// ACM). On Windows port N is the device "\\.\COMN" and the link folder is not used.
#pragma once

#include <string>

namespace flash410::serial {

class PortMap {
  public:
    PortMap() = default;
    // linkFolder holds ports/ and ends with "/" (or is empty: only the built-in mapping is used).
    explicit PortMap(std::string linkFolder) : linkFolder_(std::move(linkFolder)) {}

    // The port stands for this device, whatever the links and the defaults say: a device named on the
    // command line. Messages then name the device alone.
    void AssignDevice(int port, std::string devicePath) {
        assignedPort_ = port;
        assignedDevice_ = std::move(devicePath);
    }

    // The path to open for the port, or empty when the port has no device.
    std::string DevicePath(int port) const;
    // The device the path finally names, links followed, for messages and tool tips.
    std::string ResolvedDevicePath(int port) const;
    // "COM5 (/dev/ttyUSB0)" on Linux, "COM5" on Windows.
    std::string Describe(int port) const;
    bool IsPresent(int port) const;

    const std::string& linkFolder() const { return linkFolder_; }

  private:
    // The system's own mapping, for ports without an assigned device.
    std::string SystemDevicePath(int port) const;
    std::string SystemDescription(int port) const;
    std::string LinkPath(int port) const;

    std::string linkFolder_;
    int assignedPort_ = -1;
    std::string assignedDevice_;
};

std::string ComName(int port);

}  // namespace flash410::serial
