#include "serial/windows_port_entries.h"
#include "platform/plain_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace flash410::serial {

namespace {

bool IsHex4(std::string_view text) {
    return text.size() == 4 &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isxdigit(c) != 0; });
}

// The four hex digits after "VID_" (or "PID_") in the id, or nothing.
std::optional<std::string> IdAfter(std::string_view upperId, std::string_view key) {
    const std::size_t at = upperId.find(key);
    if (at == std::string_view::npos || !IsHex4(upperId.substr(at + key.size(), 4))) {
        return std::nullopt;
    }
    return platform::AsciiLowerCase(upperId.substr(at + key.size(), 4));
}

// Windows names an instance of a device without a serial number itself, with "&" in the name
// ("5&2E8C4C2&0&2"); a serial number the device reports never has one.
std::string SerialOfUsbInstance(std::string_view id) {
    const std::size_t first = id.find('\\');
    const std::size_t second = first == std::string_view::npos ? first : id.find('\\', first + 1);
    if (second == std::string_view::npos) {
        return {};
    }
    const std::string_view serial = id.substr(second + 1);
    return serial.find('&') == std::string_view::npos ? std::string(serial) : std::string();
}

// FTDI's bus driver names each port "VID_0403+PID_6001+<serial><port letter>\0000": A for the first port
// of the chip, B to D for the others of a multi-port chip.
std::string SerialOfFtdiInstance(std::string_view id) {
    const std::size_t first = id.find('+');
    const std::size_t second = first == std::string_view::npos ? first : id.find('+', first + 1);
    if (second == std::string_view::npos) {
        return {};
    }
    std::string_view serial = id.substr(second + 1);
    serial = serial.substr(0, serial.find('\\'));
    if (serial.size() >= 2 && serial.back() >= 'A' && serial.back() <= 'D') {
        serial.remove_suffix(1);
    }
    return std::string(serial);
}

// "USB Serial Port (COM5)" without its " (COM5)": the port is named on its own.
std::string WithoutPortName(const std::string& friendlyName, const std::string& portName) {
    const std::string suffix = " (" + portName + ")";
    if (!portName.empty() && friendlyName.size() > suffix.size() &&
        platform::AsciiUpperCase(friendlyName.substr(friendlyName.size() - suffix.size())) ==
            platform::AsciiUpperCase(suffix)) {
        return friendlyName.substr(0, friendlyName.size() - suffix.size());
    }
    return friendlyName;
}

std::string DevicePathOf(const std::string& portName) {
    return "\\\\.\\" + platform::AsciiUpperCase(portName);
}

PortDescription FromDevice(const WindowsPortDevice& device) {
    PortDescription port;
    port.ComNumber = ComNumberOfName(device.PortName);
    port.Device = DevicePathOf(device.PortName);
    port.InUseBy = device.InUseBy;
    const std::optional<UsbIds> hardware = ParseUsbDeviceId(device.HardwareId);
    const std::optional<UsbIds> instance = ParseUsbDeviceId(device.InstanceId);
    if (!hardware && !instance) {
        const std::string hardwareId = platform::AsciiUpperCase(device.HardwareId);
        // The PC's own UARTs: ACPI's or Plug and Play's 16550-compatible device.
        port.Kind = hardwareId.find("PNP0501") != std::string::npos ||
                            platform::AsciiUpperCase(device.Service) == "SERIAL"
                        ? PortKind::kBuiltIn
                        : PortKind::kOther;
        return port;
    }
    const UsbIds& ids = instance ? *instance : *hardware;
    port.Kind = PortKind::kUsbAdapter;
    port.Usb = UsbIdentity{ids.VendorId,
                           ids.ProductId,
                           device.Manufacturer,
                           WithoutPortName(device.FriendlyName, device.PortName),
                           instance ? instance->SerialNumber : std::string(),
                           device.Service,
                           device.LatencyTimerMs};
    return port;
}

PortDescription FromSerialComm(const SerialCommEntry& entry) {
    PortDescription port;
    port.ComNumber = ComNumberOfName(entry.PortName);
    port.Device = DevicePathOf(entry.PortName);
    port.InUseBy = entry.InUseBy;
    // "\Device\Serial0" is the PC's own UART driver; anything else is another driver's port.
    port.Kind = platform::AsciiUpperCase(entry.DeviceName).starts_with("\\DEVICE\\SERIAL")
                    ? PortKind::kBuiltIn
                    : PortKind::kOther;
    return port;
}

}  // namespace

std::optional<UsbIds> ParseUsbDeviceId(std::string_view id) {
    const std::string upper = platform::AsciiUpperCase(id);
    const bool usb = upper.starts_with("USB\\");
    const bool ftdi = upper.starts_with("FTDIBUS\\");
    if (!usb && !ftdi) {
        return std::nullopt;
    }
    const std::optional<std::string> vendor = IdAfter(upper, "VID_");
    const std::optional<std::string> product = IdAfter(upper, "PID_");
    if (!vendor || !product) {
        return std::nullopt;
    }
    // A hardware id ("USB\VID_0403&PID_6001&REV_0600") has no instance part; an instance id has one.
    return UsbIds{*vendor, *product, usb ? SerialOfUsbInstance(id) : SerialOfFtdiInstance(id)};
}

int ComNumberOfName(std::string_view portName) {
    if (portName.size() < 4 || platform::AsciiUpperCase(portName.substr(0, 3)) != "COM") {
        return 0;
    }
    int number = 0;
    const char* end = portName.data() + portName.size();
    const auto [last, error] = std::from_chars(portName.data() + 3, end, number);
    return error == std::errc() && last == end && number > 0 ? number : 0;
}

std::vector<PortDescription> AssembleWindowsPorts(const std::vector<WindowsPortDevice>& devices,
                                                  const std::vector<SerialCommEntry>& serialComm) {
    std::vector<PortDescription> ports;
    for (const WindowsPortDevice& device : devices) {
        // A printer port is in the Ports class too; a device without a COM name is not a serial port.
        if (ComNumberOfName(device.PortName) > 0) {
            ports.push_back(FromDevice(device));
        }
    }
    for (const SerialCommEntry& entry : serialComm) {
        const int number = ComNumberOfName(entry.PortName);
        const bool listed = std::any_of(ports.begin(), ports.end(), [number](const PortDescription& port) {
            return port.ComNumber == number;
        });
        if (number > 0 && !listed) {
            ports.push_back(FromSerialComm(entry));
        }
    }
    SortPorts(ports);
    return ports;
}

}  // namespace flash410::serial
