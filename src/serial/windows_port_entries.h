// What Windows says about its serial ports, and how that becomes the port list. The system calls that
// read it are in port_inventory_win32.cpp; the reading of their text is here, on every system, so that it
// is tested without Windows.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "serial/port_inventory.h"

namespace flash410::serial {

// One device of the Ports class as SetupAPI shows it.
struct WindowsPortDevice {
    std::string PortName;      // "COM5", from the device's registry key
    std::string FriendlyName;  // "USB Serial Port (COM5)"
    std::string
        HardwareId;  // the first: "USB\VID_0403&PID_6001&REV_0600", "FTDIBUS\COMPORT&VID_0403&PID_6001"
    std::string InstanceId;    // "FTDIBUS\VID_0403+PID_6001+A50285BIA\0000", "USB\VID_2341&PID_0043\8543..."
    std::string Manufacturer;  // "FTDI"
    std::string Service;       // the driver: "FTDIBUS", "usbser", "Serial"
    std::optional<int> LatencyTimerMs;
    std::string InUseBy;
};

// A port of the registry's HARDWARE\DEVICEMAP\SERIALCOMM: the driver's device name and the port name.
struct SerialCommEntry {
    std::string DeviceName;  // "\Device\Serial0", "\Device\VCP0"
    std::string PortName;    // "COM1"
    std::string InUseBy;
};

struct UsbIds {
    std::string VendorId;      // four lower-case hex digits
    std::string ProductId;     // four lower-case hex digits
    std::string SerialNumber;  // empty when the device has none (Windows made up the instance's name)
    bool operator==(const UsbIds&) const = default;
};

// The ids in a hardware or instance id of a USB device or of FTDI's own bus ("USB\VID_0403&PID_6001...",
// "FTDIBUS\VID_0403+PID_6001+A50285BIA\0000"), with the serial number that an instance id carries; nothing
// for any other bus.
std::optional<UsbIds> ParseUsbDeviceId(std::string_view id);

// The COM number of "COM5" (in any case), or 0.
int ComNumberOfName(std::string_view portName);

// The ports, one a COM name: SetupAPI's devices with what they say, then the registry's ports that
// SetupAPI did not list (Wine's SetupAPI may list none), in COM order.
std::vector<PortDescription> AssembleWindowsPorts(const std::vector<WindowsPortDevice>& devices,
                                                  const std::vector<SerialCommEntry>& serialComm);

}  // namespace flash410::serial
