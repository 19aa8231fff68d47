// The serial ports present on this machine, each with what the operator needs to tell them apart: the COM
// number the program gives it, the device, what kind of port it is, the USB adapter behind it (vendor and
// product ids, names, serial number, driver) and the program that holds it, if any. On a bench with several
// modems the numbers move when cables are replugged; the adapter's serial number does not.
//
// One implementation per system: on Linux the lister reads sysfs and the operator's port links
// (port_inventory_linux.cpp), on Windows SetupAPI and the registry (port_inventory_win32.cpp). The roots
// it reads are handed in, so that a test can hand in a made-up tree.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace flash410::serial {

enum class PortKind : std::uint8_t {
    kUsbAdapter,      // a USB-serial adapter or a USB modem (CDC ACM)
    kBuiltIn,         // a UART of the machine itself
    kOperatorLink,    // a port link of the operator's own that leads to something else
    kPseudoTerminal,  // a port link to a pseudo-terminal (a simulated modem, socat)
    kOther,           // a serial device of another kind
};

struct UsbIdentity {
    std::string VendorId;   // four lower-case hex digits: "0403"
    std::string ProductId;  // four lower-case hex digits: "6001"
    std::string Manufacturer;
    std::string Product;
    std::string SerialNumber;
    std::string Driver;  // "ftdi_sio", "cdc_acm"; "FTDIBUS", "usbser" on Windows
    // How long the adapter holds received bytes back (FTDI adapters); unknown for others.
    std::optional<int> LatencyTimerMs;

    bool operator==(const UsbIdentity&) const = default;
};

struct PortDescription {
    int ComNumber = 0;   // 0 when no COM number maps to the device
    std::string Device;  // the device opened: "/dev/ttyUSB0", "\\.\COM5"
    PortKind Kind = PortKind::kOther;
    std::optional<UsbIdentity> Usb;
    std::string InUseBy;     // the program holding the port; empty when free or unknown
    std::string LinkTarget;  // where the operator's port link points, for a port reached through one

    bool operator==(const PortDescription&) const = default;
};

// Where the Linux lister looks; Windows reads its registry and ignores these.
struct InventoryRoots {
    std::string SysRoot = "/sys";
    std::string DevRoot = "/dev";
    // The folder that holds ports/, ending with "/" (as PortMap takes it), or empty: no port links.
    std::string LinkFolder;
};

// Whether the list says which program holds each port. Finding out reads every process's open files on
// Linux and opens each free port for a moment on Windows (a program opening one just then would be
// refused), so only a listing the operator asks for does it.
enum class PortHolders : std::uint8_t { kNotLookedUp, kLookedUp };

// Every serial port present, in COM number order (ports without one last, by device).
std::vector<PortDescription> ListPorts(const InventoryRoots& roots,
                                       PortHolders holders = PortHolders::kNotLookedUp);

// Puts ports in listing order: by COM number, ports without one last, by device.
void SortPorts(std::vector<PortDescription>& ports);

// The port that devicePath names (a port link, another link, or the device itself), or nothing.
std::optional<PortDescription> FindPortOfDevice(std::span<const PortDescription> ports,
                                                const std::string& devicePath);

// The port with this COM number, or nothing.
std::optional<PortDescription> FindPortOfNumber(std::span<const PortDescription> ports, int comNumber);

// One line for a port list: "COM5: FT232R USB UART, serial A50285BI", "COM1: built-in serial port
// (/dev/ttyS0)", "COM2: /tmp/x/pty (link)". A port without a COM number is named by its device.
std::string PortSummary(const PortDescription& port);
// The same for a COM number, whether or not a device is behind it: "COM5: no device".
std::string PortSummaryOfNumber(std::span<const PortDescription> ports, int comNumber);

// The kind in words: "USB adapter", "built-in", "link", "pseudo-terminal", "other".
std::string KindName(PortKind kind);

}  // namespace flash410::serial
